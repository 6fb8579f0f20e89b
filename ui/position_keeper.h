// PositionKeeper: where one window sits between runs. Each window reads its
// two keys when it opens and writes an axis back whenever the pointer finds
// the window moved on it, so the settings file always holds the last place
// the user left it.
#pragma once

#include <string>

#include "engine/settings.h"
#include "ui/window_surfaces.h"

class PositionKeeper {
 public:
  PositionKeeper(Settings& settings, std::string key_x, std::string key_y, int default_x,
                 int default_y);

  // Reads the keys (0 on an axis means unset: its default) and moves the
  // window there; the place becomes the last saved one.
  void Restore(WindowSurface& window);
  // The pointer is over the window: writes each axis that differs from the
  // last saved position.
  void Save(const WindowSurface& window);

  int savedX() const { return x_; }
  int savedY() const { return y_; }

 private:
  Settings& settings_;
  std::string key_x_, key_y_;
  int default_x_, default_y_;
  int x_ = 0, y_ = 0;
};

// Opens a view window where it was last left, topmost when the on-top flag
// asks for it.
void PlaceViewWindow(WindowSurface& window, PositionKeeper& keeper, bool on_top);
