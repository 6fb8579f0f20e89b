// SetupLogic: what the settings window does, apart from drawing it. The
// Win32 dialog Setup_TZQ and the headless stand-in both forward their
// messages here: initialisation, the mode and view check boxes, the on-top
// box, position saving and the update message. It owns the two view
// windows it opens. Window thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/host_link.h"
#include "ui/position_keeper.h"
#include "ui/window_context.h"
#include "ui/window_surfaces.h"

// The update message that the host's thread posts to the settings window.
inline constexpr unsigned kUpdateMessage = 0x400 + 500;  // WM_USER + 500

// In the order in which a stored mode is commanded when several are set.
enum class Mode { kBpsk63, kBpsk125, kBpsk31, kRtty };

class SetupLogic {
 public:
  SetupLogic(WindowContext& context, HostLink& host, SetupSurface& surface);
  ~SetupLogic();
  SetupLogic(const SetupLogic&) = delete;
  SetupLogic& operator=(const SetupLogic&) = delete;

  // Once the window exists: position, boxes from the settings file, host
  // link, stored mode commanded, first update posted.
  void Initialise();
  // A check box of the window was clicked and has already changed itself.
  void OnClicked(int control);
  void ClickMode(Mode mode);
  void ToggleAreaView();
  void ToggleCallView();
  void ToggleOnTop();
  // The pointer moves over the window.
  void SavePosition() { position_.Save(surface_); }
  // The update message: reads the host, fills the previous-QSO rows and
  // refreshes the view windows. Always ends by setting the update-ready
  // flag, so the host's call checks go on posting.
  void HandleUpdate();
  // Closes the previous-QSO window, then the area grid, when open.
  void CloseViews();

  const SetupFlags& flags() const { return flags_; }
  AreaGridView* areaGrid() const { return area_grid_.get(); }
  PanelView* panel() const { return panel_.get(); }

 private:
  // The update's steps; false where one ends it early.
  bool RunUpdate();
  // Sends the mode's macros, stopping at the first that fails.
  void SendMacros(Mode mode);
  void OpenAreaGrid();
  void OpenPanel();
  std::string ContestYear() const;

  WindowContext& context_;
  StatsModule& module_;
  HostLink& host_;
  SetupSurface& surface_;
  PositionKeeper position_;
  SetupFlags flags_;
  std::vector<std::string> band_names_;
  std::unique_ptr<AreaGridView> area_grid_;
  std::unique_ptr<PanelView> panel_;
};
