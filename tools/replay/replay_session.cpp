#include "tools/replay/replay_session.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <unordered_map>

#include "engine/bad_qso_log.h"
#include "engine/file_io.h"
#include "engine/ole_date.h"
#include "engine/qso_check.h"
#include "engine/settings_store_headless.h"
#include "engine/text.h"
#include "reports/cabrillo_file_name.h"
#include "tools/plugin_loader/host_calls.h"
#include "tools/replay/replay_platform.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kHostName = "tzq-replay";
constexpr const char* kSettingsFile = "Plugins\\TZQ.ini";

HostDate DateOf(int64_t stamp) {
  const int date = static_cast<int>(stamp / 1000000), time = static_cast<int>(stamp % 1000000);
  return HostDate{COleDateTime::FromCalendar(date / 10000, date / 100 % 100, date % 100,
                                             time / 10000, time / 100 % 100, time % 100)
                      .days(),
                  0, 0};
}

// Makes a folder the working folder for its lifetime: the plug-in names its
// files without a folder.
class WorkingFolder {
 public:
  explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~WorkingFolder() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
  }

 private:
  fs::path previous_;
};

// The QSO as the plug-in's shim hands it to the module.
QsoArgs ArgsOf(const ReplayQso& q, const HostDate& time) {
  QsoArgs args;
  args.ownCall = q.ownCall;
  args.call = q.call;
  args.qsoTime = COleDateTime::FromHost(&time);
  args.freqHz = q.freqHz;
  args.mode = q.mode;
  args.rstSent = q.rstSent;
  args.rstRcvd = q.rstRcvd;
  args.exchSent = q.exchSent;
  args.exchRcvd = q.exchRcvd;
  args.dxPrefix = q.dxPrefix;
  args.band = q.band;
  return args;
}

// An earlier run's file of the same name must go before this run, or a file
// the plug-in failed to write would pass for this run's.
void RemoveEarlier(const std::string& name) {
  std::error_code ec;
  fs::remove(name, ec);
  if (ec || fs::exists(name)) {
    throw ReplayFailure(name + ": cannot replace the file of an earlier run" +
                        (ec ? ": " + ec.message() : std::string()));
  }
}

// A file read front to back in pieces, never whole: the bad-QSO file of a
// log with many equal QSOs grows with their square. Counts the line feeds
// of every byte it reads.
class FileStream {
 public:
  explicit FileStream(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}
  ~FileStream() {
    if (file_ != nullptr) std::fclose(file_);
  }
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  bool opened() const { return file_ != nullptr; }
  bool failed() const { return failed_; }

  // The next `n` bytes, or fewer where the file ends, left unread.
  std::string_view Peek(size_t n) {
    while (buffer_.size() - at_ < n && Fill()) {
    }
    return std::string_view(buffer_).substr(at_, n);
  }
  void Skip(size_t n) { at_ = std::min(buffer_.size(), at_ + n); }

  // Line feeds in the whole file: what is left is read now.
  size_t LineFeeds() {
    while (Fill()) at_ = buffer_.size();
    return line_feeds_;
  }

 private:
  bool Fill() {
    if (file_ == nullptr || std::feof(file_) || failed_) return false;
    if (at_ > 0) {
      buffer_.erase(0, at_);
      at_ = 0;
    }
    char piece[65536];
    const size_t n = std::fread(piece, 1, sizeof piece, file_);
    failed_ = std::ferror(file_) != 0;
    line_feeds_ += static_cast<size_t>(std::count(piece, piece + n, '\n'));
    buffer_.append(piece, n);
    return n > 0;
  }

  std::FILE* file_;
  std::string buffer_;
  size_t at_ = 0;
  size_t line_feeds_ = 0;
  bool failed_ = false;
};

// Hands each AddData0 call the lines it added to the bad-QSO file. The
// plug-in's own checks tell what each call wrote (the refusal's or the area
// line, then one DUPE line per earlier equal QSO stored) and the file, read
// in order, must hold exactly that: no size to ask after every call. A file
// that ends inside a call's lines (a full disk) gives that call what was
// written; from the first difference on no call gets any line.
struct LinesPlaced {
  size_t refusalsAndDupes = 0;             // lines the file needs whatever the areas
  const ReplayQso* firstAstray = nullptr;  // where the file left the expected lines
  bool cut = false;                        // it ended inside the expected lines
};

// A call, band and mode, viewing the replayed QSO: no text copied per QSO.
struct SameQso {
  std::string_view call, band, mode;
  bool operator==(const SameQso& o) const {
    return call == o.call && band == o.band && mode == o.mode;
  }
  struct Hash {
    size_t operator()(const SameQso& k) const {
      const std::hash<std::string_view> h;
      return h(k.call) ^ (h(k.band) * 31) ^ (h(k.mode) * 1009);
    }
  };
};

LinesPlaced PlaceBadQsoLines(const std::vector<const ReplayQso*>& qsos,
                             const std::vector<int>& results, FileStream* file,
                             ReplayTally* tally) {
  const QsoChecker checker;
  const std::string header = std::string(bad_qso_log::kHeader) + "\r\n";
  if (file->Peek(header.size()) == header) file->Skip(header.size());
  // Stored QSOs per call, band and mode (exact), as the plug-in counts them.
  std::unordered_map<SameQso, int, SameQso::Hash> stored;
  stored.reserve(qsos.size());
  LinesPlaced placed;
  for (size_t i = 0; i < qsos.size(); ++i) {
    const ReplayQso& q = *qsos[i];
    const HostDate time{q.oleDays, 0, 0};
    const QsoArgs args = ArgsOf(q, time);
    std::string lines;
    if (results[i] == 0) {
      ++placed.refusalsAndDupes;
      lines = checker.LinesOf(args);
    } else {
      const int earlier = stored[SameQso{q.call, q.band, q.mode}]++;
      placed.refusalsAndDupes += static_cast<size_t>(earlier);
      lines = checker.LinesOf(args) + checker.DupeLines(args, earlier);
    }
    if (placed.firstAstray == nullptr) {
      // Fewer bytes than asked for: the file ends within them.
      const std::string_view next = file->Peek(lines.size());
      if (next == lines) {
        file->Skip(lines.size());
      } else if (next.size() < lines.size() && text::StartsWith(lines, next)) {
        placed.firstAstray = &q;
        placed.cut = true;
        lines = std::string(next);
        file->Skip(next.size());
      } else {
        placed.firstAstray = &q;
        lines.clear();
      }
    } else {
      lines.clear();
    }
    tally->Count(results[i], lines);
  }
  if (placed.firstAstray == nullptr && !file->Peek(1).empty() && !qsos.empty()) {
    placed.firstAstray = qsos.back();
  }
  return placed;
}

}  // namespace

DupeLineCount CountDupeLines(const std::vector<ReplayQso>& qsos) {
  const QsoChecker checker;
  // Per call, band and mode: the QSOs stored so far and the first of them.
  std::unordered_map<std::string, std::pair<int, const ReplayQso*>> stored;
  DupeLineCount count;
  for (const ReplayQso& q : qsos) {
    const HostDate time{q.oleDays, 0, 0};
    if (!checker.Check(ArgsOf(q, time)).stored()) continue;
    auto& [earlier, first] = stored[q.call + '\n' + q.band + '\n' + q.mode];
    if (first == nullptr) first = &q;
    count.lines += static_cast<uint64_t>(earlier++);
    if (earlier > count.copies) {
      count.copies = earlier;
      count.most = first;
    }
  }
  return count;
}

std::string BadQsoFileName(int period_end_date) {
  return bad_qso_log::FileNameFor(COleDateTime::FromCalendar(
      period_end_date / 10000, period_end_date / 100 % 100, period_end_date % 100, 0, 0, 0));
}

ReplayOutcome ReplayThroughPlugin(const PluginApi& api, const std::vector<ReplayQso>& qsos,
                                  const ReplaySetup& setup, const std::string& folder) {
  std::vector<const ReplayQso*> list;
  list.reserve(qsos.size());
  for (const ReplayQso& q : qsos) list.push_back(&q);
  return ReplayThroughPlugin(api, list, setup, folder);
}

ReplayOutcome ReplayThroughPlugin(const PluginApi& api, const std::vector<const ReplayQso*>& qsos,
                                  const ReplaySetup& setup, const std::string& folder) {
  std::error_code ec;
  fs::create_directories(fs::path(folder) / "Plugins", ec);
  if (ec) throw ReplayFailure("cannot create " + folder + "/Plugins: " + ec.message());

  ReplayOutcome outcome;
  try {
    WorkingFolder working(folder);
    const std::string bad_qso_file = BadQsoFileName(static_cast<int>(setup.periodEnd / 1000000));
    const std::string cabrillo_file = cabrillo::FileName(setup.ownCall);
    RemoveEarlier(bad_qso_file);
    if (setup.cabrillo) RemoveEarlier(cabrillo_file);

    // A replay has no operator for the settings window; marking it as just
    // opened makes the reset leave it closed. The header keys must be in
    // place before the reset runs the header dialog.
    if (!setup.keepSettings) RemoveEarlier("Plugins/TZQ.ini");
    auto keys = setup.settings;
    keys.insert(keys.begin(), {"Start", "1"});
    IniFileStore settings;
    for (const auto& [key, value] : keys) {
      if (!settings.Write(kSettingsFile, "Settings", key, value)) {
        throw ReplayFailure(folder + ": cannot write Plugins/TZQ.ini");
      }
    }

    // The header dialog always opens on its preset category. The replay
    // answers it as an operator who picks the category the settings file
    // holds (the one an earlier export stored, or --category's), so the
    // export and the file keep it.
    const std::string category = settings.Read(kSettingsFile, "Settings", "Category", "", 100);

    if (setup.html) api.setVersion(kHostName);
    std::unique_ptr<ModalWindowAnswerer> answerer;
    if (setup.cabrillo) answerer = std::make_unique<ModalWindowAnswerer>(category);

    HostDate start = DateOf(setup.periodStart), end = DateOf(setup.periodEnd);
    CallReset(api.ResetStats0, setup.cabrillo ? 1 : 0, setup.ownCall.c_str(), &start, &end);
    std::vector<int> results;
    results.reserve(qsos.size());
    for (const ReplayQso* qso : qsos) {
      const ReplayQso& q = *qso;
      const HostDate time{q.oleDays, 0, 0};
      HostQso host_qso;
      host_qso.ownCall = q.ownCall.c_str();
      host_qso.call = q.call.c_str();
      host_qso.time = &time;
      host_qso.freqHz = q.freqHz;
      host_qso.mode = q.mode.c_str();
      host_qso.rstSent = q.rstSent.c_str();
      host_qso.rstRcvd = q.rstRcvd.c_str();
      host_qso.exchSent = q.exchSent.c_str();
      host_qso.exchRcvd = q.exchRcvd.c_str();
      host_qso.dxPrefix = q.dxPrefix.c_str();
      host_qso.band = q.band.c_str();
      results.push_back(CallQso(api.AddData0, host_qso));
    }

    int out_flag = 0;
    const char* report = api.GetResult0(&out_flag);
    outcome.report = report != nullptr ? report : "";
    outcome.exported = out_flag == -1;

    FileStream bad_qsos(bad_qso_file);
    const LinesPlaced placed = PlaceBadQsoLines(qsos, results, &bad_qsos, &outcome.tally);
    // Lines that end in a line feed; a cut last line does not count.
    const size_t lines = bad_qsos.LineFeeds();
    if (!bad_qsos.opened() || bad_qsos.failed()) {
      outcome.problems.push_back(bad_qso_file +
                                 (bad_qsos.opened() ? ": cannot be read" : ": was not written"));
    } else {
      outcome.written.push_back(bad_qso_file);
      if (lines < placed.refusalsAndDupes + 1) {
        outcome.problems.push_back(bad_qso_file +
                                   ": incomplete: " + std::to_string(lines == 0 ? 0 : lines - 1) +
                                   " rejection lines where the refusals and duplicates need " +
                                   std::to_string(placed.refusalsAndDupes) + " (disk full?)");
      } else if (placed.cut) {
        outcome.problems.push_back(bad_qso_file +
                                   ": incomplete: it ends inside the lines of the"
                                   " QSO of " +
                                   placed.firstAstray->file + " line " +
                                   std::to_string(placed.firstAstray->line) + " (disk full?)");
      } else if (placed.firstAstray != nullptr) {
        outcome.problems.push_back(bad_qso_file + ": from the QSO of " + placed.firstAstray->file +
                                   " line " + std::to_string(placed.firstAstray->line) +
                                   " on, its lines are not the ones this replay expects"
                                   " (a plug-in of another version?)");
      }
    }
    if (setup.cabrillo) {
      std::string content;
      if (!file_io::ReadAll(cabrillo_file, &content)) {
        outcome.problems.push_back(cabrillo_file + ": the Cabrillo file was not produced");
      } else {
        outcome.written.push_back(cabrillo_file);
        if (!text::EndsWith(content, "END-OF-LOG:\r\n")) {
          outcome.problems.push_back(cabrillo_file + ": incomplete (no END-OF-LOG line)");
        } else if (!category.empty() && content.find("\r\nCATEGORY-OPERATOR: " + category +
                                                     "\r\n") == std::string::npos) {
          outcome.problems.push_back(cabrillo_file +
                                     ": the header dialog did not take the category " + category);
        }
      }
    }
  } catch (const fs::filesystem_error& e) {
    throw ReplayFailure(e.what());
  }
  return outcome;
}

void ReplayTally::Count(int result, const std::string& new_lines) {
  ++read;
  bool band = false, mode = false, exchange = false, area = false, dupe = false;
  for (std::string_view line : file_io::SplitLines(new_lines)) {
    switch (bad_qso_log::ReasonOf(line)) {
      case bad_qso_log::Reason::kWrongBand:
        band = true;
        break;
      case bad_qso_log::Reason::kWrongMode:
        mode = true;
        break;
      case bad_qso_log::Reason::kNoExchange:
        exchange = true;
        break;
      case bad_qso_log::Reason::kBadArea:
        area = true;
        break;
      case bad_qso_log::Reason::kDupe:
        dupe = true;
        break;
      case bad_qso_log::Reason::kNone:
        break;
    }
  }
  if (result != 0) {
    ++stored;
    if (dupe) {
      ++dupes;
      dupeAndArea += area ? 1 : 0;
    } else if (area) {
      ++badArea;
    } else {
      ++counted;
    }
    return;
  }
  ++refused;
  if (band) {
    ++wrongBand;
  } else if (mode) {
    ++wrongMode;
  } else if (exchange) {
    ++noExchange;
  } else {
    ++otherReason;
  }
}

namespace {

std::string Plural(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string ReplayTally::Describe() const {
  std::string text = std::to_string(stored) + " stored (" + std::to_string(counted) + " counted, " +
                     Plural(dupes, "duplicate", "duplicates") + ", " + std::to_string(badArea) +
                     " unacceptable area";
  if (dupeAndArea > 0) {
    text += "; " + Plural(dupeAndArea, "duplicate", "duplicates") +
            " also had an unacceptable area and counted as duplicate";
  }
  text += "), " + std::to_string(refused) + " refused (" + std::to_string(wrongBand) +
          " wrong band, " + std::to_string(wrongMode) + " wrong mode, " +
          std::to_string(noExchange) + " no exchange";
  if (otherReason > 0) text += ", " + std::to_string(otherReason) + " without a reason";
  return text + ")";
}
