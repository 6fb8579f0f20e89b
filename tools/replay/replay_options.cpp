#include "tools/replay/replay_options.h"

#include <algorithm>
#include <map>

#include "tools/replay/input_error.h"
#include "tools/replay/qso_mapping.h"

namespace {

// The plug-in reads every settings value into a 100-byte buffer.
constexpr size_t kMaxSettingLength = 99;

struct HeaderOption {
  const char* option;
  const char* key;
  bool multiLine;  // repeatable: each occurrence is one more line
};

constexpr HeaderOption kHeaderOptions[] = {
    {"--name", "Name", false},
    {"--club", "Club", false},
    {"--operators", "Operators", true},
    {"--soapbox", "SoapBox", true},
    {"--email", "Email", false},
    {"--address", "Address", false},
    {"--city", "Address-City", false},
    {"--postcode", "Address-PostalCode", false},
    {"--country", "Address-Country", false},
    {"--location", "Loc", false},
};

// The settings file keeps a value on one line: every line break becomes the
// marker pair the header dialog itself stores.
std::string MarkersForm(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out += "<CR><LF>";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

int ParseIsoDate(const std::string& text, const char* option) {
  int year = 0, month = 0, day = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
      !ParseAdifDate(text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2), &year, &month,
                     &day)) {
    throw InputError("", 0, option, "'" + text + "' is not a date (YYYY-MM-DD expected)");
  }
  return year * 10000 + month * 100 + day;
}

}  // namespace

ReplayOptions ParseReplayOptions(const std::vector<std::string>& args) {
  ReplayOptions options;
  std::map<std::string, std::string> header;  // key -> value, in settings-file form
  std::vector<std::string> header_order;
  bool options_done = false;

  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (options_done || arg.size() < 2 || arg[0] != '-') {
      if (!options.logFile.empty()) {
        throw InputError("", 0, arg, "only one log file can be scored per run");
      }
      options.logFile = arg;
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    // --option=value is the same as --option value.
    std::string inline_value;
    bool has_inline = false;
    const size_t equals = arg.find('=');
    if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      inline_value = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
      has_inline = true;
    }
    auto value = [&](const char* what) -> std::string {
      if (has_inline) {
        has_inline = false;
        return inline_value;
      }
      if (i + 1 >= args.size()) throw InputError("", 0, arg, std::string("needs ") + what);
      return args[++i];
    };

    if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--html") {
      options.html = true;
    } else if (arg == "--cabrillo") {
      options.cabrillo = true;
    } else if (arg == "--call") {
      options.ownCall = value("a callsign");
    } else if (arg == "--out") {
      options.outDir = value("a folder");
      if (options.outDir.empty()) throw InputError("", 0, arg, "needs a folder");
    } else if (arg == "--plugin") {
      options.plugin = value("the plug-in's file");
      if (options.plugin.empty()) throw InputError("", 0, arg, "needs the plug-in's file");
    } else if (arg == "--period") {
      if (has_inline) throw InputError("", 0, arg, "takes two dates: --period START END");
      const std::string start = value("two dates: --period START END");
      const std::string end = value("two dates: --period START END");
      options.periodStart = ParseIsoDate(start, "--period");
      options.periodEnd = ParseIsoDate(end, "--period");
      if (options.periodEnd < options.periodStart) {
        throw InputError("", 0, arg,
                         "the period ends (" + end + ") before it starts (" + start + ")");
      }
    } else {
      const HeaderOption* header_option = nullptr;
      for (const HeaderOption& h : kHeaderOptions) {
        if (arg == h.option) header_option = &h;
      }
      if (header_option == nullptr) throw InputError("", 0, arg, "unknown option");
      const std::string text = MarkersForm(value("a text"));
      std::string& stored = header[header_option->key];
      const bool seen = std::find(header_order.begin(), header_order.end(), header_option->key) !=
                        header_order.end();
      if (!seen) header_order.push_back(header_option->key);
      stored = header_option->multiLine && seen ? stored + "<CR><LF>" + text : text;
      if (stored.size() > kMaxSettingLength) {
        throw InputError("", 0, arg,
                         "longer than the plug-in keeps (99 characters, a line break counts 8)");
      }
    }
    if (has_inline) throw InputError("", 0, arg, "takes no value");
  }

  if (!options.help && options.logFile.empty()) throw InputError("", 0, "", "no log file given");
  for (const std::string& key : header_order) options.headerKeys.emplace_back(key, header[key]);
  return options;
}

std::string ReplayHelpText() {
  return R"(Usage: tzq-replay [OPTIONS] LOG

Scores a contest log through the TZQ statistics plug-in, calling it exactly
as the host program does: ResetStats0 for the contest period, one AddData0
per QSO in file order, then GetResult0. Prints the score report on standard
output and a one-line summary (QSOs read, stored, refused by reason, files
written) on standard error.

LOG is an ADIF file (.adi, ADIF 3 tag format, with or without a header) or a
Cabrillo 3.0 file (a file whose first line is START-OF-LOG:).

Options:
  --out DIR         working folder for the plug-in's files (default ./out,
                    created): BadQSO_StatsTZQ_DD_MM_YYYY.txt, <owncall>.cbr
                    and Plugins/TZQ.ini, which keeps the header data and the
                    claimed score between runs.
  --period START END
                    contest period as ISO dates (YYYY-MM-DD). Default: the
                    dates of the earliest and the latest QSO. The period names
                    the report and the bad-QSO file; every QSO is scored.
  --call CALL       own callsign for QSOs whose record has neither
                    STATION_CALLSIGN nor OPERATOR; also the callsign handed
                    to the reset (default: the first QSO's own call).
  --html            announce a host first (setVersion): the report is HTML.
  --cabrillo        export the log as a Cabrillo file <owncall>.cbr. The
                    header comes from the settings file; these options write
                    its keys first (each at most 99 characters):
      --name TEXT, --club TEXT, --email TEXT, --location TEXT,
      --address TEXT, --city TEXT, --postcode TEXT, --country TEXT,
      --operators TEXT, --soapbox TEXT
                    (--operators and --soapbox may be repeated, one line each)
  --plugin PATH     the plug-in library to load (default: Stats.so, or
                    Stats.dll in the Windows build, beside this program).
  -h, --help        show this text.
  Options may also be written --option=VALUE.

How ADIF fields become the plug-in's QSO:
  call       CALL
  own call   STATION_CALLSIGN, else OPERATOR, else --call
  time       QSO_DATE + TIME_ON (HHMM or HHMMSS), as an OLE date
  frequency  FREQ (MHz) in hertz, rounded to the nearest hertz
  band       BAND as written; without BAND, the band of FREQ
  mode       RTTY; PSK with SUBMODE PSK31/PSK63/PSK125 as BPSK31/BPSK63/
             BPSK125 (also MODE PSK31.., BPSK31..); any other mode as
             written, which the plug-in refuses
  reports    RST_SENT, RST_RCVD
  exchange   sent: STX_STRING, else STX; received: SRX_STRING, else SRX,
             else STATE for a Brazilian station
  prefix     DXCC (108 PY, 56 PY0F, 253 PY0S, 273 PY0T, others their own
             prefix or DX), else from the call: PY0F/PY0S/PY0T and PP0..PX0,
             ZV0..ZZ0 followed by F, S or T are the islands, other PP..PY and
             ZV..ZZ calls are PY, anything else DX.
  Every QSO needs CALL, QSO_DATE, TIME_ON, MODE and BAND or FREQ.
Cabrillo QSO lines give frequency (kHz), mode code (RY, PS, PM, PO), date,
time, calls, reports and exchanges; the band comes from the frequency.

A QSO the plug-in refuses or does not count is no error: it is counted in
the summary and listed in the bad-QSO file with the plug-in's reason.

Exit status:
  0  the log was scored
  1  the plug-in could not be loaded or run, the working folder could not
     be written, or the Cabrillo export did not happen
  2  bad option, unreadable or malformed log (the message names the file,
     line and field); nothing was written
)";
}
