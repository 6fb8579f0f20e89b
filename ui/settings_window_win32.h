// SettingsWindow: the settings window (dialog 111), run modally on the window
// thread. Messages go to SettingsWindowLogic; this class only adds what needs a
// screen: the dialog itself, its colours and icon, and the two view windows
// it creates.
#pragma once

#include <windows.h>

#include "engine/platform.h"
#include "ui/dialog_window_win32.h"
#include "ui/settings_window_logic.h"
#include "ui/window_context.h"
#include "ui/window_session_win32.h"

class SettingsWindow : public DialogWindow<SettingsSurface> {
 public:
  SettingsWindow(WindowContext& context, HostLink& host, Win32Session& session);
  ~SettingsWindow() override;
  SettingsWindow(const SettingsWindow&) = delete;
  SettingsWindow& operator=(const SettingsWindow&) = delete;

  // Runs the modal loop until the window is closed.
  void RunModal();

  void PushFlags(const SettingsFlags& flags) override;
  void PostUpdate() override;
  std::unique_ptr<AreaGridView> OpenAreaGrid() override;
  std::unique_ptr<PanelView> OpenPanel() override;

 private:
  friend class DialogBase;
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnInitDialog();
  void OnClose();
  void OnPointerOver() override { logic_.SavePosition(); }

  WindowContext& context_;
  Win32Session& session_;
  SettingsWindowLogic logic_;
};
