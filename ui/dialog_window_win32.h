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

  HWND hwnd_ = nullptr;
};
