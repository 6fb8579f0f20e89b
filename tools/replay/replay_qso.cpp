#include "tools/replay/replay_qso.h"

bool IsCalendarDate(int year, int month, int day) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

long OleDayNumber(int year, int month, int day) {
  // Days since 1970-01-01 by the era method (400-year cycles of 146097
  // days), then moved to the OLE epoch, 25569 days earlier.
  const long y = month <= 2 ? year - 1 : year;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long year_of_era = y - era * 400;
  const long day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  const long unix_days = era * 146097 + day_of_era - 719468;
  return unix_days + 25569;
}

double OleDays(int year, int month, int day, int hour, int minute, int second) {
  const int seconds = hour * 3600 + minute * 60 + second;
  return static_cast<double>(OleDayNumber(year, month, day)) + seconds / 86400.0;
}
