// The previous-QSO panel as a list of fills and texts, worked out from a
// copy of the shared state so that drawing never holds the module's lock and
// the layout can be checked without a screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/window_surfaces.h"

struct PanelSnapshot {
  std::string typedCall;
  int currentBand = -1;
  // The six previous-QSO rows by band index: label, time, mode, area, (unused).
  std::vector<std::vector<std::string>> rows;
  // The areas still missing on the current band, for the idle view.
  std::vector<std::string> missingAreas;
};

inline constexpr uint32_t Rgb(int r, int g, int b) {
  return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}
inline constexpr uint32_t kIdleColour = Rgb(255, 250, 198);
inline constexpr uint32_t kPanelColour = Rgb(255, 255, 198);
inline constexpr uint32_t kCurrentBandColour = Rgb(198, 255, 255);

struct PanelFill {
  ScreenRect rect;
  uint32_t colour;  // as a Win32 COLORREF
};

struct PanelText {
  int x, y;
  std::string text;
};

// Fills first, in order; then, when transparentText is set, the texts in the
// surface's default font and colour without a background.
struct PanelPicture {
  std::vector<PanelFill> fills;
  bool transparentText = false;
  std::vector<PanelText> texts;
};

// The panel for the button's item rectangle `item` (client pixels).
PanelPicture LayoutPanel(const PanelSnapshot& state, const ScreenRect& item);
