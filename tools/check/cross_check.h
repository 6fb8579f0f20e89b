// CrossCheck: judges every QSO of every submitted log against the logs of
// the other stations. Pure computation on already normalised QSOs; the
// caller owns the inputs and the returned findings. Any thread, no shared
// state.
//
// A QSO of station A with call B on band b and mode m at time t is
//   confirmed       B's log holds a QSO with A on b and m within the window
//                   (each of B's QSOs confirms at most one of A's, nearest in
//                   time first), or B's QSO there carries a call one
//                   character away from A (B's mistake, not A's);
//   busted exchange confirmed, but the exchange A received differs from the
//                   one B sent in that QSO;
//   busted call     not confirmed, and the log of a station whose call is one
//                   character away from B holds a QSO with A on b and m within
//                   the window;
//   not in log      B sent a log and neither of the above applies;
//   unique          B sent no log and appears in no other log;
//   accepted        B sent no log but others worked B too.
#pragma once

#include <string>
#include <vector>

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

enum class Verdict { kConfirmed, kBustedExchange, kBustedCall, kNotInLog, kUnique, kAccepted };

// True for the verdicts that take a QSO out of the checked score.
bool IsRemoved(Verdict verdict);
// "NOT IN LOG", "BUSTED CALL", ...
const char* VerdictName(Verdict verdict);

struct QsoFinding {
  Verdict verdict = Verdict::kAccepted;
  // The other station's line behind the verdict: the confirming or
  // busting QSO, for not-in-log the nearest line of the other log; -1 none.
  int otherStation = -1;
  int otherQso = -1;
  // Confirmed although the other log wrote our call one character off.
  bool copiedWrongly = false;
};

// One edit (substitution, insertion or deletion) turns `a` into `b`.
bool OneEditApart(const std::string& a, const std::string& b);

// findings[s][q] judges stations[s].qsos[q]. Station calls must be distinct.
std::vector<std::vector<QsoFinding>> CrossCheck(const std::vector<CheckStation>& stations,
                                                long long window_seconds);
