#include "engine/ole_date.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

std::string Fmt(double days, const char* pattern = "%Y-%m-%d %H%M") {
  return COleDateTime(days, COleDateTime::kValid).Format(pattern);
}

TEST(OleDateTest, RoundsToTheNearestSecondBeforeSplittingFields) {
  const double noon_0405 = COleDateTime::FromCalendar(2018, 6, 9, 12, 4, 59).days();
  EXPECT_EQ(Fmt(noon_0405 + 0.9999 / 86400.0), "2018-06-09 1205");
  EXPECT_EQ(Fmt(noon_0405 + 0.4 / 86400.0), "2018-06-09 1204");
  // Rounding carries into the hour, the day and the year.
  EXPECT_EQ(Fmt(COleDateTime::FromCalendar(2018, 6, 9, 13, 59, 59).days() + 0.6 / 86400.0),
            "2018-06-09 1400");
  EXPECT_EQ(Fmt(COleDateTime::FromCalendar(2018, 6, 9, 23, 59, 59).days() + 0.6 / 86400.0),
            "2018-06-10 0000");
  EXPECT_EQ(Fmt(COleDateTime::FromCalendar(2018, 12, 31, 23, 59, 59).days() + 0.6 / 86400.0),
            "2019-01-01 0000");
}

TEST(OleDateTest, CalendarEdges) {
  EXPECT_EQ(Fmt(0.0), "1899-12-30 0000");
  EXPECT_EQ(Fmt(2.5), "1900-01-01 1200");
  EXPECT_EQ(Fmt(60.0, "%d.%m.%Y"), "28.02.1900");
  EXPECT_EQ(Fmt(61.0, "%d.%m.%Y"), "01.03.1900");  // 1900 is no leap year
  EXPECT_EQ(Fmt(COleDateTime::FromCalendar(2000, 2, 29, 0, 0, 0).days(), "%d.%m.%Y"), "29.02.2000");
  EXPECT_EQ(Fmt(COleDateTime::FromCalendar(2017, 5, 15, 9, 5, 0).days()), "2017-05-15 0905");
  EXPECT_EQ(Fmt(43260.0, "%d_%m_%Y"), "09_06_2018");
}

TEST(OleDateTest, NegativeDaysKeepTheTimeOfDayAsAbsoluteFraction) {
  EXPECT_EQ(Fmt(-1.25), "1899-12-29 0600");
  // Just before midnight of a day before 1899-12-30 rounds to the next day.
  EXPECT_EQ(Fmt(-1.9999999), "1899-12-30 0000");
  EXPECT_EQ(Fmt(-0.99999999), "1899-12-31 0000");
  EXPECT_EQ(Fmt(-657434.9999999, "%Y-%m-%d"), "0100-01-02");
  EXPECT_EQ(Fmt(-0.5), "1899-12-30 1200");
  EXPECT_EQ(Fmt(-1.0), "1899-12-29 0000");
  const COleDateTime made = COleDateTime::FromCalendar(1899, 12, 29, 6, 0, 0);
  EXPECT_DOUBLE_EQ(made.days(), -1.25);
}

TEST(OleDateTest, YearsOneHundredToNineThousandNineHundredNinetyNine) {
  const double first = COleDateTime::FromCalendar(100, 1, 1, 0, 0, 0).days();
  EXPECT_EQ(first, -657434.0);
  EXPECT_EQ(Fmt(first, "%Y-%m-%d"), "0100-01-01");
  EXPECT_EQ(Fmt(-657434.999, "%Y-%m-%d %H%M"), "0100-01-01 2358");
  EXPECT_EQ(Fmt(-657435.0), kInvalidDateTimeText);
  const double last = COleDateTime::FromCalendar(9999, 12, 31, 23, 59, 59).days();
  EXPECT_EQ(Fmt(last), "9999-12-31 2359");
  EXPECT_EQ(Fmt(last + 1.0 / 86400.0), kInvalidDateTimeText);
  EXPECT_EQ(Fmt(std::numeric_limits<double>::quiet_NaN()), kInvalidDateTimeText);
  EXPECT_EQ(Fmt(std::numeric_limits<double>::infinity()), kInvalidDateTimeText);
  EXPECT_EQ(Fmt(-std::numeric_limits<double>::infinity()), kInvalidDateTimeText);
  EXPECT_EQ(Fmt(1e300), kInvalidDateTimeText);
}

TEST(OleDateTest, NullInvalidAndUnknownStatuses) {
  EXPECT_EQ(COleDateTime::Null().Format("%H%M"), "");
  EXPECT_EQ(COleDateTime(43000.0, COleDateTime::kInvalid).Format("%H%M"), kInvalidDateTimeText);
  EXPECT_EQ(COleDateTime(43000.0, 7).Format("%H%M"), kInvalidDateTimeText);
  EXPECT_EQ(COleDateTime::FromHost(nullptr).status(), COleDateTime::kNull);
}

TEST(OleDateTest, Equality) {
  const COleDateTime a(43000.5, COleDateTime::kValid), b(43000.5, COleDateTime::kValid);
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a == COleDateTime(43000.5 + 1.0 / 1440.0, COleDateTime::kValid));
  EXPECT_TRUE(COleDateTime::Null() == COleDateTime(12.0, COleDateTime::kNull));
  EXPECT_FALSE(a == COleDateTime(43000.5, COleDateTime::kNull));
  // Neither valid nor null: equal only byte for byte, status included.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    COleDateTime x, y;
    bool equal;
  } cases[] = {
      {{1.0, COleDateTime::kInvalid}, {1.0, COleDateTime::kInvalid}, true},
      {{1.0, COleDateTime::kInvalid}, {2.0, COleDateTime::kInvalid}, false},
      {{1.0, COleDateTime::kInvalid}, {1.0, 7}, false},
      {{nan, COleDateTime::kInvalid}, {nan, COleDateTime::kInvalid}, true},
      {{nan, COleDateTime::kValid}, {nan, COleDateTime::kValid}, true},
      {{nan, COleDateTime::kValid}, {-nan, COleDateTime::kValid}, false},
      {{0.0, COleDateTime::kValid}, {-0.0, COleDateTime::kValid}, true},
      {{1.0, COleDateTime::kInvalid}, {1.0, COleDateTime::kValid}, false},
      {{1.0, COleDateTime::kInvalid}, {1.0, COleDateTime::kNull}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.x == c.y, c.equal)
        << c.x.days() << "/" << c.x.status() << " vs " << c.y.days() << "/" << c.y.status();
    EXPECT_EQ(c.y == c.x, c.equal);
  }
}

TEST(OleDateTest, ReadsExactlyTwelveBytesFromTheHost) {
  // A 12-byte allocation: reading a whole 16-byte struct would run past it
  // (the sanitizer build reports that).
  char* exact = static_cast<char*>(std::malloc(12));
  const double days = 43260.75;
  const int32_t status = COleDateTime::kValid;
  std::memcpy(exact, &days, 8);
  std::memcpy(exact + 8, &status, 4);
  const COleDateTime t = COleDateTime::FromHost(exact);
  std::free(exact);
  EXPECT_EQ(t.days(), days);
  EXPECT_EQ(t.status(), COleDateTime::kValid);
  EXPECT_EQ(t.Format("%H%M"), "1800");
}

}  // namespace
