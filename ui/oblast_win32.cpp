#include "ui/oblast_win32.h"

#include "engine/plugin_instance_win32.h"
#include "engine/stats_module.h"
#include "resources/resource.h"
#include "ui/area_marks.h"

oblast::oblast(WindowContext& context)
    : context_(context), position_(context.module->settings(), "oblast_x", "oblast_y", 10, 400) {}

oblast::~oblast() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (brush_ != nullptr) DeleteObject(brush_);
}

bool oblast::Create() {
  CreateDialogParamA(PluginInstance(), MAKEINTRESOURCEA(IDD_AREA_GRID), nullptr, DialogProc<oblast>,
                     reinterpret_cast<LPARAM>(this));
  if (hwnd_ == nullptr) return false;
  ShowWindow(hwnd_, SW_SHOW);
  return true;
}

INT_PTR oblast::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return ColourControl(reinterpret_cast<HDC>(wparam), brush_);
    case WM_SETCURSOR:
      position_.Save(*this);
      return FALSE;
    default:
      return OnViewWindowMessage(message, wparam);
  }
}

void oblast::OnInitDialog() {
  PlaceViewWindow(*this, position_, context_.onTop.load());
  brush_ = CreateSolidBrush(kBackgroundColour);
  SetPluginIcon(hwnd_);
}

void oblast::ShowMarks(const AreaMarks& marks) {
  for (size_t i = 0; i < marks.size(); ++i) {
    CheckDlgButton(hwnd_, kAreaBoxes[i].control, marks[i] ? BST_CHECKED : BST_UNCHECKED);
  }
}
