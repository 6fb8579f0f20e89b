#include "tools/replay/replay_run.h"

#include <algorithm>
#include <filesystem>

#include "engine/file_io.h"
#include "tools/plugin_loader/plugin_library.h"
#include "tools/replay/input_error.h"
#include "tools/replay/log_reading.h"
#include "tools/replay/replay_options.h"
#include "tools/replay/replay_platform.h"
#include "tools/replay/replay_session.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "tzq-replay";

std::string Plural(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "2024-06-08", or "2024-06-08T12:00:00" when the time is not the day's
// first or last second.
std::string PeriodText(int64_t stamp, bool end) {
  const int date = static_cast<int>(stamp / 1000000), time = static_cast<int>(stamp % 1000000);
  auto two = [](int n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  std::string text =
      std::to_string(date / 10000) + "-" + two(date / 100 % 100) + "-" + two(date % 100);
  if (time != (end ? 235959 : 0)) {
    text += "T" + two(time / 10000) + ":" + two(time / 100 % 100) + ":" + two(time % 100);
  }
  return text;
}

std::string Joined(const std::vector<std::string>& names, const char* separator) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : separator) + name;
  return text;
}

int Fail(std::ostream& err, const std::string& message, int status) {
  err << kProgram << ": " << message << "\n";
  return status;
}

}  // namespace

int RunReplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              std::istream& in) {
  ReplayOptions options;
  LogReading log;
  ReplaySetup setup;
  int outside = 0;
  std::string settings_content;
  try {
    options = ParseReplayOptions(args);
    if (options.help) {
      out << ReplayHelpText();
      return 0;
    }
    LogReadOptions read_options;
    read_options.rules.fallbackOwnCall = options.ownCall;
    read_options.rules.dgMode = options.dgMode;
    read_options.strict = options.strict;
    log = ReadLogs(options.logFiles, read_options, in);
    for (const LogWarning& warning : log.notes.warnings) {
      err << kProgram << ": " << warning.Describe() << "\n";
    }

    if (options.periodStart != 0) {
      setup.periodStart = options.periodStart;
      setup.periodEnd = options.periodEnd;
      outside = KeepPeriod(&log.qsos, setup.periodStart, setup.periodEnd);
    } else if (!LogPeriod(log.qsos, &setup.periodStart, &setup.periodEnd)) {
      throw InputError(Joined(options.logFiles, ", "), 0, "",
                       "no QSOs to score (give --period to score an empty log)");
    }

    setup.ownCall = options.ownCall;
    const ReplayQso* source = setup.ownCall.empty() ? FirstOwnCall(log.qsos) : nullptr;
    if (source != nullptr) setup.ownCall = source->ownCall;
    if (source != nullptr && !IsOwnCall(setup.ownCall)) {
      throw InputError(source->file, source->line, "own call",
                       "'" + setup.ownCall +
                           "' is not a callsign (1 to 32 letters, digits and '/'); give --call");
    }
    if (options.cabrillo && setup.ownCall.empty()) {
      throw InputError("", 0, "--cabrillo",
                       "the log names no own callsign for the export; give --call CALL");
    }
    if (!options.settingsFile.empty()) {
      if (file_io::ReadAllChecked(options.settingsFile, &settings_content) ==
          file_io::ReadResult::kFailed) {
        throw InputError(options.settingsFile, 0, "--settings", "cannot read the settings file");
      }
    }
  } catch (const InputError& e) {
    err << kProgram << ": " << e.Describe() << "\n";
    if (e.file().empty()) err << "Try '" << kProgram << " --help'.\n";
    return 2;
  }

  setup.html = options.html;
  setup.cabrillo = options.cabrillo;
  setup.settings = options.headerKeys;
  setup.keepSettings = !options.settingsFile.empty();

  // Everything the run needs from the file system is resolved before the
  // working folder changes.
  const fs::path plugin =
      options.plugin.empty() ? fs::path(DefaultPluginPath()) : fs::absolute(options.plugin);
  PluginLibrary library;
  PluginApi api;
  std::string error;
  if (!library.Open(plugin.string(), &error) || !api.Resolve(library, &error)) {
    return Fail(err, error, 1);
  }
  const fs::path ini = fs::path(options.outDir) / "Plugins" / "TZQ.ini";
  if (setup.keepSettings) {
    std::error_code ec;
    fs::create_directories(ini.parent_path(), ec);
    if (ec || !file_io::ReplaceContents(ini.string(), settings_content)) {
      return Fail(err, ini.string() + ": cannot write the settings file", 1);
    }
  }

  ReplayOutcome outcome;
  try {
    outcome = ReplayThroughPlugin(api, log.qsos, setup, options.outDir);
  } catch (const ReplayFailure& e) {
    return Fail(err, e.what(), 1);
  }
  library.Close();
  std::vector<std::string> written;
  for (const std::string& name : outcome.written) {
    written.push_back((fs::path(options.outDir) / name).string());
  }
  if (setup.keepSettings) {
    std::string updated;
    if (!file_io::ReadAll(ini.string(), &updated) ||
        !file_io::ReplaceContents(options.settingsFile, updated)) {
      outcome.problems.push_back(options.settingsFile + ": the settings file was not updated");
    } else {
      written.push_back(options.settingsFile);
    }
  }

  out << outcome.report;
  if (!outcome.report.empty() && outcome.report.back() != '\n') out << "\r\n";
  out.flush();

  const LogNotes& notes = log.notes;
  const int skipped = notes.SkippedCount();
  err << kProgram << ": " << Joined(options.logFiles, ", ") << ": "
      << Plural(outcome.tally.read + skipped + outside, "QSO", "QSOs")
      << " read: " << outcome.tally.Describe() << ", " << skipped << " skipped";
  if (skipped > 0) err << " (" << notes.DescribeSkipped() << ")";
  err << ", " << outside << " outside the period " << PeriodText(setup.periodStart, false) << " to "
      << PeriodText(setup.periodEnd, true);
  if (notes.bandEdgeFrequencies > 0) {
    err << "; " << Plural(notes.bandEdgeFrequencies, "QSO", "QSOs")
        << " without FREQ passed the band's lower edge";
  }
  if (notes.genericDigital > 0) {
    err << "; " << Plural(notes.genericDigital, "QSO", "QSOs")
        << " in a generic digital mode (DG) refused as wrong mode: --dg-mode MODE maps them";
  }
  if (!written.empty()) err << "; wrote " << Joined(written, ", ");
  err << "\n";

  int status = 0;
  for (const std::string& problem : outcome.problems) {
    status = Fail(err, (fs::path(options.outDir) / problem).string(), 1);
  }
  if (options.cabrillo && !outcome.exported) {
    status = Fail(err, "the Cabrillo export did not run (header dialog not confirmed)", 1);
  }
  return status;
}
