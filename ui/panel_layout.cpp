#include "ui/panel_layout.h"

#include "engine/contest_rules.h"

namespace {

// Idle: the areas still needed on the current band, in rows of 40-pixel
// cells from (5, 15).
void LayoutIdle(const PanelSnapshot& state, const ScreenRect& item, PanelPicture* picture) {
  if (state.currentBand < 0) return;
  picture->transparentText = true;
  int x = 5, y = 15;
  for (const std::string& area : state.missingAreas) {
    picture->texts.push_back({x, y, area});
    x += 40;
    if (x > item.right - 40) {
      x = 5;
      y += 15;
    }
  }
}

}  // namespace

PanelPicture LayoutPanel(const PanelSnapshot& state, const ScreenRect& item) {
  PanelPicture picture;
  if (state.typedCall.empty()) {
    picture.fills.push_back({item, kIdleColour});
    LayoutIdle(state, item, &picture);
    return picture;
  }
  picture.fills.push_back({item, kPanelColour});
  const int h = item.bottom / 7;
  const int b = state.currentBand;
  if (b >= 0) {
    picture.fills.push_back({{0, (b + 1) * h, item.right, (b + 2) * h - 10}, kCurrentBandColour});
  }
  picture.transparentText = true;
  picture.texts.push_back({160, 0, state.typedCall});
  picture.texts.push_back({100, 18, "TIME"});
  picture.texts.push_back({180, 18, "MODE"});
  picture.texts.push_back({260, 18, "Area"});
  static const int kColumns[4] = {20, 100, 180, 270};
  for (int i = 1; i <= 6; ++i) {
    if (static_cast<size_t>(i - 1) >= state.rows.size()) break;
    const std::vector<std::string>& row = state.rows[i - 1];
    for (size_t t = 0; t < 4 && t < row.size(); ++t) {
      // The stored label comes from the band list, whose first entry is
      // "80m" for the 1.8 MHz slot as well; the panel names each row by its
      // slot so the first row does not read as a second 80 m row.
      const std::string& text = t == 0 ? contest::kBandNames[i - 1] : row[t];
      picture.texts.push_back({kColumns[t], i * h, text});
    }
  }
  return picture;
}
