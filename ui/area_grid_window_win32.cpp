#include "ui/area_grid_window_win32.h"

#include "engine/plugin_instance_win32.h"
#include "resources/resource.h"
#include "ui/area_marks.h"
#include "ui/window_model.h"

AreaGridWindow::AreaGridWindow(WindowContext& context)
    : context_(context), position_(context.model->settings(), kAreaGridPlace) {}

AreaGridWindow::~AreaGridWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool AreaGridWindow::Create() {
  CreateDialogParamA(PluginInstance(), MAKEINTRESOURCEA(IDD_AREA_GRID), nullptr,
                     DialogProc<AreaGridWindow>, reinterpret_cast<LPARAM>(this));
  if (hwnd_ == nullptr) return false;
  ShowWindow(hwnd_, SW_SHOW);
  return true;
}

INT_PTR AreaGridWindow::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    default:
      return OnViewWindowMessage(message, wparam);
  }
}

void AreaGridWindow::OnInitDialog() {
  PlaceViewWindow(*this, position_, context_.onTop.load());
  UsePaleBackground();
  SetPluginIcon(hwnd_);
}

void AreaGridWindow::ShowMarks(const AreaMarks& marks) {
  for (size_t i = 0; i < marks.size(); ++i) {
    CheckDlgButton(hwnd_, kAreaBoxes[i].control, marks[i] ? BST_CHECKED : BST_UNCHECKED);
  }
}
