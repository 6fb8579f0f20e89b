// ReplayThroughPlugin: the host's side of one replay. Given mapped QSOs (see
// log_reading.h) and a loaded plug-in, it runs ResetStats0, one AddData0 per
// QSO and GetResult0 in a chosen working folder, as the host does, and checks
// that the files the plug-in should have written are there and whole.
// It makes the folder the process's working folder for the duration of the
// call (the plug-in names its files without a folder), so only one replay
// may run in a process at a time, on any one thread.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tools/plugin_loader/plugin_library.h"
#include "tools/replay/replay_qso.h"

// How the plug-in judged the QSOs of one run, from its return values and the
// bad-QSO file lines each AddData0 call added. The stored groups do not
// overlap: a duplicate with an unacceptable area counts as a duplicate.
struct ReplayTally {
  int read = 0;  // AddData0 calls
  int stored = 0;
  int counted = 0;
  int dupes = 0;        // stored with at least one DUPE line
  int badArea = 0;      // stored with the unacceptable-area line, not a dupe
  int dupeAndArea = 0;  // dupes that also had the unacceptable-area line
  int refused = 0;      // AddData0 returned 0
  int wrongBand = 0;
  int wrongMode = 0;
  int noExchange = 0;
  int otherReason = 0;  // refused without a recognised line (no bad-QSO file?)

  // Accounts for one AddData0 call: its result and the lines it wrote.
  void Count(int result, const std::string& new_lines);
  // "N stored (N counted, N duplicates, N unacceptable area), N refused (...)".
  std::string Describe() const;
};

struct ReplaySetup {
  std::string ownCall;      // handed to the reset; names the Cabrillo file
  int64_t periodStart = 0;  // YYYYMMDDHHMMSS, handed to the reset
  int64_t periodEnd = 0;
  bool html = false;  // announce a host first: HTML report
  // Export reset: the plug-in writes <own call>.cbr. Its header dialog is
  // confirmed with the category the settings file holds picked, if any.
  bool cabrillo = false;
  // Plugins/TZQ.ini starts empty unless this is set (the caller put the
  // file there on purpose); then `settings` are written into it, in order.
  bool keepSettings = false;
  std::vector<std::pair<std::string, std::string>> settings;
};

struct ReplayOutcome {
  std::string report;  // GetResult0's text
  ReplayTally tally;
  bool exported = false;  // GetResult0 ran the Cabrillo export
  // Files this run wrote, relative to the folder: the bad-QSO file, then the
  // Cabrillo file. Outputs of earlier runs are removed first, so a name here
  // is always this run's file.
  std::vector<std::string> written;
  // One text per output that is missing or incomplete ("NAME: reason");
  // empty when every output is whole.
  std::vector<std::string> problems;
};

// The DUPE lines the plug-in writes for these QSOs replayed in this order:
// one per earlier stored QSO of the same call, band and mode (exact), so n
// equal QSOs give n(n-1)/2. `most` is the first of the QSOs repeated most
// and `copies` how often it was stored.
struct DupeLineCount {
  uint64_t lines = 0;
  const ReplayQso* most = nullptr;
  int copies = 0;
};
DupeLineCount CountDupeLines(const std::vector<ReplayQso>& qsos);

// The plug-in's bad-QSO file name for a period ending on YYYYMMDD.
std::string BadQsoFileName(int period_end_date);

// Thrown when the folder cannot be prepared: not creatable, the settings
// file not writable, or an earlier run's output that cannot be removed.
class ReplayFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `folder` is created when missing, with the Plugins folder the plug-in's
// settings file needs. Throws ReplayFailure; the working folder is restored
// in every case.
ReplayOutcome ReplayThroughPlugin(const PluginApi& api, const std::vector<ReplayQso>& qsos,
                                  const ReplaySetup& setup, const std::string& folder);
// The same for QSOs held elsewhere (the checker replays parts of its logs).
ReplayOutcome ReplayThroughPlugin(const PluginApi& api, const std::vector<const ReplayQso*>& qsos,
                                  const ReplaySetup& setup, const std::string& folder);
