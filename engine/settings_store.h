// SettingsStore: the platform's profile-file functions, behind an interface so
// that the core never names the platform. The DLL uses the Win32 profile API;
// the Linux build reads and writes the same file format itself (IniFileStore).
// Implementations must be safe to call from the host's thread and the window
// thread at once.
#pragma once

#include <cstddef>
#include <string>

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // As GetPrivateProfileStringA: the value of `key` in `section` of `file`
  // (a path relative to the working folder, backslashes as separators), or
  // `fallback` when there is none, cut to capacity - 1 characters. A
  // capacity of 0 returns the whole value however long.
  virtual std::string Read(const std::string& file, const std::string& section,
                           const std::string& key, const std::string& fallback,
                           size_t capacity) = 0;

  // As WritePrivateProfileStringA; false when the file could not be written.
  virtual bool Write(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) = 0;
};
