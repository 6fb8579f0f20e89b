// The command line of tzq-replay. Parsing checks everything it can before a
// file is touched; faults throw InputError naming the option.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct ReplayOptions {
  bool help = false;
  std::vector<std::string> logFiles;  // "-" is standard input
  std::string ownCall;                // --call, upper case
  int64_t periodStart = 0;            // YYYYMMDDHHMMSS; 0 when not given
  int64_t periodEnd = 0;
  bool html = false;
  bool cabrillo = false;
  bool strict = false;
  std::string dgMode;        // --dg-mode in the host's spelling, or ""
  std::string settingsFile;  // --settings: the settings file to use and update
  std::string outDir = "out";
  std::string plugin;  // empty: the plug-in beside the program
  // Cabrillo header keys to write into the settings file before the run, in
  // the settings file's form (line breaks as <CR><LF> markers).
  std::vector<std::pair<std::string, std::string>> headerKeys;
};

// Letters, digits and "/" only, 1 to 32 of them: what the own call may be,
// since it names the Cabrillo file and stands in its header.
bool IsOwnCall(const std::string& call);

// `args` without the program name.
ReplayOptions ParseReplayOptions(const std::vector<std::string>& args);

std::string ReplayHelpText();
