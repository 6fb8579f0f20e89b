#include "reports/score_report.h"

#include <algorithm>
#include <cstdint>

#include "engine/text.h"
#include "engine/version.h"

namespace {

std::string FilledName(const std::string& band) {
  return band.size() >= 20 ? band : std::string(20 - band.size(), '0') + band;
}

// Band names are a few bytes long: comparing them inline beats a memcmp call.
inline bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

constexpr const char* kHtmlHead =
    "<html><head><style>table{ width:100%; }table, th, td{ border: 1px solid black; "
    "border-collapse: collapse; }th, td{ padding: 1px; text-align: middle; }th,td{ "
    "background-color: #fffac6; color: black; }</style></head><body>";
constexpr const char* kHtmlRow =
    "<tr><th><center>%s</center></th><td><center>%i</center></td><td><center>%i</center></"
    "td><td><center>%i</center></td></tr>";
constexpr const char* kHtmlCountRow =
    "<tr><th><center>%s</center></th><td><center>%i</center></td><td colspan=5> </td></tr>";

}  // namespace

void SortBandsSeen(std::vector<std::string>* bands) {
  std::vector<std::string>& b = *bands;
  for (size_t i = 0; i + 1 < b.size(); ++i) {
    for (size_t j = i + 1; j < b.size(); ++j) {
      if (FilledName(b[i]) < FilledName(b[j])) std::swap(b[i], b[j]);
    }
  }
}

ScoreSheet ComputeScore(const QsoStore& store, const std::vector<std::string>& bands_seen,
                        BandTables* tables) {
  ScoreSheet sheet;
  const size_t rows = bands_seen.size();
  sheet.bands.resize(rows);
  std::vector<BandTables::Texts> worked(rows);
  for (size_t i = 0; i < rows; ++i) sheet.bands[i].band = bands_seen[i];

  // One pass over the store. The bands-seen list holds each name once and
  // rarely more than six, so a short search finds a record's row; areas are
  // the 31 multipliers, tracked as bits per row.
  std::vector<uint32_t> worked_bits(rows, 0);
  for (const QsoRecord& qso : store.records()) {
    if (qso.call.empty()) continue;
    size_t row_index = 0;
    while (row_index < rows && !SameText(bands_seen[row_index], qso.band)) ++row_index;
    if (row_index == rows) continue;
    BandScore& row = sheet.bands[row_index];
    row.dupes += qso.dupe;
    if (qso.notCounted != 0) continue;
    ++row.qsos;
    row.points += contest::PointsForExchange(qso.exchRcvd);
    if (qso.area.empty()) continue;
    const int bit = contest::MultiplierIndex(qso.area);
    BandTables::Texts& areas = worked[row_index];
    if (bit >= 0 ? (worked_bits[row_index] & (1u << bit)) == 0
                 : std::find(areas.begin(), areas.end(), qso.area) == areas.end()) {
      if (bit >= 0) worked_bits[row_index] |= 1u << bit;
      areas.emplace_back(qso.area);
      ++row.multipliers;
    }
  }

  for (size_t i = 0; i < rows; ++i) {
    const int slot = contest::BandIndexOfName(bands_seen[i]);
    if (slot != contest::kNoBand && tables != nullptr) tables->SetWorkedAreas(slot, worked[i]);
    const BandScore& row = sheet.bands[i];
    sheet.total.qsos += row.qsos;
    sheet.total.points += row.points;
    sheet.total.multipliers += row.multipliers;
    sheet.total.dupes += row.dupes;
  }
  sheet.claimed = static_cast<int32_t>(static_cast<uint32_t>(sheet.total.points) *
                                       static_cast<uint32_t>(sheet.total.multipliers));
  return sheet;
}

std::string RenderTextReport(const ScoreSheet& sheet, const ReportTitle& title, int bad_qso) {
  std::string out =
      text::Format("      TZQ %s-%s\r\n\tContestant: %s \r\n\tQSOs\tPoints\tMult\r\n",
                   title.periodStart.c_str(), title.periodEnd.c_str(), title.contestant.c_str());
  for (const BandScore& row : sheet.bands) {
    out += text::Format("%s\t %i\t %i\t %i\r\n", row.band.c_str(), row.qsos, row.points,
                        row.multipliers);
  }
  const BandScore& t = sheet.total;
  out += text::Format("Total\t %i\t %i\t %i\r\nDupe\t %i\r\nBad QSO\t %i", t.qsos, t.points,
                      t.multipliers, t.dupes, bad_qso);
  out += text::Format("\r\nScore: %i*%i = %i\r\n", t.points, t.multipliers, sheet.claimed);
  out += TZQ_CREDIT_LINE;
  return out;
}

std::string RenderHtmlReport(const ScoreSheet& sheet, const ReportTitle& title, int bad_qso) {
  // The texts come from the host (the own call, the bands as logged): shown
  // as text, never as markup. Real calls and bands hold no such character.
  const std::string heading =
      text::Format("   TZQ Contest  %s-%s", title.periodStart.c_str(), title.periodEnd.c_str());
  std::string out = kHtmlHead;
  out +=
      text::Format("<center><b>%s</b></center><center>Contestant:  <b>%s</center></b><table>",
                   text::HtmlEscaped(heading).c_str(), text::HtmlEscaped(title.contestant).c_str());
  out += text::Format("<tr><th>%s</th><th>%s</th><th>%s</th><th>%s</th></tr>", "Band", "QSOs",
                      "Points", "Mult");
  for (const BandScore& row : sheet.bands) {
    out += text::Format(kHtmlRow, text::HtmlEscaped(row.band).c_str(), row.qsos, row.points,
                        row.multipliers);
  }
  const BandScore& t = sheet.total;
  out += text::Format(kHtmlRow, "Total", t.qsos, t.points, t.multipliers);
  out += text::Format(kHtmlCountRow, "Dupe", t.dupes);
  out += text::Format(kHtmlCountRow, "Bad QSO", bad_qso);
  out += text::Format("<tr><th>%s</th><td colspan=6><center>%i * %i = %i</center></td></tr>",
                      "Score:", t.points, t.multipliers, sheet.claimed);
  out += "</table><h6 align=right>" TZQ_CREDIT_LINE "</h6></body></html>";
  return out;
}

const char* CabrilloModeCode(const std::string& mode) {
  if (mode == "BPSK31") return "PS";
  if (mode == "BPSK63") return "PM";
  if (mode == "BPSK125") return "PO";
  if (mode == "RTTY") return "RY";
  return "??";
}
