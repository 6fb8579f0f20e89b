// Cabrillo: the real Cabrillo header dialog (template 101), run modally on
// the calling (host) thread and owned by the host's active top-level window,
// which is disabled while it is open. Escape and the close box cancel.
#pragma once

#include <windows.h>

#include "reports/header_dialog.h"

class Cabrillo : public HeaderDialog {
 public:
  bool Run(CabrilloDialogFields* fields) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  void OnInitDialog(HWND dialog);
  void OnOk(HWND dialog);

  CabrilloDialogFields* fields_ = nullptr;
  CabrilloDialogFields edited_;
};
