#include "ui/previous_qso_window_win32.h"

#include "engine/plugin_instance_win32.h"
#include "resources/resource.h"
#include "ui/offscreen_dc_win32.h"
#include "ui/panel_layout.h"
#include "ui/window_model.h"

void PanelButton::DrawItem(const DRAWITEMSTRUCT& item) {
  const RECT& r = item.rcItem;
  const PanelPicture picture =
      LayoutPanel(model_.PanelState(), ScreenRect{r.left, r.top, r.right, r.bottom});
  OffscreenDc surface(item.hDC);
  HDC dc = surface.dc();
  for (const PanelFill& fill : picture.fills) {
    const RECT area = {fill.rect.left, fill.rect.top, fill.rect.right, fill.rect.bottom};
    SetBkColor(dc, fill.colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
  }
  if (picture.transparentText) SetBkMode(dc, TRANSPARENT);
  for (const PanelText& text : picture.texts) {
    TextOutA(dc, text.x, text.y, text.text.data(), static_cast<int>(text.text.size()));
  }
}

PreviousQsoWindow::PreviousQsoWindow(WindowContext& context)
    : context_(context),
      position_(context.model->settings(), kPreviousQsoPlace),
      button_(*context.model) {}

PreviousQsoWindow::~PreviousQsoWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool PreviousQsoWindow::Create() {
  CreateDialogParamA(PluginInstance(), MAKEINTRESOURCEA(IDD_PREVIOUS_QSO), nullptr,
                     DialogProc<PreviousQsoWindow>, reinterpret_cast<LPARAM>(this));
  return hwnd_ != nullptr;
}

void PreviousQsoWindow::Repaint() {
  HWND button = GetDlgItem(hwnd_, IDC_INFO_BUTTON);
  if (button != nullptr) InvalidateRect(button, nullptr, FALSE);
}

INT_PTR PreviousQsoWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    case WM_SIZE:
      OnSize(LOWORD(lparam), HIWORD(lparam));
      return FALSE;
    case WM_DRAWITEM:
      if (wparam != IDC_INFO_BUTTON) return FALSE;
      button_.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    default:
      return OnViewWindowMessage(message, wparam);
  }
}

void PreviousQsoWindow::OnInitDialog() {
  PlaceViewWindow(*this, position_, context_.onTop.load());
  SetPluginIcon(hwnd_);
}

void PreviousQsoWindow::OnSize(int width, int height) {
  // Before the controls exist the template's own layout holds.
  HWND button = GetDlgItem(hwnd_, IDC_INFO_BUTTON);
  if (button != nullptr) MoveWindow(button, 5, 5, width - 10, height - 10, TRUE);
}
