// The tzq-check program behind main(): options, collecting the logs, reading
// them, the cross-check, the two replays of every log through the plug-in
// and the outputs. CheckContest is the whole check without the files, so
// tests and the benchmark can look at every finding. One thread (the
// replays move the working folder).
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/check/cross_check.h"
#include "tools/check/log_source.h"

struct CheckOptions {
  bool help = false;
  bool version = false;
  std::vector<std::string> logs;  // files or folders
  std::string outDir = "results";
  int windowMinutes = 3;
  std::string plugin;  // empty: the plug-in beside the program
  int jobs = 0;        // replay processes; 0: one per processor
  // The replays' folder in memory where the platform has one; false puts it
  // inside `outDir` (the tests choose the disk it is on).
  bool workInMemory = true;
};

// `args` without the program name. False with a message for a bad option.
bool ParseCheckOptions(const std::vector<std::string>& args, CheckOptions* options,
                       std::string* error);
std::string CheckHelpText();

// One submitted log and what became of it.
struct StationResult {
  std::string file;
  std::string call;      // the log's own call; may be empty when not scored
  std::string category;  // CATEGORY-OPERATOR as written, upper case; "" not given
  bool scored = false;
  std::string reason;  // why not scored
  std::vector<LogQso> qsos;
  // Per QSO; otherStation indexes CheckOutcome::stations.
  std::vector<QsoFinding> findings;
  ClockOffset clock;  // the log's clock as the cross-check judged it
  PluginScore claimed, checked;
};

struct CheckOutcome {
  std::vector<StationResult> stations;  // in the order the files were found
  int windowMinutes = 3;
};

// The normalised forms the cross-check compares (the plug-in's: upper case,
// surrounding white space removed).
std::string NormalisedText(const std::string& text);

// Everything but writing the outputs. False (with `error`) only when the
// plug-in cannot be used; unreadable logs, logs that would flood the
// plug-in with duplicate lines and logs whose replay failed are stations
// with a reason.
bool CheckContest(const CheckOptions& options, CheckOutcome* outcome, std::string* error);

// Exit status: 0 every log scored, 1 a log not scored or the plug-in or the
// output folder failed, 2 bad options. A run that scores no log writes
// nothing (exit 1), so that a mistyped folder leaves earlier results alone.
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
