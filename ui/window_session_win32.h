// Win32Session: one settings window's life on its window thread, as the
// host's thread and the window thread share it.
#pragma once

#include <windows.h>

#include <atomic>

#include "ui/window_thread_control.h"

class Win32WindowLayer;

struct Win32Session : WindowSession {
  explicit Win32Session(Win32WindowLayer* owner)
      : layer(owner), done(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Win32Session() override {
    if (done != nullptr) CloseHandle(done);
  }

  Win32WindowLayer* const layer;
  // The settings window once it exists, null again when it is destroyed:
  // where the host's thread posts the update message and WM_CLOSE.
  std::atomic<HWND> window{nullptr};
  // Signalled by the thread just before `finished`; what the closing thread
  // waits on while it serves the host's COM calls.
  const HANDLE done;
};
