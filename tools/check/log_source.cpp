#include "tools/check/log_source.h"

#include <fcntl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "engine/ini_file_store.h"
#include "tools/plugin_loader/plugin_library.h"
#include "tools/replay/input_error.h"
#include "tools/replay/log_file.h"
#include "tools/replay/replay_platform.h"
#include "tools/replay/replay_run.h"

namespace fs = std::filesystem;

namespace {

// COleDateTime as the plug-in reads it: day count, status (0 valid), padding.
struct HostDate {
  double days = 0.0;
  int32_t status = 0;
  int32_t padding = 0;
};
static_assert(sizeof(HostDate) == 16, "COleDateTime layout");

std::string TwoDigits(int n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}

HostDate DateOf(int yyyymmdd) {
  return HostDate{
      static_cast<double>(OleDayNumber(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100)), 0,
      0};
}

std::string BadQsoFileName(int period_end) {
  return "BadQSO_StatsTZQ_" + TwoDigits(period_end % 100) + "_" +
         TwoDigits(period_end / 100 % 100) + "_" + std::to_string(period_end / 10000) + ".txt";
}

// The plug-in names its files without a folder.
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

// The lines each AddData0 appends to the bad-QSO file are its warnings.
// The file stays open for the whole replay and is asked for its end once
// per QSO: one system call, where looking the name up costs several, and a
// replay makes a million of them. Plain descriptors, so that no stream
// buffer hides what the plug-in appended.
class FileTail {
 public:
  explicit FileTail(const std::string& name) : fd_(OpenForReading(name)) {
    if (fd_ >= 0) seen_ = SeekTo(fd_, 0, SEEK_END);
  }
  ~FileTail() {
    if (fd_ >= 0) CloseFile(fd_);
  }
  FileTail(const FileTail&) = delete;
  FileTail& operator=(const FileTail&) = delete;

  std::string Next() {
    if (fd_ < 0) return std::string();
    const long long size = SeekTo(fd_, 0, SEEK_END);
    if (size <= seen_ || SeekTo(fd_, seen_, SEEK_SET) != seen_) return std::string();
    std::string added(static_cast<size_t>(size - seen_), '\0');
    size_t got = 0;
    while (got < added.size()) {
      const int n = ReadSome(fd_, &added[got], added.size() - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    added.resize(got);
    seen_ += static_cast<long long>(got);
    return added;
  }

 private:
#if defined(_WIN32)
  static int OpenForReading(const std::string& name) {
    return _open(name.c_str(), _O_RDONLY | _O_BINARY);
  }
  static long long SeekTo(int fd, long long offset, int whence) {
    return _lseeki64(fd, offset, whence);
  }
  static int ReadSome(int fd, char* buffer, size_t n) {
    return _read(fd, buffer, static_cast<unsigned>(n));
  }
  static void CloseFile(int fd) {
    _close(fd);
  }
#else
  static int OpenForReading(const std::string& name) {
    return open(name.c_str(), O_RDONLY);
  }
  static long long SeekTo(int fd, long long offset, int whence) {
    return lseek(fd, offset, whence);
  }
  static int ReadSome(int fd, char* buffer, size_t n) {
    return static_cast<int>(read(fd, buffer, n));
  }
  static void CloseFile(int fd) {
    close(fd);
  }
#endif

  int fd_;
  long long seen_ = 0;
};

// Totals from the plug-in's text report: "Total\t q\t p\t m" and "Dupe\t d".
void ParseReport(const std::string& report, PluginScore* score) {
  const size_t total = report.find("\nTotal\t");
  if (total != std::string::npos) {
    std::sscanf(report.c_str() + total + 7, " %d\t %d\t %d", &score->qsos, &score->points,
                &score->multipliers);
  }
  const size_t dupe = report.find("\nDupe\t");
  if (dupe != std::string::npos) std::sscanf(report.c_str() + dupe + 6, " %d", &score->dupes);
  // The plug-in multiplies in 32 bits; the report's product is the score.
  const size_t line = report.find("\nScore: ");
  if (line != std::string::npos) {
    const size_t equals = report.find(" = ", line);
    if (equals != std::string::npos) std::sscanf(report.c_str() + equals + 3, "%d", &score->score);
  }
}

}  // namespace

bool ReadLogQsos(const std::string& path, std::vector<LogQso>* qsos, std::string* error) {
  try {
    *qsos = LoadLog(path, std::string());
    return true;
  } catch (const InputError& e) {
    *error = e.Describe();
  } catch (const std::exception& e) {
    *error = path + ": " + e.what();
  }
  return false;
}

struct PluginReplayer::State {
  PluginLibrary library;
  PluginApi api;
  fs::path folder;
};

PluginReplayer::PluginReplayer() : state_(std::make_unique<State>()) {}
PluginReplayer::~PluginReplayer() = default;

bool PluginReplayer::Open(const std::string& plugin, const std::string& work_folder,
                          std::string* error) {
  const fs::path path = plugin.empty()
                            ? fs::path(ProgramFolder()) / PluginLibrary::DefaultFileName()
                            : fs::absolute(plugin);
  if (!state_->library.Open(path.string(), error) || !state_->api.Resolve(state_->library, error)) {
    return false;
  }
  std::error_code ec;
  state_->folder = fs::absolute(work_folder, ec);
  // The settings file lives in "Plugins", which must exist.
  fs::create_directories(state_->folder / "Plugins", ec);
  if (ec) {
    *error = "cannot create " + (state_->folder / "Plugins").string() + ": " + ec.message();
    return false;
  }
  return true;
}

bool PluginReplayer::Replay(const std::vector<const LogQso*>& qsos, const std::string& own_call,
                            int period_start, int period_end, bool with_warnings,
                            PluginScore* score, std::string* error) {
  *score = PluginScore();
  try {
    WorkingFolder folder(state_->folder);
    // Nobody is there to use the settings window: marking it as just opened
    // makes the reset leave it closed. The reset clears the mark, so every
    // replay sets it again.
    IniFileStore settings;
    if (!settings.Write("Plugins\\TZQ.ini", "Settings", "Start", "1")) {
      *error = state_->folder.string() + ": cannot write Plugins/TZQ.ini";
      return false;
    }
    const PluginApi& api = state_->api;
    const char* x = "";
    HostDate none{0.0, 2, 0};
    HostDate start = DateOf(period_start), end = DateOf(period_end);
    api.ResetStats0(x, 0, own_call.c_str(), &start, &end, x, x, x, x, x, x, x, x, x, x, 0, 0, 0,
                    0.0, 0.0, x, x, x);
    ReplayTally tally;
    std::unique_ptr<FileTail> tail;
    if (with_warnings) tail = std::make_unique<FileTail>(BadQsoFileName(period_end));
    for (const LogQso* q : qsos) {
      HostDate time{q->oleDays, 0, 0};
      const int result =
          api.AddData0(q->ownCall.c_str(), q->call.c_str(), &time, &none, &none, &none, 0u,
                       q->freqHz, q->mode.c_str(), q->rstSent.c_str(), q->rstRcvd.c_str(),
                       q->exchSent.c_str(), q->exchRcvd.c_str(), x, x, x, x, x, x, x, x, x,
                       q->dxPrefix.c_str(), 0, 0, 0, 0.0, 0.0, x, x, x, q->band.c_str(), x);
      if (tail) tally.Count(result, tail->Next());
    }
    int out_flag = 0;
    ParseReport(api.GetResult0(&out_flag), score);
    if (tail) score->warnings = tally.Describe();
  } catch (const fs::filesystem_error& e) {
    *error = e.what();
    return false;
  }
  return true;
}
