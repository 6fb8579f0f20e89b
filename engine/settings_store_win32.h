// ProfileSettingsStore: SettingsStore through GetPrivateProfileStringA and
// WritePrivateProfileStringA. Stateless; the profile API serialises itself.
#pragma once

#include "engine/platform.h"

class ProfileSettingsStore : public SettingsStore {
 public:
  std::string Read(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& fallback, size_t capacity) override;
  bool Write(const std::string& file, const std::string& section, const std::string& key,
             const std::string& value) override;
};
