#include "engine/bad_qso_log.h"

#include <vector>

#include "engine/file_io.h"
#include "engine/text.h"

namespace bad_qso_log {

const char* ReasonText(Reason reason) {
  switch (reason) {
    case Reason::kWrongBand:
      return "   WRONG BAND !!!";
    case Reason::kWrongMode:
      return "   WRONG MODE !!!";
    case Reason::kNoExchange:
      return "   NO RX NUMBER !!!";
    case Reason::kBadArea:
      return "   Code Area is not acceptable !!!";
    case Reason::kDupe:
      return "   DUPE !!!";
    case Reason::kNone:
      break;
  }
  return "";
}

std::string FileNameFor(const COleDateTime& period_end) {
  return "BadQSO_StatsTZQ_" + period_end.Format("%d_%m_%Y") + ".txt";
}

std::string Line(const LineFields& f, Reason reason) {
  std::string line = "QSO:  ";
  line += std::to_string(f.freqKhz);
  for (std::string_view piece :
       {f.mode, f.timeText, f.ownCall, f.rstSent, f.exchSent, f.call, f.rstRcvd, f.exchRcvd}) {
    line.append("  ").append(piece);
  }
  if (f.normalisedArea != nullptr) line.append("  ").append(*f.normalisedArea);
  line.append(ReasonText(reason)).append("\r\n");
  return line;
}

Reason ReasonOf(std::string_view line) {
  for (Reason reason : {Reason::kWrongBand, Reason::kWrongMode, Reason::kNoExchange,
                        Reason::kBadArea, Reason::kDupe}) {
    if (text::EndsWith(line, ReasonText(reason))) return reason;
  }
  return Reason::kNone;
}

int CountRejections(const std::string& content) {
  const std::vector<std::string_view> lines = file_io::SplitLines(content);
  int count = 0;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (!line.empty() && !text::EndsWith(line, ReasonText(Reason::kDupe))) ++count;
  }
  return count;
}

std::string WithoutLinesOf(const std::string& content, std::string_view call,
                           const std::string& time_key) {
  std::string kept = std::string(kHeader) + "\r\n";
  const std::vector<std::string_view> lines = file_io::SplitLines(content);
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    // The call must stand as a whole word: PY2AA's removal keeps PY2AAA's lines.
    if (text::ContainsWord(line, call) && line.find(time_key) != std::string::npos) continue;
    kept.append(line).append("\r\n");
  }
  return kept;
}

}  // namespace bad_qso_log
