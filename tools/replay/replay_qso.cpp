#include "tools/replay/replay_qso.h"

#include "engine/ole_date.h"

bool IsCalendarDate(int year, int month, int day) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

void SetQsoTime(ReplayQso* qso, int year, int month, int day, int hour, int minute, int second) {
  qso->date = year * 10000 + month * 100 + day;
  qso->stamp = static_cast<int64_t>(qso->date) * 1000000 + hour * 10000 + minute * 100 + second;
  // The plug-in reads the day count back with its own code; making it with
  // the same code keeps dates before 1899-12-30 (whose time of day counts
  // away from zero) the same day and hour.
  qso->oleDays = COleDateTime::FromCalendar(year, month, day, hour, minute, second).days();
}
