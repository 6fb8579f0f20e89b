// WindowModel: what the plug-in's windows read from and set in the module's
// state. The module implements it; the windows see neither the module, nor
// its lock, nor its tables. Called on the window thread; each call takes the
// module's lock itself for as long as it needs it and returns copies, so no
// lock is ever held across a host call or a drawing.
#pragma once

#include <string>
#include <vector>

#include "engine/settings.h"
#include "ui/panel_layout.h"

class WindowModel {
 public:
  virtual ~WindowModel() = default;

  // The plug-in's settings file (safe from any thread).
  virtual Settings& settings() = 0;
  // The host's call checks may post the update message again.
  virtual void MarkUpdateReady() = 0;
  // The year of the contest period, for the window titles.
  virtual std::string ContestYear() = 0;
  // The callsign the operator is typing, as the panel shows it.
  virtual void SetTypedCall(const std::string& call) = 0;
  // Fills each band's previous-QSO row with the last QSO with `call` on that
  // band (time, mode, area), or dashes where there is none.
  virtual void ShowPreviousQsos(const std::string& call) = 0;
  // Makes `band` (a band slot) the current one and answers the areas
  // worked on it.
  virtual std::vector<std::string> ShowBand(int band) = 0;
  // What the previous-QSO panel draws.
  virtual PanelSnapshot PanelState() = 0;
};
