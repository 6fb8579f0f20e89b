#include "ui/position_keeper.h"

PositionKeeper::PositionKeeper(Settings& settings, const WindowPlace& place)
    : settings_(settings), place_(place) {}

void PositionKeeper::Restore(WindowSurface& window) {
  x_ = settings_.Number(place_.keyX);
  y_ = settings_.Number(place_.keyY);
  if (x_ == 0) x_ = place_.defaultX;
  if (y_ == 0) y_ = place_.defaultY;
  window.MoveTo(x_, y_);
}

void PositionKeeper::Save(const WindowSurface& window) {
  const ScreenRect rect = window.WindowRect();
  if (rect.left != x_) {
    x_ = rect.left;
    settings_.PutNumber(place_.keyX, x_);
  }
  if (rect.top != y_) {
    y_ = rect.top;
    settings_.PutNumber(place_.keyY, y_);
  }
}

void PlaceViewWindow(WindowSurface& window, PositionKeeper& keeper, bool on_top) {
  keeper.Restore(window);
  if (on_top) window.MakeTopmost();
}
