#include "ui/cabrillo_header_dialog_win32.h"

#include <string>
#include <vector>

#include "engine/plugin_instance_win32.h"
#include "resources/resource.h"

namespace {

struct Binding {
  int id;
  std::string CabrilloDialogFields::*field;
};

// Every control and the field it edits.
const Binding kBindings[] = {
    {IDC_CAB_CALLSIGN, &CabrilloDialogFields::callsign},
    {IDC_CAB_CLAIMED, &CabrilloDialogFields::claimed},
    {IDC_CAB_CLUB, &CabrilloDialogFields::club},
    {IDC_CAB_CATEGORY, &CabrilloDialogFields::category},
    {IDC_CAB_CONTEST, &CabrilloDialogFields::contest},
    {IDC_CAB_EMAIL, &CabrilloDialogFields::email},
    {IDC_CAB_NAME, &CabrilloDialogFields::name},
    {IDC_CAB_OPERATORS, &CabrilloDialogFields::operators},
    {IDC_CAB_SOAPBOX, &CabrilloDialogFields::soapbox},
    {IDC_CAB_ADDRESS, &CabrilloDialogFields::address},
    {IDC_CAB_BAND, &CabrilloDialogFields::band},
    {IDC_CAB_LOCATION, &CabrilloDialogFields::location},
    {IDC_CAB_TRANSMITTER, &CabrilloDialogFields::transmitter},
    {IDC_CAB_CITY, &CabrilloDialogFields::city},
    {IDC_CAB_POSTALCODE, &CabrilloDialogFields::postalCode},
    {IDC_CAB_COUNTRY, &CabrilloDialogFields::country},
};

const char* const kCategories[] = {"SINGLE-OP A", "SINGLE-OP B", "SINGLE-OP C", "YL",
                                   "LABRE",       "QRP",         "CHECKLOG"};
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
  FillCombo(hwnd_, IDC_CAB_CATEGORY, kCategories);
  FillCombo(hwnd_, IDC_CAB_BAND, kBands);
  FillCombo(hwnd_, IDC_CAB_TRANSMITTER, kTransmitters);
  for (const Binding& b : kBindings) SetDlgItemTextA(hwnd_, b.id, ((*fields_).*b.field).c_str());
}

void CabrilloHeaderDialog::OnOk() {
  for (const Binding& b : kBindings) edited_.*b.field = ControlText(hwnd_, b.id);
  EndDialog(hwnd_, IDOK);
}
