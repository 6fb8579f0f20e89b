// The names of the stations' report files in the results folder. A call is
// a stranger's text: the name made from it must be a plain file name on
// Linux and on Windows, never hidden, never a device, short enough to be
// made, and no two stations may share one (PY2AA/P and PY2AA_P would).
// Each station gets one stem and two files from it: its text report
// (<stem>.ubn.txt) and its page (<stem>.html) beside results.html.
// Pure functions; any thread.
#pragma once

#include <string>
#include <vector>

// The longest base name a report gets, in bytes: with ".ubn.txt" and the
// temporary suffix of a replacement it stays far below any file system's
// limit of 255.
constexpr size_t kMaxReportBaseBytes = 64;

constexpr const char* kReportExtension = ".ubn.txt";
constexpr const char* kPageExtension = ".html";

// The base of a call's report name: the Cabrillo file-name rule (characters
// no file name may hold and control characters become "_", a Windows
// device name such as CON, NUL or COM1 gets "_"), then "_" before a leading
// dot (no hidden file, no "." or ".."), cut to kMaxReportBaseBytes bytes
// at a character's start.
std::string ReportBaseName(const std::string& call);

// The report stem of each call, in order: its base name; a stem taken by an
// earlier call (letter case aside, as on Windows) gets "-2", "-3", ...
// after the base. "RESULTS" counts as taken, so that no station's page is
// results.html on a file system blind to case.
std::vector<std::string> UniqueReportStems(const std::vector<std::string>& calls);

// True for a name these rules can give a report file: one plain name (no
// folder, not hidden) ending in kReportExtension or kPageExtension.
bool IsReportFileName(const std::string& name);
