#include "tools/replay/replay_session.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <unordered_map>

#include "engine/bad_qso_log.h"
#include "engine/file_io.h"
#include "engine/ole_date.h"
#include "engine/settings_store_headless.h"
#include "engine/text.h"
#include "reports/cabrillo_file_name.h"
#include "tools/plugin_loader/host_calls.h"
#include "tools/replay/replay_platform.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kHostName = "tzq-replay";
constexpr const char* kSettingsFile = "Plugins\\TZQ.ini";

HostDate DateOf(int64_t stamp) {
  const int date = static_cast<int>(stamp / 1000000), time = static_cast<int>(stamp % 1000000);
  return HostDate{COleDateTime::FromCalendar(date / 10000, date / 100 % 100, date % 100,
                                             time / 10000, time / 100 % 100, time % 100)
                      .days(),
                  0, 0};
}

// Makes a folder the working folder for its lifetime: the plug-in names its
// files without a folder.
class WorkingFolder {
 public:
  explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~WorkingFolder() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
  }

 private:
  fs::path previous_;
};

// The file's size now; 0 when it is missing. A stat per QSO is cheap next
// to reading what each call appended, which is read once at the end.
uintmax_t SizeOf(const std::string& name) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(name, ec);
  return ec ? 0 : size;
}

// An earlier run's file of the same name must go before this run, or a file
// the plug-in failed to write would pass for this run's.
void RemoveEarlier(const std::string& name) {
  std::error_code ec;
  fs::remove(name, ec);
  if (ec || fs::exists(name)) {
    throw ReplayFailure(name + ": cannot replace the file of an earlier run" +
                        (ec ? ": " + ec.message() : std::string()));
  }
}

// Lines that end in a line feed; a cut last line does not count.
size_t CompleteLines(const std::string& content) {
  size_t lines = 0;
  for (char c : content) lines += c == '\n' ? 1 : 0;
  return lines;
}

}  // namespace

std::string BadQsoFileName(int period_end_date) {
  return bad_qso_log::FileNameFor(COleDateTime::FromCalendar(
      period_end_date / 10000, period_end_date / 100 % 100, period_end_date % 100, 0, 0, 0));
}

ReplayOutcome ReplayThroughPlugin(const PluginApi& api, const std::vector<ReplayQso>& qsos,
                                  const ReplaySetup& setup, const std::string& folder) {
  std::error_code ec;
  fs::create_directories(fs::path(folder) / "Plugins", ec);
  if (ec) throw ReplayFailure("cannot create " + folder + "/Plugins: " + ec.message());

  ReplayOutcome outcome;
  try {
    WorkingFolder working(folder);
    const std::string bad_qso_file = BadQsoFileName(static_cast<int>(setup.periodEnd / 1000000));
    const std::string cabrillo_file = cabrillo::FileName(setup.ownCall);
    RemoveEarlier(bad_qso_file);
    if (setup.cabrillo) RemoveEarlier(cabrillo_file);

    // A replay has no operator for the settings window; marking it as just
    // opened makes the reset leave it closed. The header keys must be in
    // place before the reset runs the header dialog.
    if (!setup.keepSettings) RemoveEarlier("Plugins/TZQ.ini");
    auto keys = setup.settings;
    keys.insert(keys.begin(), {"Start", "1"});
    IniFileStore settings;
    for (const auto& [key, value] : keys) {
      if (!settings.Write(kSettingsFile, "Settings", key, value)) {
        throw ReplayFailure(folder + ": cannot write Plugins/TZQ.ini");
      }
    }

    if (setup.html) api.setVersion(kHostName);
    std::unique_ptr<ModalWindowAnswerer> answerer;
    if (setup.cabrillo) answerer = std::make_unique<ModalWindowAnswerer>();

    HostDate start = DateOf(setup.periodStart), end = DateOf(setup.periodEnd);
    CallReset(api.ResetStats0, setup.cabrillo ? 1 : 0, setup.ownCall.c_str(), &start, &end);
    std::vector<int> results;
    std::vector<uintmax_t> ends;  // the bad-QSO file's size after each call
    results.reserve(qsos.size());
    ends.reserve(qsos.size() + 1);
    ends.push_back(SizeOf(bad_qso_file));

    // The plug-in's duplicate rule (same call, band and mode, exact), kept
    // here to know how many lines the bad-QSO file must gain.
    std::unordered_map<std::string, int> stored;
    stored.reserve(qsos.size());
    size_t expected_lines = 1;
    for (const ReplayQso& q : qsos) {
      const HostDate time{q.oleDays, 0, 0};
      HostQso host_qso;
      host_qso.ownCall = q.ownCall.c_str();
      host_qso.call = q.call.c_str();
      host_qso.time = &time;
      host_qso.freqHz = q.freqHz;
      host_qso.mode = q.mode.c_str();
      host_qso.rstSent = q.rstSent.c_str();
      host_qso.rstRcvd = q.rstRcvd.c_str();
      host_qso.exchSent = q.exchSent.c_str();
      host_qso.exchRcvd = q.exchRcvd.c_str();
      host_qso.dxPrefix = q.dxPrefix.c_str();
      host_qso.band = q.band.c_str();
      const int result = CallQso(api.AddData0, host_qso);
      results.push_back(result);
      ends.push_back(SizeOf(bad_qso_file));
      if (result == 0) {
        ++expected_lines;
      } else {
        expected_lines += stored[q.call + '\n' + q.band + '\n' + q.mode]++;
      }
    }

    int out_flag = 0;
    const char* report = api.GetResult0(&out_flag);
    outcome.report = report != nullptr ? report : "";
    outcome.exported = out_flag == -1;

    std::string content;
    const bool have_bad_qsos = file_io::ReadAll(bad_qso_file, &content);
    for (size_t i = 0; i < results.size(); ++i) {
      // Sizes past what was read (a file cut short) give no lines.
      const size_t from = std::min<uintmax_t>(ends[i], content.size());
      const size_t to = std::min<uintmax_t>(std::max(ends[i], ends[i + 1]), content.size());
      outcome.tally.Count(results[i], content.substr(from, to - from));
    }
    if (!have_bad_qsos) {
      outcome.problems.push_back(bad_qso_file + ": was not written");
    } else {
      outcome.written.push_back(bad_qso_file);
      const size_t lines = CompleteLines(content);
      if (lines < expected_lines) {
        outcome.problems.push_back(bad_qso_file +
                                   ": incomplete: " + std::to_string(lines == 0 ? 0 : lines - 1) +
                                   " rejection lines where the refusals and duplicates need " +
                                   std::to_string(expected_lines - 1) + " (disk full?)");
      }
    }
    if (setup.cabrillo) {
      if (!file_io::ReadAll(cabrillo_file, &content)) {
        outcome.problems.push_back(cabrillo_file + ": the Cabrillo file was not produced");
      } else {
        outcome.written.push_back(cabrillo_file);
        if (!text::EndsWith(content, "END-OF-LOG:\r\n")) {
          outcome.problems.push_back(cabrillo_file + ": incomplete (no END-OF-LOG line)");
        }
      }
    }
  } catch (const fs::filesystem_error& e) {
    throw ReplayFailure(e.what());
  }
  return outcome;
}

void ReplayTally::Count(int result, const std::string& new_lines) {
  ++read;
  bool band = false, mode = false, exchange = false, area = false, dupe = false;
  for (const std::string& line : file_io::SplitLines(new_lines)) {
    switch (bad_qso_log::ReasonOf(line)) {
      case bad_qso_log::Reason::kWrongBand:
        band = true;
        break;
      case bad_qso_log::Reason::kWrongMode:
        mode = true;
        break;
      case bad_qso_log::Reason::kNoExchange:
        exchange = true;
        break;
      case bad_qso_log::Reason::kBadArea:
        area = true;
        break;
      case bad_qso_log::Reason::kDupe:
        dupe = true;
        break;
      case bad_qso_log::Reason::kNone:
        break;
    }
  }
  if (result != 0) {
    ++stored;
    if (dupe) {
      ++dupes;
      dupeAndArea += area ? 1 : 0;
    } else if (area) {
      ++badArea;
    } else {
      ++counted;
    }
    return;
  }
  ++refused;
  if (band) {
    ++wrongBand;
  } else if (mode) {
    ++wrongMode;
  } else if (exchange) {
    ++noExchange;
  } else {
    ++otherReason;
  }
}

namespace {

std::string Plural(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string ReplayTally::Describe() const {
  std::string text = std::to_string(stored) + " stored (" + std::to_string(counted) + " counted, " +
                     Plural(dupes, "duplicate", "duplicates") + ", " + std::to_string(badArea) +
                     " unacceptable area";
  if (dupeAndArea > 0) {
    text += "; " + Plural(dupeAndArea, "duplicate", "duplicates") +
            " also had an unacceptable area and counted as duplicate";
  }
  text += "), " + std::to_string(refused) + " refused (" + std::to_string(wrongBand) +
          " wrong band, " + std::to_string(wrongMode) + " wrong mode, " +
          std::to_string(noExchange) + " no exchange";
  if (otherReason > 0) text += ", " + std::to_string(otherReason) + " without a reason";
  return text + ")";
}
