// SettingsWindowLogic: what the settings window does, apart from drawing it. The
// Win32 dialog SettingsWindow and the headless stand-in both forward their
// messages here: initialisation, the mode and view check boxes, the on-top
// box, position saving and the update message. It owns the two view
// windows it opens. Window thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/platform.h"
#include "ui/position_keeper.h"
#include "ui/window_context.h"
#include "ui/window_surfaces.h"

// The update message that the host's thread posts to the settings window.
inline constexpr unsigned kUpdateMessage = 0x400 + 500;  // WM_USER + 500

// In the order in which a stored mode is commanded when several are set.
enum class Mode { kBpsk63, kBpsk125, kBpsk31, kRtty };

// The settings window's check boxes, each with the flag it shows.
struct SettingsBox {
  int control;
  bool SettingsFlags::*flag;
};
extern const SettingsBox kSettingsBoxes[7];

// The two view windows the settings window opens and closes.
enum class View { kAreaGrid, kPanel };

class SettingsWindowLogic {
 public:
  SettingsWindowLogic(WindowContext& context, HostLink& host, SettingsSurface& surface);
  ~SettingsWindowLogic();
  SettingsWindowLogic(const SettingsWindowLogic&) = delete;
  SettingsWindowLogic& operator=(const SettingsWindowLogic&) = delete;

  // Once the window exists: position, boxes from the settings file, host
  // link, stored mode commanded, first update posted.
  void Initialise();
  // A check box of the window was clicked and has already changed itself.
  void OnClicked(int control);
  void ClickMode(Mode mode);
  // Opens the view when it is closed, closes it when it is open, and keeps
  // its box and its settings key in step.
  void ToggleView(View view);
  void ToggleOnTop();
  // The pointer moves over the window.
  void SavePosition() { position_.Save(surface_); }
  // The update message: reads the host, fills the previous-QSO rows and
  // refreshes the view windows. Always ends by setting the update-ready
  // flag, so the host's call checks go on posting.
  void HandleUpdate();
  // Closes the previous-QSO window, then the area grid, when open.
  void CloseViews();

  const SettingsFlags& flags() const { return flags_; }
  AreaGridView* areaGrid() const { return area_grid_.get(); }
  PanelView* panel() const { return panel_.get(); }

 private:
  // The update's steps; false where one ends it early.
  bool RunUpdate();
  // Sends the mode's macros, stopping at the first that fails.
  void SendMacros(Mode mode);
  bool IsOpen(View view) const;
  void Open(View view);
  void Close(View view);
  std::string ContestYear() const;

  WindowContext& context_;
  WindowModel& model_;
  HostLink& host_;
  SettingsSurface& surface_;
  PositionKeeper position_;
  SettingsFlags flags_;
  std::vector<std::string> band_names_;
  std::unique_ptr<AreaGridView> area_grid_;
  std::unique_ptr<PanelView> panel_;
};
