// The plug-in converts OLE dates to calendar fields itself; the system's
// VariantTimeToSystemTime must agree with it wherever both accept a value.

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <random>

#include "engine/ole_date.h"

namespace {

TEST(DateConversionTest, AgreesWithVariantTimeToSystemTime) {
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> days(-657434.0, 2958465.0);
  std::uniform_int_distribution<int> whole_seconds(0, 86399);
  int compared = 0;
  for (int i = 0; i < 20000; ++i) {
    // Whole seconds: the system and the plug-in round sub-second parts
    // differently at the half second, and host times carry whole seconds.
    const double day = std::floor(days(random));
    const double fraction = whole_seconds(random) / 86400.0;
    const double value = day >= 0 ? day + fraction : day - fraction;
    SYSTEMTIME st;
    if (!VariantTimeToSystemTime(value, &st)) continue;
    CalendarFields f;
    ASSERT_TRUE(COleDateTime(value, COleDateTime::kValid).ToCalendar(&f)) << value;
    ASSERT_EQ(f.year, st.wYear) << value;
    ASSERT_EQ(f.month, st.wMonth) << value;
    ASSERT_EQ(f.day, st.wDay) << value;
    ASSERT_EQ(f.hour, st.wHour) << value;
    ASSERT_EQ(f.minute, st.wMinute) << value;
    ASSERT_EQ(f.second, st.wSecond) << value;
    ++compared;
  }
  EXPECT_GT(compared, 19000);
}

TEST(DateConversionTest, RangeLimitsMatchTheSystem) {
  SYSTEMTIME st;
  for (double value : {-657434.0, -657434.5, 0.0, -1.25, 2958465.0, 2958465.5}) {
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
