// Win32Session: one settings window's life on its window thread, as the
// host's thread and the window thread share it.
#pragma once

#include <windows.h>

#include <atomic>

#include "ui/window_thread_control.h"

class Win32WindowLayer;

struct Win32Session : WindowSession {
  explicit Win32Session(Win32WindowLayer* owner)
      : layer(owner), wake(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
  ~Win32Session() override {
    if (wake != nullptr) CloseHandle(wake);
  }

  Win32WindowLayer* const layer;
  // The settings window once it exists, null again when it is destroyed:
  // where the host's thread posts the update message and WM_CLOSE.
  std::atomic<HWND> window{nullptr};
  // Signalled by the thread when it sets `ready` and just before it sets
  // `finished`: what the host's thread waits on while it serves the host's
  // COM calls.
  const HANDLE wake;
};
