#include "ui/position_keeper.h"

#include <utility>

PositionKeeper::PositionKeeper(Settings& settings, std::string key_x, std::string key_y,
                               int default_x, int default_y)
    : settings_(settings),
      key_x_(std::move(key_x)),
      key_y_(std::move(key_y)),
      default_x_(default_x),
      default_y_(default_y) {}

void PositionKeeper::Restore(WindowSurface& window) {
  x_ = settings_.Number(key_x_);
  y_ = settings_.Number(key_y_);
  if (x_ == 0) x_ = default_x_;
  if (y_ == 0) y_ = default_y_;
  window.MoveTo(x_, y_);
}

void PositionKeeper::Save(const WindowSurface& window) {
  const ScreenRect rect = window.WindowRect();
  if (rect.left != x_) {
    x_ = rect.left;
    settings_.PutNumber(key_x_, x_);
  }
  if (rect.top != y_) {
    y_ = rect.top;
    settings_.PutNumber(key_y_, y_);
  }
}

void PlaceViewWindow(WindowSurface& window, PositionKeeper& keeper, bool on_top) {
  keeper.Restore(window);
  if (on_top) window.MakeTopmost();
}
