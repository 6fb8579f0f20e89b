#include "tools/check/results_writer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "engine/file_io.h"
#include "engine/text.h"
#include "engine/version.h"
#include "reports/cabrillo_header_fields.h"
#include "tools/check/report_name.h"
#include "tools/check/written_list.h"

namespace {

// Tables come in the header dialog's order of operator categories; other
// values as written come after them, then logs that name none, then the
// check logs, which have no score.
constexpr const char* kCheckLog = "CHECKLOG";
constexpr const char* kNoCategory = "CATEGORY NOT GIVEN";

// Unbounded: a long call must not cut a table row short.
using text::Format;

// Text from a log (calls, categories, exchanges, file names, reasons) as
// every output shows it: control characters escaped, so that no ESC
// sequence, CR or line break reaches a terminal or forges a line.
std::string Shown(const std::string& text) {
  return text::Visible(text);
}

struct Table {
  std::string title;
  bool checkLog = false;
  std::vector<const StationResult*> rows;
  // rows[i]'s place: equal checked scores share one, and the next place
  // counts the stations above it (1, 2, 2, 4).
  std::vector<int> places;
};

int CategoryRank(const std::string& title) {
  if (title == kCheckLog) return 101;
  if (title == kNoCategory) return 100;
  for (size_t i = 0; i < std::size(kCabrilloCategories); ++i) {
    if (title == kCabrilloCategories[i]) return static_cast<int>(i);
  }
  return 50;
}

std::vector<Table> Tables(const CheckOutcome& outcome) {
  std::map<std::string, Table> by_title;
  for (const StationResult& r : outcome.stations) {
    if (!r.scored) continue;
    const std::string title = r.category.empty() ? kNoCategory : r.category;
    Table& t = by_title[title];
    t.title = title;
    t.checkLog = title == kCheckLog;
    t.rows.push_back(&r);
  }
  std::vector<Table> tables;
  for (auto& [title, t] : by_title) tables.push_back(std::move(t));
  std::stable_sort(tables.begin(), tables.end(), [](const Table& a, const Table& b) {
    return CategoryRank(a.title) < CategoryRank(b.title);
  });
  for (Table& t : tables) {
    // Stations that share a place are listed by call: no order among them
    // that could read as a ranking.
    std::sort(t.rows.begin(), t.rows.end(), [](const StationResult* a, const StationResult* b) {
      if (a->checked.score != b->checked.score) return a->checked.score > b->checked.score;
      return a->call < b->call;
    });
    for (size_t i = 0; i < t.rows.size(); ++i) {
      const bool tied = i > 0 && t.rows[i]->checked.score == t.rows[i - 1]->checked.score;
      t.places.push_back(tied ? t.places.back() : static_cast<int>(i) + 1);
    }
  }
  return tables;
}

std::string LostShare(const StationResult& r) {
  if (r.claimed.score <= 0) return "0.0%";
  const double lost =
      100.0 * (static_cast<double>(r.claimed.score) - r.checked.score) / r.claimed.score;
  return Format("%.1f%%", lost);
}

// How many of the log's QSOs got each verdict, by Verdict.
std::vector<int> VerdictCounts(const StationResult& r) {
  std::vector<int> counts(kVerdictCount, 0);
  for (const QsoFinding& f : r.findings) ++counts[static_cast<int>(f.verdict)];
  return counts;
}

int CountOf(const std::vector<int>& counts, Verdict v) {
  return counts[static_cast<int>(v)];
}

// The correction taken off the log's times, in minutes ("+60"); `none`
// when the log was checked as sent.
std::string ClockText(const StationResult& r, const char* none) {
  return r.clock.applied ? Format("%+d", r.clock.minutes) : std::string(none);
}

// A number in the text files: groups of three digits parted by a blank,
// which a fixed-width column shows as the thin gap it stands for.
std::string Grouped(long long n) {
  return GroupedDigits(n, " ");
}

// The same in HTML, parted by a narrow no-break space: the number is never
// broken across lines and reads as one word.
std::string HtmlGrouped(long long n) {
  return GroupedDigits(n, "&#8239;");
}

std::string DateText(int yyyymmdd) {
  return Format("%04d-%02d-%02d", yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
}

// "TZQ contest results, 2024-06-08 to 2024-06-09": the days the scored
// logs' QSOs span; no period when they hold no QSO.
std::string Title(const CheckOutcome& outcome) {
  int first = 0, last = 0;
  for (const StationResult& r : outcome.stations) {
    if (!r.scored) continue;
    for (const LogQso& q : r.qsos) {
      if (q.date <= 0) continue;
      if (first == 0 || q.date < first) first = q.date;
      last = std::max(last, q.date);
    }
  }
  std::string title = "TZQ contest results";
  if (first != 0) title += ", " + DateText(first);
  if (last != first) title += " to " + DateText(last);
  return title;
}

std::string Header(const CheckOutcome& outcome) {
  int scored = 0;
  for (const StationResult& r : outcome.stations) scored += r.scored ? 1 : 0;
  return Format("%d logs received, %d scored; QSOs cross-checked within %d minutes",
                static_cast<int>(outcome.stations.size()), scored, outcome.windowMinutes);
}

std::string TextResults(const CheckOutcome& outcome, const std::vector<Table>& tables) {
  std::string s = Title(outcome) + "\r\n" + Header(outcome) +
                  "\r\nQSOs removed: NIL not in log, B-call busted call, B-exch busted exchange, "
                  "W-band wrong band, W-mode wrong mode; Uniq unique (kept); Clock the minutes "
                  "taken off the log's times (- none). Equal checked scores share a place.\r\n";
  for (const Table& t : tables) {
    s += "\r\n" + Shown(t.title) + "\r\n";
    if (t.checkLog) {
      s += "       Call          QSOs\r\n";
      for (const StationResult* r : t.rows) {
        s += Format("       %-13s %4s\r\n", Shown(r->call).c_str(),
                    Grouped(static_cast<long long>(r->qsos.size())).c_str());
      }
      continue;
    }
    s += "Place  Call          QSOs claimed  QSOs checked  Mult  Claimed score  Checked score    "
         "Lost    NIL  B-call  B-exch  W-band  W-mode  Uniq  Clock\r\n";
    for (size_t i = 0; i < t.rows.size(); ++i) {
      const StationResult* r = t.rows[i];
      const std::vector<int> n = VerdictCounts(*r);
      s += Format(
          "%5s  %-13s %12s  %12s  %4s  %13s  %13s  %6s  %5s  %6s  %6s  %6s  %6s  %4s  %5s\r\n",
          Grouped(t.places[i]).c_str(), Shown(r->call).c_str(), Grouped(r->claimed.qsos).c_str(),
          Grouped(r->checked.qsos).c_str(), Grouped(r->checked.multipliers).c_str(),
          Grouped(r->claimed.score).c_str(), Grouped(r->checked.score).c_str(),
          LostShare(*r).c_str(), Grouped(CountOf(n, Verdict::kNotInLog)).c_str(),
          Grouped(CountOf(n, Verdict::kBustedCall)).c_str(),
          Grouped(CountOf(n, Verdict::kBustedExchange)).c_str(),
          Grouped(CountOf(n, Verdict::kWrongBand)).c_str(),
          Grouped(CountOf(n, Verdict::kWrongMode)).c_str(),
          Grouped(CountOf(n, Verdict::kUnique)).c_str(), ClockText(*r, "-").c_str());
    }
  }
  bool any = false;
  for (const StationResult& r : outcome.stations) {
    if (r.scored) continue;
    if (!any) s += "\r\nNot scored\r\n";
    any = true;
    s += "  " + Shown(r.file) + (r.call.empty() ? "" : " (" + Shown(r.call) + ")") + ": " +
         Shown(r.reason) + "\r\n";
  }
  return s + "\r\nChecked by tzq-check " TZQ_VERSION_TEXT "\r\n";
}

// A text field: shown escaped; one that a spreadsheet would take for a
// formula (a start of =, +, - or @) gets a leading apostrophe, so it stays
// text; quoted when it holds a comma or a quote.
std::string CsvField(const std::string& raw) {
  std::string text = Shown(raw);
  if (!text.empty() && std::strchr("=+-@", text[0]) != nullptr) text.insert(0, "'");
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// Numbers stay plain digits here: the file is for programs.
std::string CsvResults(const CheckOutcome& outcome, const std::vector<Table>& tables) {
  std::string s =
      "Category,Place,Call,QSOs claimed,QSOs checked,Multipliers,Claimed score,Checked "
      "score,Lost,Not in log,Busted call,Busted exchange,Wrong band,Wrong mode,Unique,Clock "
      "offset,File,Note\r\n";
  for (const Table& t : tables) {
    for (size_t i = 0; i < t.rows.size(); ++i) {
      const StationResult* r = t.rows[i];
      if (t.checkLog) {
        s += CsvField(t.title) + ",," + CsvField(r->call) + "," + std::to_string(r->qsos.size()) +
             ",,,,,,,,,,,,," + CsvField(r->file) + ",check log\r\n";
        continue;
      }
      const std::vector<int> n = VerdictCounts(*r);
      s += CsvField(t.title) + "," + std::to_string(t.places[i]) + "," + CsvField(r->call) +
           Format(",%d,%d,%d,%d,%d,", r->claimed.qsos, r->checked.qsos, r->checked.multipliers,
                  r->claimed.score, r->checked.score) +
           LostShare(*r) +
           Format(",%d,%d,%d,%d,%d,%d,", CountOf(n, Verdict::kNotInLog),
                  CountOf(n, Verdict::kBustedCall), CountOf(n, Verdict::kBustedExchange),
                  CountOf(n, Verdict::kWrongBand), CountOf(n, Verdict::kWrongMode),
                  CountOf(n, Verdict::kUnique)) +
           (r->clock.applied ? std::to_string(r->clock.minutes) : std::string()) + "," +
           CsvField(r->file) + ",\r\n";
    }
  }
  for (const StationResult& r : outcome.stations) {
    if (r.scored) continue;
    s += "NOT SCORED,," + CsvField(r.call) + ",,,,,,,,,,,,,," + CsvField(r.file) + "," +
         CsvField(r.reason) + "\r\n";
  }
  return s;
}

std::string Html(const std::string& text) {
  return text::HtmlEscaped(Shown(text));
}

// A report's file name as a link: every byte but letters, digits and
// "-._~" percent-encoded, so that no name ("#", "%", "?", "&", a blank, a
// non-ASCII letter) is read as anything but one file beside the page.
std::string Href(const std::string& name) {
  std::string href;
  for (const char c : name) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (std::isalnum(b) != 0 && b < 0x80) {
      href += c;
    } else if (std::strchr("-._~", c) != nullptr && c != '\0') {
      href += c;
    } else {
      href += Format("%%%02X", b);
    }
  }
  return href;
}

// The style of every page of the site: results.html and the stations' pages.
constexpr const char* kPageStyle =
    "body { font-family: \"DejaVu Sans\", Verdana, Arial, sans-serif; margin: 1.5em auto;"
    " padding: 0 1em; max-width: 72em; color: #1b1b1b; }\n"
    "h1 { font-size: 1.6em; margin-bottom: 0.2em; }\n"
    "a { color: #1d4f91; }\n"
    "footer { color: #777; font-size: 0.85em; margin-top: 2em; }\n";

// The category tables share one column layout: a fixed layout with these
// widths, so that the columns of every table stand at the same place.
constexpr const char* kColumns =
    "<colgroup><col class=\"place\"><col class=\"call\"><col span=\"2\" class=\"qsos\">"
    "<col class=\"mult\"><col span=\"2\" class=\"score\"><col class=\"lost\">"
    "<col span=\"5\" class=\"count\"><col class=\"unique\"><col class=\"clock\"></colgroup>\n"
    "<thead><tr><th rowspan=\"2\">Place</th><th rowspan=\"2\" class=\"call\">Call</th>"
    "<th colspan=\"2\" class=\"group\">QSOs</th><th rowspan=\"2\">Mult</th>"
    "<th colspan=\"3\" class=\"group\">Score</th><th colspan=\"5\" class=\"group\">QSOs "
    "removed</th>"
    "<th rowspan=\"2\">Unique</th><th rowspan=\"2\">Clock (min)</th></tr>\n"
    "<tr><th>claimed</th><th>checked</th><th>claimed</th><th>checked</th><th>lost</th>"
    "<th>not in log</th><th>busted call</th><th>busted exch.</th><th>wrong band</th>"
    "<th>wrong mode</th></tr></thead>\n";

std::string HtmlResults(const CheckOutcome& outcome, const std::vector<Table>& tables,
                        const std::vector<std::string>& stems) {
  const std::string title = Html(Title(outcome));
  std::string s =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
      "</title>\n<style>\n" + kPageStyle +
      "p.summary { color: #555; margin: 0 0 0.3em; }\n"
      "nav ul { list-style: none; padding: 0; margin: 0.8em 0 1.2em; }\n"
      "nav li { display: inline-block; margin: 0 1.4em 0.3em 0; }\n"
      "nav .count { color: #777; }\n"
      "table { border-collapse: collapse; width: 100%; margin: 0.4em 0 1.6em; }\n"
      "table.category { table-layout: fixed; font-size: 0.9em; }\n"
      "col.place { width: 4em; } col.qsos { width: 5em; } col.mult { width: 3.8em; }\n"
      "col.score { width: 6.2em; } col.lost { width: 4.6em; } col.count { width: 4.6em; }\n"
      "col.unique { width: 4.9em; } col.clock { width: 4.3em; }\n"
      "caption { text-align: left; font-weight: bold; font-size: 1.15em; padding: 0.3em 0; }\n"
      "caption a { float: right; font-weight: normal; font-size: 0.75em; }\n"
      "th, td { padding: 0.25em 0.45em; border-bottom: 1px solid #d4d4d4; }\n"
      "th { background: #23466e; color: #fff; font-weight: normal; line-height: 1.15; }\n"
      "thead tr:first-child th { font-weight: bold; }\n"
      "th.group { text-align: center; border-bottom: 1px solid #7f9bbd; }\n"
      "thead tr + tr th { font-size: 0.9em; }\n"
      "table.category td, table.category th { text-align: right;"
      " font-variant-numeric: tabular-nums; }\n"
      "td.call, table.notscored td { overflow-wrap: anywhere; }\n"
      "table.category th.group { text-align: center; }\n"
      "table.category .call, table.notscored td, table.notscored th { text-align: left; }\n"
      "table.category thead { position: sticky; top: 0; }\n"
      "tbody tr:nth-child(even) { background: #f1f5f9; }\n"
      ".call { font-weight: bold; font-family: \"DejaVu Sans Mono\", monospace; }\n"
      ".call a { color: inherit; }\n"
      "td.lost { color: #a33; }\n"
      "td.none { color: #b8b8b8; }\n"
      "@media print { body { margin: 0; max-width: none; font-size: 9pt; }"
      " nav, caption a { display: none; }"
      " th { background: #fff; color: #000; border-bottom: 2px solid #000; }"
      " tbody tr:nth-child(even) { background: #fff; } .call a { text-decoration: none; }"
      " table.category thead { position: static; } }\n"
      "</style>\n</head>\n<body>\n<h1 id=\"top\">" +
      title + "</h1>\n<p class=\"summary\">" + Html(Header(outcome)) +
      ".</p>\n<p class=\"summary\">The checked score counts no removed QSO; unique QSOs stay in "
      "it. Clock: the minutes taken off a log's times where its clock was off. Equal checked "
      "scores share a place. Each call leads to its station's report.</p>\n";
  int not_scored = 0;
  for (const StationResult& r : outcome.stations) not_scored += r.scored ? 0 : 1;
  s += "<nav><ul>\n";
  for (size_t k = 0; k < tables.size(); ++k) {
    s += Format("<li><a href=\"#t%d\">", static_cast<int>(k) + 1) + Html(tables[k].title) +
         "</a> <span class=\"count\">" +
         HtmlGrouped(static_cast<long long>(tables[k].rows.size())) + "</span></li>\n";
  }
  if (not_scored > 0) {
    s += "<li><a href=\"#notscored\">Not scored</a> <span class=\"count\">" +
         HtmlGrouped(not_scored) + "</span></li>\n";
  }
  s += "</ul></nav>\n";
  const auto call_cell = [&](const StationResult* r) {
    const std::string& stem = stems[static_cast<size_t>(r - outcome.stations.data())];
    return "<td class=\"call\"><a href=\"" + Href(stem + kPageExtension) + "\">" + Html(r->call) +
           "</a></td>";
  };
  // A count of none is shown pale, so that the QSOs a station lost stand out
  // down a long table.
  const auto count_cell = [](int n) {
    return (n == 0 ? std::string("<td class=\"none\">") : std::string("<td>")) + HtmlGrouped(n) +
           "</td>";
  };
  for (size_t k = 0; k < tables.size(); ++k) {
    const Table& t = tables[k];
    s += Format("<table class=\"category\" id=\"t%d\">\n<caption>", static_cast<int>(k) + 1) +
         "<a href=\"#top\">index</a>" + Html(t.title) + "</caption>\n" + kColumns + "<tbody>\n";
    for (size_t i = 0; i < t.rows.size(); ++i) {
      const StationResult* r = t.rows[i];
      if (t.checkLog) {
        s += "<tr><td></td>" + call_cell(r) + "<td>" +
             HtmlGrouped(static_cast<long long>(r->qsos.size())) +
             "</td><td></td><td></td><td></td><td></td><td></td><td></td><td></td><td></td>"
             "<td></td><td></td><td></td><td></td></tr>\n";
        continue;
      }
      const std::vector<int> n = VerdictCounts(*r);
      s += "<tr><td>" + HtmlGrouped(t.places[i]) + "</td>" + call_cell(r) + "<td>" +
           HtmlGrouped(r->claimed.qsos) + "</td><td>" + HtmlGrouped(r->checked.qsos) + "</td><td>" +
           HtmlGrouped(r->checked.multipliers) + "</td><td>" + HtmlGrouped(r->claimed.score) +
           "</td><td>" + HtmlGrouped(r->checked.score) + "</td><td class=\"lost\">" +
           LostShare(*r) + "</td>" + count_cell(CountOf(n, Verdict::kNotInLog)) +
           count_cell(CountOf(n, Verdict::kBustedCall)) +
           count_cell(CountOf(n, Verdict::kBustedExchange)) +
           count_cell(CountOf(n, Verdict::kWrongBand)) +
           count_cell(CountOf(n, Verdict::kWrongMode)) + count_cell(CountOf(n, Verdict::kUnique)) +
           "<td>" + ClockText(*r, "") + "</td></tr>\n";
    }
    s += "</tbody>\n</table>\n";
  }
  if (not_scored > 0) {
    s += "<table class=\"notscored\" id=\"notscored\">\n<caption><a href=\"#top\">index</a>Not "
         "scored</caption>\n<thead><tr><th>Log</th><th>Call</th><th>Reason</th></tr></thead>\n"
         "<tbody>\n";
    for (const StationResult& r : outcome.stations) {
      if (r.scored) continue;
      s += "<tr><td>" + Html(r.file) + "</td><td class=\"call\">" + Html(r.call) + "</td><td>" +
           Html(r.reason) + "</td></tr>\n";
    }
    s += "</tbody>\n</table>\n";
  }
  return s + "<footer>Checked by tzq-check " TZQ_VERSION_TEXT
             " with the TZQ contest statistics plug-in.</footer>\n</body>\n</html>\n";
}

std::string QsoLine(const LogQso& q) {
  return Format("%-4s %-7s %s  %-10s %-3s %-5s  %-10s %-3s %-5s  (line %d)", Shown(q.band).c_str(),
                Shown(q.mode).c_str(), QsoTimeText(q.oleDays).c_str(), Shown(q.ownCall).c_str(),
                Shown(q.rstSent).c_str(), Shown(q.exchSent).c_str(), Shown(q.call).c_str(),
                Shown(q.rstRcvd).c_str(), Shown(q.exchRcvd).c_str(), q.line);
}

std::string ScoreRow(const char* label, const PluginScore& p) {
  return Format("  %-9s %6s  %7s  %5s  %10s", label, Grouped(p.qsos).c_str(),
                Grouped(p.points).c_str(), Grouped(p.multipliers).c_str(),
                Grouped(p.score).c_str());
}

// One line of a station's report, its text already shown escaped. The text
// report and the station's page are made from the same lines, so that the
// two never say different things.
struct ReportLine {
  enum Kind { kTitle, kText, kHeading, kRemoved, kFlagged, kOther } kind;
  std::string text;
  std::string verdict;  // kRemoved, kFlagged: what the QSO before `text` got
};

// How each report file starts: what tells a report of ours from a file that
// someone else put at its name.
constexpr const char* kReportStart = "TZQ log check of ";
constexpr const char* kPageStart = "<!DOCTYPE html>\n<!-- tzq-check station report -->\n";

std::vector<ReportLine> ReportLines(const CheckOutcome& outcome, const StationResult& r) {
  std::vector<ReportLine> lines;
  const auto add = [&lines](ReportLine::Kind kind, std::string text, std::string verdict = {}) {
    lines.push_back({kind, std::move(text), std::move(verdict)});
  };
  add(ReportLine::kTitle, kReportStart + Shown(r.call));
  add(ReportLine::kText, "Log: " + Shown(r.file));
  add(ReportLine::kText,
      "Category: " + (r.category.empty() ? std::string(kNoCategory) : Shown(r.category)));
  add(ReportLine::kText, Format("QSOs cross-checked within %d minutes", outcome.windowMinutes));
  const ClockOffset& clock = r.clock;
  const int off = clock.minutes < 0 ? -clock.minutes : clock.minutes;
  const char* fast = clock.minutes < 0 ? "slow" : "fast";
  if (clock.applied) {
    add(ReportLine::kText,
        Format("Clock: your log's clock ran %d min %s; times corrected for the check (%d of the "
               "%d QSOs found in the other logs agree)",
               off, fast, clock.agreeing, clock.matches));
  } else if (clock.matches >= kClockMinMatches && off >= kClockMinMinutes) {
    add(ReportLine::kText,
        Format("Clock: your log's times stand %d min %s of the other logs' at the median, but "
               "only %d of the %d QSOs found there agree: checked as sent",
               off, clock.minutes < 0 ? "behind" : "ahead", clock.agreeing, clock.matches));
  }
  int counts[kVerdictCount] = {};
  int their_busts = 0;
  std::vector<ReportLine> removed, flagged;
  for (size_t i = 0; i < r.qsos.size(); ++i) {
    const QsoFinding& f = r.findings[i];
    counts[static_cast<int>(f.verdict)]++;
    // Only the QSOs listed show the other station's line; most are neither.
    const auto other = [&](std::vector<ReportLine>* to) {
      const auto line = [to](std::string text) {
        to->push_back({ReportLine::kOther, "    " + std::move(text), {}});
      };
      if (f.logsHolding > 0) {
        const StationResult& o = outcome.stations[f.otherStation];
        const LogQso& held = o.qsos[f.otherQso];
        line(
            Format("%s sent no log and is in your log only; %s is in %d other logs on %s within "
                   "%d min",
                   Shown(r.qsos[i].call).c_str(), Shown(held.call).c_str(), f.logsHolding,
                   Shown(held.band).c_str(), static_cast<int>(kBustEvidenceSeconds / 60)));
        line(Shown(o.call) + "'s nearest line: " + QsoLine(held));
      } else if (f.otherStation >= 0 && f.otherQso >= 0) {
        const StationResult& o = outcome.stations[f.otherStation];
        const char* what = f.verdict == Verdict::kNotInLog ? "nearest line" : "line";
        line(Shown(o.call) + "'s " + what + ": " + QsoLine(o.qsos[f.otherQso]));
      } else if (f.verdict == Verdict::kNotInLog) {
        line(Shown(outcome.stations[f.otherStation].call) + "'s log holds no QSOs");
      }
    };
    if (IsRemoved(f.verdict)) {
      removed.push_back({ReportLine::kRemoved, QsoLine(r.qsos[i]), VerdictName(f.verdict)});
      other(&removed);
    } else if (f.verdict == Verdict::kUnique) {
      flagged.push_back({ReportLine::kFlagged, QsoLine(r.qsos[i]), "UNIQUE"});
    } else if (f.copiedWrongly) {
      ++their_busts;
      flagged.push_back({ReportLine::kFlagged, QsoLine(r.qsos[i]), "CONFIRMED"});
      flagged.push_back({ReportLine::kOther, "    the other log wrote your call wrongly:", {}});
      other(&flagged);
    }
  }
  for (auto* section : {&removed, &flagged}) {
    add(ReportLine::kHeading,
        section == &removed ? "Removed from the score" : "Flagged, kept in the score");
    if (section->empty()) add(ReportLine::kText, "  none");
    lines.insert(lines.end(), std::make_move_iterator(section->begin()),
                 std::make_move_iterator(section->end()));
  }
  int n_removed = 0;
  for (int v = 0; v < kVerdictCount; ++v) {
    if (IsRemoved(static_cast<Verdict>(v))) n_removed += counts[v];
  }
  add(ReportLine::kHeading, "Totals");
  add(ReportLine::kText,
      Format("  QSOs in the log %d; removed %d (%d not in log, %d busted call, %d busted "
             "exchange, %d wrong band, %d wrong mode); %d unique; %d confirmed although the other "
             "log busted your call",
             static_cast<int>(r.qsos.size()), n_removed,
             counts[static_cast<int>(Verdict::kNotInLog)],
             counts[static_cast<int>(Verdict::kBustedCall)],
             counts[static_cast<int>(Verdict::kBustedExchange)],
             counts[static_cast<int>(Verdict::kWrongBand)],
             counts[static_cast<int>(Verdict::kWrongMode)],
             counts[static_cast<int>(Verdict::kUnique)], their_busts));
  add(ReportLine::kText, "              QSOs   Points   Mult       Score");
  add(ReportLine::kText, ScoreRow("Claimed", r.claimed));
  add(ReportLine::kText, ScoreRow("Checked", r.checked));
  add(ReportLine::kText, "  Lost      " + LostShare(r));
  add(ReportLine::kText, "  The plug-in on the log as sent: " + Shown(r.claimed.warnings));
  return lines;
}

// <call>.ubn.txt: lines ending in CR LF, a blank line before each heading.
std::string TextReport(const std::vector<ReportLine>& lines) {
  std::string s;
  for (const ReportLine& line : lines) {
    if (line.kind == ReportLine::kHeading) s += "\r\n";
    if (line.kind == ReportLine::kRemoved || line.kind == ReportLine::kFlagged) {
      s += Format("%-16s ", line.verdict.c_str());
    }
    s += line.text + "\r\n";
  }
  return s;
}

// <call>.html: the same lines; each section's lines in a block of their own
// that keeps the report's columns, the verdicts and the other side's lines
// marked.
std::string PageReport(const std::vector<ReportLine>& lines, const std::string& call) {
  const auto esc = [](const std::string& shown) { return text::HtmlEscaped(shown); };
  std::string s =
      std::string(kPageStart) +
      "<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>TZQ log check of " +
      Html(call) + "</title>\n<style>\n" + kPageStyle +
      "nav { margin-bottom: 1em; }\n"
      "h2 { font-size: 1.15em; margin: 1.4em 0 0.4em; }\n"
      "pre { font-family: \"DejaVu Sans Mono\", monospace; font-size: 0.85em; line-height: 1.45;"
      " margin: 0; padding: 0.5em 0.8em; background: #f6f8fa; border-left: 3px solid #23466e;"
      " white-space: pre-wrap; overflow-wrap: anywhere; }\n"
      ".removed { color: #a33; font-weight: bold; }\n"
      ".flagged { color: #8a5a00; font-weight: bold; }\n"
      ".other { color: #5c6670; }\n"
      "@media print { nav { display: none; } pre { background: #fff; } }\n"
      "</style>\n</head>\n<body>\n<nav><a href=\"results.html\">&larr; All results</a></nav>\n";
  bool in_block = false;
  for (const ReportLine& line : lines) {
    if (line.kind == ReportLine::kTitle || line.kind == ReportLine::kHeading) {
      if (in_block) s += "</pre>\n";
      in_block = false;
      s += (line.kind == ReportLine::kTitle ? "<h1>" : "<h2>") + esc(line.text) +
           (line.kind == ReportLine::kTitle ? "</h1>\n" : "</h2>\n");
      continue;
    }
    s += in_block ? "\n" : "<pre>";
    in_block = true;
    switch (line.kind) {
      case ReportLine::kRemoved:
      case ReportLine::kFlagged:
        s += std::string("<span class=\"") +
             (line.kind == ReportLine::kRemoved ? "removed" : "flagged") + "\">" +
             esc(Format("%-16s", line.verdict.c_str())) + "</span> " + esc(line.text);
        break;
      case ReportLine::kOther:
        s += "<span class=\"other\">" + esc(line.text) + "</span>";
        break;
      default:
        s += esc(line.text);
    }
  }
  if (in_block) s += "</pre>\n";
  return s +
         "<footer><a href=\"results.html\">&larr; All results</a> &middot; Checked by "
         "tzq-check " TZQ_VERSION_TEXT "</footer>\n</body>\n</html>\n";
}

// A file at a listed name goes only while it still holds one of our reports:
// a regular file (a link stays, whatever it points at) that starts as ours
// do. A file of someone else's that took the name stays too.
bool HoldsOurReport(const std::string& path, const std::string& name) {
  const std::string start = text::EndsWith(name, kPageExtension) ? kPageStart : kReportStart;
  std::FILE* f = file_io::OpenNotFollowing(path);
  if (f == nullptr) return false;
  std::string head(start.size(), '\0');
  head.resize(std::fread(&head[0], 1, head.size(), f));
  std::fclose(f);
  return head == start;
}

std::string Reason() {
  return errno != 0 ? std::strerror(errno) : "the system gave no reason";
}

}  // namespace

std::string GroupedDigits(long long n, const std::string& separator) {
  const std::string digits = std::to_string(n < 0 ? -static_cast<unsigned long long>(n)
                                                  : static_cast<unsigned long long>(n));
  std::string out = n < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
    out += digits[i];
  }
  return out;
}

std::string QsoTimeText(double ole_days) {
  const long long seconds = std::llround(ole_days * 86400.0);
  long long days = seconds / 86400, in_day = seconds % 86400;
  if (in_day < 0) in_day += 86400, --days;
  // Civil date from the day count (era method), OLE epoch 1899-12-30.
  const long long z = days - 25569 + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long day = doy - (153 * mp + 2) / 5 + 1;
  const long long month = mp < 10 ? mp + 3 : mp - 9;
  const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  return Format("%04lld-%02lld-%02lld %02lld%02lld", year, month, day, in_day / 3600,
                in_day / 60 % 60);
}

bool WriteResults(const CheckOutcome& outcome, const std::string& folder,
                  std::vector<std::string>* written, std::vector<std::string>* removed,
                  std::vector<std::string>* errors) {
  std::vector<std::string> calls;
  for (const StationResult& r : outcome.stations) {
    if (r.scored) calls.push_back(r.call);
  }
  const std::vector<std::string> unique = UniqueReportStems(calls);
  std::vector<std::string> stems(outcome.stations.size());
  for (size_t i = 0, next = 0; i < outcome.stations.size(); ++i) {
    if (outcome.stations[i].scored) stems[i] = unique[next++];
  }
  // The reports of an earlier run stay listed with the ones about to be
  // written, before any of them exists: whatever stops this run, no report
  // of ours is left that the next run would not know as its own.
  std::vector<std::string> listed = ReadWrittenList(folder);
  std::set<std::string> in_list(listed.begin(), listed.end());
  for (const std::string& stem : stems) {
    if (stem.empty()) continue;
    for (const char* extension : {kReportExtension, kPageExtension}) {
      if (in_list.insert(stem + extension).second) listed.push_back(stem + extension);
    }
  }
  const std::string list_path = (std::filesystem::path(folder) / kWrittenListName).string();
  errno = 0;
  if (!WriteWrittenList(folder, listed)) {
    errors->push_back("cannot write " + list_path + ": " + Reason());
  }
  // One file that cannot be written stops none of the others.
  std::set<std::string> now;
  const auto write = [&](const std::string& name, const std::string& bytes) {
    const std::string path = (std::filesystem::path(folder) / name).string();
    errno = 0;
    if (file_io::ReplaceContents(path, bytes)) {
      written->push_back(name);
      now.insert(name);
    } else {
      errors->push_back("cannot write " + path + ": " + Reason());
    }
  };
  const std::vector<Table> tables = Tables(outcome);
  write("results.txt", TextResults(outcome, tables));
  write("results.csv", CsvResults(outcome, tables));
  write("results.html", HtmlResults(outcome, tables, stems));
  // Each station's reports are made and written in turn: a contest's worth
  // of them would weigh hundreds of megabytes at once.
  for (size_t i = 0; i < outcome.stations.size(); ++i) {
    const StationResult& r = outcome.stations[i];
    if (!r.scored) continue;
    const std::vector<ReportLine> lines = ReportLines(outcome, r);
    write(stems[i] + kReportExtension, TextReport(lines));
    write(stems[i] + kPageExtension, PageReport(lines, r.call));
  }
  // A listed report that this run did not write (again) is an earlier
  // run's: a station no longer checked, or one whose report failed now. It
  // goes when it is still ours; remove() takes a link away, never what it
  // points at. One that cannot go stays listed for the next run.
  std::vector<std::string> still;
  for (const std::string& name : listed) {
    if (now.count(name) != 0) {
      still.push_back(name);
      continue;
    }
    const std::string path = (std::filesystem::path(folder) / name).string();
    if (!IsReportFileName(name) || !HoldsOurReport(path, name)) continue;
    std::error_code ec;
    std::filesystem::remove(path, ec);
    if (ec) {
      errors->push_back("cannot remove " + path + ": " + ec.message());
      still.push_back(name);
    } else {
      removed->push_back(name);
    }
  }
  errno = 0;
  if (still != listed && !WriteWrittenList(folder, still)) {
    errors->push_back("cannot write " + list_path + ": " + Reason());
  }
  return errors->empty();
}
