#include "plugin/stats_module.h"

#include "engine/bad_qso_log.h"
#include "engine/file_io.h"
#include "engine/text.h"
#include "reports/score_report.h"

namespace {

using bad_qso_log::Reason;

bool IsBrazilianPrefix(std::string_view prefix) {
  return prefix == "PY" || prefix == "PY0S" || prefix == "PY0F" || prefix == "PY0T";
}

}  // namespace

StatsModule::StatsModule(const Platform& platform)
    : platform_(platform), settings_(*platform.settings), band_list_(contest::MakeBandList()) {}

StatsModule::~StatsModule() = default;

void StatsModule::Stop() {
  EndAddRun();
  platform_.windows->CloseWindows();
}

void StatsModule::EndAddRun() {
  bad_qso_out_.Close();
}

void StatsModule::AppendBadQsoLines(const std::string& lines) {
  // The file is opened only when there is something to write; before the
  // first reset there is no file name and the lines are lost.
  if (lines.empty() || bad_qso_file_.empty()) return;
  bad_qso_out_.Append(bad_qso_file_, lines);
}

int StatsModule::AddData(const QsoArgs& qso) {
  QsoVerdict verdict = checker_.Check(qso);
  if (verdict.refusal == Reason::kWrongBand) {
    AppendBadQsoLines(verdict.lines);
    return 0;
  }

  {
    std::lock_guard<std::mutex> guard(tables_lock_);
    bool seen = false;
    for (const std::string& b : bands_seen_) seen = seen || b == qso.band;
    if (!seen) bands_seen_.push_back(std::string(qso.band));

    if (verdict.stored()) {
      // The store flags a duplicate itself; one index lookup gives the count.
      const int earlier = store_.Append(verdict.record);
      if (earlier > 0) verdict.lines += checker_.DupeLines(qso, earlier);
    }
  }
  AppendBadQsoLines(verdict.lines);
  return verdict.stored() ? 1 : 0;
}

void StatsModule::RewriteBadQsoFile(std::string_view call, const std::string& time_key) {
  // A held file would be left writing to the replaced copy.
  bad_qso_out_.Close();
  if (bad_qso_file_.empty()) return;
  std::string content;
  // A file that exists but cannot be read is left alone rather than
  // replaced by a header-only file; so is a link at its name, whose target
  // is not ours to copy.
  if (file_io::ReadAllNotFollowing(bad_qso_file_, &content) == file_io::ReadResult::kFailed) {
    return;
  }
  file_io::ReplaceContents(bad_qso_file_, bad_qso_log::WithoutLinesOf(content, call, time_key));
}

int StatsModule::RemoveData(const QsoArgs& qso) {
  {
    std::lock_guard<std::mutex> guard(tables_lock_);
    store_.RemoveFirst(qso.call, qso.band, qso.mode, qso.qsoTime);
    if (store_.empty()) {
      bands_seen_.clear();
      tables_.ClearResults();
    }
  }
  RewriteBadQsoFile(qso.call, " " + qso.qsoTime.Format("%H%M") + " ");
  update_ready_.store(1);
  platform_.windows->PostUpdate();
  return 1;
}

int StatsModule::ResetStats(int export_flag, std::string_view own_call,
                            const COleDateTime& period_start, const COleDateTime& period_end) {
  {
    std::lock_guard<std::mutex> guard(tables_lock_);
    period_start_ = period_start.Format("%d.%m");
    contest_year_ = period_start.Format("%Y");
    period_end_ = period_end.Format("%d.%m.%Y");
    store_.Clear();
    bands_seen_.clear();
    tables_.ResetPreviousQsoRows(band_list_);
  }
  cabrillo_export_flag_ = export_flag;
  contestant_ = std::string(own_call);

  if (export_flag != 0) {
    export_confirmed_ = cabrillo_.PrepareHeader(contestant_, period_start, period_end, settings_,
                                                *platform_.headerDialog) != 0;
    settings_.Put("Start", "1");
  }
  if (settings_.Number("Start") != 0) {
    settings_.Put("Start", "0");
  } else if (!platform_.windows->SettingsWindowExists()) {
    platform_.windows->StartWindowThread();
    settings_.Put("Start", "1");
  }

  bad_qso_out_.Close();
  bad_qso_file_ = bad_qso_log::FileNameFor(period_end);
  file_io::ReplaceContents(bad_qso_file_, std::string(bad_qso_log::kHeader) + "\r\n");
  return 1;
}

int StatsModule::CheckCall(const CallCheckArgs& args) {
  // Test-and-clear in one step: the window thread sets the flag again when
  // its update handler ends, so at most one update is ever waiting.
  if (platform_.windows->SettingsWindowExists() && update_ready_.exchange(0) != 0) {
    platform_.windows->PostUpdate();
  }
  if (args.band != nullptr && args.otherBand != nullptr &&
      !text::EqualsNoCase(args.band, args.otherBand)) {
    return kVerdictNotForContest;
  }
  const std::string_view band = text::FromHost(args.band);
  if (!band_list_.Contains(band)) return kVerdictNotForContest;

  std::lock_guard<std::mutex> guard(tables_lock_);
  if (store_.CountSame(args.call, band, args.mode) > 0) return kVerdictDupe;
  if (!IsBrazilianPrefix(args.dxPrefix)) return kVerdictNew;
  return store_.HasArea(band, args.area) ? kVerdictAreaWorked : kVerdictNew;
}

const char* StatsModule::RunCommand(std::string_view command) {
  if (command == "SHOWINFO") {
    platform_.windows->StartWindowThread();
  } else if (command == "HIDEINFO") {
    platform_.windows->CloseWindows();
  }
  return command_reply_.c_str();
}

const char* StatsModule::GetResult(int* out) {
  ReportTitle title{period_start_, period_end_, contestant_};
  std::string bad_qso_content;
  file_io::ReadAllNotFollowing(bad_qso_file_, &bad_qso_content);
  const int bad_qso = bad_qso_log::CountRejections(bad_qso_content);

  ScoreSheet sheet;
  {
    std::lock_guard<std::mutex> guard(tables_lock_);
    SortBandsSeen(&bands_seen_);
    sheet = ComputeScore(store_, bands_seen_, &tables_);
  }
  report_text_ = html_flag_ != 0 ? RenderHtmlReport(sheet, title, bad_qso)
                                 : RenderTextReport(sheet, title, bad_qso);
  claimed_score_ = sheet.claimed;
  settings_.Put("Claimed", text::Format("%i", claimed_score_));

  if (cabrillo_export_flag_ != 0 && export_confirmed_) {
    for (const QsoRecord& qso : store_.records()) {
      cabrillo_.AddQsoLine(std::string(qso.call), qso.freqKhz,
                           CabrilloModeCode(std::string(qso.mode)), qso.time,
                           std::string(qso.rstSent), std::string(qso.exchSent),
                           std::string(qso.rstRcvd), std::string(qso.exchRcvd));
    }
    const std::string message = cabrillo_.WriteLog(claimed_score_, *platform_.executables);
    platform_.boxes->Show(message, "Output", MessageBoxes::kIconInformation, true);
    if (out != nullptr) *out = -1;
  }
  return report_text_.c_str();
}

int StatsModule::IsValidExchg(std::string_view exchange) const {
  if (exchange == "599") return 0;
  if (exchange == "YL" || exchange == "LB" || exchange == "QRP") return 1;
  return exchange.size() == 2 && contest::IsAreaCode(exchange) ? 1 : 0;
}

void StatsModule::SetupSet() {
  platform_.boxes->Show("No additional setup for this contest", nullptr, 0, false);
}

unsigned long StatsModule::SetVersion() {
  html_flag_ = 1;
  return 0;
}

std::string StatsModule::ContestYear() {
  std::lock_guard<std::mutex> guard(tables_lock_);
  return contest_year_;
}

void StatsModule::SetTypedCall(const std::string& call) {
  std::lock_guard<std::mutex> guard(tables_lock_);
  display_.typedCall = call;
}

void StatsModule::ShowPreviousQsos(const std::string& call) {
  static constexpr const char* kDash = "   -";
  static constexpr const char* kAreaDash = " -";
  std::lock_guard<std::mutex> guard(tables_lock_);
  auto& rows = tables_.previousQsoRows;
  for (auto& row : rows) {
    if (row.size() < 5) row.resize(5);
    row[1] = kDash;
    row[2] = kDash;
    row[3] = kAreaDash;
  }
  if (call.empty()) return;
  // The last QSO in store order wins on each band.
  for (const QsoRecord& qso : store_.records()) {
    if (qso.call != call) continue;
    for (int k = 0; k < contest::kBandSlots; ++k) {
      if (qso.band != contest::kBandNames[k]) continue;
      rows[k][1] = qso.time.Format("%H:%M");
      rows[k][2] = qso.mode;
      rows[k][3] = qso.area;
    }
  }
}

std::vector<std::string> StatsModule::ShowBand(int band) {
  std::lock_guard<std::mutex> guard(tables_lock_);
  display_.currentBand = band;
  return tables_.workedAreas[band];
}

PanelSnapshot StatsModule::PanelState() {
  PanelSnapshot state;
  std::lock_guard<std::mutex> guard(tables_lock_);
  state.typedCall = display_.typedCall;
  state.currentBand = display_.currentBand;
  state.rows.assign(tables_.previousQsoRows.begin(), tables_.previousQsoRows.end());
  if (state.currentBand >= 0 && state.currentBand < contest::kBandSlots) {
    state.missingAreas = tables_.infoLists[state.currentBand];
  }
  return state;
}
