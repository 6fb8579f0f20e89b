#include "tools/check/check_run.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <future>
#include <map>
#include <set>
#include <thread>

#include "engine/text.h"
#include "engine/version.h"
#include "tools/check/replay_workers.h"
#include "tools/check/results_writer.h"
#include "tools/plugin_loader/plugin_library.h"
#include "tools/replay/replay_platform.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "tzq-check";

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool IsLogFile(const fs::path& path) {
  const std::string ext = Lower(path.extension().string());
  return ext == ".cbr" || ext == ".log" || ext == ".adi";
}

// Every log named on the command line: folders give their *.cbr, *.log and
// *.adi files in name order; a file named twice is checked once.
std::vector<std::string> CollectLogs(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  std::set<std::string> seen;
  const auto add = [&](const fs::path& path) {
    std::error_code ec;
    const fs::path key = fs::weakly_canonical(path, ec);
    if (seen.insert(ec ? path.string() : key.string()).second) files.push_back(path.string());
  };
  for (const std::string& arg : args) {
    std::error_code ec;
    if (!fs::is_directory(arg, ec)) {
      add(arg);
      continue;
    }
    std::vector<fs::path> inside;
    for (const auto& entry : fs::directory_iterator(arg, ec)) {
      if (entry.is_regular_file(ec) && IsLogFile(entry.path())) inside.push_back(entry.path());
    }
    std::sort(inside.begin(), inside.end());
    for (const fs::path& p : inside) add(p);
  }
  return files;
}

std::string NormalisedSpacing(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

long long SecondsOf(double ole_days) {
  return std::llround(ole_days * 86400.0);
}

int Today() {
  const std::time_t now = std::time(nullptr);
  const std::tm* utc = std::gmtime(&now);
  return (utc->tm_year + 1900) * 10000 + (utc->tm_mon + 1) * 100 + utc->tm_mday;
}

bool ParseInt(const std::string& text, int low, int high, int* value) {
  if (text.empty() || text.size() > 6) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *value = std::stoi(text);
  return *value >= low && *value <= high;
}

CheckStation CrossCheckInput(const StationResult& r) {
  CheckStation s;
  s.call = r.call;
  s.qsos.reserve(r.qsos.size());
  for (const LogQso& q : r.qsos) {
    s.qsos.push_back({NormalisedText(q.call), Lower(NormalisedText(q.band)), NormalisedText(q.mode),
                      SecondsOf(q.oleDays), NormalisedText(q.exchSent),
                      NormalisedText(q.exchRcvd)});
  }
  return s;
}

// Reads one log and finds its station; `r` says why when it is not scored.
// Touches nothing but `r`, so logs can be read side by side.
void ReadStation(const std::string& file, StationResult* r) {
  r->file = file;
  std::map<std::string, std::string> header;
  if (!ReadLogQsos(file, &r->qsos, &r->reason, &header)) {
    // The not-scored list names the station when the header does.
    r->call = NormalisedText(header["CALLSIGN"]);
    r->category = NormalisedText(header["CATEGORY-OPERATOR"]);
    // The message names the file, which the results list beside it.
    if (r->reason.compare(0, file.size() + 1, file + ":") == 0) {
      r->reason = NormalisedSpacing(r->reason.substr(file.size() + 1));
    }
    return;
  }
  // CALLSIGN and CATEGORY-OPERATOR of a Cabrillo header; none for ADIF.
  r->call = NormalisedText(header["CALLSIGN"]);
  r->category = NormalisedText(header["CATEGORY-OPERATOR"]);
  for (size_t i = 0; r->call.empty() && i < r->qsos.size(); ++i) {
    r->call = NormalisedText(r->qsos[i].ownCall);
  }
  if (r->call.empty()) {
    r->reason = "the log names no own call (CALLSIGN: or STATION_CALLSIGN)";
    return;
  }
  // Decided before any replay: the plug-in's answer to such a log would
  // take the disk and the memory of the whole run.
  r->reason = TooManyDupeLines(r->qsos);
  r->scored = r->reason.empty();
}

// A log whose replay process died, or whose replay failed (a full disk, a
// report that cannot be read), is not scored; its QSOs still served to
// check the other logs, as the log it is.
void TakeReplay(ReplayJobResult* replay, const char* which, StationResult* r, PluginScore* score) {
  if (replay->died) {
    r->scored = false;
    r->reason = "replaying it through the plug-in failed: " + replay->death;
  } else if (!replay->problem.empty()) {
    r->scored = false;
    r->reason = which + replay->problem;
  } else {
    *score = std::move(replay->score);
  }
}

}  // namespace

std::string NormalisedText(const std::string& text) {
  // The blanks are those of the log readers (text::IsSpace).
  std::string out(text::Trim(text));
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string CheckHelpText() {
  return R"(Usage: tzq-check [OPTIONS] LOG...

Scores every submitted TZQ log through the plug-in, cross-checks the logs
against each other and writes the results. LOG is a log file (Cabrillo or
ADIF) or a folder, whose *.cbr, *.log and *.adi files are taken; one log per
station.

Options:
  --out DIR         where the results go (default ./results, created):
                    results.txt, results.csv, results.html and per
                    station its report CALL.ubn.txt and its page
                    CALL.html. Reports that an earlier run wrote there
                    for stations no longer checked are removed; nothing
                    else is.
  --window MIN      how far apart two logs' times of one QSO may be, in
                    minutes (0 to 1440, default 3).
  --plugin PATH     the plug-in library to score with (default: Stats.so
                    beside this program, else the installed one in
                    ../lib/tzq-stats; Stats.dll beside tzq-check.exe in the
                    Windows build).
  --jobs N          replay the logs through the plug-in in N processes at
                    once (1 to 64, default: one per processor); the results
                    are the same for every N.
  -h, --help        show this text.
  --version         print the version, and the plug-in's (read from its
                    file, not loaded), and exit.

Exit status:
  0  every log was scored and the results written
  1  a log was not scored (the others are still checked and the results
     written), no log was scored (nothing is written, earlier results
     stay), or the plug-in or the output folder failed
  2  bad option; nothing was written
)";
}

bool ParseCheckOptions(const std::vector<std::string>& args, CheckOptions* options,
                       std::string* error) {
  *options = CheckOptions();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool has_value = i + 1 < args.size();
    if (a == "-h" || a == "--help") {
      options->help = true;
    } else if (a == "--version") {
      options->version = true;
    } else if (a == "--out" || a == "--plugin" || a == "--window" || a == "--jobs") {
      if (!has_value || args[i + 1].empty()) {
        *error = a + ": needs a value";
        return false;
      }
      const std::string& value = args[++i];
      if (a == "--out") {
        options->outDir = value;
      } else if (a == "--plugin") {
        options->plugin = value;
      } else if (a == "--jobs") {
        if (!ParseInt(value, 1, 64, &options->jobs)) {
          *error = "--jobs: '" + value + "' is not a number of processes from 1 to 64";
          return false;
        }
      } else if (!ParseInt(value, 0, 1440, &options->windowMinutes)) {
        *error = "--window: '" + value + "' is not a number of minutes from 0 to 1440";
        return false;
      }
    } else if (a == "-") {
      // Every log has a name of its own in the results; standard input
      // has none.
      *error = "-: standard input is not read; name the log files (a file called - as ./-)";
      return false;
    } else if (a.size() > 1 && a[0] == '-') {
      *error = a + ": unknown option";
      return false;
    } else {
      options->logs.push_back(a);
    }
  }
  if (!options->help && !options->version && options->logs.empty()) {
    *error = "no logs given";
    return false;
  }
  return true;
}

bool CheckContest(const CheckOptions& options, CheckOutcome* outcome, std::string* error) {
  *outcome = CheckOutcome();
  outcome->windowMinutes = options.windowMinutes;
  auto& stations = outcome->stations;

  // Reading is the one part that needs no plug-in: the logs are read on
  // every core, each thread taking the next unread file.
  const std::vector<std::string> files = CollectLogs(options.logs);
  stations.resize(files.size());
  // What the cross-check reads of each log, made beside the reading.
  std::vector<CheckStation> prepared(files.size());
  std::atomic<size_t> next{0};
  const auto read_logs = [&] {
    for (size_t i; (i = next++) < files.size();) {
      ReadStation(files[i], &stations[i]);
      if (stations[i].scored) prepared[i] = CrossCheckInput(stations[i]);
    }
  };
  const unsigned cores = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
  std::vector<std::thread> readers;
  for (unsigned t = 1; t < cores && t < files.size(); ++t) readers.emplace_back(read_logs);
  read_logs();
  for (std::thread& t : readers) t.join();

  // Two logs of one station: which one counts is the committee's call, not
  // ours, so neither is scored.
  std::map<std::string, std::vector<size_t>> by_call;
  for (size_t i = 0; i < stations.size(); ++i) {
    if (stations[i].scored) by_call[stations[i].call].push_back(i);
  }
  for (const auto& [call, indexes] : by_call) {
    if (indexes.size() < 2) continue;
    std::string names;
    for (size_t i : indexes) names += (names.empty() ? "" : ", ") + stations[i].file;
    for (size_t i : indexes) {
      stations[i].scored = false;
      stations[i].reason = "more than one log of " + call + ": " + names;
    }
  }

  // The cross-check sees only the scored logs; a station whose log was not
  // scored counts as one that sent none.
  std::vector<size_t> scored;
  std::vector<CheckStation> input;
  int first_date = 0, last_date = 0;
  for (size_t i = 0; i < stations.size(); ++i) {
    if (!stations[i].scored) continue;
    scored.push_back(i);
    for (const LogQso& q : stations[i].qsos) {
      if (first_date == 0 || q.date < first_date) first_date = q.date;
      last_date = std::max(last_date, q.date);
    }
    input.push_back(std::move(prepared[i]));
  }
  std::vector<CheckStation>().swap(prepared);
  if (scored.empty()) return true;
  // The claimed scores need no cross-check: the plug-in replays them while
  // the cross-check runs beside it. Leaving early waits for it (the
  // future's destructor), so nothing outlives what it reads.
  std::vector<ClockOffset> clocks;
  std::future<std::vector<std::vector<QsoFinding>>> cross_check =
      std::async(std::launch::async, [&input, &options, &clocks] {
        auto found = CrossCheck(input, static_cast<long long>(options.windowMinutes) * 60, &clocks);
        std::vector<CheckStation>().swap(input);  // a million QSOs weigh
        return found;
      });

  // The replays work in a fresh folder of their own (in memory, or inside
  // --out), which goes with the replayer: nothing planted in --out is
  // followed.
  std::error_code made;
  fs::create_directories(options.outDir, made);
  if (made) {
    *error = "cannot create " + text::Visible(options.outDir) + ": " + made.message();
    return false;
  }
  auto replayer = std::make_unique<ReplayWorkers>(options.plugin, options.outDir, options.jobs,
                                                  options.workInMemory);
  std::vector<ReplayJob> jobs;
  std::vector<ReplayJobResult> replayed;
  if (first_date == 0) first_date = last_date = Today();
  // The period is the log's own, as tzq-replay takes it; a log without QSOs
  // gets the contest's.
  std::vector<std::pair<int, int>> periods;
  for (size_t i : scored) {
    int start = 0, end = 0;
    for (const LogQso& q : stations[i].qsos) {
      if (start == 0 || q.date < start) start = q.date;
      end = std::max(end, q.date);
    }
    if (start == 0) start = first_date, end = last_date;
    periods.emplace_back(start, end);
    std::vector<const LogQso*> all;
    for (const LogQso& q : stations[i].qsos) all.push_back(&q);
    StationResult& r = stations[i];
    jobs.push_back({std::move(all), r.call, start, end, true});
  }
  if (!replayer->Run(jobs, &replayed, error)) return false;
  for (size_t k = 0; k < scored.size(); ++k) {
    TakeReplay(&replayed[k], "", &stations[scored[k]], &stations[scored[k]].claimed);
  }

  std::vector<std::vector<QsoFinding>> findings = cross_check.get();
  std::vector<size_t> second;
  jobs.clear();
  for (size_t k = 0; k < scored.size(); ++k) {
    for (QsoFinding& f : findings[k]) {
      if (f.otherStation >= 0) f.otherStation = static_cast<int>(scored[f.otherStation]);
    }
    StationResult& r = stations[scored[k]];
    r.findings = std::move(findings[k]);
    r.clock = clocks[k];
    std::vector<const LogQso*> kept;
    for (size_t q = 0; q < r.qsos.size(); ++q) {
      if (!IsRemoved(r.findings[q].verdict)) kept.push_back(&r.qsos[q]);
    }
    // The same QSOs in the same order give the same score: only a log that
    // lost QSOs needs its second replay. The plug-in's warnings are those of
    // the log as sent.
    if (kept.size() == r.qsos.size()) {
      r.checked = r.claimed;
    } else if (r.scored) {
      second.push_back(scored[k]);
      jobs.push_back({std::move(kept), r.call, periods[k].first, periods[k].second, false});
    }
  }
  if (!replayer->Run(jobs, &replayed, error)) return false;
  for (size_t k = 0; k < second.size(); ++k) {
    TakeReplay(&replayed[k], "checked score: ", &stations[second[k]], &stations[second[k]].checked);
  }
  replayer.reset();  // the workers end and their folders go
  return true;
}

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (!args.empty() && args[0] == kReplayWorkerArgument) {
    return RunReplayWorker(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  CheckOptions options;
  std::string error;
  if (!ParseCheckOptions(args, &options, &error)) {
    err << kProgram << ": " << text::Visible(error) << "\nTry '" << kProgram << " --help'.\n";
    return 2;
  }
  if (options.help) {
    out << CheckHelpText();
    return 0;
  }
  if (options.version) {
    // The plug-in decides every score, so its version matters as much as
    // ours; which file would be loaded is what an installation gets wrong.
    const std::string plugin =
        options.plugin.empty() ? DefaultPluginPath() : fs::absolute(options.plugin).string();
    const std::string version = StatedPluginVersion(plugin);
    std::error_code ec;
    out << kProgram << " " << TZQ_VERSION_TEXT << "\nplug-in " << plugin
        << (!version.empty()         ? " version " + version
            : fs::exists(plugin, ec) ? ": states no version (not the TZQ plug-in?)"
                                     : ": not found")
        << "\n";
    return 0;
  }
  // The output folder is made only when a log is scored (CheckContest):
  // a run that scores nothing leaves no trace.
  CheckOutcome outcome;
  if (!CheckContest(options, &outcome, &error)) {
    err << kProgram << ": " << text::Visible(error) << "\n";
    return 1;
  }
  if (outcome.stations.empty()) {
    err << kProgram << ": no logs found (*.cbr, *.log, *.adi); nothing written\n";
    return 1;
  }
  int not_scored = 0;
  for (const StationResult& r : outcome.stations) {
    if (r.scored) continue;
    ++not_scored;
    err << kProgram << ": not scored: " << text::Visible(r.file) << ": " << text::Visible(r.reason)
        << "\n";
  }
  // Results without a single score would replace a good set of results
  // with an empty one: a mistyped folder must cost nothing.
  if (not_scored == static_cast<int>(outcome.stations.size())) {
    err << kProgram << ": no log was scored, so nothing was written; the outputs in "
        << text::Visible(options.outDir) << " are as they were\n";
    return 1;
  }
  // Every file that can be written is; the failures are told at the end.
  std::vector<std::string> written, removed, failures;
  WriteResults(outcome, options.outDir, &written, &removed, &failures);
  for (const std::string& failure : failures) {
    err << kProgram << ": " << text::Visible(failure) << "\n";
  }
  if (!removed.empty()) {
    err << kProgram << ": removed " << removed.size()
        << " station reports that an earlier run wrote there and this one did not\n";
  }
  err << kProgram << ": " << outcome.stations.size() - not_scored << " logs scored, " << not_scored
      << " not scored; wrote " << written.size() << " files in " << text::Visible(options.outDir)
      << "\n";
  return not_scored > 0 || !failures.empty() ? 1 : 0;
}
