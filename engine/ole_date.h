// COleDateTime: the host's OLE automation date as the plug-in keeps it.
//
// The host passes a pointer to its own date object; only its first 12 bytes
// are part of the contract (a double day count since 1899-12-30 00:00 with the
// time of day as fraction, then a 32-bit status). FromHost() copies exactly
// those bytes and never writes through the pointer. Values are plain data:
// any thread may use its own copies.
#pragma once

#include <cstdint>
#include <string>

struct CalendarFields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class COleDateTime {
 public:
  enum Status : int32_t { kValid = 0, kInvalid = 1, kNull = 2 };

  COleDateTime() = default;
  COleDateTime(double days, int32_t status) : days_(days), status_(status) {}

  // Reads the host's object; a null pointer is a null date.
  static COleDateTime FromHost(const void* host_date);
  static COleDateTime Null() { return COleDateTime(0.0, kNull); }
  static COleDateTime FromCalendar(int year, int month, int day, int hour, int minute, int second);

  double days() const { return days_; }
  int32_t status() const { return status_; }

  // Calendar fields after rounding to the nearest second; false when the value
  // is not valid or lies outside the years 100 to 9999.
  bool ToCalendar(CalendarFields* out) const;

  // strftime-style formatting of %Y %m %d %H %M %S and %%: a null date gives
  // an empty text, an invalid or unconvertible one "Invalid DateTime".
  std::string Format(const char* pattern) const;

  // Both valid with equal day counts (a NaN count equals the same NaN), or
  // both null, or both neither valid nor null with the same 12 bytes.
  bool operator==(const COleDateTime& other) const;
  bool operator!=(const COleDateTime& other) const { return !(*this == other); }

 private:
  double days_ = 0.0;
  int32_t status_ = kValid;
};

inline constexpr const char* kInvalidDateTimeText = "Invalid DateTime";
