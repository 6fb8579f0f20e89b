// CrossCheck: judges every QSO of every submitted log against the logs of
// the other stations. Pure computation on already normalised QSOs; the
// caller owns the inputs and the returned findings. Any thread, no shared
// state.
//
// First each log's clock offset is estimated from the QSOs both sides
// logged (clock_offset.h); a clear one is taken off the log's times before
// anything is compared. Then a QSO of station A with call B on band b and
// mode m at time t is
//   confirmed       B's log holds a QSO with A on b and m within the window
//                   (each of B's QSOs confirms at most one of A's, nearest in
//                   time first), or B's QSO there carries a call one
//                   character away from A (B's mistake, not A's);
//   busted exchange confirmed, but the exchange A received differs from the
//                   one B sent in that QSO;
//   busted call     not confirmed, and the log of a station whose call is one
//                   character away from B holds a QSO with A on b and m within
//                   the window; or B sent no log, appears in A's log only,
//                   and a call one character away from B is in at least
//                   kBustEvidenceLogs other logs on b within
//                   kBustEvidenceSeconds of t;
//   wrong band      B's log holds a QSO with A within the window that no
//   (wrong mode)    other QSO took, on another band (on b, in another mode);
//                   both QSOs get the verdict, as neither log can be told right;
//   not in log      B sent a log and none of the above applies;
//   unique          B sent no log and appears in no other log;
//   accepted        B sent no log but others worked B too.
#pragma once

#include <string>
#include <vector>

#include "tools/check/call_edits.h"
#include "tools/check/clock_offset.h"

// A call in one log only is a busted call of a common one when at least this
// many other logs hold the common call on that band within this time.
constexpr int kBustEvidenceLogs = 3;
constexpr long long kBustEvidenceSeconds = 30 * 60;

struct CheckQso {
  std::string call;  // upper case, no surrounding blanks
  std::string band;  // lower case
  std::string mode;  // upper case
  long long seconds = 0;
  std::string exchSent;  // upper case, no surrounding blanks
  std::string exchRcvd;
};

struct CheckStation {
  std::string call;  // the log's own call, normalised like CheckQso::call
  std::vector<CheckQso> qsos;
};

enum class Verdict {
  kConfirmed,
  kBustedExchange,
  kBustedCall,
  kNotInLog,
  kUnique,
  kAccepted,
  kWrongBand,
  kWrongMode
};
constexpr int kVerdictCount = 8;

// True for the verdicts that take a QSO out of the checked score.
bool IsRemoved(Verdict verdict);
// "NOT IN LOG", "BUSTED CALL", ...
const char* VerdictName(Verdict verdict);

struct QsoFinding {
  Verdict verdict = Verdict::kAccepted;
  // The other station's line behind the verdict: the confirming, busting
  // or other-band QSO, for not-in-log the nearest line of the other log,
  // for the busted call of a station without a log the nearest line that
  // holds the common call; -1 none.
  int otherStation = -1;
  int otherQso = -1;
  // Confirmed although the other log wrote our call one character off.
  bool copiedWrongly = false;
  // Busted call of a station without a log: how many other logs hold the
  // common call then (0 for the other kinds of verdict).
  int logsHolding = 0;
};

// findings[s][q] judges stations[s].qsos[q]. Station calls must be distinct.
// `clocks`, when given, receives each log's clock estimate.
std::vector<std::vector<QsoFinding>> CrossCheck(const std::vector<CheckStation>& stations,
                                                long long window_seconds,
                                                std::vector<ClockOffset>* clocks = nullptr);
