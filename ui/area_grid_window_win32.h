// AreaGridWindow: the area grid window (dialog 106), modeless and parentless on the
// window thread: 31 check boxes, one per multiplier, marked for the band of
// the host's frequency. Destroying the object destroys the window; the
// window's own close box only hides it.
#pragma once

#include <windows.h>

#include "ui/dialog_window_win32.h"
#include "ui/position_keeper.h"
#include "ui/window_context.h"

class AreaGridWindow : public DialogWindow<AreaGridView> {
 public:
  explicit AreaGridWindow(WindowContext& context);
  ~AreaGridWindow() override;
  AreaGridWindow(const AreaGridWindow&) = delete;
  AreaGridWindow& operator=(const AreaGridWindow&) = delete;

  // Creates the window (the template shows it); false when it could not.
  bool Create();
  void ShowMarks(const AreaMarks& marks) override;

 private:
  friend class DialogBase;
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnInitDialog();
  void OnPointerOver() override { position_.Save(*this); }

  WindowContext& context_;
  PositionKeeper position_;
};
