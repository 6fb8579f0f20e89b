// A whole TZQ contest for testing the log checker: one simulated set of
// QSOs, each logged on both sides with the stations' clock offsets (under a
// minute), written as one log per station (mostly Cabrillo as the plug-in
// exports it, some ADIF), with known faults injected at known places:
// QSOs missing from the other side's log, one-character busted calls, wrong
// areas, clock skews beyond the three-minute window and stations that sent
// no log. The key lists every QSO the checker must flag and nothing else.
// Deterministic: the same options give the same bytes everywhere.
// Stateless; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct ContestOptions {
  int stations = 40;  // logs written
  uint64_t seed = 2024;
  int qsosPerLog = 100;  // on average
};

// The key's file name, beside the logs.
constexpr const char* kContestKeyFile = "fault-key.txt";

// Files of the contest, by name: the logs and the key. Key lines read
//   STATION VERDICT CALL BAND MODE YYYY-MM-DD HHMM  # what was injected
// with VERDICT one of NOT-IN-LOG, BUSTED-CALL, BUSTED-EXCHANGE, UNIQUE and
// CALL, band, mode and time as the station's log holds them.
std::vector<std::pair<std::string, std::string>> GenerateContest(const ContestOptions& options);
