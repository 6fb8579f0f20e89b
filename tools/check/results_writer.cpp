#include "tools/check/results_writer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

#include "engine/file_io.h"
#include "engine/text.h"
#include "engine/version.h"
#include "tools/check/report_name.h"

namespace {

// The header dialog's operator categories, in its order; other values as
// written come after them, then logs that name none, then the check logs.
const char* const kCategories[] = {"SINGLE-OP A", "SINGLE-OP B", "SINGLE-OP C",
                                   "YL",          "LABRE",       "QRP"};
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
};

int CategoryRank(const std::string& title) {
  for (size_t i = 0; i < std::size(kCategories); ++i) {
    if (title == kCategories[i]) return static_cast<int>(i);
  }
  if (title == kNoCategory) return 100;
  if (title == kCheckLog) return 101;
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
    std::sort(t.rows.begin(), t.rows.end(), [](const StationResult* a, const StationResult* b) {
      if (a->checked.score != b->checked.score) return a->checked.score > b->checked.score;
      if (a->claimed.score != b->claimed.score) return a->claimed.score > b->claimed.score;
      return a->call < b->call;
    });
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

std::string Header(const CheckOutcome& outcome) {
  int scored = 0;
  for (const StationResult& r : outcome.stations) scored += r.scored ? 1 : 0;
  return Format("%d logs received, %d scored; QSOs cross-checked within %d minutes",
                static_cast<int>(outcome.stations.size()), scored, outcome.windowMinutes);
}

std::string TextResults(const CheckOutcome& outcome, const std::vector<Table>& tables) {
  std::string s = "TZQ contest results\r\n" + Header(outcome) +
                  "\r\nQSOs removed: NIL not in log, B-call busted call, B-exch busted exchange, "
                  "W-band wrong band, W-mode wrong mode; Uniq unique (kept); Clock the minutes "
                  "taken off the log's times (- none)\r\n";
  for (const Table& t : tables) {
    s += "\r\n" + Shown(t.title) + "\r\n";
    if (t.checkLog) {
      s += "       Call          QSOs\r\n";
      for (const StationResult* r : t.rows) {
        s += Format("       %-13s %4d\r\n", Shown(r->call).c_str(),
                    static_cast<int>(r->qsos.size()));
      }
      continue;
    }
    s += "Place  Call          QSOs claimed  QSOs checked  Mult  Claimed score  Checked score    "
         "Lost    NIL  B-call  B-exch  W-band  W-mode  Uniq  Clock\r\n";
    int place = 0;
    for (const StationResult* r : t.rows) {
      const std::vector<int> n = VerdictCounts(*r);
      s += Format(
          "%5d  %-13s %12d  %12d  %4d  %13d  %13d  %6s  %5d  %6d  %6d  %6d  %6d  %4d  %5s\r\n",
          ++place, Shown(r->call).c_str(), r->claimed.qsos, r->checked.qsos, r->checked.multipliers,
          r->claimed.score, r->checked.score, LostShare(*r).c_str(), CountOf(n, Verdict::kNotInLog),
          CountOf(n, Verdict::kBustedCall), CountOf(n, Verdict::kBustedExchange),
          CountOf(n, Verdict::kWrongBand), CountOf(n, Verdict::kWrongMode),
          CountOf(n, Verdict::kUnique), ClockText(*r, "-").c_str());
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

std::string CsvResults(const CheckOutcome& outcome, const std::vector<Table>& tables) {
  std::string s =
      "Category,Place,Call,QSOs claimed,QSOs checked,Multipliers,Claimed score,Checked "
      "score,Lost,Not in log,Busted call,Busted exchange,Wrong band,Wrong mode,Unique,Clock "
      "offset,File,Note\r\n";
  for (const Table& t : tables) {
    int place = 0;
    for (const StationResult* r : t.rows) {
      if (t.checkLog) {
        s += CsvField(t.title) + ",," + CsvField(r->call) + "," + std::to_string(r->qsos.size()) +
             ",,,,,,,,,,,,," + CsvField(r->file) + ",check log\r\n";
        continue;
      }
      const std::vector<int> n = VerdictCounts(*r);
      s += CsvField(t.title) + "," + std::to_string(++place) + "," + CsvField(r->call) +
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

std::string HtmlResults(const CheckOutcome& outcome, const std::vector<Table>& tables) {
  std::string s =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>TZQ contest results</title>\n<style>\n"
      "body { font-family: \"DejaVu Sans\", Verdana, Arial, sans-serif; margin: 2em auto;"
      " max-width: 60em; color: #1b1b1b; }\n"
      "h1 { font-size: 1.6em; margin-bottom: 0.2em; }\n"
      "p.summary { color: #555; margin-top: 0; }\n"
      "table { border-collapse: collapse; width: 100%; margin: 0.4em 0 1.6em; }\n"
      "caption { text-align: left; font-weight: bold; font-size: 1.15em; padding: 0.3em 0; }\n"
      "th, td { padding: 0.3em 0.7em; border-bottom: 1px solid #d4d4d4; }\n"
      "th { background: #23466e; color: #fff; text-align: left; }\n"
      "td.n, th.n { text-align: right; font-variant-numeric: tabular-nums; }\n"
      "tbody tr:nth-child(even) { background: #f1f5f9; }\n"
      "td.call { font-weight: bold; font-family: \"DejaVu Sans Mono\", monospace; }\n"
      "td.lost { color: #a33; }\n"
      "footer { color: #777; font-size: 0.85em; }\n"
      "@media print { body { margin: 0; max-width: none; font-size: 10pt; }"
      " th { background: #fff; color: #000; border-bottom: 2px solid #000; }"
      " tbody tr:nth-child(even) { background: #fff; }"
      " table { page-break-inside: avoid; } }\n"
      "</style>\n</head>\n<body>\n<h1>TZQ contest results</h1>\n<p class=\"summary\">" +
      Html(Header(outcome)) + "</p>\n";
  for (const Table& t : tables) {
    s += "<table>\n<caption>" + Html(t.title) + "</caption>\n<thead><tr>";
    if (t.checkLog) {
      s += "<th>Call</th><th class=\"n\">QSOs</th></tr></thead>\n<tbody>\n";
      for (const StationResult* r : t.rows) {
        s += "<tr><td class=\"call\">" + Html(r->call) + "</td><td class=\"n\">" +
             std::to_string(r->qsos.size()) + "</td></tr>\n";
      }
      s += "</tbody>\n</table>\n";
      continue;
    }
    s += "<th class=\"n\">Place</th><th>Call</th><th class=\"n\">QSOs claimed</th>"
         "<th class=\"n\">QSOs checked</th><th class=\"n\">Mult</th>"
         "<th class=\"n\">Claimed score</th><th class=\"n\">Checked score</th>"
         "<th class=\"n\">Lost</th><th class=\"n\">Wrong band</th>"
         "<th class=\"n\">Wrong mode</th></tr></thead>\n<tbody>\n";
    int place = 0;
    for (const StationResult* r : t.rows) {
      const std::vector<int> n = VerdictCounts(*r);
      s += Format("<tr><td class=\"n\">%d</td><td class=\"call\">", ++place) + Html(r->call) +
           Format(
               "</td><td class=\"n\">%d</td><td class=\"n\">%d</td><td class=\"n\">%d</td>"
               "<td class=\"n\">%d</td><td class=\"n\">%d</td>",
               r->claimed.qsos, r->checked.qsos, r->checked.multipliers, r->claimed.score,
               r->checked.score) +
           "<td class=\"n lost\">" + LostShare(*r) + "</td>" +
           Format("<td class=\"n\">%d</td><td class=\"n\">%d</td></tr>\n",
                  CountOf(n, Verdict::kWrongBand), CountOf(n, Verdict::kWrongMode));
    }
    s += "</tbody>\n</table>\n";
  }
  bool any = false;
  for (const StationResult& r : outcome.stations) {
    if (r.scored) continue;
    if (!any) {
      s += "<table>\n<caption>Not scored</caption>\n<thead><tr><th>Log</th><th>Call</th>"
           "<th>Reason</th></tr></thead>\n<tbody>\n";
    }
    any = true;
    s += "<tr><td>" + Html(r.file) + "</td><td class=\"call\">" + Html(r.call) + "</td><td>" +
         Html(r.reason) + "</td></tr>\n";
  }
  if (any) s += "</tbody>\n</table>\n";
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
  return Format("  %-9s %6d  %7d  %5d  %10d\r\n", label, p.qsos, p.points, p.multipliers, p.score);
}

std::string UbnReport(const CheckOutcome& outcome, const StationResult& r) {
  std::string s =
      "TZQ log check of " + Shown(r.call) + "\r\nLog: " + Shown(r.file) +
      "\r\nCategory: " + (r.category.empty() ? std::string(kNoCategory) : Shown(r.category)) +
      "\r\n" + Format("QSOs cross-checked within %d minutes\r\n", outcome.windowMinutes);
  const ClockOffset& clock = r.clock;
  const int off = clock.minutes < 0 ? -clock.minutes : clock.minutes;
  const char* fast = clock.minutes < 0 ? "slow" : "fast";
  if (clock.applied) {
    s += Format(
        "Clock: your log's clock ran %d min %s; times corrected for the check (%d of the %d "
        "QSOs found in the other logs agree)\r\n",
        off, fast, clock.agreeing, clock.matches);
  } else if (clock.matches >= kClockMinMatches && off >= kClockMinMinutes) {
    s += Format(
        "Clock: your log's times stand %d min %s of the other logs' at the median, but only %d "
        "of the %d QSOs found there agree: checked as sent\r\n",
        off, clock.minutes < 0 ? "behind" : "ahead", clock.agreeing, clock.matches);
  }
  int counts[kVerdictCount] = {};
  int their_busts = 0;
  std::string removed, flagged;
  for (size_t i = 0; i < r.qsos.size(); ++i) {
    const QsoFinding& f = r.findings[i];
    counts[static_cast<int>(f.verdict)]++;
    // Only the QSOs listed show the other station's line; most are neither.
    auto other = [&]() -> std::string {
      if (f.logsHolding > 0) {
        const StationResult& o = outcome.stations[f.otherStation];
        const LogQso& line = o.qsos[f.otherQso];
        return Format(
                   "    %s sent no log and is in your log only; %s is in %d other logs on "
                   "%s within %d min\r\n",
                   Shown(r.qsos[i].call).c_str(), Shown(line.call).c_str(), f.logsHolding,
                   Shown(line.band).c_str(), static_cast<int>(kBustEvidenceSeconds / 60)) +
               "    " + Shown(o.call) + "'s nearest line: " + QsoLine(line) + "\r\n";
      }
      if (f.otherStation >= 0 && f.otherQso >= 0) {
        const StationResult& o = outcome.stations[f.otherStation];
        const char* what = f.verdict == Verdict::kNotInLog ? "nearest line" : "line";
        return "    " + Shown(o.call) + "'s " + what + ": " + QsoLine(o.qsos[f.otherQso]) + "\r\n";
      }
      if (f.verdict == Verdict::kNotInLog) {
        return "    " + Shown(outcome.stations[f.otherStation].call) + "'s log holds no QSOs\r\n";
      }
      return {};
    };
    if (IsRemoved(f.verdict)) {
      removed += Format("%-16s ", VerdictName(f.verdict)) + QsoLine(r.qsos[i]) + "\r\n" + other();
    } else if (f.verdict == Verdict::kUnique) {
      flagged += Format("%-16s ", "UNIQUE") + QsoLine(r.qsos[i]) + "\r\n";
    } else if (f.copiedWrongly) {
      ++their_busts;
      flagged += Format("%-16s ", "CONFIRMED") + QsoLine(r.qsos[i]) +
                 "\r\n    the other log wrote your call wrongly:\r\n" + other();
    }
  }
  s += "\r\nRemoved from the score\r\n" + (removed.empty() ? "  none\r\n" : removed);
  s += "\r\nFlagged, kept in the score\r\n" + (flagged.empty() ? "  none\r\n" : flagged);
  int n_removed = 0;
  for (int v = 0; v < kVerdictCount; ++v) {
    if (IsRemoved(static_cast<Verdict>(v))) n_removed += counts[v];
  }
  s += "\r\nTotals\r\n";
  s += Format(
      "  QSOs in the log %d; removed %d (%d not in log, %d busted call, %d busted "
      "exchange, %d wrong band, %d wrong mode); %d unique; %d confirmed although the other log "
      "busted your call\r\n",
      static_cast<int>(r.qsos.size()), n_removed, counts[static_cast<int>(Verdict::kNotInLog)],
      counts[static_cast<int>(Verdict::kBustedCall)],
      counts[static_cast<int>(Verdict::kBustedExchange)],
      counts[static_cast<int>(Verdict::kWrongBand)], counts[static_cast<int>(Verdict::kWrongMode)],
      counts[static_cast<int>(Verdict::kUnique)], their_busts);
  s += "              QSOs   Points   Mult       Score\r\n";
  s += ScoreRow("Claimed", r.claimed) + ScoreRow("Checked", r.checked);
  s += "  Lost      " + LostShare(r) + "\r\n";
  s += "  The plug-in on the log as sent: " + r.claimed.warnings + "\r\n";
  return s;
}

}  // namespace

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
                  std::vector<std::string>* written, std::vector<std::string>* errors) {
  const std::vector<Table> tables = Tables(outcome);
  std::vector<std::pair<std::string, std::string>> files = {
      {"results.txt", TextResults(outcome, tables)},
      {"results.csv", CsvResults(outcome, tables)},
      {"results.html", HtmlResults(outcome, tables)}};
  std::vector<std::string> calls;
  for (const StationResult& r : outcome.stations) {
    if (r.scored) calls.push_back(r.call);
  }
  const std::vector<std::string> names = UniqueReportNames(calls);
  size_t next = 0;
  for (const StationResult& r : outcome.stations) {
    if (r.scored) files.emplace_back(names[next++], UbnReport(outcome, r));
  }
  // One file that cannot be written stops none of the others.
  for (const auto& [name, bytes] : files) {
    const std::string path = (std::filesystem::path(folder) / name).string();
    errno = 0;
    if (file_io::ReplaceContents(path, bytes)) {
      written->push_back(name);
    } else {
      errors->push_back("cannot write " + path + ": " +
                        (errno != 0 ? std::strerror(errno) : "the system gave no reason"));
    }
  }
  return errors->empty();
}
