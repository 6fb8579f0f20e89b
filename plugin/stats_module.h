// StatsModule: all module-wide state of the plug-in and the work behind every
// exported function. One instance lives from library load to unload (tests
// make their own); the exported shims in exports.cpp only convert arguments
// and call it.
//
// Threads: the exported functions run on the host's thread and do not
// overlap. The window thread reads the QSO store, the bands-seen list, the
// per-band tables and the display state while holding tablesLock(); every
// change to them here happens under the same lock. The update-ready flag is
// atomic. File work happens outside the lock.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/bad_qso_log.h"
#include "engine/band_tables.h"
#include "engine/contest_rules.h"
#include "engine/file_io_append.h"
#include "engine/ole_date.h"
#include "engine/platform.h"
#include "engine/qso_check.h"
#include "engine/qso_store.h"
#include "engine/settings.h"
#include "reports/cabrillo_export.h"
#include "reports/host_version.h"
#include "ui/window_model.h"

// What the platform gives the module. Not owned; must outlive the module.
struct Platform {
  SettingsStore* settings = nullptr;
  MessageBoxes* boxes = nullptr;
  HeaderDialog* headerDialog = nullptr;
  WindowLayer* windows = nullptr;
  HostExecutables* executables = nullptr;
};

struct CallCheckArgs {
  std::string_view call, mode, dxPrefix, area;
  const char* band = nullptr;  // null texts matter for the band comparison
  const char* otherBand = nullptr;
};

enum CallVerdict {
  kVerdictDupe = 0,
  kVerdictAreaWorked = 1,
  kVerdictNew = 2,
  kVerdictNotForContest = 4
};

// What the window thread reads, copied under the lock.
struct DisplayState {
  std::string typedCall;
  int currentBand = contest::kNoBand;
};

class StatsModule : public WindowModel {
 public:
  static constexpr const char* kSetName = "TZQ (C)";

  explicit StatsModule(const Platform& platform);
  ~StatsModule() override;
  StatsModule(const StatsModule&) = delete;
  StatsModule& operator=(const StatsModule&) = delete;

  // The exported functions.
  int AddData(const QsoArgs& qso);
  int RemoveData(const QsoArgs& qso);
  int ResetStats(int export_flag, std::string_view own_call, const COleDateTime& period_start,
                 const COleDateTime& period_end);
  int CheckCall(const CallCheckArgs& args);
  const char* RunCommand(std::string_view command);
  const char* GetResult(int* out);
  int IsValidExchg(std::string_view exchange) const;
  void SetupSet();
  unsigned long SetVersion();

  // The stop hook at unload: closes the windows before the state goes.
  void Stop();

  // While the host calls AddData again and again (rebuilding its log), the
  // bad-QSO file stays open between calls. Every other exported function
  // calls this first, so a host that does anything else between two adds
  // finds the file closed, as it would with no run going on.
  void EndAddRun();

  // What the windows read and set (window thread; each takes the lock).
  Settings& settings() override { return settings_; }
  void MarkUpdateReady() override { update_ready_.store(1); }
  std::string ContestYear() override;
  void SetTypedCall(const std::string& call) override;
  void ShowPreviousQsos(const std::string& call) override;
  std::vector<std::string> ShowBand(int band) override;
  PanelSnapshot PanelState() override;

  // The shared state itself, for tests that look behind the windows.
  std::mutex& tablesLock() { return tables_lock_; }
  const QsoStore& store() const { return store_; }
  BandTables& bandTables() { return tables_; }
  DisplayState& display() { return display_; }
  const std::string& contestYear() const { return contest_year_; }
  std::atomic<int>& updateReady() { return update_ready_; }
  const Platform& platform() const { return platform_; }

  // Read-only views for tests and tools (host thread only).
  const std::vector<std::string>& bandsSeen() const { return bands_seen_; }
  const std::string& badQsoFileName() const { return bad_qso_file_; }
  int htmlFlag() const { return html_flag_; }
  int cabrilloExportFlag() const { return cabrillo_export_flag_; }
  int claimedScore() const { return claimed_score_; }
  const CCabrilloExport& cabrillo() const { return cabrillo_; }
  const std::string& periodStartText() const { return period_start_; }
  const std::string& periodEndText() const { return period_end_; }

 private:
  void AppendBadQsoLines(const std::string& lines);
  void RewriteBadQsoFile(std::string_view call, const std::string& time_key);

  Platform platform_;
  Settings settings_;
  // Creation order of the module-wide objects at load.
  const QsoChecker checker_;
  CaseInsensitiveSet band_list_;
  CCabrilloExport cabrillo_;
  std::string command_reply_;
  std::vector<std::string> bands_seen_;
  std::string period_start_, period_end_, contest_year_, bad_qso_file_;
  // A file an add has to create starts with the header a reset writes.
  file_io::AppendFile bad_qso_out_{std::string(bad_qso_log::kHeader) + "\r\n"};
  BandTables tables_;
  std::string report_text_;
  QsoStore store_;
  DisplayState display_;

  std::mutex tables_lock_;
  std::atomic<int> update_ready_{1};
  int html_flag_ = 0;
  int cabrillo_export_flag_ = 0;
  // A cancelled header dialog cancels the export of that reset.
  bool export_confirmed_ = false;
  int claimed_score_ = 0;
  std::string contestant_;
};
