// ReadLogs: reads one or more log files (ADIF or Cabrillo, told apart by
// content; "-" is standard input) into the host's QSOs, mapped as the replay
// tool maps them, with the warnings and counts of the reading. Tools that
// must read logs exactly as tzq-replay does call this. Runs on the calling
// thread; reads files only.
#pragma once

#include <cstddef>
#include <istream>
#include <map>
#include <string>
#include <vector>

#include "tools/replay/log_notes.h"
#include "tools/replay/qso_mapping.h"
#include "tools/replay/replay_qso.h"

// The most one log file (or standard input) may hold: 64 MiB, about 270,000
// QSOs in ADIF. A larger file is refused unread.
constexpr size_t kMaxLogBytes = size_t{64} << 20;

struct LogReadOptions {
  MappingRules rules;
  // Every warning is an error: ReadLogs throws InputError for the first.
  bool strict = false;
};

struct LogReading {
  // One file: in file order, as the host replays its log. Several files:
  // merged in QSO time order, stable for equal times.
  std::vector<ReplayQso> qsos;
  LogNotes notes;
  // The header of the last Cabrillo log read (see ReadCabrilloHeader).
  std::map<std::string, std::string> cabrilloHeader;
};

// Throws InputError (naming file, line and field) for a file that cannot be
// read, is larger than kMaxLogBytes or is damaged beyond one record (a
// broken tag, a truncated file), and under `strict` for the first warning.
// `standard_input` is read for "-"; every file is read as a stream, so a
// pipe or process substitution reads like "-".
LogReading ReadLogs(const std::vector<std::string>& paths, const LogReadOptions& options,
                    std::istream& standard_input);

// The default contest period of a log: from 00:00:00 of the earliest QSO's
// date to 23:59:59 of the latest's, as YYYYMMDDHHMMSS. False for no QSOs.
bool LogPeriod(const std::vector<ReplayQso>& qsos, int64_t* first, int64_t* last);

// The first QSO that names an own call; null when none does.
const ReplayQso* FirstOwnCall(const std::vector<ReplayQso>& qsos);

// The QSOs whose time (YYYYMMDDHHMMSS) lies outside [first, last] are
// removed; returns how many.
int KeepPeriod(std::vector<ReplayQso>* qsos, int64_t first, int64_t last);
