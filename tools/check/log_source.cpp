#include "tools/check/log_source.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/plugin_loader/plugin_library.h"
#include "tools/replay/cabrillo_reader.h"
#include "tools/replay/input_error.h"
#include "tools/replay/log_reading.h"
#include "tools/replay/replay_platform.h"
#include "tools/replay/replay_session.h"
#include "tools/replay/work_folder.h"

namespace fs = std::filesystem;

namespace {

// Totals from the plug-in's text report: "Total\t q\t p\t m", "Dupe\t d"
// and "Score: p*m = s". False when any of them is missing: a report this
// reader does not know would score the log 0.
bool ParseReport(const std::string& report, PluginScore* score) {
  int found = 0;
  const size_t total = report.find("\nTotal\t");
  if (total != std::string::npos) {
    found += std::sscanf(report.c_str() + total + 7, " %d\t %d\t %d", &score->qsos, &score->points,
                         &score->multipliers) == 3;
  }
  const size_t dupe = report.find("\nDupe\t");
  if (dupe != std::string::npos) {
    found += std::sscanf(report.c_str() + dupe + 6, " %d", &score->dupes) == 1;
  }
  // The plug-in multiplies in 32 bits; the report's product is the score.
  const size_t line = report.find("\nScore: ");
  if (line != std::string::npos) {
    const size_t equals = report.find(" = ", line);
    if (equals != std::string::npos) {
      found += std::sscanf(report.c_str() + equals + 3, "%d", &score->score) == 1;
    }
  }
  return found == 3;
}

}  // namespace

namespace {

// The header tags of a Cabrillo log that could not be read as a whole, so
// that the not-scored list can still name the station: from its start, and
// only from a regular file (a pipe was read up already, a device may not end).
std::map<std::string, std::string> HeaderOfUnreadable(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(path, ec))) return {};
  std::ifstream in(path, std::ios::binary);
  std::string start(64 * 1024, '\0');
  in.read(&start[0], static_cast<std::streamsize>(start.size()));
  start.resize(static_cast<size_t>(in.gcount()));
  return ReadCabrilloHeader(start);
}

}  // namespace

bool ReadLogQsos(const std::string& path, std::vector<LogQso>* qsos, std::string* error,
                 std::map<std::string, std::string>* header) {
  try {
    // A log file is never standard input here: "-" names a file, which
    // the reader only takes for one with a folder in front.
    std::istringstream no_input;
    LogReading reading = ReadLogs({path == "-" ? "./-" : path}, LogReadOptions{}, no_input);
    *qsos = std::move(reading.qsos);
    if (header != nullptr) *header = std::move(reading.cabrilloHeader);
    return true;
  } catch (const InputError& e) {
    *error = e.Describe();
  } catch (const std::bad_alloc&) {
    *error = path + ": not enough memory to read it";
  } catch (const std::exception& e) {
    *error = path + ": " + e.what();
  }
  if (header != nullptr) *header = HeaderOfUnreadable(path);
  return false;
}

std::string TooManyDupeLines(const std::vector<LogQso>& qsos) {
  const uint64_t n = qsos.size();
  if (n * (n - (n > 0 ? 1 : 0)) / 2 <= kMaxDupeLines) return std::string();
  const DupeLineCount dupes = CountDupeLines(qsos);
  if (dupes.lines <= kMaxDupeLines) return std::string();
  const ReplayQso& q = *dupes.most;
  return "the plug-in would write " + std::to_string(dupes.lines) +
         " duplicate lines for this log, more than the " + std::to_string(kMaxDupeLines) +
         " a log may cause (" + q.call + " on " + q.band + " " + q.mode + " logged " +
         std::to_string(dupes.copies) + " times from line " + std::to_string(q.line) +
         "); not replayed";
}

struct PluginReplayer::State {
  PluginLibrary library;
  PluginApi api;
  WorkFolder work;
};

PluginReplayer::PluginReplayer() : state_(std::make_unique<State>()) {}
PluginReplayer::~PluginReplayer() = default;

bool PluginReplayer::Open(const std::string& plugin, const std::string& parent_folder,
                          std::string* error) {
  const fs::path path = plugin.empty() ? fs::path(DefaultPluginPath()) : fs::absolute(plugin);
  if (!state_->library.Open(path.string(), error) || !state_->api.Resolve(state_->library, error)) {
    return false;
  }
  std::error_code ec;
  const fs::path parent = fs::absolute(parent_folder, ec);
  fs::create_directories(parent, ec);
  if (ec) {
    *error = "cannot create " + parent.string() + ": " + ec.message();
    return false;
  }
  return state_->work.Create(parent.string(), error);
}

bool PluginReplayer::Replay(const std::vector<const LogQso*>& qsos, const std::string& own_call,
                            int period_start, int period_end, bool with_warnings,
                            PluginScore* score, std::string* error) {
  *score = PluginScore();
  // The replay tool's own host side, so that a log scores here exactly as
  // tzq-replay scores it.
  ReplaySetup setup;
  setup.ownCall = own_call;
  setup.periodStart = static_cast<int64_t>(period_start) * 1000000;
  setup.periodEnd = static_cast<int64_t>(period_end) * 1000000 + 235959;
  try {
    const ReplayOutcome outcome =
        ReplayThroughPlugin(state_->api, qsos, setup, state_->work.path());
    // A bad-QSO file cut short (a full disk) gives a wrong tally; the
    // score is only as good as the files behind it.
    if (!outcome.problems.empty()) {
      *error = "the replay through the plug-in failed: ";
      for (size_t i = 0; i < outcome.problems.size(); ++i) {
        *error += (i > 0 ? "; " : "") + outcome.problems[i];
      }
      return false;
    }
    if (!ParseReport(outcome.report, score)) {
      *error = "the plug-in's report holds no totals and score that the checker can read";
      return false;
    }
    if (with_warnings) score->warnings = outcome.tally.Describe();
  } catch (const std::exception& e) {
    *error = std::string("the replay through the plug-in failed: ") + e.what();
    return false;
  }
  return true;
}
