// Writes keys into a Windows profile (INI) file the way the plug-in's
// settings store reads them: "[Section]" lines, "Key=Value" lines, CR LF
// line ends, section and key names matched ignoring letter case. Every
// other line of the file is kept as it was.
#pragma once

#include <string>
#include <utility>
#include <vector>

using SettingKeys = std::vector<std::pair<std::string, std::string>>;

// `text` with each key of `keys` set in `section`: an existing key's line is
// replaced in place, a new key goes to the end of the section, a missing
// section is added at the end of the file.
std::string SetProfileKeys(const std::string& text, const std::string& section,
                           const SettingKeys& keys);

// Reads `path` (missing is empty), sets the keys and writes it back. False,
// with the reason in `error`, when the file cannot be written.
bool WriteProfileKeys(const std::string& path, const std::string& section, const SettingKeys& keys,
                      std::string* error);
