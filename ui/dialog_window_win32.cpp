#include "ui/dialog_window_win32.h"

#include "engine/plugin_instance_win32.h"
#include "resources/resource.h"

void SetPluginIcon(HWND window) {
  HICON icon = LoadIconA(PluginInstance(), MAKEINTRESOURCEA(IDI_PLUGIN));
  if (icon != nullptr) SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

DialogBase::~DialogBase() {
  // The derived window is destroyed first, so no control still uses it.
  if (brush_ != nullptr) DeleteObject(brush_);
}

void DialogBase::UsePaleBackground() {
  if (brush_ == nullptr) brush_ = CreateSolidBrush(kBackgroundColour);
}

bool DialogBase::OnSharedMessage(UINT message, WPARAM wparam, INT_PTR* result) {
  switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      if (brush_ == nullptr) return false;
      HDC dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, kBackgroundColour);
      *result = reinterpret_cast<INT_PTR>(brush_);
      return true;
    }
    case WM_SETCURSOR:
      OnPointerOver();
      *result = FALSE;  // the system still sets the pointer's shape
      return true;
    default:
      return false;
  }
}
