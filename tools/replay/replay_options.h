// The command line of tzq-replay. Parsing checks everything it can before a
// file is touched; faults throw InputError naming the option.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ReplayOptions {
  bool help = false;
  std::string logFile;
  std::string ownCall;  // --call: the own call when the log names none
  int periodStart = 0;  // YYYYMMDD; 0 when not given
  int periodEnd = 0;
  bool html = false;
  bool cabrillo = false;
  std::string outDir = "out";
  std::string plugin;  // empty: the plug-in beside the program
  // Cabrillo header keys to write into the settings file before the run, in
  // the settings file's form (line breaks as <CR><LF> markers).
  std::vector<std::pair<std::string, std::string>> headerKeys;
};

// `args` without the program name.
ReplayOptions ParseReplayOptions(const std::vector<std::string>& args);

std::string ReplayHelpText();
