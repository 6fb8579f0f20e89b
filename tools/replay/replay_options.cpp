#include "tools/replay/replay_options.h"

#include <algorithm>
#include <map>

#include "engine/text.h"
#include "reports/cabrillo_header_fields.h"
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

// "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM[:SS]" as YYYYMMDDHHMMSS; a date alone
// is its first or last second, as `end` says.
int64_t ParsePeriodTime(const std::string& text, bool end) {
  const std::string date = text.substr(0, 10);
  int year = 0, month = 0, day = 0, hour = end ? 23 : 0, minute = end ? 59 : 0,
      second = end ? 59 : 0;
  bool ok =
      date.size() == 10 && date[4] == '-' && date[7] == '-' &&
      ParseAdifDate(date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2), &year, &month, &day);
  if (ok && text.size() > 10) {
    const std::string time = text.substr(11);
    ok = text[10] == 'T' && (time.size() == 5 || (time.size() == 8 && time[5] == ':')) &&
         time[2] == ':' &&
         ParseAdifTime(
             time.substr(0, 2) + time.substr(3, 2) + (time.size() == 8 ? time.substr(6, 2) : ""),
             &hour, &minute, &second);
    if (ok && time.size() == 5) second = end ? 59 : 0;
  }
  if (!ok) {
    throw InputError("", 0, "--period",
                     "'" + text + "' is not a date (YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS] expected)");
  }
  return (year * 10000LL + month * 100 + day) * 1000000 + hour * 10000 + minute * 100 + second;
}

// "SINGLE-OP A, SINGLE-OP B, ... or CHECKLOG".
std::string CategoryChoices() {
  std::string text;
  const size_t n = std::size(kCabrilloCategories);
  for (size_t i = 0; i < n; ++i) {
    text += (i == 0 ? "" : i + 1 == n ? " or " : ", ") + std::string(kCabrilloCategories[i]);
  }
  return text;
}

bool HasControlCharacter(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

}  // namespace

bool IsOwnCall(const std::string& call) {
  if (call.empty() || call.size() > 32) return false;
  for (char c : call) {
    const bool ok =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/';
    if (!ok) return false;
  }
  return true;
}

ReplayOptions ParseReplayOptions(const std::vector<std::string>& args) {
  ReplayOptions options;
  std::map<std::string, std::string> header;  // key -> value, in settings-file form
  std::vector<std::string> header_order;
  bool options_done = false;

  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (options_done || arg.size() < 2 || arg[0] != '-') {
      if (arg == "-" && std::count(options.logFiles.begin(), options.logFiles.end(), "-") > 0) {
        throw InputError("", 0, arg, "standard input can be read only once");
      }
      options.logFiles.push_back(arg);
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
    } else if (arg == "--strict") {
      options.strict = true;
    } else if (arg == "--call") {
      options.ownCall = text::ToUpper(value("a callsign"));
      if (!IsOwnCall(options.ownCall)) {
        throw InputError(
            "", 0, arg,
            "'" + options.ownCall + "' is not a callsign (1 to 32 letters, digits and '/')");
      }
    } else if (arg == "--dg-mode") {
      const std::string mode = value("a mode: RTTY, BPSK31, BPSK63 or BPSK125");
      options.dgMode = ContestMode(mode);
      if (options.dgMode.empty()) {
        throw InputError("", 0, arg,
                         "'" + mode + "' is not a contest mode (RTTY, BPSK31, BPSK63, BPSK125)");
      }
    } else if (arg == "--category") {
      // The header dialog's choices, in any letter case; the dialog's
      // spelling goes into the settings file, from where the replay picks it
      // in the dialog.
      const std::string given = value(("a category: " + CategoryChoices()).c_str());
      const char* category = nullptr;
      for (const char* c : kCabrilloCategories) {
        if (text::ToUpper(given) == c) category = c;
      }
      if (category == nullptr) {
        throw InputError(
            "", 0, arg,
            "'" + given + "' is not a category of the header dialog (" + CategoryChoices() + ")");
      }
      if (header.count("Category") == 0) header_order.push_back("Category");
      header["Category"] = category;
    } else if (arg == "--settings") {
      options.settingsFile = value("a settings file");
      if (options.settingsFile.empty()) throw InputError("", 0, arg, "needs a settings file");
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
      options.periodStart = ParsePeriodTime(start, false);
      options.periodEnd = ParsePeriodTime(end, true);
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
      const std::string given = value("a text");
      if (HasControlCharacter(given)) {
        throw InputError("", 0, arg,
                         "holds a control character (a line break?): give one "
                         "line per option; --operators and --soapbox repeat");
      }
      const std::string& text = given;
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

  if (!options.help && options.logFiles.empty()) throw InputError("", 0, "", "no log file given");
  for (const std::string& key : header_order) options.headerKeys.emplace_back(key, header[key]);
  return options;
}

std::string ReplayHelpText() {
  return R"(Usage: tzq-replay [OPTIONS] LOG...

Scores a contest log through the TZQ statistics plug-in, calling it exactly
as the host program does: ResetStats0 for the contest period, one AddData0
per QSO, then GetResult0. Prints the score report on standard output; on
standard error one warning line per odd record and a summary (QSOs read,
stored, refused, skipped and outside the period by reason, the period, the
files written).

LOG is an ADIF file (ADIF 3 tag format, with or without a header) or a
Cabrillo 3.0 file (first line START-OF-LOG:); "-" reads standard input.
Several logs are one merged log, replayed in QSO time order (equal times
keep their order); a single log is replayed in its own order.

Options:
  --out DIR         working folder for the plug-in's files (default ./out,
                    created): BadQSO_StatsTZQ_DD_MM_YYYY.txt, <owncall>.cbr
                    and Plugins/TZQ.ini. An earlier run's files there are
                    replaced; the settings file starts empty on every run.
  --period START END
                    contest period: YYYY-MM-DD (whole days, from START
                    00:00:00 to END 23:59:59 UTC) or YYYY-MM-DDTHH:MM[:SS].
                    Only QSOs inside it are scored; the rest are counted as
                    outside the period. Default: the dates of the earliest
                    and the latest QSO.
  --call CALL       own callsign (letters, digits and '/'): handed to the
                    reset, names the Cabrillo file, and is the own call of
                    QSOs whose record has neither STATION_CALLSIGN nor
                    OPERATOR. Default: the first QSO's own call.
  --dg-mode MODE    score QSOs in a generic digital mode (Cabrillo DG, ADIF
                    DIGI, DIGITAL, DATA) as MODE: RTTY, BPSK31, BPSK63 or
                    BPSK125. Without it they are refused as wrong mode.
  --strict          every warning is an error (exit 2, nothing written).
  --html            announce a host first (setVersion): the report is HTML.
  --cabrillo        export the log as a Cabrillo file <owncall>.cbr (needs
                    an own call). These options set its header (each one
                    line, at most 99 characters):
      --name TEXT, --club TEXT, --email TEXT, --location TEXT,
      --address TEXT, --city TEXT, --postcode TEXT, --country TEXT,
      --operators TEXT, --soapbox TEXT
                    (--operators and --soapbox may be repeated, one line each)
  --category CATEGORY
                    the CATEGORY-OPERATOR line, one of the header dialog's
                    choices: SINGLE-OP A, SINGLE-OP B, SINGLE-OP C, YL, LABRE,
                    QRP or CHECKLOG (quote the blank: "SINGLE-OP A").
                    Default: the Category the settings file holds, else
                    SINGLE-OP A.
  --settings FILE   use FILE as the plug-in's settings file and write it back
                    afterwards, so header values (the category too) carry
                    over between runs.
  --plugin PATH     the plug-in library to load (default: Stats.so beside
                    this program, else the installed one in ../lib/tzq-stats;
                    Stats.dll beside tzq-replay.exe in the Windows build).
  -h, --help        show this text.
  --version         print the version and exit.
  Options may also be written --option=VALUE.

How ADIF fields become the plug-in's QSO (values trimmed of white space):
  call       CALL, in upper case
  own call   STATION_CALLSIGN, else OPERATOR, else --call; upper case
  time       QSO_DATE + TIME_ON (HHMM or HHMMSS), as an OLE date
  frequency  FREQ (MHz) in hertz, rounded to the nearest hertz; without
             FREQ, the lower edge of BAND (3500, 7000, 14000, 21000,
             28000 kHz)
  band       BAND in any letter case, as 80m, 40m...; without BAND, the
             band of FREQ
  mode       RTTY; PSK with SUBMODE PSK31/PSK63/PSK125 as BPSK31/BPSK63/
             BPSK125 (also MODE PSK31.., BPSK31..), any letter case; any
             other mode as written, which the plug-in refuses
  reports    RST_SENT, RST_RCVD
  exchange   sent: STX_STRING, else STX; received: SRX_STRING, else SRX,
             else STATE for a Brazilian station
  prefix     DXCC (108 PY, 56 PY0F, 253 PY0S, 273 PY0T, others their own
             prefix or DX), else from the call: PY0F/PY0S/PY0T and PP0..PX0,
             ZV0..ZZ0 followed by F, S or T are the islands, other PP..PY and
             ZV..ZZ calls are PY, anything else DX.
Cabrillo QSO lines give frequency (kHz), mode code (RY, PS, PM, PO; DG with
--dg-mode), date, time, calls, reports and exchanges; the band comes from
the frequency. <EOF> or any <..._EOF> ends an ADIF log.

A record that cannot be scored (CALL, QSO_DATE, TIME_ON, MODE or both BAND
and FREQ missing, a NUL byte, a date, time or frequency that cannot be, a
Cabrillo QSO line with too few or too many columns) is skipped with a
warning naming file, line and reason. A field given twice keeps its first
value, with a warning. A QSO the plug-in refuses or does not count is no
error: it is counted in the summary and listed in the bad-QSO file.

Exit status:
  0  the log was scored and every output written whole
  1  the plug-in could not be loaded, the working folder or settings file
     could not be written, or an output is missing, incomplete or not what
     the plug-in should have written (the message names the file)
  2  bad option, own call or header value; unreadable or damaged log; a
     warning under --strict; --cabrillo without an own call. Nothing was
     written.
)";
}
