// Win32WindowLayer: the DLL's window layer. Each start makes a thread of the
// plug-in's own that runs the settings window's modal loop; closing posts
// WM_CLOSE and waits for the thread's `finished` flag while serving the
// host's COM calls, never waiting on the thread's handle (at unload the
// loader lock is held, and a thread's exit needs it).
#pragma once

#include <oaidl.h>
#include <windows.h>

#include "ui/window_context.h"
#include "ui/window_session_win32.h"
#include "ui/window_thread_control.h"

class Win32WindowLayer : public WindowThreadControl {
 public:
  Win32WindowLayer() = default;
  ~Win32WindowLayer() override;

  // The state the windows show; before the first start.
  void Bind(WindowModel* model) { context_.model = model; }

 protected:
  std::unique_ptr<WindowSession> NewSession() override;
  bool Launch(WindowSession& session) override;
  void RequestClose(WindowSession& session) override;
  void PostUpdateTo(WindowSession& session) override;
  void WaitStep(WindowSession& session, std::chrono::milliseconds step) override;

 private:
  static DWORD WINAPI ThreadStart(void* session);
  // Everything the thread does in C++: returns before `finished` is set.
  // At unload, the host object's reference that is still to be released.
  IDispatch* RunSession(Win32Session& session);

  WindowContext context_;
};
