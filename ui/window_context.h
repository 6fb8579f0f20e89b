// WindowContext: what the windows share with the rest of the module, and the
// module-wide state that belongs to the windows themselves and outlives any
// one settings window.
#pragma once

#include <atomic>

class WindowModel;

struct WindowContext {
  explicit WindowContext(WindowModel* m = nullptr) : model(m) {}

  WindowModel* model;
  // New view windows are made topmost. Kept for the module's life, never
  // read from the settings file.
  std::atomic<bool> onTop{false};
  // The frequency at which "<SP1>" was last sent. Window thread only.
  double lastReportedHz = 0.0;
};
