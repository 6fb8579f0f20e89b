// Setup_TZQ: the settings window (dialog 111), run modally on the window
// thread. Messages go to SetupLogic; this class only adds what needs a
// screen: the dialog itself, its colours and icon, and the two view windows
// it creates.
#pragma once

#include <windows.h>

#include "host/host_link.h"
#include "ui/dialog_window_win32.h"
#include "ui/setup_logic.h"
#include "ui/window_context.h"
#include "ui/window_session_win32.h"

class Setup_TZQ : public DialogWindow<SetupSurface> {
 public:
  Setup_TZQ(WindowContext& context, HostLink& host, Win32Session& session);
  ~Setup_TZQ() override;
  Setup_TZQ(const Setup_TZQ&) = delete;
  Setup_TZQ& operator=(const Setup_TZQ&) = delete;

  // Runs the modal loop until the window is closed.
  void RunModal();

  void PushFlags(const SetupFlags& flags) override;
  void PostUpdate() override;
  std::unique_ptr<AreaGridView> OpenAreaGrid() override;
  std::unique_ptr<PanelView> OpenPanel() override;

 private:
  friend class DialogWindow;
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnInitDialog();
  void OnClose();

  WindowContext& context_;
  Win32Session& session_;
  SetupLogic logic_;
  HBRUSH brush_ = nullptr;
};
