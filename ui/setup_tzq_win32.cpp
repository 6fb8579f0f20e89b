#include "ui/setup_tzq_win32.h"

#include "engine/plugin_instance_win32.h"
#include "resources/resource.h"
#include "ui/dxcc_win32.h"
#include "ui/oblast_win32.h"

Setup_TZQ::Setup_TZQ(WindowContext& context, HostLink& host, Win32Session& session)
    : context_(context), session_(session), logic_(context, host, *this) {}

Setup_TZQ::~Setup_TZQ() {
  logic_.CloseViews();
  if (brush_ != nullptr) DeleteObject(brush_);
}

void Setup_TZQ::RunModal() {
  DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(IDD_SETUP), nullptr, DialogProc<Setup_TZQ>,
                  reinterpret_cast<LPARAM>(this));
}

INT_PTR Setup_TZQ::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return ColourControl(reinterpret_cast<HDC>(wparam), brush_);
    case WM_SETCURSOR:
      logic_.SavePosition();
      return FALSE;
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

void Setup_TZQ::OnInitDialog() {
  session_.window.store(hwnd_);
  // A close routine that came before the window existed found nothing to
  // post to: the window closes itself.
  if (session_.closeRequested.load()) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
  brush_ = CreateSolidBrush(kBackgroundColour);
  SetPluginIcon(hwnd_);
  logic_.Initialise();
  session_.ready.store(true);
  SetEvent(session_.wake);
}

void Setup_TZQ::OnClose() {
  logic_.CloseViews();
  EndDialog(hwnd_, IDCANCEL);
}

void Setup_TZQ::PushFlags(const SetupFlags& f) {
  const struct {
    int control;
    bool on;
  } boxes[] = {{IDC_SETUP_BPSK63, f.bpsk63},      {IDC_SETUP_BPSK125, f.bpsk125},
               {IDC_SETUP_VIEW_AREA, f.viewArea}, {IDC_SETUP_VIEW_CALL, f.viewCall},
               {IDC_SETUP_BPSK31, f.bpsk31},      {IDC_SETUP_RTTY, f.rtty},
               {IDC_SETUP_ON_TOP, f.onTop}};
  for (const auto& box : boxes) {
    CheckDlgButton(hwnd_, box.control, box.on ? BST_CHECKED : BST_UNCHECKED);
  }
}

void Setup_TZQ::PostUpdate() {
  PostMessageA(hwnd_, kUpdateMessage, 0, 0);
}

std::unique_ptr<AreaGridView> Setup_TZQ::OpenAreaGrid() {
  auto grid = std::make_unique<oblast>(context_);
  if (!grid->Create()) return nullptr;
  return grid;
}

std::unique_ptr<PanelView> Setup_TZQ::OpenPanel() {
  auto panel = std::make_unique<DXCC>(context_);
  if (!panel->Create()) return nullptr;
  panel->Show();
  return panel;
}
