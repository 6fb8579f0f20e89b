// The plug-in converts OLE dates to calendar fields itself; the system's
// VariantTimeToSystemTime must agree with it wherever both accept a value.

// oleauto.h needs the types windows.h declares.
#include <windows.h>

#include <oleauto.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/ole_date.h"

namespace {

TEST(DateConversionTest, AgreesWithVariantTimeToSystemTime) {
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> days(-657435.0, 2958466.0);
  std::uniform_real_distribution<double> near_midnight(86399.0, 86400.0);
  int compared = 0, wine_november_rollovers = 0;
  for (int i = 0; i < 40000; ++i) {
    double value = days(random);
    if (i % 4 == 0) {
      // A time in the last second of a day rounds into the next one.
      const double day = std::trunc(value);
      const double fraction = near_midnight(random) / 86400.0;
      value = day >= 0 ? day + fraction : day - fraction;
    }
    SYSTEMTIME st;
    if (!VariantTimeToSystemTime(value, &st)) continue;
    CalendarFields f;
    ASSERT_TRUE(COleDateTime(value, COleDateTime::kValid).ToCalendar(&f)) << value;
    // Wine rolls 30 November 23:59:59.5 and later over to 1 January of the
    // next year instead of 1 December; Windows and the plug-in give 1 December.
    if (f.month == 12 && f.day == 1 && st.wMonth == 1 && st.wDay == 1 && st.wYear == f.year + 1) {
      ++wine_november_rollovers;
      continue;
    }
    ASSERT_EQ(f.year, st.wYear) << value;
    ASSERT_EQ(f.month, st.wMonth) << value;
    ASSERT_EQ(f.day, st.wDay) << value;
    ASSERT_EQ(f.hour, st.wHour) << value;
    ASSERT_EQ(f.minute, st.wMinute) << value;
    ASSERT_EQ(f.second, st.wSecond) << value;
    ++compared;
  }
  EXPECT_GT(compared, 39000);
  EXPECT_LT(wine_november_rollovers, 100);
}

TEST(DateConversionTest, RangeLimitsMatchTheSystem) {
  SYSTEMTIME st;
  for (double value : {-1.9999999, -0.99999999, -657434.9999999}) {
    ASSERT_TRUE(VariantTimeToSystemTime(value, &st)) << value;
    CalendarFields f;
    ASSERT_TRUE(COleDateTime(value, COleDateTime::kValid).ToCalendar(&f)) << value;
    EXPECT_EQ(f.year * 10000 + f.month * 100 + f.day, st.wYear * 10000 + st.wMonth * 100 + st.wDay)
        << value;
  }
  for (double value : {-657434.0, -657434.5, 0.0, -1.25, 2958465.0, 2958465.5, -1.9999999,
                       -0.99999999, -657434.9999999}) {
    EXPECT_TRUE(VariantTimeToSystemTime(value, &st)) << value;
    CalendarFields f;
    EXPECT_TRUE(COleDateTime(value, COleDateTime::kValid).ToCalendar(&f)) << value;
  }
  for (double value : {-657435.0, 2958466.0, 1e9}) {
    EXPECT_FALSE(VariantTimeToSystemTime(value, &st)) << value;
    CalendarFields f;
    EXPECT_FALSE(COleDateTime(value, COleDateTime::kValid).ToCalendar(&f)) << value;
  }
}

}  // namespace
