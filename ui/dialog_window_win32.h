// DialogBase and DialogWindow: what the plug-in's dialogs share on top of
// their HWND. DialogBase is the one dialog procedure (it finds the object
// and forwards to its OnMessage, and keeps exceptions out of the system's
// dialog code), the pale background's colours and the pointer hook;
// DialogWindow adds the WindowSurface part (placement, topmost, title) for
// the settings window and the two view windows. Each object is used on the
// thread that made its dialog: the window thread, or the host's thread for
// the Cabrillo header dialog.
#pragma once

#include <windows.h>

#include <string>

#include "ui/window_surfaces.h"

// The plug-in's icon (resource 110) as the window's big icon.
void SetPluginIcon(HWND window);

// The pale yellow that the settings window and the area grid are drawn in.
inline constexpr COLORREF kBackgroundColour = RGB(255, 250, 198);

class DialogBase {
 public:
  HWND hwnd() const { return hwnd_; }

 protected:
  DialogBase() = default;
  ~DialogBase();
  DialogBase(const DialogBase&) = delete;
  DialogBase& operator=(const DialogBase&) = delete;

  // From now on the dialog and its controls are drawn in black on the pale
  // background. Call at WM_INITDIALOG.
  void UsePaleBackground();
  // The pointer is over the window (WM_SETCURSOR): where windows note that
  // the user may have moved them.
  virtual void OnPointerOver() {}
  // An exception reached the dialog procedure.
  virtual void OnFailure() {}

  // The dialog procedure of every plug-in dialog. `lparam` of the creating
  // call is the object.
  template <typename Self>
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    Self* self = nullptr;
    try {
      self = Bind<Self>(dialog, message, lparam);
      if (self == nullptr) return FALSE;
      INT_PTR result = FALSE;
      if (self->OnSharedMessage(message, wparam, &result)) return result;
      return self->OnMessage(message, wparam, lparam);
    } catch (...) {
      if (self != nullptr) self->OnFailure();
      return FALSE;
    }
  }

  HWND hwnd_ = nullptr;

 private:
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
  // The colour and pointer messages, alike for every dialog; false for any
  // other message.
  bool OnSharedMessage(UINT message, WPARAM wparam, INT_PTR* result);

  HBRUSH brush_ = nullptr;
};

template <typename Base>
class DialogWindow : public Base, public DialogBase {
 public:
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
};
