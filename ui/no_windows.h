// NoWindows: a WindowLayer for a plug-in built without its windows: no
// settings window ever exists, so nothing is started, closed or posted.
#pragma once

#include "engine/window_layer.h"

class NoWindows : public WindowLayer {
 public:
  void StartWindowThread() override {}
  void CloseWindows() override {}
  bool SettingsWindowExists() const override { return false; }
  void PostUpdate() override {}
};
