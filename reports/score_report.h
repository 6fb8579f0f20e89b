// The score report: per-band QSOs, points, multipliers and dupes derived
// afresh from the QSO store, the totals and the claimed score, rendered as
// plain text or as the HTML page. Pure functions over the data they are given;
// the caller holds the module's table lock while they read the store.
#pragma once

#include <string>
#include <vector>

#include "engine/band_tables.h"
#include "engine/qso_store.h"

struct BandScore {
  std::string band;
  int qsos = 0;
  int points = 0;
  int multipliers = 0;
  int dupes = 0;
};

struct ScoreSheet {
  std::vector<BandScore> bands;  // in the order of the bands-seen list
  BandScore total;
  int claimed = 0;  // total points times total multipliers (32-bit)
};

struct ReportTitle {
  std::string periodStart;  // "%d.%m" of the period start
  std::string periodEnd;    // "%d.%m.%Y" of the period end
  std::string contestant;
};

// Descending by the names left-filled with '0' to 20 characters, so that
// "160m" comes before "80m" and "10m" last.
void SortBandsSeen(std::vector<std::string>* bands);

// Scores every band of `bands_seen` and rebuilds the worked-area list (and so
// the info list) of each of those bands that has a slot in `tables`.
ScoreSheet ComputeScore(const QsoStore& store, const std::vector<std::string>& bands_seen,
                        BandTables* tables);

std::string RenderTextReport(const ScoreSheet& sheet, const ReportTitle& title, int bad_qso);
std::string RenderHtmlReport(const ScoreSheet& sheet, const ReportTitle& title, int bad_qso);

// Cabrillo mode code of a stored mode ("RY", "PS", "PM", "PO", else "??").
const char* CabrilloModeCode(const std::string& mode);
