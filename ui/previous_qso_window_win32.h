// PreviousQsoWindow: the previous-QSO window (dialog 108), modeless and parentless on the
// window thread. Its one control, the owner-drawn PanelButton, fills the
// window and paints the whole panel. Destroying the object destroys the
// window; the window's own close box only hides it.
#pragma once

#include <windows.h>

#include "ui/dialog_window_win32.h"
#include "ui/position_keeper.h"
#include "ui/window_context.h"

class WindowModel;

// Paints the panel from the shared state, off-screen, whenever the system
// or the update handler asks.
class PanelButton {
 public:
  explicit PanelButton(WindowModel& model) : model_(model) {}
  void DrawItem(const DRAWITEMSTRUCT& item);

 private:
  WindowModel& model_;
};

class PreviousQsoWindow : public DialogWindow<PanelView> {
 public:
  explicit PreviousQsoWindow(WindowContext& context);
  ~PreviousQsoWindow() override;
  PreviousQsoWindow(const PreviousQsoWindow&) = delete;
  PreviousQsoWindow& operator=(const PreviousQsoWindow&) = delete;

  // Creates the window hidden; false when it could not.
  bool Create();
  void Show() { ShowWindow(hwnd_, SW_SHOW); }
  void Repaint() override;

 private:
  friend class DialogBase;
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnInitDialog();
  void OnPointerOver() override { position_.Save(*this); }
  void OnSize(int width, int height);

  WindowContext& context_;
  PositionKeeper position_;
  PanelButton button_;
};
