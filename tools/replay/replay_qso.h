// ReplayQso: one contact as the replay hands it to AddData0, already mapped
// from the log file's fields to the plug-in's QSO argument list.
#pragma once

#include <string>

struct ReplayQso {
  int line = 0;  // where the contact starts in the log file
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
  int date = 0;          // YYYYMMDD, for the default contest period
  double oleDays = 0.0;  // the host's OLE date: days since 1899-12-30, time as fraction
};

// Calendar helpers for the host's OLE dates (proleptic Gregorian calendar).
bool IsCalendarDate(int year, int month, int day);
// Days from 1899-12-30 to the given date; negative before it.
long OleDayNumber(int year, int month, int day);
// The OLE day count of a date and time of day.
double OleDays(int year, int month, int day, int hour, int minute, int second);
