#include "ui/dialog_window_win32.h"

#include "engine/plugin_instance_win32.h"
#include "resources/resource.h"

void SetPluginIcon(HWND window) {
  HICON icon = LoadIconA(PluginInstance(), MAKEINTRESOURCEA(IDI_PLUGIN));
  if (icon != nullptr) SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

INT_PTR ColourControl(HDC dc, HBRUSH brush) {
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, kBackgroundColour);
  return reinterpret_cast<INT_PTR>(brush);
}
