#include "ui/cabrillo_header_dialog_win32.h"

#include <string>
#include <vector>

#include "engine/plugin_instance_win32.h"
#include "reports/cabrillo_header_fields.h"
#include "resources/resource.h"

namespace {

const char* const kBands[] = {"ALL", "80M", "40M", "20M", "15M", "10M"};
const char* const kTransmitters[] = {"ONE", "TWO", "UNLIMITED"};

template <size_t N>
void FillCombo(HWND dialog, int id, const char* const (&entries)[N]) {
  for (const char* entry : entries) {
    SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
}

std::string ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  const int length = GetWindowTextLengthA(control);
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(control, buffer.data(), length + 1);
  return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

}  // namespace

bool CabrilloHeaderDialog::Run(CabrilloDialogFields* fields) {
  fields_ = fields;
  edited_ = *fields;
  // Owned by the host's active top-level window, as a modal dialog without
  // an explicit parent is.
  HWND owner = GetActiveWindow();
  if (owner != nullptr) owner = GetAncestor(owner, GA_ROOT);
  const INT_PTR result =
      DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(IDD_CABRILLO), owner,
                      DialogProc<CabrilloHeaderDialog>, reinterpret_cast<LPARAM>(this));
  fields_ = nullptr;
  hwnd_ = nullptr;
  if (result != IDOK) return false;
  *fields = edited_;
  return true;
}

INT_PTR CabrilloHeaderDialog::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) {
    OnInitDialog();
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wparam)) {
    case IDOK:
      OnOk();
      return TRUE;
    case IDCANCEL:  // also Escape and the close box
      EndDialog(hwnd_, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

void CabrilloHeaderDialog::OnInitDialog() {
  FillCombo(hwnd_, IDC_CAB_CATEGORY, kCabrilloCategories);
  FillCombo(hwnd_, IDC_CAB_BAND, kBands);
  FillCombo(hwnd_, IDC_CAB_TRANSMITTER, kTransmitters);
  for (const CabrilloHeaderField& f : kCabrilloHeaderFields) {
    if (f.control != 0) SetDlgItemTextA(hwnd_, f.control, ((*fields_).*f.field).c_str());
  }
}

void CabrilloHeaderDialog::OnOk() {
  for (const CabrilloHeaderField& f : kCabrilloHeaderFields) {
    if (f.control != 0) edited_.*f.field = ControlText(hwnd_, f.control);
  }
  EndDialog(hwnd_, IDOK);
}
