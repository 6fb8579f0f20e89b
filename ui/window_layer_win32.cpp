#include "ui/window_layer_win32.h"

#include <objbase.h>

#include "host/host_link_com_win32.h"
#include "ui/settings_window_win32.h"

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
  IDispatch* host_object = nullptr;
  try {
    host_object = session->layer->RunSession(*session);
  } catch (...) {
    // Nothing may unwind into the system's thread start.
  }
  // At unload the host object is released only once the library is gone.
  // During the unload the host's thread holds the loader lock: a release
  // into a free-threaded host then waits for a COM thread that cannot
  // start, and the library is unmapped under it. At this thread's end the
  // thread itself holds the lock while COM's clean-up releases what is
  // left, waiting for a host thread that may well be waiting for the lock.
  // So the release and then the thread's end are queued as calls that the
  // system makes from the alertable wait below: neither returns into this
  // library. The release runs first and to its end, as COM's waits are not
  // alertable.
  bool deferred = false;
  if (host_object != nullptr) {
    HANDLE self = GetCurrentThread();
    // Release is the third entry of every COM interface's table, a
    // one-argument standard call, as an APC routine is; ExitThread's
    // address is read from the import table, so it is the system's own.
    void* const* table = *reinterpret_cast<void* const* const*>(host_object);
    const PAPCFUNC release = reinterpret_cast<PAPCFUNC>(table[2]);
    const PAPCFUNC exit_thread = reinterpret_cast<PAPCFUNC>(&ExitThread);
    deferred = QueueUserAPC(release, self, reinterpret_cast<ULONG_PTR>(host_object)) != 0 &&
               QueueUserAPC(exit_thread, self, 0) != 0;
  }
  SetEvent(session->wake);
  // The last step in plug-in code: from here the closing thread may free the
  // session and, at unload, the library itself. Neither the wait nor
  // ExitThread ever comes back into this code.
  session->finished.store(true);
  if (deferred) SleepEx(INFINITE, TRUE);
  ExitThread(0);
}

IDispatch* Win32WindowLayer::RunSession(Win32Session& session) {
  ComHostLink host;
  {
    SettingsWindow window(context_, host, session);
    window.RunModal();
  }
  if (session.unloading.load()) return host.Detach();
  host.Release();
  return nullptr;
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
  // A host call served inside the wait may end and free this session, and
  // its event with it: the wait holds a handle of its own.
  HANDLE wake = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), Of(session).wake, GetCurrentProcess(), &wake, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    Sleep(static_cast<DWORD>(step.count()));
    return;
  }
  DWORD index = 0;
  const HRESULT hr =
      CoWaitForMultipleHandles(0, static_cast<DWORD>(step.count()), 1, &wake, &index);
  CloseHandle(wake);
  if (FAILED(hr) && hr != RPC_S_CALLPENDING) Sleep(static_cast<DWORD>(step.count()));
}
