#include "ui/window_thread_win32.h"

#include <objbase.h>

#include "host/host_link_com_win32.h"
#include "ui/setup_tzq_win32.h"

namespace {
Win32Session& Of(WindowSession& session) {
  return static_cast<Win32Session&>(session);
}
}  // namespace

Win32WindowLayer::~Win32WindowLayer() {
  Shutdown();
}

std::unique_ptr<WindowSession> Win32WindowLayer::NewSession() {
  auto session = std::make_unique<Win32Session>(this);
  if (session->wake == nullptr) return nullptr;
  return session;
}

bool Win32WindowLayer::Launch(WindowSession& session) {
  HANDLE thread = CreateThread(nullptr, 0, ThreadStart, &session, 0, nullptr);
  if (thread == nullptr) return false;
  // The handle is never waited on: `finished` tells when the thread is done.
  CloseHandle(thread);
  return true;
}

DWORD WINAPI Win32WindowLayer::ThreadStart(void* argument) {
  Win32Session* session = static_cast<Win32Session*>(argument);
  try {
    session->layer->RunSession(*session);
  } catch (...) {
    // Nothing may unwind into the system's thread start.
  }
  SetEvent(session->wake);
  // The last step in plug-in code: from here the closing thread may free the
  // session and, at unload, the library itself. ExitThread never comes back
  // into this code.
  session->finished.store(true);
  ExitThread(0);
}

void Win32WindowLayer::RunSession(Win32Session& session) {
  ComHostLink host;
  {
    Setup_TZQ window(context_, host, session);
    window.RunModal();
  }
  // At unload the host's thread sits in FreeLibrary: neither a release of
  // its object nor COM's own shutdown may wait on it.
  if (session.unloading.load()) {
    host.Abandon();
  } else {
    host.Release();
  }
}

void Win32WindowLayer::RequestClose(WindowSession& session) {
  // Posted, never sent: the window thread may be inside a host call that
  // this very thread has to serve.
  HWND window = Of(session).window.load();
  if (window != nullptr) PostMessageA(window, WM_CLOSE, 0, 0);
}

void Win32WindowLayer::PostUpdateTo(WindowSession& session) {
  HWND window = Of(session).window.load();
  if (window != nullptr) PostMessageA(window, kUpdateMessage, 0, 0);
}

void Win32WindowLayer::WaitStep(WindowSession& session, std::chrono::milliseconds step) {
  // In the host's apartment this pumps the COM calls that the window
  // thread may be waiting on; elsewhere it is a plain wait.
  HANDLE wake = Of(session).wake;
  DWORD index = 0;
  const HRESULT hr =
      CoWaitForMultipleHandles(0, static_cast<DWORD>(step.count()), 1, &wake, &index);
  if (FAILED(hr) && hr != RPC_S_CALLPENDING) Sleep(static_cast<DWORD>(step.count()));
}
