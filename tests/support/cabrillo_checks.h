// Structure check of a Cabrillo 3.0 file as the plug-in writes it: first line
// "START-OF-LOG: 3.0", every line a tag followed by ": " (or the end tag),
// last line "END-OF-LOG:", CR LF after every line, no TAB and no bare CR or
// LF. Returns an empty text when the file passes, else what is wrong.
#pragma once

#include <string>

inline std::string CabrilloStructureProblem(const std::string& file) {
  if (file.rfind("START-OF-LOG: 3.0\r\n", 0) != 0) return "first line is not START-OF-LOG: 3.0";
  if (file.size() < 13 || file.compare(file.size() - 13, 13, "END-OF-LOG:\r\n") != 0) {
    return "last line is not END-OF-LOG:";
  }
  if (file.find('\t') != std::string::npos) return "contains a TAB";
  size_t pos = 0;
  int number = 1;
  while (pos < file.size()) {
    const size_t end = file.find("\r\n", pos);
    if (end == std::string::npos) return "line " + std::to_string(number) + " has no CR LF";
    const std::string line = file.substr(pos, end - pos);
    if (line.find('\r') != std::string::npos || line.find('\n') != std::string::npos) {
      return "bare CR or LF in line " + std::to_string(number);
    }
    const size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) return "untagged line: " + line;
    for (size_t i = 0; i < colon; ++i) {
      const char c = line[i];
      if (!((c >= 'A' && c <= 'Z') || c == '-')) return "bad tag in line: " + line;
    }
    if (line != "END-OF-LOG:" && line.compare(colon, 2, ": ") != 0) {
      return "tag without ': ' in line: " + line;
    }
    pos = end + 2;
    ++number;
  }
  return std::string();
}
