// RunReplay: the whole tzq-replay program behind main(), so tests can run
// it in-process with captured streams. Returns the exit status: 0 scored,
// 1 the plug-in or the working folder failed, 2 bad options or log.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// `args` without the program name. The report goes to `out`, the summary
// and every error to `err`. The process's working folder is the same
// afterwards as before.
int RunReplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// How the plug-in judged the QSOs of one run, from the bad-QSO file lines
// each AddData0 call added.
struct ReplayTally {
  int read = 0;
  int stored = 0;
  int dupes = 0;    // stored with at least one DUPE line
  int badArea = 0;  // stored with the unacceptable-area line
  int refused = 0;  // AddData0 returned 0
  int wrongBand = 0;
  int wrongMode = 0;
  int noExchange = 0;
  int otherReason = 0;  // refused without a recognised line (no bad-QSO file?)

  // Accounts for one AddData0 call: its result and the lines it wrote.
  void Count(int result, const std::string& new_lines);
  // "N QSOs read, N stored (...), N refused (...)".
  std::string Describe() const;
};
