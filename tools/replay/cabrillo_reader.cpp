#include "tools/replay/cabrillo_reader.h"

#include <cctype>
#include <cstdint>
#include <map>

#include "engine/file_io.h"
#include "engine/text.h"
#include "tools/replay/input_error.h"
#include "tools/replay/qso_mapping.h"

namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Words are split at white space as text::IsSpace has it, the one
// definition of a blank that every reader of a log uses.
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t pos = 0;
  while (true) {
    while (pos < line.size() && text::IsSpace(line[pos])) ++pos;
    if (pos == line.size()) break;
    size_t end = pos;
    while (end < line.size() && !text::IsSpace(line[end])) ++end;
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

// The tag of a header line ("CALLSIGN" of "CALLSIGN: PY2AA"), upper case,
// blanks around it left out.
std::string TagOf(std::string_view line) {
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return std::string();
  return Upper(text::Trim(line.substr(0, colon)));
}

// The bytes without a UTF-8 byte-order mark at their start.
std::string_view WithoutByteOrderMark(std::string_view bytes) {
  // Editors on Windows like to start a UTF-8 file with a byte-order mark.
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return bytes;
}

// Letters, digits and "/", with at least one letter and one digit: what
// every callsign has and no report or exchange column does.
bool LooksLikeCall(std::string_view word) {
  bool letter = false, digit = false;
  for (char c : word) {
    const bool is_letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    const bool is_digit = c >= '0' && c <= '9';
    if (!is_letter && !is_digit && c != '/') return false;
    letter = letter || is_letter;
    digit = digit || is_digit;
  }
  return letter && digit;
}

struct QsoLine {
  int number;
  std::string_view text;
  std::vector<std::string_view> words;
};

// The line as the host's QSO, or false with the reason in `notes`.
bool ParseQsoLine(const QsoLine& line, size_t layout, const std::string& file,
                  const MappingRules& rules, ReplayQso* out, LogNotes* notes) {
  const std::vector<std::string_view>& w = line.words;
  auto skip = [&](const char* reason, const std::string& message) {
    notes->Skip(reason, file, line.number, "QSO", message);
    return false;
  };
  if (line.text.find('\0') != std::string_view::npos) {
    return skip("NUL byte", "holds a NUL byte, which would cut a value");
  }
  // A CR inside the line ends a line for other readers: what they see
  // would not be what is scored.
  if (text::Trim(line.text).find('\r') != std::string_view::npos) {
    return skip("line break", "holds a line break (CR) inside the line");
  }
  if (w.size() != layout) {
    return skip("wrong columns", std::string(w.size() < layout ? "too few" : "too many") +
                                     " columns (" + std::to_string(w.size() - 1) +
                                     ", where this log's QSO lines have " +
                                     std::to_string(layout - 1) + ")");
  }
  ReplayQso qso;
  qso.file = file;
  qso.line = line.number;
  if (!AllDigits(w[1]) || w[1].size() > 10) {
    return skip("bad frequency", "'" + std::string(w[1]) + "' is not a frequency in kHz");
  }
  const uint64_t hz = std::stoull(std::string(w[1])) * 1000u;
  if (hz > 0xFFFFFFFFu) {
    return skip("bad frequency",
                std::string(w[1]) + " kHz is above what the host can pass (4294967 kHz)");
  }
  qso.freqHz = static_cast<unsigned>(hz);
  qso.band = BandOfFrequency(hz);
  qso.mode = HostModeOfCabrillo(w[2]);
  if (IsGenericDigital(qso.mode)) {
    if (rules.dgMode.empty()) {
      ++notes->genericDigital;
    } else {
      qso.mode = rules.dgMode;
    }
  }

  int year, month, day, hour, minute, second;
  const std::string date = std::string(w[3]);
  if (date.size() != 10 || date[4] != '-' || date[7] != '-' ||
      !ParseAdifDate(date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2), &year, &month,
                     &day)) {
    return skip("bad date", "no such date '" + date + "' (YYYY-MM-DD expected)");
  }
  if (w[4].size() != 4 || !ParseAdifTime(w[4], &hour, &minute, &second)) {
    return skip("bad time", "no such time '" + std::string(w[4]) + "' (HHMM expected)");
  }
  SetQsoTime(&qso, year, month, day, hour, minute, 0);

  // After the time: mycall, n sent columns, call, n received columns and
  // perhaps the transmitter number.
  const size_t rest = w.size() - 5;
  const size_t n = (rest % 2 == 0 ? rest - 2 : rest - 3) / 2;
  const size_t sent = 6, call = sent + n, rcvd = call + 1;
  if (!LooksLikeCall(w[call])) {
    return skip("wrong columns", "'" + std::string(w[call]) +
                                     "' stands where the worked call belongs (a column missing?)");
  }
  qso.ownCall = text::ToUpper(w[5]);
  qso.call = text::ToUpper(w[call]);
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
  *out = std::move(qso);
  return true;
}

}  // namespace

bool LooksLikeCabrillo(std::string_view bytes) {
  bytes = WithoutByteOrderMark(bytes);
  size_t first = 0;
  while (first < bytes.size() && text::IsSpace(bytes[first])) ++first;
  return Upper(bytes.substr(first, 13)) == "START-OF-LOG:";
}

std::map<std::string, std::string> ReadCabrilloHeader(std::string_view bytes) {
  std::map<std::string, std::string> header;
  if (!LooksLikeCabrillo(bytes)) return header;
  for (std::string_view line : file_io::SplitLines(WithoutByteOrderMark(bytes))) {
    const std::string tag = TagOf(line);
    if (tag == "QSO" || tag == "END-OF-LOG") break;
    if (tag.empty()) continue;
    header[tag] = std::string(text::Trim(line.substr(line.find(':') + 1)));
  }
  return header;
}

std::vector<ReplayQso> ReadCabrillo(std::string_view bytes, const std::string& file,
                                    const MappingRules& rules, LogNotes* notes) {
  std::vector<QsoLine> lines;
  bool ended = false;
  int number = 0;
  for (std::string_view line : file_io::SplitLines(bytes)) {
    ++number;
    const std::string tag = TagOf(line);
    if (tag == "QSO") {
      if (ended) throw InputError(file, number, "QSO", "QSO line after END-OF-LOG");
      lines.push_back(QsoLine{number, line, Words(line)});
    } else if (tag == "END-OF-LOG") {
      ended = true;
    }
  }
  if (!ended) {
    throw InputError(file, number, "END-OF-LOG", "missing: the log ends early (truncated file?)");
  }

  // The layout is what most lines agree on; a tie goes to the earlier one.
  std::map<size_t, size_t> counts;
  size_t layout = 0, best = 0;
  for (const QsoLine& line : lines) {
    const size_t count = ++counts[line.words.size()];
    if (count > best) {
      best = count;
      layout = line.words.size();
    }
  }
  // Fewer than mycall, one column each way and the call cannot be a layout.
  if (layout < 9) layout = 11;

  std::vector<ReplayQso> qsos;
  qsos.reserve(lines.size());
  for (const QsoLine& line : lines) {
    ReplayQso qso;
    if (ParseQsoLine(line, layout, file, rules, &qso, notes)) qsos.push_back(std::move(qso));
  }
  return qsos;
}
