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

// The part of a compound callsign that says where the station is: "PY0F" in
// PY0F/PY2AA and PY2AA/PY0F, the home call in PY2AA/P.
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
    if (!found || part.size() < best.size()) best = part;
    found = true;
  }
  return found ? best : call;
}

[[noreturn]] void Fail(const std::string& file, const AdifRecord& record, const char* field,
                       const std::string& message) {
  const AdifField* f = record.Find(field);
  throw InputError(file, f != nullptr ? f->line : record.line, field, message);
}

const std::string& Required(const AdifRecord& record, const std::string& file, const char* field) {
  const std::string* value = record.Value(field);
  if (value == nullptr) {
    Fail(file, record, field,
         record.Find(field) != nullptr
             ? "empty"
             : "missing (every QSO needs CALL, QSO_DATE, TIME_ON, MODE and BAND or FREQ)");
  }
  return *value;
}

std::string FirstOf(const AdifRecord& record, std::initializer_list<const char*> fields) {
  for (const char* field : fields) {
    if (const std::string* value = record.Value(field)) return *value;
  }
  return std::string();
}

}  // namespace

std::string HostModeOfAdif(std::string_view mode, std::string_view submode) {
  const std::string m = text::ToUpper(Trim(mode));
  const std::string sub = text::ToUpper(Trim(submode));
  if (m == "RTTY") return "RTTY";
  if (m == "PSK") {
    if (sub == "PSK31" || sub == "PSK63" || sub == "PSK125") return "B" + sub;
    return std::string(submode.empty() ? mode : submode);
  }
  if (m == "PSK31" || m == "PSK63" || m == "PSK125") return "B" + m;
  if (m == "BPSK31" || m == "BPSK63" || m == "BPSK125") return m;
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

ReplayQso MapAdifRecord(const AdifRecord& record, const std::string& file,
                        const std::string& fallback_own_call) {
  ReplayQso qso;
  qso.line = record.line;
  qso.call = Required(record, file, "CALL");

  int year, month, day, hour, minute, second;
  const std::string& date = Required(record, file, "QSO_DATE");
  if (!ParseAdifDate(date, &year, &month, &day)) {
    Fail(file, record, "QSO_DATE", "unknown date '" + date + "' (YYYYMMDD expected)");
  }
  const std::string& time = Required(record, file, "TIME_ON");
  if (!ParseAdifTime(time, &hour, &minute, &second)) {
    Fail(file, record, "TIME_ON", "unknown time '" + time + "' (HHMM or HHMMSS expected)");
  }
  qso.date = year * 10000 + month * 100 + day;
  qso.oleDays = OleDays(year, month, day, hour, minute, second);

  const std::string* freq = record.Value("FREQ");
  uint64_t hz = 0;
  if (freq != nullptr && !ParseMegahertz(*freq, &hz)) {
    Fail(file, record, "FREQ", "'" + *freq + "' is not a frequency in MHz");
  }
  // The host's frequency argument is 32 bits wide; above 4.29 GHz it has
  // nothing to say, and the band alone decides.
  qso.freqHz = hz <= std::numeric_limits<unsigned>::max() ? static_cast<unsigned>(hz) : 0u;
  if (const std::string* band = record.Value("BAND")) {
    qso.band = *band;
  } else if (freq != nullptr) {
    qso.band = BandOfFrequency(hz);
  } else {
    Required(record, file, "BAND");
  }

  const std::string& mode = Required(record, file, "MODE");
  const std::string* submode = record.Value("SUBMODE");
  qso.mode = HostModeOfAdif(mode, submode != nullptr ? *submode : std::string());

  qso.ownCall = FirstOf(record, {"STATION_CALLSIGN", "OPERATOR"});
  if (qso.ownCall.empty()) qso.ownCall = fallback_own_call;
  qso.rstSent = FirstOf(record, {"RST_SENT"});
  qso.rstRcvd = FirstOf(record, {"RST_RCVD"});

  if (const std::string* dxcc = record.Value("DXCC")) {
    const std::string_view number = Trim(*dxcc);
    int entity = 0;
    if (number.empty() || number.size() > 4 || !Digits(number, 0, number.size(), &entity)) {
      Fail(file, record, "DXCC", "'" + *dxcc + "' is not a DXCC entity number");
    }
    qso.dxPrefix = PrefixOfDxcc(entity);
  } else {
    qso.dxPrefix = PrefixOfCall(qso.call);
  }

  qso.exchSent = FirstOf(record, {"STX_STRING", "STX"});
  qso.exchRcvd = FirstOf(record, {"SRX_STRING", "SRX"});
  // A Brazilian station's state is its area, when the log kept no exchange.
  if (qso.exchRcvd.empty() && IsBrazilianPrefix(qso.dxPrefix)) {
    qso.exchRcvd = FirstOf(record, {"STATE"});
  }
  return qso;
}
