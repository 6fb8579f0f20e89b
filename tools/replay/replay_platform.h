// The parts of the replay tool that differ between the Linux build and the
// Windows build (tzq-replay.exe, run with Stats.dll under Wine or Windows).
#pragma once

#include <memory>
#include <string>

// The folder holding the running program, where the plug-in is built.
std::string ProgramFolder();

// The plug-in a tool loads when not told which: Stats.so (Stats.dll) beside
// the program, as the build and the Windows zip place it; else, in the Linux
// build, the one in the installed layout's plug-in folder (lib/tzq-stats
// beside the program's bin folder). When neither exists, the path beside the
// program, which the load error then names.
std::string DefaultPluginPath();

// Standard input, output and error carry bytes unchanged (a log's lengths
// count its CR LF; the plug-in's CR LF must not become CR CR LF).
void UseBinaryStandardStreams();

// Writes out what standard output still buffers and closes it, so that a
// failure to store the report (a full disk, /dev/full) shows, as it may only
// at that point. False when anything failed. Call once, at the end.
bool FinishStandardOutput();

// While one exists, the plug-in's modal windows that a replay cannot leave
// to a user are answered as an operator would: the Cabrillo header dialog
// (titled "TZQ") is confirmed with OK, after picking `category` in its
// category box unless that is empty, and the "Output" message box that names
// the written file is closed. The Linux plug-in answers these itself; there
// the object only names the category to pick in the environment variable
// that plug-in's dialog reads (reports/header_dialog_headless.h), for its
// lifetime.
class ModalWindowAnswerer {
 public:
  explicit ModalWindowAnswerer(const std::string& category);
  ~ModalWindowAnswerer();
  ModalWindowAnswerer(const ModalWindowAnswerer&) = delete;
  ModalWindowAnswerer& operator=(const ModalWindowAnswerer&) = delete;

  // How many windows were answered so far.
  int answered() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};
