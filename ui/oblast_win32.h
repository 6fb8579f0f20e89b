// oblast: the area grid window (dialog 106), modeless and parentless on the
// window thread: 31 check boxes, one per multiplier, marked for the band of
// the host's frequency. Destroying the object destroys the window; the
// window's own close box only hides it.
#pragma once

#include <windows.h>

#include "ui/dialog_window_win32.h"
#include "ui/position_keeper.h"
#include "ui/window_context.h"

class oblast : public DialogWindow<AreaGridView> {
 public:
  explicit oblast(WindowContext& context);
  ~oblast() override;
  oblast(const oblast&) = delete;
  oblast& operator=(const oblast&) = delete;

  // Creates the window (the template shows it); false when it could not.
  bool Create();
  void ShowMarks(const AreaMarks& marks) override;

 private:
  friend class DialogWindow;
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnInitDialog();

  WindowContext& context_;
  PositionKeeper position_;
  HBRUSH brush_ = nullptr;
};
