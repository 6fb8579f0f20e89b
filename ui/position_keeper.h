// PositionKeeper: where one window sits between runs. Each window reads its
// two keys when it opens and writes an axis back whenever the pointer finds
// the window moved on it, so the settings file always holds the last place
// the user left it.
#pragma once

#include "engine/settings.h"
#include "ui/window_surfaces.h"

// Where a window's place is kept in the settings file, and where it opens
// while nothing is kept. The keys are those of earlier versions' files.
struct WindowPlace {
  const char* keyX;
  const char* keyY;
  int defaultX, defaultY;
};
inline constexpr WindowPlace kSettingsWindowPlace{"area_x", "area_y", 10, 200};
inline constexpr WindowPlace kAreaGridPlace{"oblast_x", "oblast_y", 10, 400};
inline constexpr WindowPlace kPreviousQsoPlace{"dxcc_x", "dxcc_y", 10, 400};

class PositionKeeper {
 public:
  PositionKeeper(Settings& settings, const WindowPlace& place);

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
  const WindowPlace& place_;
  int x_ = 0, y_ = 0;
};

// Opens a view window where it was last left, topmost when the on-top flag
// asks for it.
void PlaceViewWindow(WindowSurface& window, PositionKeeper& keeper, bool on_top);
