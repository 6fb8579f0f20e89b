// ReplayQso: one contact as the replay hands it to AddData0, already mapped
// from the log file's fields to the plug-in's QSO argument list. Plain data.
#pragma once

#include <cstdint>
#include <string>

struct ReplayQso {
  std::string file;  // the log file it came from ("-": standard input)
  int line = 0;      // where the contact starts in that file
  std::string ownCall;
  std::string call;
  std::string mode;
  std::string rstSent;
  std::string rstRcvd;
  std::string exchSent;
  std::string exchRcvd;
  std::string dxPrefix;
  std::string band;
  unsigned freqHz = 0;
  int date = 0;          // YYYYMMDD, for the contest period
  int64_t stamp = 0;     // YYYYMMDDHHMMSS: orders merged logs, tests the period
  double oleDays = 0.0;  // the host's OLE date, made by the plug-in's own date code
};

// A real day of the proleptic Gregorian calendar in the years the host's
// dates can hold (100 to 9999).
bool IsCalendarDate(int year, int month, int day);

// Fills date, stamp and oleDays from a checked calendar date and time.
void SetQsoTime(ReplayQso* qso, int year, int month, int day, int hour, int minute, int second);
