#include "ui/settings_window_win32.h"

#include "engine/plugin_instance_win32.h"
#include "resources/resource.h"
#include "ui/area_grid_window_win32.h"
#include "ui/previous_qso_window_win32.h"

SettingsWindow::SettingsWindow(WindowContext& context, HostLink& host, Win32Session& session)
    : context_(context), session_(session), logic_(context, host, *this) {}

SettingsWindow::~SettingsWindow() {
  logic_.CloseViews();
}

void SettingsWindow::RunModal() {
  DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(IDD_SETUP), nullptr,
                  DialogProc<SettingsWindow>, reinterpret_cast<LPARAM>(this));
}

INT_PTR SettingsWindow::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wparam) != BN_CLICKED) return FALSE;
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        OnClose();  // Enter and Escape close the window, as its close box does
      } else {
        logic_.OnClicked(LOWORD(wparam));
      }
      return TRUE;
    case WM_CLOSE:
      OnClose();
      return TRUE;
    case WM_DESTROY:
      session_.window.store(nullptr);
      return FALSE;
    default:
      break;
  }
  if (message == kUpdateMessage) {
    logic_.HandleUpdate();
    SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, 0);
    return TRUE;
  }
  return FALSE;
}

void SettingsWindow::OnInitDialog() {
  session_.window.store(hwnd_);
  // A close routine that came before the window existed found nothing to
  // post to: the window closes itself.
  if (session_.closeRequested.load()) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
  UsePaleBackground();
  SetPluginIcon(hwnd_);
  logic_.Initialise();
  session_.ready.store(true);
  SetEvent(session_.wake);
}

void SettingsWindow::OnClose() {
  logic_.CloseViews();
  EndDialog(hwnd_, IDCANCEL);
}

void SettingsWindow::PushFlags(const SettingsFlags& f) {
  for (const SettingsBox& box : kSettingsBoxes) {
    CheckDlgButton(hwnd_, box.control, f.*box.flag ? BST_CHECKED : BST_UNCHECKED);
  }
}

void SettingsWindow::PostUpdate() {
  PostMessageA(hwnd_, kUpdateMessage, 0, 0);
}

std::unique_ptr<AreaGridView> SettingsWindow::OpenAreaGrid() {
  auto grid = std::make_unique<AreaGridWindow>(context_);
  if (!grid->Create()) return nullptr;
  return grid;
}

std::unique_ptr<PanelView> SettingsWindow::OpenPanel() {
  auto panel = std::make_unique<PreviousQsoWindow>(context_);
  if (!panel->Create()) return nullptr;
  panel->Show();
  return panel;
}
