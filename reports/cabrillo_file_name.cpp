#include "reports/cabrillo_file_name.h"

#include <cstring>

#include "engine/text.h"

namespace cabrillo {

std::string FileBaseName(const std::string& own_call) {
  std::string base = own_call;
  for (char& c : base) {
    if (c == '/' || c == '\\') c = '_';
  }
  base = std::string(text::Trim(base));
  for (char& c : base) {
    if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>:\"|?*", c) != nullptr) c = '_';
  }
  if (base.empty()) return "KVTZ";
  // Windows takes a name whose part before the first dot (blanks trimmed) is
  // a device name for the device itself, "COM1.X" as much as "COM1": a "_"
  // after that part makes it an ordinary file.
  size_t stem = base.find('.');
  if (stem == std::string::npos) stem = base.size();
  while (stem > 0 && base[stem - 1] == ' ') --stem;
  const std::string upper = text::ToUpper(base.substr(0, stem));
  bool device = upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL";
  if (upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
      upper[3] >= '1' && upper[3] <= '9') {
    device = true;
  }
  if (device) base.insert(stem, "_");
  return base;
}

std::string FileName(const std::string& own_call) {
  return FileBaseName(own_call) + ".cbr";
}

}  // namespace cabrillo
