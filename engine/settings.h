// Settings: the plug-in's own keys, in section "Settings" of
// "Plugins\TZQ.ini" below the host's working folder. A thin, stateless layer
// over SettingsStore that fixes the file, the section and the conversions.
#pragma once

#include <string>

#include "engine/platform.h"

class Settings {
 public:
  static constexpr const char* kFileName = "Plugins\\TZQ.ini";
  static constexpr const char* kSection = "Settings";
  static constexpr size_t kBufferSize = 100;  // 99 characters come back

  explicit Settings(SettingsStore& store) : store_(store) {}

  // Read into the plug-in's 100-byte buffer: at most 99 characters.
  std::string Text(const std::string& key, const std::string& fallback = std::string()) const;
  // Read whole, for free texts such as the Cabrillo soapbox.
  std::string WholeText(const std::string& key, const std::string& fallback = std::string()) const;
  // The value's leading decimal integer; missing or non-numeric is 0.
  int Number(const std::string& key) const;

  bool Put(const std::string& key, const std::string& value);
  bool PutFlag(const std::string& key, bool on) { return Put(key, on ? "1" : "0"); }
  bool PutNumber(const std::string& key, int value);

  SettingsStore& store() const { return store_; }

 private:
  SettingsStore& store_;
};
