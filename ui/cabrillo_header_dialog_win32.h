// CabrilloHeaderDialog: the real Cabrillo header dialog (template 101), run
// modally on the calling (host) thread and owned by the host's active
// top-level window, which is disabled while it is open. Escape and the close
// box cancel.
#pragma once

#include <windows.h>

#include "engine/platform.h"
#include "ui/dialog_window_win32.h"

class CabrilloHeaderDialog : public HeaderDialog, public DialogBase {
 public:
  bool Run(CabrilloDialogFields* fields) override;

 private:
  friend class DialogBase;
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnInitDialog();
  void OnOk();
  // Whatever failed, the dialog ends as if cancelled: nothing half-edited
  // reaches the header.
  void OnFailure() override { EndDialog(hwnd_, IDCANCEL); }

  CabrilloDialogFields* fields_ = nullptr;
  CabrilloDialogFields edited_;
};
