// A whole TZQ contest for testing the log checker: one simulated set of
// QSOs, each logged on both sides with the stations' clock errors (under a
// minute), written as one log per station (mostly Cabrillo as the plug-in
// exports it, some ADIF), with known faults injected at known places:
// QSOs missing from the other side's log, one-character busted calls (of
// stations that sent a log, and of busy stations that sent none, which
// other logs hold at that time), wrong areas, clock skews of one QSO beyond
// the three-minute window, QSOs logged on another band or in another mode,
// whole logs whose clock ran off by an hour, 7 minutes or the three hours
// of Brazilian local time, and stations that sent no log. The key lists
// every QSO the checker must flag, and every clock it must correct, and
// nothing else. Deterministic: the same options give the same bytes
// everywhere. Stateless; any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The most logs one contest may have. Calls stay two edits apart from each
// other, which the call shapes used allow well beyond this.
constexpr int kMaxContestStations = 100000;
// The most QSOs all logs together may hold (stations times --qsos).
constexpr long long kMaxContestQsoLines = 20000000;

struct ContestOptions {
  int stations = 40;  // logs written, 2 to kMaxContestStations
  uint64_t seed = 2024;
  int qsosPerLog = 100;  // on average
};

// The key's file name, beside the logs.
constexpr const char* kContestKeyFile = "fault-key.txt";

// Files of the contest, by name: the logs and the key. Key lines read
//   STATION VERDICT CALL BAND MODE YYYY-MM-DD HHMM  # what was injected
// with VERDICT one of NOT-IN-LOG, BUSTED-CALL, BUSTED-EXCHANGE, WRONG-BAND,
// WRONG-MODE, UNIQUE and CALL, band, mode and time as the station's log
// holds them, or, for a log whose clock ran off,
//   STATION CLOCK-OFFSET +MIN  # what was injected
// with MIN the minutes its times stand ahead (negative: behind).
std::vector<std::pair<std::string, std::string>> GenerateContest(const ContestOptions& options);

// The same, handing each file to `write` as soon as it is made, so a large
// contest is never held whole; stops at the first false from `write`.
bool GenerateContest(
    const ContestOptions& options,
    const std::function<bool(const std::string& name, const std::string& bytes)>& write);
