#include "tools/replay/qso_mapping.h"

#include <limits>

#include "engine/text.h"
#include "tools/replay/input_error.h"

namespace {

using text::Trim;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads `count` digits at `s[at]`; false if any is not a digit.
bool Digits(std::string_view s, size_t at, size_t count, int* value) {
  *value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (i >= s.size() || !IsDigit(s[i])) return false;
    *value = *value * 10 + (s[i] - '0');
  }
  return true;
}

struct BandEdge {
  uint64_t low, high;  // hertz, both inclusive
  const char* name;
};

// The ADIF band enumeration up to 70 cm.
constexpr BandEdge kBands[] = {
    {135700, 137800, "2190m"},       {472000, 479000, "630m"},       {1800000, 2000000, "160m"},
    {3500000, 4000000, "80m"},       {5060000, 5450000, "60m"},      {7000000, 7300000, "40m"},
    {10100000, 10150000, "30m"},     {14000000, 14350000, "20m"},    {18068000, 18168000, "17m"},
    {21000000, 21450000, "15m"},     {24890000, 24990000, "12m"},    {28000000, 29700000, "10m"},
    {50000000, 54000000, "6m"},      {70000000, 71000000, "4m"},     {144000000, 148000000, "2m"},
    {222000000, 225000000, "1.25m"}, {420000000, 450000000, "70cm"},
};

struct DxccPrefix {
  int entity;
  const char* prefix;
};

// Brazil and its islands, then the entities a Brazilian contest log meets
// most; the rest answer "DX", which the plug-in treats alike.
constexpr DxccPrefix kDxcc[] = {
    {108, "PY"}, {56, "PY0F"}, {253, "PY0S"}, {273, "PY0T"}, {100, "LU"}, {104, "CP"},  {112, "CE"},
    {116, "HK"}, {120, "HC"},  {132, "ZP"},   {136, "OA"},   {144, "CX"}, {148, "YV"},  {291, "K"},
    {1, "VE"},   {50, "XE"},   {70, "CM"},    {202, "KP4"},  {6, "KL7"},  {110, "KH6"}, {230, "DL"},
    {223, "G"},  {227, "F"},   {248, "I"},    {281, "EA"},   {272, "CT"}, {256, "CT3"}, {149, "CU"},
    {29, "EA8"}, {209, "ON"},  {263, "PA"},   {287, "HB"},   {206, "OE"}, {269, "SP"},  {503, "OK"},
    {504, "OM"}, {239, "HA"},  {275, "YO"},   {212, "LZ"},   {236, "SV"}, {284, "SM"},  {266, "LA"},
    {221, "OZ"}, {224, "OH"},  {245, "EI"},   {288, "UR"},   {54, "UA"},  {15, "UA9"},  {339, "JA"},
    {150, "VK"}, {170, "ZL"},  {462, "ZS"},
};

// First two letters of a Brazilian callsign: PP to PY, ZV to ZZ.
bool IsBrazilianStart(std::string_view call) {
  if (call.size() < 2) return false;
  return (call[0] == 'P' && call[1] >= 'P' && call[1] <= 'Y') ||
         (call[0] == 'Z' && call[1] >= 'V' && call[1] <= 'Z');
}

}  // namespace

std::string ContestMode(std::string_view mode) {
  const std::string m = text::ToUpper(Trim(mode));
  if (m == "RTTY") return m;
  if (m == "PSK31" || m == "PSK63" || m == "PSK125") return "B" + m;
  if (m == "BPSK31" || m == "BPSK63" || m == "BPSK125") return m;
  return std::string();
}

bool IsGenericDigital(std::string_view mode) {
  const std::string m = text::ToUpper(Trim(mode));
  return m == "DG" || m == "DIGI" || m == "DIGITAL" || m == "DATA";
}

std::string HostModeOfAdif(std::string_view mode, std::string_view submode) {
  mode = Trim(mode);
  submode = Trim(submode);
  const std::string m = text::ToUpper(mode);
  if (m == "PSK") {
    const std::string sub = ContestMode(submode);
    if (!sub.empty() && sub != "RTTY") return sub;
    return std::string(submode.empty() ? mode : submode);
  }
  const std::string contest = ContestMode(mode);
  if (!contest.empty()) return contest;
  return std::string(submode.empty() ? mode : submode);
}

std::string HostModeOfCabrillo(std::string_view code) {
  const std::string c = text::ToUpper(code);
  if (c == "RY") return "RTTY";
  if (c == "PS") return "BPSK31";
  if (c == "PM") return "BPSK63";
  if (c == "PO") return "BPSK125";
  return std::string(code);
}

std::string BandOfFrequency(uint64_t hz) {
  for (const BandEdge& band : kBands) {
    if (hz >= band.low && hz <= band.high) return band.name;
  }
  return std::string();
}

std::string HostBand(std::string_view band) {
  band = Trim(band);
  for (const BandEdge& edge : kBands) {
    if (text::EqualsNoCase(band, edge.name)) return edge.name;
  }
  return std::string(band);
}

uint64_t BandEdgeHz(std::string_view band) {
  for (const BandEdge& edge : kBands) {
    if (text::EqualsNoCase(Trim(band), edge.name)) return edge.low;
  }
  return 0;
}

std::string_view LocationPart(std::string_view call) {
  static const char* const kSuffixes[] = {"P", "M", "MM", "AM", "QRP", "A", "R", "LH"};
  std::string_view best;
  bool found = false;
  size_t start = 0;
  while (start <= call.size()) {
    size_t end = call.find('/', start);
    if (end == std::string_view::npos) end = call.size();
    const std::string_view part = call.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    bool suffix = part.size() == 1 && IsDigit(part[0]);
    for (const char* s : kSuffixes) suffix = suffix || part == s;
    if (suffix) continue;
    // Strictly shorter: of two equal lengths the first part stays.
    if (!found || part.size() < best.size()) best = part;
    found = true;
  }
  return found ? best : call;
}

bool IsBrazilianPrefix(std::string_view prefix) {
  return prefix == "PY" || prefix == "PY0F" || prefix == "PY0S" || prefix == "PY0T";
}

std::string PrefixOfCall(std::string_view call) {
  const std::string upper = text::ToUpper(Trim(call));
  const std::string_view part = LocationPart(upper);
  if (!IsBrazilianStart(part)) return "DX";
  if (part.size() >= 4 && part[2] == '0' && (part[3] == 'F' || part[3] == 'S' || part[3] == 'T')) {
    return std::string("PY0") + part[3];
  }
  return "PY";
}

std::string PrefixOfDxcc(int entity) {
  for (const DxccPrefix& d : kDxcc) {
    if (d.entity == entity) return d.prefix;
  }
  return "DX";
}

bool ParseMegahertz(std::string_view text, uint64_t* hz) {
  text = Trim(text);
  const size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  const std::string_view fraction =
      dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  if (whole.empty() && fraction.empty()) return false;
  if (whole.size() > 6) return false;  // a million megahertz is no radio frequency
  uint64_t value = 0;
  for (char c : whole) {
    if (!IsDigit(c)) return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  value *= 1000000;
  uint64_t scale = 100000;
  for (size_t i = 0; i < fraction.size(); ++i) {
    if (!IsDigit(fraction[i])) return false;
    const uint64_t digit = static_cast<uint64_t>(fraction[i] - '0');
    if (i < 6) {
      value += digit * scale;
      scale /= 10;
    } else if (i == 6 && digit >= 5) {
      value += 1;
    }
  }
  *hz = value;
  return true;
}

bool ParseAdifDate(std::string_view text, int* year, int* month, int* day) {
  return text.size() == 8 && Digits(text, 0, 4, year) && Digits(text, 4, 2, month) &&
         Digits(text, 6, 2, day) && IsCalendarDate(*year, *month, *day);
}

bool ParseAdifTime(std::string_view text, int* hour, int* minute, int* second) {
  *second = 0;
  if (text.size() != 4 && text.size() != 6) return false;
  if (!Digits(text, 0, 2, hour) || !Digits(text, 2, 2, minute)) return false;
  if (text.size() == 6 && !Digits(text, 4, 2, second)) return false;
  return *hour < 24 && *minute < 60 && *second < 60;
}

namespace {

// The record's fields as the mapping reads them: the first of each name,
// trimmed; a NUL byte in a field that is read makes the record unusable
// (the host's texts end at the first NUL, which would change the call), and
// so does a line break inside it (the plug-in's files would gain a line:
// a forged QSO in the bad-QSO file or the Cabrillo log).
class Fields {
 public:
  Fields(const AdifRecord& record, const std::string& file, LogNotes* notes)
      : record_(record), file_(file), notes_(notes) {}

  // The trimmed value, "" when absent or empty.
  std::string_view Get(const char* name) {
    const AdifField* field = record_.Find(name);
    if (field == nullptr) return std::string_view();
    if (field->value.find('\0') != std::string::npos && nul_.empty()) nul_ = name;
    const std::string_view value = Trim(field->value);
    if (value.find_first_of("\r\n") != std::string_view::npos && line_break_.empty()) {
      line_break_ = name;
    }
    return value;
  }
  std::string_view FirstOf(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      const std::string_view value = Get(name);
      if (!value.empty()) return value;
    }
    return std::string_view();
  }
  int LineOf(const char* name) const {
    const AdifField* field = record_.Find(name);
    return field != nullptr ? field->line : record_.line;
  }
  bool Skip(const std::string& reason, const char* field, const std::string& message) {
    notes_->Skip(reason, file_, LineOf(field), field, message);
    return false;
  }
  // Only the first NUL or line break is reported: the record goes anyway.
  const std::string& nul() const { return nul_; }
  const std::string& lineBreak() const { return line_break_; }

 private:
  const AdifRecord& record_;
  const std::string& file_;
  LogNotes* notes_;
  std::string nul_, line_break_;
};

}  // namespace

bool MapAdifRecord(const AdifRecord& record, const std::string& file, const MappingRules& rules,
                   ReplayQso* out, LogNotes* notes) {
  for (size_t i = 0; i < record.fields.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (record.fields[j].name == record.fields[i].name) {
        notes->Warn(file, record.fields[i].line, record.fields[i].name,
                    "given twice in one record; the first value is kept");
        break;
      }
    }
  }
  Fields f(record, file, notes);
  ReplayQso qso;
  qso.file = file;
  qso.line = record.line;

  const std::string_view call = f.Get("CALL");
  const std::string_view date = f.Get("QSO_DATE");
  const std::string_view time = f.Get("TIME_ON");
  const std::string_view mode = f.Get("MODE");
  const std::string_view submode = f.Get("SUBMODE");
  const std::string_view band = f.Get("BAND");
  const std::string_view freq = f.Get("FREQ");
  qso.ownCall = text::ToUpper(f.FirstOf({"STATION_CALLSIGN", "OPERATOR"}));
  qso.rstSent = std::string(f.Get("RST_SENT"));
  qso.rstRcvd = std::string(f.Get("RST_RCVD"));
  qso.exchSent = std::string(f.FirstOf({"STX_STRING", "STX"}));
  qso.exchRcvd = std::string(f.FirstOf({"SRX_STRING", "SRX"}));
  const std::string_view dxcc = f.Get("DXCC");
  const std::string_view state = f.Get("STATE");
  if (!f.nul().empty()) {
    return f.Skip("NUL byte", f.nul().c_str(), "holds a NUL byte, which would cut the value");
  }
  if (!f.lineBreak().empty()) {
    return f.Skip("line break", f.lineBreak().c_str(),
                  "holds a line break, which would split the QSO's line in the files written");
  }

  for (const char* required : {"CALL", "QSO_DATE", "TIME_ON", "MODE"}) {
    if (f.Get(required).empty()) {
      return f.Skip(std::string("no ") + required, required,
                    record.Find(required) != nullptr
                        ? "empty"
                        : "missing (every QSO needs CALL, QSO_DATE, TIME_ON, MODE and BAND or "
                          "FREQ)");
    }
  }
  if (band.empty() && freq.empty()) {
    return f.Skip("no BAND or FREQ", "BAND", "missing, and no FREQ either");
  }
  qso.call = text::ToUpper(call);

  int year, month, day, hour, minute, second;
  if (!ParseAdifDate(date, &year, &month, &day)) {
    return f.Skip("bad date", "QSO_DATE",
                  "no such date '" + std::string(date) + "' (YYYYMMDD expected)");
  }
  if (!ParseAdifTime(time, &hour, &minute, &second)) {
    return f.Skip("bad time", "TIME_ON",
                  "no such time '" + std::string(time) + "' (HHMM or HHMMSS expected)");
  }
  SetQsoTime(&qso, year, month, day, hour, minute, second);

  uint64_t hz = 0;
  if (!freq.empty()) {
    if (!ParseMegahertz(freq, &hz)) {
      return f.Skip("bad frequency", "FREQ",
                    "'" + std::string(freq) + "' is not a frequency in MHz");
    }
    // The host passes hertz in 32 bits: 4.29 GHz and above cannot reach the
    // plug-in as they are.
    if (hz > std::numeric_limits<unsigned>::max()) {
      return f.Skip(
          "bad frequency", "FREQ",
          "'" + std::string(freq) + "' MHz is above what the host can pass (4294.967295)");
    }
  }
  if (!band.empty()) {
    qso.band = HostBand(band);
    if (freq.empty()) {
      // Cabrillo takes a band's lower edge in kHz as the band itself.
      hz = BandEdgeHz(qso.band);
      if (hz != 0) ++notes->bandEdgeFrequencies;
    }
  } else {
    qso.band = BandOfFrequency(hz);
  }
  qso.freqHz = static_cast<unsigned>(hz);

  qso.mode = HostModeOfAdif(mode, submode);
  if (IsGenericDigital(qso.mode)) {
    if (rules.dgMode.empty()) {
      ++notes->genericDigital;
    } else {
      qso.mode = rules.dgMode;
    }
  }

  if (qso.ownCall.empty()) qso.ownCall = rules.fallbackOwnCall;

  int entity = 0;
  if (!dxcc.empty() && dxcc.size() <= 4 && Digits(dxcc, 0, dxcc.size(), &entity)) {
    qso.dxPrefix = PrefixOfDxcc(entity);
  } else {
    if (!dxcc.empty()) {
      notes->Warn(file, f.LineOf("DXCC"), "DXCC",
                  "'" + std::string(dxcc) + "' is not a DXCC entity number; the call decides");
    }
    qso.dxPrefix = PrefixOfCall(qso.call);
  }
  // A Brazilian station's state is its area, when the log kept no exchange.
  if (qso.exchRcvd.empty() && IsBrazilianPrefix(qso.dxPrefix)) qso.exchRcvd = std::string(state);
  *out = std::move(qso);
  return true;
}
