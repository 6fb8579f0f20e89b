#include "ui/settings_window_logic.h"

#include <cmath>

#include "engine/contest_rules.h"
#include "resources/resource.h"
#include "ui/area_marks.h"
#include "ui/window_model.h"

namespace {

struct ModeRow {
  Mode mode;
  int control;
  const char* key;
  bool SettingsFlags::*flag;
  const char* macros[2];
};

// In command order; the macros go to the host one call each.
const ModeRow kModes[4] = {
    {Mode::kBpsk63,
     IDC_SETUP_BPSK63,
     "setup_mode_bpsk63",
     &SettingsFlags::bpsk63,
     {"<MODE:BPSK31>", "<BAUDRATE:63>"}},
    {Mode::kBpsk125,
     IDC_SETUP_BPSK125,
     "setup_mode_bpsk125",
     &SettingsFlags::bpsk125,
     {"<MODE:BPSK31>", "<BAUDRATE:125>"}},
    {Mode::kBpsk31,
     IDC_SETUP_BPSK31,
     "setup_mode_bpsk31",
     &SettingsFlags::bpsk31,
     {"<MODE:BPSK31>", nullptr}},
    {Mode::kRtty,
     IDC_SETUP_RTTY,
     "setup_mode_rtty",
     &SettingsFlags::rtty,
     {"<MODE:RTTY>", "<BAUDRATE:45.45>"}},
};

const ModeRow& RowOf(Mode mode) {
  return kModes[static_cast<int>(mode)];
}

}  // namespace

const SettingsBox kSettingsBoxes[7] = {
    {IDC_SETUP_BPSK63, &SettingsFlags::bpsk63},
    {IDC_SETUP_BPSK125, &SettingsFlags::bpsk125},
    {IDC_SETUP_VIEW_AREA, &SettingsFlags::viewArea},
    {IDC_SETUP_VIEW_CALL, &SettingsFlags::viewCall},
    {IDC_SETUP_BPSK31, &SettingsFlags::bpsk31},
    {IDC_SETUP_RTTY, &SettingsFlags::rtty},
    {IDC_SETUP_ON_TOP, &SettingsFlags::onTop},
};

namespace {

struct ViewRow {
  const char* key;
  bool SettingsFlags::*flag;
};

// In View order: the area grid first, as the update reopens them.
const ViewRow kViews[2] = {
    {"setup_view_area", &SettingsFlags::viewArea},
    {"setup_view_call", &SettingsFlags::viewCall},
};

const ViewRow& RowOf(View view) {
  return kViews[static_cast<int>(view)];
}

constexpr const char* kOnTopKey = "setup_window_on_top";
// The host is told to re-sync its display once the dial moves this far.
constexpr double kRetuneHz = 300.0;

// The band slot of a frequency in hertz, or none: whole megahertz, cut
// toward zero.
int BandOfFrequency(double hertz) {
  if (!std::isfinite(hertz) || std::fabs(hertz) >= 1e15) return contest::kNoBand;
  return contest::BandIndexOfMhz(static_cast<long>(std::trunc(hertz / 1000000.0)));
}

}  // namespace

SettingsWindowLogic::SettingsWindowLogic(WindowContext& context, HostLink& host,
                                         SettingsSurface& surface)
    : context_(context),
      model_(*context.model),
      host_(host),
      surface_(surface),
      position_(model_.settings(), kSettingsWindowPlace) {}

SettingsWindowLogic::~SettingsWindowLogic() {
  CloseViews();
}

std::string SettingsWindowLogic::ContestYear() const {
  return model_.ContestYear();
}

void SettingsWindowLogic::Initialise() {
  Settings& settings = model_.settings();
  for (const ModeRow& row : kModes) flags_.*row.flag = settings.Number(row.key) != 0;
  for (const ViewRow& row : kViews) flags_.*row.flag = settings.Number(row.key) != 0;
  // Every new window starts with "Window on top" clear, whatever the
  // module-wide flag says.
  flags_.onTop = false;
  surface_.PushFlags(flags_);

  position_.Restore(surface_);
  // The settings window is always on top; the on-top box is for the views.
  surface_.MakeTopmost();
  surface_.SetTitle("Setup TZQ-" + ContestYear());

  host_.Attach();
  band_names_.assign(contest::kBandNames, contest::kBandNames + contest::kBandSlots);

  const ModeRow* stored = nullptr;
  for (const ModeRow& row : kModes) {
    if (flags_.*row.flag) {
      stored = &row;
      break;
    }
  }
  if (stored != nullptr) {
    SendMacros(stored->mode);
  } else {
    const ModeRow& fallback = RowOf(Mode::kBpsk63);
    SendMacros(fallback.mode);
    settings.PutFlag(fallback.key, true);
    flags_.*fallback.flag = true;
    surface_.PushFlags(flags_);
  }
  surface_.PostUpdate();
}

void SettingsWindowLogic::SendMacros(Mode mode) {
  if (!host_.attached()) return;
  for (const char* macro : RowOf(mode).macros) {
    if (macro != nullptr && !host_.RunMacro(macro)) return;
  }
}

void SettingsWindowLogic::OnClicked(int control) {
  for (const ModeRow& row : kModes) {
    if (row.control == control) return ClickMode(row.mode);
  }
  switch (control) {
    case IDC_SETUP_VIEW_AREA:
      return ToggleView(View::kAreaGrid);
    case IDC_SETUP_VIEW_CALL:
      return ToggleView(View::kPanel);
    case IDC_SETUP_ON_TOP:
      return ToggleOnTop();
    default:
      return;
  }
}

void SettingsWindowLogic::ClickMode(Mode mode) {
  Settings& settings = model_.settings();
  const ModeRow& own = RowOf(mode);
  // The stored mode, not the box, decides whether this is a change: a mode
  // cannot be cleared by clicking it again.
  flags_.*own.flag = settings.Number(own.key) != 0;
  if (flags_.*own.flag) {
    surface_.PushFlags(flags_);
    SendMacros(mode);
    return;
  }
  for (const ModeRow& row : kModes) flags_.*row.flag = row.mode == mode;
  surface_.PushFlags(flags_);
  settings.PutFlag(own.key, true);
  settings.Put("Mode", "1");
  for (const ModeRow& row : kModes) {
    if (row.mode != mode) settings.PutFlag(row.key, false);
  }
  SendMacros(mode);
}

bool SettingsWindowLogic::IsOpen(View view) const {
  return view == View::kAreaGrid ? area_grid_ != nullptr : panel_ != nullptr;
}

void SettingsWindowLogic::Open(View view) {
  if (view == View::kAreaGrid) {
    area_grid_ = surface_.OpenAreaGrid();
  } else {
    panel_ = surface_.OpenPanel();
  }
}

void SettingsWindowLogic::Close(View view) {
  if (view == View::kAreaGrid) {
    area_grid_.reset();
  } else {
    panel_.reset();
  }
}

void SettingsWindowLogic::ToggleView(View view) {
  const ViewRow& row = RowOf(view);
  const bool open = !IsOpen(view);
  if (open) {
    Open(view);
  } else {
    Close(view);
  }
  flags_.*row.flag = open;
  if (open) surface_.PostUpdate();
  model_.settings().PutFlag(row.key, open);
}

void SettingsWindowLogic::ToggleOnTop() {
  flags_.onTop = !flags_.onTop;
  context_.onTop.store(flags_.onTop);
  model_.settings().PutFlag(kOnTopKey, flags_.onTop);
  // The views take the new state when they are made again: the update
  // handler reopens those whose boxes are set.
  area_grid_.reset();
  panel_.reset();
  surface_.PushFlags(flags_);
  surface_.PostUpdate();
}

void SettingsWindowLogic::CloseViews() {
  panel_.reset();
  area_grid_.reset();
}

void SettingsWindowLogic::HandleUpdate() {
  // However the update ends (done, cut short, or an exception on its way
  // to the window procedure's guard), the next call check may post again.
  struct ReadyAgain {
    WindowModel& model;
    ~ReadyAgain() { model.MarkUpdateReady(); }
  } ready_again{model_};
  RunUpdate();
}

bool SettingsWindowLogic::RunUpdate() {
  if (!host_.attached()) return false;
  for (View view : {View::kAreaGrid, View::kPanel}) {
    const ViewRow& row = RowOf(view);
    if (flags_.*row.flag && !IsOpen(view)) {
      Open(view);
      model_.settings().PutFlag(row.key, true);
    }
  }

  model_.SetTypedCall(std::string());
  // No lock is held across a host call: the host's thread may need the
  // lock before it can serve the call.
  std::string call;
  if (!host_.TypedCall(&call)) return false;
  model_.SetTypedCall(call);
  const std::string year = model_.ContestYear();
  // One or two characters: the operator is still typing.
  if (call.size() == 1 || call.size() == 2) return false;
  model_.ShowPreviousQsos(call);
  const std::string title =
      call.empty() ? "TZQ-" + year + " Previous QSO" : "TZQ-" + year + " worked with " + call;
  if (panel_) panel_->SetTitle(title);

  double hertz = 0.0;
  if (!host_.Frequency(&hertz)) return false;
  if (std::fabs(hertz - context_.lastReportedHz) > kRetuneHz) {
    if (!host_.RunMacro("<SP1>")) return false;
    context_.lastReportedHz = hertz;
  }
  const int band = BandOfFrequency(hertz);
  if (band == contest::kNoBand) return false;

  const std::vector<std::string> worked = model_.ShowBand(band);
  if (area_grid_) {
    area_grid_->SetTitle("TZQ-" + year + " Area on " + band_names_[band]);
    area_grid_->ShowMarks(MarksFor(worked));
  }
  if (panel_) panel_->Repaint();
  return true;
}
