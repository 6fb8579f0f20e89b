#include "engine/message_boxes_win32.h"

#include <windows.h>

namespace {

// The host's main window: a visible, unowned top-level window of the
// calling (host) thread. Other threads are not searched: the plug-in's own
// windows, on its window thread, must never own the box.
BOOL CALLBACK VisitThreadWindow(HWND window, LPARAM param) {
  if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr) {
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
  }
  return TRUE;
}

HWND HostMainWindow() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), VisitThreadWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

void Win32MessageBoxes::Show(const std::string& text, const char* caption, unsigned style,
                             bool owned_by_host) {
  MessageBoxA(owned_by_host ? HostMainWindow() : nullptr, text.c_str(), caption, style);
}
