#include "tools/check/log_source.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "tools/plugin_loader/plugin_library.h"
#include "tools/replay/input_error.h"
#include "tools/replay/log_reading.h"
#include "tools/replay/replay_platform.h"
#include "tools/replay/replay_session.h"

namespace fs = std::filesystem;

namespace {

// Totals from the plug-in's text report: "Total\t q\t p\t m" and "Dupe\t d".
void ParseReport(const std::string& report, PluginScore* score) {
  const size_t total = report.find("\nTotal\t");
  if (total != std::string::npos) {
    std::sscanf(report.c_str() + total + 7, " %d\t %d\t %d", &score->qsos, &score->points,
                &score->multipliers);
  }
  const size_t dupe = report.find("\nDupe\t");
  if (dupe != std::string::npos) std::sscanf(report.c_str() + dupe + 6, " %d", &score->dupes);
  // The plug-in multiplies in 32 bits; the report's product is the score.
  const size_t line = report.find("\nScore: ");
  if (line != std::string::npos) {
    const size_t equals = report.find(" = ", line);
    if (equals != std::string::npos) std::sscanf(report.c_str() + equals + 3, "%d", &score->score);
  }
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
  return false;
}

struct PluginReplayer::State {
  PluginLibrary library;
  PluginApi api;
  fs::path folder;
};

PluginReplayer::PluginReplayer() : state_(std::make_unique<State>()) {}
PluginReplayer::~PluginReplayer() = default;

bool PluginReplayer::Open(const std::string& plugin, const std::string& work_folder,
                          std::string* error) {
  const fs::path path = plugin.empty()
                            ? fs::path(ProgramFolder()) / PluginLibrary::DefaultFileName()
                            : fs::absolute(plugin);
  if (!state_->library.Open(path.string(), error) || !state_->api.Resolve(state_->library, error)) {
    return false;
  }
  std::error_code ec;
  state_->folder = fs::absolute(work_folder, ec);
  // The settings file lives in "Plugins", which must exist.
  fs::create_directories(state_->folder / "Plugins", ec);
  if (ec) {
    *error = "cannot create " + (state_->folder / "Plugins").string() + ": " + ec.message();
    return false;
  }
  return true;
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
        ReplayThroughPlugin(state_->api, qsos, setup, state_->folder.string());
    ParseReport(outcome.report, score);
    if (with_warnings) score->warnings = outcome.tally.Describe();
  } catch (const std::exception& e) {
    *error = e.what();
    return false;
  }
  return true;
}
