// DialogWindow: the WindowSurface part that the plug-in's three dialogs
// share, on top of their HWND; and the small Win32 helpers they all use.
#pragma once

#include <windows.h>

#include <string>

#include "ui/window_surfaces.h"

// The plug-in's icon (resource 110) as the window's big icon.
void SetPluginIcon(HWND window);

// The pale yellow that the settings window and the area grid are drawn in.
inline constexpr COLORREF kBackgroundColour = RGB(255, 250, 198);

// Colours a control or the dialog itself: black text on the background.
INT_PTR ColourControl(HDC dc, HBRUSH brush);

template <typename Base>
class DialogWindow : public Base {
 public:
  HWND hwnd() const { return hwnd_; }

  ScreenRect WindowRect() const override {
    RECT r = {};
    GetWindowRect(hwnd_, &r);
    return ScreenRect{r.left, r.top, r.right, r.bottom};
  }
  void MoveTo(int x, int y) override {
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  void MakeTopmost() override {
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  void SetTitle(const std::string& title) override { SetWindowTextA(hwnd_, title.c_str()); }

 protected:
  // The object behind a dialog: stored at WM_INITDIALOG, null before.
  template <typename Self>
  static Self* Bind(HWND dialog, UINT message, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      Self* self = reinterpret_cast<Self*>(lparam);
      self->hwnd_ = dialog;
      return self;
    }
    return reinterpret_cast<Self*>(GetWindowLongPtrA(dialog, DWLP_USER));
  }

  // The dialog procedure of every plug-in dialog: finds the object and
  // hands the message to its OnMessage. No exception may unwind into the
  // system's dialog code.
  template <typename Self>
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    try {
      Self* self = Bind<Self>(dialog, message, lparam);
      return self != nullptr ? self->OnMessage(message, wparam, lparam) : FALSE;
    } catch (...) {
      return FALSE;
    }
  }

  // What the two view windows do alike: their close box and Escape only
  // hide them (the settings window decides when they go), and the object
  // forgets its window once the system has destroyed it.
  INT_PTR OnViewWindowMessage(UINT message, WPARAM wparam) {
    switch (message) {
      case WM_CLOSE:
        ShowWindow(hwnd_, SW_HIDE);
        return TRUE;
      case WM_COMMAND:
        if (LOWORD(wparam) == IDCANCEL) ShowWindow(hwnd_, SW_HIDE);
        return FALSE;
      case WM_NCDESTROY:
        hwnd_ = nullptr;
        return FALSE;
      default:
        return FALSE;
    }
  }

  HWND hwnd_ = nullptr;
};
