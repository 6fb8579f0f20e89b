#include "engine/settings_store_win32.h"

#include <windows.h>

#include <vector>

std::string ProfileSettingsStore::Read(const std::string& file, const std::string& section,
                                       const std::string& key, const std::string& fallback,
                                       size_t capacity) {
  // A whole read grows the buffer until the value fits: the API signals a
  // cut value by returning size - 1.
  size_t size = capacity > 0 ? capacity : 256;
  for (;;) {
    std::vector<char> buffer(size, '\0');
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(),
                                             buffer.data(), static_cast<DWORD>(size), file.c_str());
    if (capacity > 0 || n + 1 < size) return std::string(buffer.data(), n);
    size *= 4;
  }
}

bool ProfileSettingsStore::Write(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}
