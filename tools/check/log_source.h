// The log checker's one door into the replay tool: reading and mapping a log
// file exactly as tzq-replay does, and replaying QSOs through the plug-in the
// way tzq-replay drives it (ResetStats0, one AddData0 per QSO in file order,
// GetResult0). Nothing else in tools/check includes a replay header, so a
// change of the replay tool's interface is absorbed here.
// One thread: the plug-in keeps module-wide state and a replay moves the
// process's working folder for its duration.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools/replay/replay_qso.h"

// One contact as the replay tool maps it for AddData0.
using LogQso = ReplayQso;

// Reads `path` (ADIF or Cabrillo by content) into the host's QSOs, and a
// Cabrillo log's header tags into `header` (see ReadCabrilloHeader), from
// one reading of the file. False, with the replay tool's message (file,
// line, field) in `error`, when the file cannot be read, is larger than a
// log may be or holds a malformed record; `header` then holds what the
// start of a Cabrillo file's header says, if anything. "-" names a file, not standard
// input.
bool ReadLogQsos(const std::string& path, std::vector<LogQso>* qsos, std::string* error,
                 std::map<std::string, std::string>* header = nullptr);

// The most DUPE lines one log may make the plug-in write (one per earlier
// equal QSO, so n copies of a QSO make n(n-1)/2): about 80 MB of bad-QSO
// file. A log beyond it (the same QSO logged some 1,400 times or more) is
// not replayed.
constexpr uint64_t kMaxDupeLines = 1000000;

// Why the plug-in may not replay these QSOs: the duplicate lines it would
// write exceed kMaxDupeLines. Empty when it may. Costs nothing for a log
// too short to get there.
std::string TooManyDupeLines(const std::vector<LogQso>& qsos);

// The plug-in's verdict on one replayed log, taken from its text report.
struct PluginScore {
  int qsos = 0;
  int points = 0;
  int multipliers = 0;
  int score = 0;
  int dupes = 0;
  std::string
      warnings;  // the replay tool's tally, when asked for: "N QSOs read, N stored (...), ..."
};

// The plug-in loaded once and replayed log after log.
class PluginReplayer {
 public:
  PluginReplayer();
  ~PluginReplayer();
  PluginReplayer(const PluginReplayer&) = delete;
  PluginReplayer& operator=(const PluginReplayer&) = delete;

  // `plugin` empty: the plug-in built beside this program. The plug-in's
  // files go into a work folder of the replayer's own, made fresh inside
  // `parent_folder` (created when missing) and removed with the replayer.
  bool Open(const std::string& plugin, const std::string& parent_folder, std::string* error);

  // Scores `qsos` in the given order for the contest period (YYYYMMDD
  // dates); `with_warnings` also describes the plug-in's verdict on the
  // QSOs as the summary's warnings text. False, with the reason in `error`,
  // when the score cannot be trusted: the work folder could not be used,
  // an output of the plug-in is missing or incomplete (a full disk), or its
  // report holds no totals to read.
  bool Replay(const std::vector<const LogQso*>& qsos, const std::string& own_call, int period_start,
              int period_end, bool with_warnings, PluginScore* score, std::string* error);

 private:
  struct State;
  std::unique_ptr<State> state_;
};
