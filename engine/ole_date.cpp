#include "engine/ole_date.h"

#include <cmath>
#include <cstring>

namespace {

// 0100-01-01 and 9999-12-31, as day counts from 1899-12-30.
constexpr long kFirstConvertibleDay = -657434;
constexpr long kLastConvertibleDay = 2958465;
constexpr long kDaysFromEpochToOleZero = 693899;  // 0000-03-01 based count of 1899-12-30

// Civil date from a count of days since 0000-03-01 (proleptic Gregorian).
void CivilFromDays(long z, int* y, int* m, int* d) {
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yoe + era * 400 + (*m <= 2 ? 1 : 0));
}

long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

// Zero-filled to `digits`; every field here is non-negative.
void AppendNumber(std::string* out, int value, int digits) {
  char buf[12];
  int n = 0;
  do {
    buf[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0 && n < 11);
  while (n < digits) buf[n++] = '0';
  while (n > 0) out->push_back(buf[--n]);
}

}  // namespace

COleDateTime COleDateTime::FromHost(const void* host_date) {
  if (host_date == nullptr) return Null();
  double days;
  int32_t status;
  std::memcpy(&days, host_date, sizeof days);
  std::memcpy(&status, static_cast<const char*>(host_date) + 8, sizeof status);
  return COleDateTime(days, status);
}

COleDateTime COleDateTime::FromCalendar(int year, int month, int day, int hour, int minute,
                                        int second) {
  const long days = DaysFromCivil(year, month, day) - kDaysFromEpochToOleZero;
  const double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  // A date before 1899-12-30 keeps its time of day as the absolute fraction.
  return COleDateTime(days >= 0 ? days + time : days - time, kValid);
}

bool COleDateTime::ToCalendar(CalendarFields* out) const {
  if (status_ != kValid || !std::isfinite(days_)) return false;
  if (days_ <= kFirstConvertibleDay - 1.0 || days_ >= kLastConvertibleDay + 1.0) return false;
  // The whole part (toward zero) names the day and the fraction's magnitude
  // is the time of day, also before 1899-12-30. The time is rounded to the
  // nearest second; rounding up past midnight gives the next calendar day.
  long day = static_cast<long>(days_);
  const double fraction = std::fabs(days_ - static_cast<double>(day));
  long seconds = static_cast<long>(fraction * 86400.0 + 0.5);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++day;
  }
  if (day > kLastConvertibleDay) return false;
  CivilFromDays(day + kDaysFromEpochToOleZero, &out->year, &out->month, &out->day);
  out->hour = static_cast<int>(seconds / 3600);
  out->minute = static_cast<int>(seconds / 60 % 60);
  out->second = static_cast<int>(seconds % 60);
  return true;
}

std::string COleDateTime::Format(const char* pattern) const {
  if (status_ == kNull) return std::string();
  CalendarFields f;
  if (!ToCalendar(&f)) return kInvalidDateTimeText;
  std::string out;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (*p != '%' || p[1] == '\0') {
      out.push_back(*p);
      continue;
    }
    switch (*++p) {
      case 'Y':
        AppendNumber(&out, f.year, 4);
        break;
      case 'm':
        AppendNumber(&out, f.month, 2);
        break;
      case 'd':
        AppendNumber(&out, f.day, 2);
        break;
      case 'H':
        AppendNumber(&out, f.hour, 2);
        break;
      case 'M':
        AppendNumber(&out, f.minute, 2);
        break;
      case 'S':
        AppendNumber(&out, f.second, 2);
        break;
      case '%':
        out.push_back('%');
        break;
      default:
        out.push_back('%');
        out.push_back(*p);
        break;
    }
  }
  return out;
}

bool COleDateTime::operator==(const COleDateTime& other) const {
  // RemoveData gets the very bytes AddData got; every date must therefore
  // equal its own copy, or its QSO could never be removed. A NaN day count
  // never equals itself as a number, hence the byte comparisons.
  const bool same_bytes = std::memcmp(&days_, &other.days_, sizeof days_) == 0;
  const bool valid = status_ == kValid, other_valid = other.status_ == kValid;
  if (valid || other_valid) return valid && other_valid && (days_ == other.days_ || same_bytes);
  const bool null = status_ == kNull, other_null = other.status_ == kNull;
  if (null || other_null) return null && other_null;
  // Neither valid nor null: an invalid status, or one the host never
  // documented.
  return status_ == other.status_ && same_bytes;
}
