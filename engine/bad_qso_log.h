// The bad-QSO file: its name, its header, the rejection lines and their
// reasons, and what readers take back out of it. The plug-in writes it;
// the score report counts it; the replay and check tools read each run's
// lines back. All of them use this one description of the format.
// Plain functions, safe on any thread.
#pragma once

#include <string>
#include <string_view>

#include "engine/ole_date.h"

namespace bad_qso_log {

// The file's first line.
inline constexpr const char* kHeader = "TZQ Contest UBN file";

// Why a QSO has a line; every line ends with its reason's text.
enum class Reason { kWrongBand, kWrongMode, kNoExchange, kBadArea, kDupe, kNone };

// "   WRONG BAND !!!" and so on; empty for kNone.
const char* ReasonText(Reason reason);

// The file of a contest period: "BadQSO_StatsTZQ_DD_MM_YYYY.txt" after the
// period's last day.
std::string FileNameFor(const COleDateTime& period_end);

// The columns of one rejection line, as the host gave them.
struct LineFields {
  int32_t freqKhz = 0;
  std::string_view mode, timeText, ownCall, rstSent, exchSent, call, rstRcvd, exchRcvd;
  // The received exchange as the area check read it; only on area lines.
  const std::string* normalisedArea = nullptr;
};

// One rejection line, CR LF included.
std::string Line(const LineFields& fields, Reason reason);

// The reason a line gives; kNone for a line that names none.
Reason ReasonOf(std::string_view line);

// The score report's "Bad QSO": the lines after the header that are not
// empty and not duplicates.
int CountRejections(const std::string& content);

// The file without the lines of one removed QSO: every line that names the
// call as a whole word and holds the time key (" HHMM ") goes; the header
// is written afresh.
std::string WithoutLinesOf(const std::string& content, std::string_view call,
                           const std::string& time_key);

}  // namespace bad_qso_log
