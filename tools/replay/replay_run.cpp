#include "tools/replay/replay_run.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "engine/ini_file_store.h"
#include "tools/plugin_loader/plugin_library.h"
#include "tools/replay/input_error.h"
#include "tools/replay/log_file.h"
#include "tools/replay/replay_options.h"
#include "tools/replay/replay_platform.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "tzq-replay";

// The host's date object as the plug-in reads it: the day count, the status
// (0 valid) and the padding of COleDateTime's layout.
struct HostDate {
  double days = 0.0;
  int32_t status = 0;
  int32_t padding = 0;
};
static_assert(sizeof(HostDate) == 16, "COleDateTime layout");

bool EndsWith(const std::string& s, const char* suffix) {
  const size_t n = std::char_traits<char>::length(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

std::string TwoDigits(int n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}

HostDate DateOf(int yyyymmdd) {
  return HostDate{
      static_cast<double>(OleDayNumber(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100)), 0,
      0};
}

// The plug-in names its bad-QSO file after the period's end date.
std::string BadQsoFileName(int period_end) {
  return "BadQSO_StatsTZQ_" + TwoDigits(period_end % 100) + "_" +
         TwoDigits(period_end / 100 % 100) + "_" + std::to_string(period_end / 10000) + ".txt";
}

// ... and its Cabrillo file after the own callsign, made a file name.
std::string CabrilloFileName(const std::string& own_call) {
  std::string base = own_call;
  for (char& c : base) {
    if (c == '/' || c == '\\') c = '_';
  }
  const size_t first = base.find_first_not_of(" \t\r\n\v\f");
  base = first == std::string::npos
             ? std::string()
             : base.substr(first, base.find_last_not_of(" \t\r\n\v\f") - first + 1);
  return (base.empty() ? "KVTZ" : base) + ".cbr";
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

// Bytes appended to a file since the last look.
class FileTail {
 public:
  explicit FileTail(std::string name) : name_(std::move(name)) { Next(); }

  std::string Next() {
    std::error_code ec;
    const uintmax_t size = fs::file_size(name_, ec);
    if (ec || size <= seen_) return std::string();
    std::string added(static_cast<size_t>(size - seen_), '\0');
    std::ifstream in(name_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(seen_));
    in.read(&added[0], static_cast<std::streamsize>(added.size()));
    added.resize(static_cast<size_t>(in.gcount()));
    seen_ += added.size();
    return added;
  }

 private:
  std::string name_;
  uintmax_t seen_ = 0;
};

struct Outcome {
  std::string report;
  ReplayTally tally;
  std::vector<std::string> written;
  bool exported = false;
};

// The host's side of one replay, in the working folder.
Outcome Replay(const PluginApi& api, const ReplayOptions& options,
               const std::vector<ReplayQso>& qsos, const std::string& own_call, int period_start,
               int period_end) {
  Outcome outcome;
  const char* x = "";  // every text position the plug-in ignores
  HostDate none{0.0, 2, 0};

  if (options.html) api.setVersion(kProgram);
  std::unique_ptr<ModalWindowAnswerer> answerer;
  if (options.cabrillo) answerer = std::make_unique<ModalWindowAnswerer>();

  HostDate start = DateOf(period_start), end = DateOf(period_end);
  api.ResetStats0(x, options.cabrillo ? 1 : 0, own_call.c_str(), &start, &end, x, x, x, x, x, x, x,
                  x, x, x, 0, 0, 0, 0.0, 0.0, x, x, x);
  const std::string bad_qso_file = BadQsoFileName(period_end);
  FileTail tail(bad_qso_file);

  for (const ReplayQso& q : qsos) {
    HostDate time{q.oleDays, 0, 0};
    const int result = api.AddData0(
        q.ownCall.c_str(), q.call.c_str(), &time, &none, &none, &none, 0u, q.freqHz, q.mode.c_str(),
        q.rstSent.c_str(), q.rstRcvd.c_str(), q.exchSent.c_str(), q.exchRcvd.c_str(), x, x, x, x, x,
        x, x, x, x, q.dxPrefix.c_str(), 0, 0, 0, 0.0, 0.0, x, x, x, q.band.c_str(), x);
    outcome.tally.Count(result, tail.Next());
  }

  int out_flag = 0;
  outcome.report = api.GetResult0(&out_flag);
  outcome.exported = out_flag == -1;

  std::error_code ec;
  if (fs::exists(bad_qso_file, ec)) outcome.written.push_back(bad_qso_file);
  if (outcome.exported && fs::exists(CabrilloFileName(own_call), ec)) {
    outcome.written.push_back(CabrilloFileName(own_call));
  }
  return outcome;
}

std::string Plural(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

void ReplayTally::Count(int result, const std::string& new_lines) {
  ++read;
  bool band = false, mode = false, exchange = false, area = false, dupe = false;
  size_t pos = 0;
  while (pos < new_lines.size()) {
    size_t end = new_lines.find('\n', pos);
    if (end == std::string::npos) end = new_lines.size();
    std::string line = new_lines.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    band = band || EndsWith(line, "   WRONG BAND !!!");
    mode = mode || EndsWith(line, "   WRONG MODE !!!");
    exchange = exchange || EndsWith(line, "   NO RX NUMBER !!!");
    area = area || EndsWith(line, "   Code Area is not acceptable !!!");
    dupe = dupe || EndsWith(line, "   DUPE !!!");
  }
  if (result != 0) {
    ++stored;
    dupes += dupe ? 1 : 0;
    badArea += area ? 1 : 0;
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

std::string ReplayTally::Describe() const {
  std::string text = Plural(read, "QSO", "QSOs") + " read, " + std::to_string(stored) +
                     " stored (" + Plural(dupes, "dupe", "dupes") + ", " + std::to_string(badArea) +
                     " unacceptable area), " + std::to_string(refused) + " refused (" +
                     std::to_string(wrongBand) + " wrong band, " + std::to_string(wrongMode) +
                     " wrong mode, " + std::to_string(noExchange) + " no exchange";
  if (otherReason > 0) text += ", " + std::to_string(otherReason) + " without a reason";
  return text + ")";
}

int RunReplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  ReplayOptions options;
  std::vector<ReplayQso> qsos;
  try {
    options = ParseReplayOptions(args);
    if (options.help) {
      out << ReplayHelpText();
      return 0;
    }
    qsos = LoadLog(options.logFile, options.ownCall);
    if (qsos.empty() && options.periodStart == 0) {
      throw InputError(options.logFile, 0, "", "no QSOs (give --period to score an empty log)");
    }
  } catch (const InputError& e) {
    err << kProgram << ": " << e.Describe() << "\n";
    if (e.file().empty()) err << "Try '" << kProgram << " --help'.\n";
    return 2;
  }

  int period_start = options.periodStart, period_end = options.periodEnd;
  if (period_start == 0) {
    period_start = period_end = qsos.front().date;
    for (const ReplayQso& q : qsos) {
      period_start = std::min(period_start, q.date);
      period_end = std::max(period_end, q.date);
    }
  }
  std::string own_call = options.ownCall;
  for (size_t i = 0; own_call.empty() && i < qsos.size(); ++i) own_call = qsos[i].ownCall;

  // Everything the run needs from the file system is resolved before the
  // working folder changes.
  const fs::path plugin = options.plugin.empty()
                              ? fs::path(ProgramFolder()) / PluginLibrary::DefaultFileName()
                              : fs::absolute(options.plugin);
  PluginLibrary library;
  PluginApi api;
  std::string error;
  if (!library.Open(plugin.string(), &error) || !api.Resolve(library, &error)) {
    err << kProgram << ": " << error << "\n";
    return 1;
  }
  // The plug-in writes its settings into the folder "Plugins", which must
  // exist.
  std::error_code ec;
  fs::create_directories(fs::path(options.outDir) / "Plugins", ec);
  if (ec) {
    err << kProgram << ": cannot create " << options.outDir << "/Plugins: " << ec.message() << "\n";
    return 1;
  }

  Outcome outcome;
  try {
    WorkingFolder folder(options.outDir);
    // A replay has no operator for the settings window; marking it as just
    // opened makes the reset leave it closed. The header keys must be in
    // place before the reset runs the header dialog.
    auto keys = options.headerKeys;
    keys.insert(keys.begin(), {"Start", "1"});
    IniFileStore settings;
    for (const auto& [key, value] : keys) {
      if (!settings.Write("Plugins\\TZQ.ini", "Settings", key, value)) {
        err << kProgram << ": " << options.outDir << ": cannot write Plugins/TZQ.ini\n";
        return 1;
      }
    }
    outcome = Replay(api, options, qsos, own_call, period_start, period_end);
    library.Close();
  } catch (const fs::filesystem_error& e) {
    err << kProgram << ": " << e.what() << "\n";
    return 1;
  }

  out << outcome.report;
  if (!outcome.report.empty() && outcome.report.back() != '\n') out << "\r\n";
  out.flush();

  err << kProgram << ": " << options.logFile << ": " << outcome.tally.Describe();
  if (!outcome.written.empty()) {
    err << "; wrote";
    for (size_t i = 0; i < outcome.written.size(); ++i) {
      err << (i == 0 ? " " : ", ") << (fs::path(options.outDir) / outcome.written[i]).string();
    }
  }
  err << "\n";
  if (options.cabrillo && !outcome.exported) {
    err << kProgram << ": the Cabrillo export did not run (header dialog not confirmed)\n";
    return 1;
  }
  return 0;
}
