// The regional settings as the Qt binding reads them: the decimal symbol,
// the day of the short date and the time text. The program runs once per
// locale (LC_ALL and LANG set by the test registration); each locale has its
// row of expected texts, written from the conventions of that country.
#include "qt/qt_locale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace elprops::platform {
namespace {

struct DayText {
  int day;
  const char* text;
};

struct TimeCase {
  int hour;
  int minute;
  int second;
  const char* text;
};

struct LocaleRow {
  const char* locale;  // the value of LC_ALL
  const char* decimal;
  std::vector<DayText> days;
  std::vector<TimeCase> times;
};

const std::vector<LocaleRow>& Rows() {
  static const std::vector<LocaleRow> rows = {
      // Russian: 08.12.2026, a 24-hour clock, a decimal comma.
      {"ru_RU.UTF-8",
       ",",
       {{1, "01"}, {8, "08"}, {10, "10"}, {12, "12"}, {31, "31"}},
       {{14, 5, 9, "14:05:09"}, {0, 0, 0, "00:00:00"}, {9, 30, 5, "09:30:05"}, {23, 59, 59, "23:59:59"}}},
      // US English: 12/8/26, a 12-hour clock with AM and PM, a decimal point.
      {"en_US.UTF-8",
       ".",
       {{1, "1"}, {8, "8"}, {10, "10"}, {12, "12"}, {31, "31"}},
       {{14, 5, 9, "2:05:09 PM"},
        {0, 0, 0, "12:00:00 AM"},
        {9, 30, 5, "9:30:05 AM"},
        {12, 0, 0, "12:00:00 PM"},
        {23, 59, 59, "11:59:59 PM"}}},
      // Qt's C locale: dates as "8 Dec 2026" (day without a leading zero), a
      // 24-hour clock, a decimal point.
      {"C",
       ".",
       {{1, "1"}, {8, "8"}, {10, "10"}, {12, "12"}, {31, "31"}},
       {{14, 5, 9, "14:05:09"}, {0, 0, 0, "00:00:00"}, {9, 30, 5, "09:30:05"}, {23, 59, 59, "23:59:59"}}},
  };
  return rows;
}

// The row of the locale this run is under, or null.
const LocaleRow* CurrentRow() {
  const char* value = std::getenv("LC_ALL");
  const std::string_view locale = value != nullptr ? value : "";
  for (const LocaleRow& row : Rows()) {
    if (locale == row.locale) return &row;
  }
  return nullptr;
}

class SystemLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    row_ = CurrentRow();
    ASSERT_NE(row_, nullptr) << "run with LC_ALL set to ru_RU.UTF-8, en_US.UTF-8 or C";
  }
  const LocaleRow* row_ = nullptr;
  SystemLocale locale_;
};

TEST_F(SystemLocaleTest, DecimalSeparator) { EXPECT_EQ(locale_.DecimalSeparator(), row_->decimal); }

TEST_F(SystemLocaleTest, ShortDateDayWithOrWithoutLeadingZero) {
  for (const DayText& d : row_->days) {
    EXPECT_EQ(locale_.ShortDateDay(d.day), d.text) << row_->locale << ", day " << d.day;
  }
}

TEST_F(SystemLocaleTest, TimeTextWithSecondsAndNoTimeZone) {
  for (const TimeCase& t : row_->times) {
    LocalDateTime when;
    when.year = 2026;
    when.month = 12;
    when.day = 8;
    when.hour = t.hour;
    when.minute = t.minute;
    when.second = t.second;
    EXPECT_EQ(locale_.TimeText(when), t.text) << row_->locale << ", " << t.hour << ':' << t.minute << ':' << t.second;
  }
}

TEST(SystemClockTest, NowIsAValidLocalDateAndTime) {
  const LocalDateTime now = SystemClock().Now();
  EXPECT_GE(now.year, 2024);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.day, 31);
  EXPECT_GE(now.hour, 0);
  EXPECT_LE(now.hour, 23);
  EXPECT_GE(now.minute, 0);
  EXPECT_LE(now.minute, 59);
  EXPECT_GE(now.second, 0);
  EXPECT_LE(now.second, 60);
}

}  // namespace
}  // namespace elprops::platform
