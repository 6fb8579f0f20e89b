#include "tools/replay/replay_run.h"

#include <algorithm>
#include <filesystem>

#include "engine/file_io.h"
#include "engine/text.h"
#include "reports/cabrillo_file_name.h"
#include "tools/plugin_loader/plugin_library.h"
#include "tools/replay/input_error.h"
#include "tools/replay/log_reading.h"
#include "tools/replay/replay_options.h"
#include "tools/replay/replay_platform.h"
#include "tools/replay/replay_session.h"
#include "tools/replay/settings_file.h"
#include "tools/replay/work_folder.h"

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

// Every message may carry text from a log or a file name: shown escaped.
int Fail(std::ostream& err, const std::string& message, int status) {
  err << kProgram << ": " << text::Visible(message) << "\n";
  return status;
}

// Whether two paths name one file, existing or not (links resolved).
bool SamePath(const fs::path& a, const fs::path& b) {
  std::error_code ec1, ec2;
  const fs::path x = fs::weakly_canonical(fs::absolute(a), ec1);
  const fs::path y = fs::weakly_canonical(fs::absolute(b), ec2);
  return !ec1 && !ec2 && x == y;
}

// Makes the output folder ready for this run's files, which the run moves
// in from its work folder: a link at "Plugins" is replaced by a folder of
// its own (never followed), and the files of an earlier run are removed
// (a link among them as a link), so that a file this run fails to write
// cannot pass for this run's. Throws ReplayFailure.
void PrepareOutputFolder(const fs::path& out, const std::vector<std::string>& names) {
  const fs::path plugins = out / "Plugins";
  std::error_code ec;  // symlink_status reports a missing name in it too
  if (fs::is_symlink(fs::symlink_status(plugins, ec)) && !fs::remove(plugins, ec)) {
    throw ReplayFailure(plugins.string() + ": cannot replace the link: " + ec.message());
  }
  if (!fs::is_directory(fs::symlink_status(plugins, ec)) && !fs::create_directory(plugins, ec)) {
    throw ReplayFailure(plugins.string() + ": cannot make it a folder: " + ec.message());
  }
  for (const std::string& name : names) {
    const fs::path path = out / name;
    fs::remove(path, ec);
    if (ec || fs::exists(fs::symlink_status(path, ec))) {
      throw ReplayFailure(path.string() + ": cannot replace the file of an earlier run" +
                          (ec ? ": " + ec.message() : std::string()));
    }
  }
}

}  // namespace

int RunReplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              std::istream& in) {
  ReplayOptions options;
  LogReading log;
  ReplaySetup setup;
  int outside = 0;
  std::string settings_content, settings_target;
  std::vector<std::string> output_names;  // this run's files, in the output folder
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
      err << kProgram << ": " << text::Visible(warning.Describe()) << "\n";
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
    output_names.push_back(BadQsoFileName(static_cast<int>(setup.periodEnd / 1000000)));
    if (options.cabrillo) output_names.push_back(cabrillo::FileName(setup.ownCall));
    if (!options.settingsFile.empty()) {
      settings_content = ReadSettingsFile(options.settingsFile, &settings_target);
      // Written back at the end, it would replace a log or an output of
      // this very run. (The output folder's own Plugins/TZQ.ini may be the
      // settings file: it ends holding the same.)
      for (const std::string& name : output_names) {
        if (SamePath(settings_target, fs::path(options.outDir) / name)) {
          throw InputError(options.settingsFile, 0, "--settings",
                           "is this run's output " + name + "; give another settings file");
        }
      }
      for (const std::string& file : options.logFiles) {
        if (file != "-" && SamePath(settings_target, file)) {
          throw InputError(options.settingsFile, 0, "--settings",
                           "is a log of this run; give another settings file");
        }
      }
    }
  } catch (const InputError& e) {
    err << kProgram << ": " << text::Visible(e.Describe()) << "\n";
    if (e.file().empty()) err << "Try '" << kProgram << " --help'.\n";
    return 2;
  } catch (const std::bad_alloc&) {
    err << kProgram << ": not enough memory to read the logs\n";
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

  // The plug-in works in a fresh folder of the run's own inside the output
  // folder; its files are moved out afterwards, each in one step.
  const fs::path out_dir = options.outDir;
  const std::string ini_name = (fs::path("Plugins") / "TZQ.ini").string();
  WorkFolder work;
  std::error_code ec;
  fs::create_directories(out_dir, ec);
  if (ec) return Fail(err, "cannot create " + out_dir.string() + ": " + ec.message(), 1);
  if (!work.Create(out_dir.string(), &error)) return Fail(err, error, 1);
  const fs::path work_dir = work.path();
  ReplayOutcome outcome;
  try {
    std::vector<std::string> earlier = output_names;
    earlier.push_back(ini_name);
    PrepareOutputFolder(out_dir, earlier);
    if (setup.keepSettings &&
        !file_io::ReplaceContents((work_dir / ini_name).string(), settings_content)) {
      return Fail(err, (work_dir / ini_name).string() + ": cannot write the settings file", 1);
    }
    outcome = ReplayThroughPlugin(api, log.qsos, setup, work.path());
  } catch (const ReplayFailure& e) {
    return Fail(err, e.what(), 1);
  }
  library.Close();

  std::vector<std::string> written;
  std::vector<std::string> failures;  // beside the outputs' problems, named in full
  std::vector<std::string> names = outcome.written;
  names.push_back(ini_name);
  for (const std::string& name : names) {
    if (file_io::MoveReplacing((work_dir / name).string(), (out_dir / name).string())) {
      if (name != ini_name) written.push_back((out_dir / name).string());
    } else {
      failures.push_back((out_dir / name).string() + ": cannot move it there from " +
                         (work_dir / name).string());
    }
  }
  if (setup.keepSettings) {
    std::string updated;
    if (!file_io::ReadAll((out_dir / ini_name).string(), &updated) ||
        !WriteSettingsFile(settings_target, updated)) {
      failures.push_back(options.settingsFile + ": the settings file was not updated");
    } else {
      written.push_back(options.settingsFile);
    }
  }
  work.Remove();

  out << outcome.report;
  if (!outcome.report.empty() && outcome.report.back() != '\n') out << "\r\n";
  out.flush();

  const LogNotes& notes = log.notes;
  const int skipped = notes.SkippedCount();
  std::string summary = Joined(options.logFiles, ", ") + ": " +
                        Plural(outcome.tally.read + skipped + outside, "QSO", "QSOs") +
                        " read: " + outcome.tally.Describe() + ", " + std::to_string(skipped) +
                        " skipped";
  if (skipped > 0) summary += " (" + notes.DescribeSkipped() + ")";
  summary += ", " + std::to_string(outside) + " outside the period " +
             PeriodText(setup.periodStart, false) + " to " + PeriodText(setup.periodEnd, true);
  if (notes.bandEdgeFrequencies > 0) {
    summary += "; " + Plural(notes.bandEdgeFrequencies, "QSO", "QSOs") +
               " without FREQ passed the band's lower edge";
  }
  if (notes.genericDigital > 0) {
    summary += "; " + Plural(notes.genericDigital, "QSO", "QSOs") +
               " in a generic digital mode (DG) refused as wrong mode: --dg-mode MODE maps them";
  }
  if (!written.empty()) summary += "; wrote " + Joined(written, ", ");
  err << kProgram << ": " << text::Visible(summary) << "\n";

  int status = 0;
  // A report that did not reach standard output (a full disk, /dev/full)
  // is a failed run, however well the plug-in did.
  if (!out) status = Fail(err, "standard output: the report could not be written", 1);
  for (const std::string& problem : outcome.problems) {
    status = Fail(err, (out_dir / problem).string(), 1);
  }
  for (const std::string& failure : failures) status = Fail(err, failure, 1);
  if (options.cabrillo && !outcome.exported) {
    status = Fail(err, "the Cabrillo export did not run (header dialog not confirmed)", 1);
  }
  return status;
}
