// tzq-loggen: writes a TZQ contest log in ADIF, the way a Windows logging
// program exports one, for demonstrations, tests and benchmarks. The output
// depends only on the options: the same count and seed give the same bytes
// on every machine and compiler (integer arithmetic and a fixed generator).
//
// The log is what a busy Brazilian station logs over the 24 hours of the
// contest: RTTY and BPSK31/63/125 on 80, 40, 20, 15 and 10 m; Brazilian
// stations sending their state, YL, QRP and LB stations sending their
// category, island stations (PY0F, PY0S, PY0T), a few DX stations sending a
// serial number. Like every real log it holds mistakes: dupes, mistyped
// exchanges, a missing exchange, QSOs on other bands and in other modes.
// See --help.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/file_io.h"
#include "engine/version.h"
#include "tools/loggen/contest_logs.h"
#include "tools/loggen/loggen_random.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr const char* kOwnCall = "PY2XB";
constexpr const char* kOwnState = "SP";

// --clean: leave out every QSO the plug-in would refuse or write down.
bool g_clean = false;

// Picks an index by integer weights.
template <size_t N>
int Weighted(Random& random, const int (&weights)[N]) {
  int total = 0;
  for (int w : weights) total += w;
  int r = random.Below(total);
  for (size_t i = 0; i < N; ++i) {
    if (r < weights[i]) return static_cast<int>(i);
    r -= weights[i];
  }
  return N - 1;
}

struct Band {
  const char* name;
  int rttyKhz;  // bottom of the band's RTTY activity
  int pskKhz;   // PSK calling frequency
};
constexpr Band kBands[] = {{"80m", 3580, 3580},
                           {"40m", 7040, 7040},
                           {"20m", 14080, 14070},
                           {"15m", 21080, 21070},
                           {"10m", 28080, 28120}};
constexpr int kBandWeights[] = {15, 35, 25, 15, 10};

struct Mode {
  const char* mode;
  const char* submode;  // empty: none
};
constexpr Mode kModes[] = {{"RTTY", ""}, {"PSK", "PSK31"}, {"PSK", "PSK63"}, {"PSK", "PSK125"}};
constexpr int kModeWeights[] = {40, 35, 15, 10};

// Call areas of Brazil and the states in each.
const std::vector<std::vector<const char*>> kStatesOfArea = {
    {},
    {"RJ", "ES"},
    {"SP"},
    {"RS"},
    {"MG"},
    {"PR", "SC"},
    {"BA", "SE"},
    {"PE", "PB", "RN", "CE", "AL", "PI"},
    {"PA", "MA", "AP", "AM", "RR", "AC", "RO"},
    {"GO", "MT", "MS", "TO", "DF"}};
constexpr const char* kBrazilPrefixes[] = {"PY", "PY", "PY", "PY", "PU", "PU", "PU",
                                           "PP", "PR", "PS", "PT", "PV", "PW", "ZV"};
constexpr int kAreaWeights[] = {0, 14, 26, 12, 12, 11, 7, 8, 5, 5};

constexpr const char* kBrazilNames[] = {"Jo\xC3\xA3o",
                                        "Jos\xC3\xA9",
                                        "S\xC3\xA9rgio",
                                        "Ant\xC3\xB4nio",
                                        "M\xC3\xA1rcio",
                                        "Lu\xC3\xADs",
                                        "Concei\xC3\xA7\xC3\xA3o",
                                        "F\xC3\xA1tima",
                                        "Carlos",
                                        "Paulo",
                                        "Roberto",
                                        "Marcos",
                                        "Ana",
                                        "Pedro",
                                        "Fernando",
                                        "Ricardo",
                                        "Andr\xC3\xA9",
                                        "Ros\xC3\xA2ngela",
                                        "Vit\xC3\xB3ria",
                                        "Jos\xC3\xA9 Carlos"};

struct DxEntity {
  const char* prefix;
  int dxcc;
  const char* names[2];
};
constexpr DxEntity kDx[] = {{"LU", 100, {"Jorge", "Mart\xC3\xADn"}},
                            {"CE", 112, {"Patricio", "Cristi\xC3\xA1n"}},
                            {"CX", 144, {"Walter", "Diego"}},
                            {"K", 291, {"John", "Bob"}},
                            {"W", 291, {"Mike", "Dave"}},
                            {"DL", 230, {"J\xC3\xBCrgen", "Hans"}},
                            {"EA", 281, {"Jes\xC3\xBAs", "Pepe"}},
                            {"I", 248, {"Marco", "Gianni"}},
                            {"CT", 272, {"Jo\xC3\xA3o", "Rui"}}};

enum class Category { kState, kYl, kQrp, kLb, kIsland, kDx };

struct Station {
  std::string call;
  std::string state;  // the area it sends (islands: the state they belong to)
  Category category = Category::kState;
  std::string name;
  int dxcc = 108;
};

// The islands' own stations; every log of a busy station meets a few.
const Station kIslandStations[] = {
    {"PY0FF", "PE", Category::kIsland, "Ronaldo", 56},
    {"PY0FO", "PE", Category::kIsland, "Ma\xC3\xADra", 56},
    {"PY0SP", "PE", Category::kIsland, "Expedi\xC3\xA7\xC3\xA3o", 253},
    {"PY0TI", "ES", Category::kIsland, "Marinha", 273}};

std::string Suffix(Random& random, int letters) {
  std::string s;
  for (int i = 0; i < letters; ++i) s += static_cast<char>('A' + random.Below(26));
  return s;
}

std::vector<Station> MakeStations(Random& random, int count) {
  std::vector<Station> stations(std::begin(kIslandStations), std::end(kIslandStations));
  std::set<std::string> calls;
  for (const Station& s : stations) calls.insert(s.call);
  while (static_cast<int>(stations.size()) < count) {
    Station s;
    const int kind = random.Below(100);
    if (kind < 4 && !g_clean) {
      const DxEntity& dx = random.Pick(kDx);
      s.call = std::string(dx.prefix) + std::to_string(1 + random.Below(9)) +
               Suffix(random, 2 + random.Below(2));
      s.category = Category::kDx;
      s.name = dx.names[random.Below(2)];
      s.dxcc = dx.dxcc;
    } else {
      const int area = Weighted(random, kAreaWeights);
      const std::vector<const char*>& states = kStatesOfArea[area];
      s.call = std::string(random.Pick(kBrazilPrefixes)) + std::to_string(area) +
               Suffix(random, 2 + random.Below(2));
      s.state = states[random.Below(static_cast<int>(states.size()))];
      s.category = kind < 11   ? Category::kYl
                   : kind < 16 ? Category::kQrp
                   : kind < 20 ? Category::kLb
                               : Category::kState;
      s.name = random.Pick(kBrazilNames);
    }
    if (calls.insert(s.call).second) stations.push_back(s);
  }
  return stations;
}

// What the station sends as its exchange in this QSO.
std::string ExchangeOf(const Station& s, Random& random) {
  switch (s.category) {
    case Category::kYl:
      return "YL";
    case Category::kQrp:
      return "QRP";
    case Category::kLb:
      return "LB";
    case Category::kDx: {
      char serial[8];
      std::snprintf(serial, sizeof serial, "%03d", 1 + random.Below(400));
      return serial;
    }
    default:
      return s.state;
  }
}

class AdifWriter {
 public:
  void Field(const char* name, const std::string& value) {
    if (value.empty()) return;
    out_ += "<" + std::string(name) + ":" + std::to_string(value.size()) + ">" + value;
  }
  void EndRecord() { out_ += "<EOR>\r\n"; }
  void Raw(const std::string& text) { out_ += text; }
  const std::string& text() const { return out_; }

 private:
  std::string out_;
};

struct Qso {
  const Station* station;
  int band;  // index into kBands, or -1 for an out-of-contest band
  std::string bandName;
  int mode;  // index into kModes, or -1 for an out-of-contest mode
  std::string modeName, submodeName;
  int freqHz;
  int seconds;  // since the contest start
  std::string rstRcvd;
  std::string exchange;
};

std::string Digits(int value, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", width, value);
  return text;
}

// The contest starts on 2024-06-08 at 12:00 UTC and lasts 24 hours.
void WriteQso(AdifWriter& w, const Qso& q, Random& random) {
  const int t = 12 * 3600 + q.seconds;
  const int day = 8 + t / 86400, in_day = t % 86400;
  w.Field("CALL", q.station->call);
  w.Field("QSO_DATE", "202406" + Digits(day, 2));
  w.Field("TIME_ON",
          Digits(in_day / 3600, 2) + Digits(in_day / 60 % 60, 2) + Digits(in_day % 60, 2));
  w.Field("BAND", q.bandName);
  w.Field("FREQ", std::to_string(q.freqHz / 1000000) + "." + Digits(q.freqHz % 1000000, 6));
  w.Field("MODE", q.modeName);
  w.Field("SUBMODE", q.submodeName);
  w.Field("RST_SENT", "599");
  w.Field("RST_RCVD", q.rstRcvd);
  w.Field("STX_STRING", kOwnState);
  w.Field("SRX_STRING", q.exchange);
  w.Field("NAME", q.station->name);
  // Some QSOs were merged in from another program that kept no DXCC.
  if (!random.Chance(150)) w.Field("DXCC", std::to_string(q.station->dxcc));
  w.Field("CONTEST_ID", "TZQ");
  w.Field("STATION_CALLSIGN", kOwnCall);
  w.EndRecord();
}

std::string Generate(int count, uint64_t seed) {
  Random random(seed);
  const std::vector<Station> stations = MakeStations(random, count / 2 + 60);
  std::set<std::tuple<std::string, int, int>> worked;  // call, band, mode
  std::vector<Qso> log;

  AdifWriter w;
  w.Raw("TZQ contest log of " + std::string(kOwnCall) + ", exported for the contest committee\r\n");
  w.Field("ADIF_VER", "3.1.4");
  w.Field("PROGRAMID", "tzq-loggen");
  w.Field("CREATED_TIMESTAMP", "20240609 120500");
  w.Raw("\r\n<EOH>\r\n");

  // The n-th QSO falls in the n-th of `count` equal slots of the day
  // (milliseconds, so that even a very large log spreads over all of it).
  const int64_t slot = count > 0 ? 86400000 / count : 0;
  while (static_cast<int>(log.size()) < count) {
    const int64_t ms =
        static_cast<int64_t>(log.size()) * slot + random.Below(static_cast<int>(slot));
    Qso q;
    q.seconds = static_cast<int>(ms / 1000);
    q.rstRcvd = random.Chance(850) ? "599" : random.Chance(500) ? "579" : "589";

    // A dupe: the same station again a little later, same band and mode.
    if (!g_clean && !log.empty() && random.Chance(30)) {
      const Qso& earlier = log[log.size() - 1 - random.Below(std::min<int>(log.size(), 20))];
      if (earlier.band >= 0 && earlier.mode >= 0) {
        Qso dupe = earlier;
        dupe.seconds = q.seconds;
        dupe.freqHz = earlier.freqHz + 100 * random.Below(10);
        log.push_back(dupe);
        continue;
      }
    }

    // Islands are rare and popular; everyone else is drawn evenly.
    const bool island = random.Chance(20);
    q.station = island ? &stations[random.Below(4)]
                       : &stations[4 + random.Below(static_cast<int>(stations.size()) - 4)];
    q.band = Weighted(random, kBandWeights);
    q.mode = Weighted(random, kModeWeights);
    // Each station once per band and mode, except the dupes above.
    if (!worked.insert({q.station->call, q.band, q.mode}).second) continue;

    const Band& band = kBands[q.band];
    const Mode& mode = kModes[q.mode];
    q.bandName = band.name;
    q.modeName = mode.mode;
    q.submodeName = mode.submode;
    q.freqHz = (q.mode == 0 ? band.rttyKhz + random.Below(12) : band.pskKhz) * 1000 +
               (q.mode == 0 ? 10 * random.Below(100) : 10 * random.Below(300));
    q.exchange = ExchangeOf(*q.station, random);

    // The mistakes of a real log.
    const int slip = g_clean ? 1000 : random.Below(1000);
    if (slip < 10) {
      static const char* const kOtherBands[][2] = {
          {"30m", "10142"}, {"17m", "18103"}, {"160m", "1838"}};
      const auto& other = random.Pick(kOtherBands);
      q.band = -1;
      q.bandName = other[0];
      q.freqHz = std::atoi(other[1]) * 1000 + 10 * random.Below(100);
    } else if (slip < 20) {
      static const Mode kOtherModes[] = {
          {"CW", ""}, {"FT8", ""}, {"MFSK", "FT4"}, {"PSK", "QPSK31"}};
      const Mode& other = random.Pick(kOtherModes);
      q.mode = -1;
      q.modeName = other.mode;
      q.submodeName = other.submode;
    } else if (slip < 27) {
      q.exchange.clear();  // not copied
    } else if (slip < 45 && q.station->category == Category::kState) {
      static const char* const kTypos[] = {"SPP", "BR", "PY", "S", "RJJ", "SA", "0"};
      q.exchange = random.Pick(kTypos);
    } else if (slip < 75 && q.station->category == Category::kState) {
      // Typed in lower case, sometimes with a stray blank: still the area.
      q.exchange = random.Chance(500) ? q.station->state : " " + q.station->state;
      for (char& c : q.exchange) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    log.push_back(q);
  }

  Random fields(seed ^ 0x5A5Aull);
  for (const Qso& q : log) WriteQso(w, q, fields);
  return w.text();
}

constexpr const char* kProgram = "tzq-loggen";

const char* const kHelp = R"(Usage: tzq-loggen [--qsos N] [--seed N] [--clean] [--out FILE]
       tzq-loggen --stations N [--qsos N] [--seed N] --out DIR

Writes a TZQ contest log in ADIF, as a Windows logging program exports one,
with the dupes and mistakes of a real log. The same options always give the
same bytes; the default output is examples/tzq-sample.adi. With --stations
it writes a whole contest instead.

Options:
  --qsos N          QSOs in the log (0 to 10000000, default 400); with
                    --stations, about that many per log (default 100).
  --seed N          the generator's seed (0 to 18446744073709551615, default
                    2024).
  --clean           a log of the same shape without a single problem QSO: no
                    dupes, no mistakes, no DX stations. Not with --stations.
  --out FILE        where the log goes (default: standard output), replaced
                    whole or not at all.
  --stations N      a whole contest of N stations (2 to 100000; with --qsos,
                    at most 20000000 QSO lines in all) into the folder
                    --out DIR (created): one log per station, mostly
                    Cabrillo, some ADIF, a few stations that send none, and
                    fault-key.txt, the QSOs and clocks tzq-check must flag.
  -h, --help        show this text.
  --version         print the version and exit.

Exit status:
  0  the log (or the contest) was written
  1  an output file or folder could not be written (the message names it
     and says why)
  2  bad option; nothing was written
)";

// A bad command line: nothing is written.
int BadOption(const std::string& option, const std::string& message) {
  std::fprintf(stderr, "%s: %s: %s\nTry '%s --help'.\n", kProgram, option.c_str(), message.c_str(),
               kProgram);
  return 2;
}

int CannotWrite(const std::string& path, const std::string& what, const std::string& reason) {
  std::fprintf(stderr, "%s: %s: %s: %s\n", kProgram, path.c_str(), what.c_str(), reason.c_str());
  return 1;
}

std::string Reason(int error) {
  return error != 0 ? std::strerror(error) : "the file could not be replaced";
}

// Digits only (no sign, no blanks), from `min` to `max`.
bool ParseNumber(const std::string& text, uint64_t min, uint64_t max, uint64_t* value) {
  if (text.empty()) return false;
  uint64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (n > (max - digit) / 10) return false;
    n = n * 10 + digit;
  }
  if (n < min) return false;
  *value = n;
  return true;
}

// Contest mode: one log per station and the key of the injected faults,
// written into the folder `out`.
int WriteContest(const ContestOptions& options, const std::string& out) {
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  if (ec) return CannotWrite(out, "cannot create the output folder", ec.message());
  // Each log goes to disk as soon as it is made: a contest of 100,000 logs
  // is never held whole.
  std::string failed_path;
  int failed_errno = 0;
  const bool written =
      GenerateContest(options, [&](const std::string& name, const std::string& bytes) {
        const std::string path = (std::filesystem::path(out) / name).string();
        errno = 0;
        if (file_io::ReplaceContents(path, bytes)) return true;
        failed_path = path;
        failed_errno = errno;
        return false;
      });
  if (!written)
    return CannotWrite(failed_path, "cannot write the output file", Reason(failed_errno));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t count = 400, seed = 2024, stations = 0;
  std::string out;
  bool qsos_given = false, out_given = false;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    auto value = [&](std::string* text) {
      if (i + 1 >= argc) return false;
      *text = argv[++i];
      return true;
    };
    std::string text;
    if (option == "--qsos" || option == "--seed" || option == "--stations") {
      const uint64_t min = option == "--stations" ? 2 : 0;
      const uint64_t max = option == "--qsos"       ? 10000000
                           : option == "--stations" ? kMaxContestStations
                                                    : UINT64_MAX;
      if (!value(&text)) return BadOption(option, "needs a number");
      uint64_t n = 0;
      if (!ParseNumber(text, min, max, &n)) {
        return BadOption(option, "'" + text + "' is not a number from " + std::to_string(min) +
                                     " to " + std::to_string(max));
      }
      (option == "--qsos" ? count : option == "--seed" ? seed : stations) = n;
      qsos_given = qsos_given || option == "--qsos";
    } else if (option == "--out") {
      if (!value(&out) || out.empty()) return BadOption(option, "needs a file or folder");
      out_given = true;
    } else if (option == "--clean") {
      g_clean = true;
    } else if (option == "--help" || option == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (option == "--version") {
      std::printf("%s " TZQ_VERSION_TEXT "\n", kProgram);
      return 0;
    } else {
      return BadOption(option, "unknown option");
    }
  }
  if (stations > 0) {
    if (!out_given) return BadOption("--stations", "needs --out DIR, the folder for the logs");
    if (g_clean) return BadOption("--clean", "makes one log; a contest always has its faults");
    if (qsos_given &&
        static_cast<long long>(stations) * static_cast<long long>(count) > kMaxContestQsoLines) {
      return BadOption("--stations", "times --qsos is above " +
                                         std::to_string(kMaxContestQsoLines) + " QSO lines");
    }
    ContestOptions options;
    options.stations = static_cast<int>(stations);
    options.seed = seed;
    if (qsos_given) options.qsosPerLog = static_cast<int>(std::max<uint64_t>(1, count));
    return WriteContest(options, out);
  }
  const std::string text = Generate(static_cast<int>(count), seed);
  if (out_given) {
    errno = 0;
    if (!file_io::ReplaceContents(out, text)) {
      return CannotWrite(out, "cannot write the output file", Reason(errno));
    }
    return 0;
  }
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);  // the log's CR LF stays as it is
#endif
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    return CannotWrite("standard output", "cannot write the log", Reason(errno));
  }
  return 0;
}
