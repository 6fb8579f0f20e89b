#include "tools/replay/cabrillo_reader.h"

#include <cctype>

#include "tools/replay/input_error.h"
#include "tools/replay/qso_mapping.h"

namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t pos = 0;
  while (true) {
    pos = line.find_first_not_of(" \t", pos);
    if (pos == std::string_view::npos) break;
    size_t end = line.find_first_of(" \t", pos);
    if (end == std::string_view::npos) end = line.size();
    words.push_back(line.substr(pos, end - pos));
    pos = end;
  }
  return words;
}

std::string Join(const std::vector<std::string_view>& words, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to; ++i) {
    if (!out.empty()) out += ' ';
    out += words[i];
  }
  return out;
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The tag of a header line ("CALLSIGN" of "CALLSIGN: PY2AA"), upper case.
std::string TagOf(std::string_view line) {
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return std::string();
  return Upper(line.substr(0, colon));
}

ReplayQso ParseQsoLine(std::string_view line, int number, const std::string& file) {
  const std::vector<std::string_view> w = Words(line);
  if (w.size() < 9) {
    throw InputError(file, number, "QSO",
                     "too few columns (freq mode date time mycall sent call rcvd expected)");
  }
  ReplayQso qso;
  qso.line = number;
  if (!AllDigits(w[1]) || w[1].size() > 7) {
    throw InputError(file, number, "QSO", "'" + std::string(w[1]) + "' is not a frequency in kHz");
  }
  const unsigned khz = static_cast<unsigned>(std::stoul(std::string(w[1])));
  qso.freqHz = khz * 1000u;
  qso.band = BandOfFrequency(qso.freqHz);
  qso.mode = HostModeOfCabrillo(w[2]);

  int year, month, day, hour, minute, second;
  const std::string date = std::string(w[3]);
  if (date.size() != 10 || date[4] != '-' || date[7] != '-' ||
      !ParseAdifDate(date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2), &year, &month,
                     &day)) {
    throw InputError(file, number, "QSO", "unknown date '" + date + "' (YYYY-MM-DD expected)");
  }
  if (w[4].size() != 4 || !ParseAdifTime(w[4], &hour, &minute, &second)) {
    throw InputError(file, number, "QSO",
                     "unknown time '" + std::string(w[4]) + "' (HHMM expected)");
  }
  qso.date = year * 10000 + month * 100 + day;
  qso.oleDays = OleDays(year, month, day, hour, minute, 0);

  // After the time: mycall, n sent columns, call, n received columns and
  // perhaps the transmitter number.
  const size_t rest = w.size() - 5;
  const size_t n = (rest % 2 == 0 ? rest - 2 : rest - 3) / 2;
  const size_t sent = 6, call = sent + n, rcvd = call + 1;
  qso.ownCall = std::string(w[5]);
  qso.call = std::string(w[call]);
  if (n == 1) {
    qso.exchSent = std::string(w[sent]);
    qso.exchRcvd = std::string(w[rcvd]);
  } else {
    qso.rstSent = std::string(w[sent]);
    qso.exchSent = Join(w, sent + 1, call);
    qso.rstRcvd = std::string(w[rcvd]);
    qso.exchRcvd = Join(w, rcvd + 1, rcvd + n);
  }
  qso.dxPrefix = PrefixOfCall(qso.call);
  return qso;
}

}  // namespace

bool LooksLikeCabrillo(std::string_view bytes) {
  // Editors on Windows like to start a UTF-8 file with a byte-order mark.
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  const size_t first = bytes.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return false;
  return Upper(bytes.substr(first, 13)) == "START-OF-LOG:";
}

std::vector<ReplayQso> ReadCabrillo(std::string_view bytes, const std::string& file) {
  std::vector<ReplayQso> qsos;
  bool ended = false;
  int number = 0;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string tag = TagOf(line);
    if (tag == "QSO") {
      if (ended) throw InputError(file, number, "QSO", "QSO line after END-OF-LOG");
      qsos.push_back(ParseQsoLine(line, number, file));
    } else if (tag == "END-OF-LOG") {
      ended = true;
    }
  }
  if (!ended) {
    throw InputError(file, number, "END-OF-LOG", "missing: the log ends early (truncated file?)");
  }
  return qsos;
}
