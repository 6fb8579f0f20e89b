// The clock of a submitted log: how far its times stand from those of the
// stations it worked, judged from the QSOs that both logs hold (same calls
// both ways, band and mode) within a wide search window. A log whose
// computer clock ran an hour fast, or whose operator logged local time,
// would otherwise lose every QSO as not in log. Pure computation; any
// thread.
#pragma once

#include <vector>

// How far apart the two logs' times of one QSO may be for it to count in
// the estimate: wide enough for a log kept in Brazilian local time (3
// hours) and then some.
constexpr long long kClockSearchSeconds = 6 * 3600;
// Fewer matched QSOs than this say nothing about a clock.
constexpr int kClockMinMatches = 5;
// Times within this of the median agree with it; at least two thirds of the
// matched QSOs must, or the log has no one offset (its clock jumped, or its
// times are loose).
constexpr long long kClockAgreeSeconds = 120;
// Offsets smaller than this are two good clocks disagreeing, which the
// cross-check's window absorbs: they are not corrected.
constexpr int kClockMinMinutes = 2;

struct ClockOffset {
  int minutes = 0;       // the log's times minus its partners', median, in whole minutes
  int matches = 0;       // QSOs found in the partners' logs within the search window
  int agreeing = 0;      // of those, the ones within kClockAgreeSeconds of the median
  bool applied = false;  // clear enough: the log's times were corrected by `minutes`
};

// Judges one log from its matched QSOs' differences (own time minus the
// partner's, seconds); reorders `differences`.
ClockOffset JudgeClockOffset(std::vector<long long>* differences);
