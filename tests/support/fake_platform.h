// TestPlatform: every platform interface of the module as a test stand-in:
// the INI file store, recording message boxes, the scripted header dialog, a
// window layer that records what the engine asked of it, and the folder
// listing of executables. Tests build their own StatsModule on it.
#pragma once

#include <atomic>

#include "engine/settings_store_headless.h"
#include "engine/message_boxes_headless.h"
#include "plugin/stats_module.h"
#include "engine/platform.h"
#include "reports/host_executables_headless.h"
#include "reports/header_dialog_headless.h"

class RecordingWindowLayer : public WindowLayer {
 public:
  void StartWindowThread() override {
    ++starts;
    windowOpen = true;
  }
  void CloseWindows() override {
    ++closes;
    windowOpen = false;
  }
  bool SettingsWindowExists() const override { return windowOpen; }
  void PostUpdate() override {
    if (windowOpen) ++posts;
  }

  std::atomic<int> starts{0}, closes{0}, posts{0};
  std::atomic<bool> windowOpen{false};
};

struct TestPlatform {
  IniFileStore settings;
  RecordingMessageBoxes boxes;
  ScriptedHeaderDialog headerDialog;
  RecordingWindowLayer windows;
  FolderExecutables executables;

  Platform platform() { return Platform{&settings, &boxes, &headerDialog, &windows, &executables}; }
};
