// The Cabrillo export's file name for an own callsign. The plug-in's writer
// names its file with it and the replay tool uses it to find that file, so
// both always agree. Pure function; any thread.
#pragma once

#include <string>

namespace cabrillo {

// The base name (without ".cbr") for an own callsign: "/" and "\" and every
// character that Windows forbids in a file name become "_", surrounding
// white space goes, an empty result is "KVTZ" and a device name gets "_"
// appended.
std::string FileBaseName(const std::string& own_call);

// FileBaseName(own_call) + ".cbr".
std::string FileName(const std::string& own_call);

}  // namespace cabrillo
