// IniFileStore: a SettingsStore that reads and writes Windows profile files
// itself, for builds without the Win32 profile API. Same file format as the
// DLL's (sections in brackets, key=value lines, CR LF line ends, section and
// key names compared ignoring case, values trimmed, one level of matching
// quotes removed), so a settings file serves both builds. Writes replace the
// file in one rename, so a failed write leaves the old file as it was.
// Thread-safe: one lock serialises every read and write of the process.
#pragma once

#include <string>

#include "engine/platform.h"

class IniFileStore : public SettingsStore {
 public:
  // `root` is prepended to every relative file name (empty: working folder).
  explicit IniFileStore(std::string root = std::string()) : root_(std::move(root)) {}

  std::string Read(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& fallback, size_t capacity) override;
  bool Write(const std::string& file, const std::string& section, const std::string& key,
             const std::string& value) override;

  // The path the store uses for a profile file name.
  std::string PathOf(const std::string& file) const;

 private:
  std::string root_;
};
