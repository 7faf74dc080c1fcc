#include "render/fields/calendar_text.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <optional>
#include <string>
#include <string_view>

#include "render/fields/conversion_table_lookup.h"

namespace render::fields {
namespace {

constexpr CalendarClock kMarch5 = {2026, 3, 5, 10, 7, 9};

// Conversion tables by number (1..7) as file contents; an empty string is a
// table that is not set.
struct FakeTables {
  std::array<std::string, 8> files;

  bool operator()(int table, std::string_view key, char* out, std::size_t outSize, std::size_t* outLen) const {
    if (table < 1 || table > 7 || files[static_cast<std::size_t>(table)].empty()) return false;
    return CopyTableValue(files[static_cast<std::size_t>(table)], key, out, outSize, outLen);
  }
};

std::optional<std::string> Text(const CalendarTextSettings& settings, const CalendarClock& clock,
                                const FakeTables& tables = {}) {
  std::array<char, kCalendarTextMax + 1> out{};
  const std::optional<std::size_t> length = FormatCalendarText(settings, clock, tables, out.data(), out.size());
  if (!length) return std::nullopt;
  EXPECT_EQ(out[*length], '\0');
  return std::string(out.data(), *length);
}

struct TextCase {
  const char* name;
  CalendarTextSettings settings;
  CalendarClock clock;
  const char* expected;
};

TEST(CalendarText, FormatsWithoutTables) {
  static const TextCase kCases[] = {
      {"date code 6", {0, 6, 0, 0, 0}, kMarch5, "26/03/05"},
      {"date code 8", {0, 8, 0, 0, 0}, kMarch5, "2026  3  5"},
      {"date code 12", {0, 12, 0, 0, 0}, kMarch5, "2026 03 05"},
      {"date code 17", {0, 17, 0, 0, 0}, kMarch5, "2026"},
      {"date code 20", {0, 20, 0, 0, 0}, kMarch5, " 5"},
      {"date code 0 pads the year with zeros", {0, 0, 0, 0, 0}, {2005, 3, 5, 0, 0, 0}, "05  3  5"},
      {"date code 0", {0, 0, 0, 0, 0}, kMarch5, "26  3  5"},
      {"date code 1", {0, 1, 0, 0, 0}, kMarch5, "26. 3. 5"},
      {"date code 3", {0, 3, 0, 0, 0}, kMarch5, "26, 3, 5"},
      {"date code 13", {0, 13, 0, 0, 0}, kMarch5, "2026.03.05"},
      {"date code 16", {0, 16, 0, 0, 0}, kMarch5, "26"},
      {"date code 18", {0, 18, 0, 0, 0}, kMarch5, " 3"},
      {"date code 19", {0, 19, 0, 0, 0}, kMarch5, "03"},
      {"date code 21", {0, 21, 0, 0, 0}, kMarch5, "05"},
      {"date code 22 has no text", {0, 22, 0, 0, 0}, kMarch5, ""},
      {"negative date code has no text", {0, -1, 0, 0, 0}, kMarch5, ""},
      {"unknown CalendarDate is a date", {7, 6, 0, 0, 0}, kMarch5, "26/03/05"},
      {"time code 1", {1, 1, 0, 0, 0}, kMarch5, "10: 7: 9"},
      {"time code 5", {1, 5, 0, 0, 0}, kMarch5, "10:07:09"},
      {"time code 4", {1, 4, 0, 0, 0}, kMarch5, "10 07 09"},
      {"time code 9", {1, 9, 0, 0, 0}, kMarch5, "10"},
      {"time code 10", {1, 10, 0, 0, 0}, kMarch5, " 7"},
      {"time code 11", {1, 11, 0, 0, 0}, kMarch5, "07"},
      {"time code 6", {1, 6, 0, 0, 0}, {2026, 3, 5, 0, 5, 0}, "00/05/00"},
      {"time code 0 at midnight", {1, 0, 0, 0, 0}, {2026, 3, 5, 0, 5, 0}, " 0  5  0"},
      {"time code 12 has no text", {1, 12, 0, 0, 0}, kMarch5, ""},
      {"time ignores the offsets", {1, 5, 1, 1, 1}, kMarch5, "10:07:09"},
      {"weekday", {2, 0, 0, 0, 0}, kMarch5, "Thu"},
      {"weekday of 1 January 2000", {2, 0, 0, 0, 0}, {2000, 1, 1, 0, 0, 0}, "Sat"},
      {"weekday after one day", {2, 0, 0, 0, 1}, kMarch5, "Fri"},
      {"weekday after a year", {2, 0, 1, 0, 0}, kMarch5, "Fri"},
      {"weekday before 2000", {2, 0, 0, 0, 0}, {1999, 12, 31, 0, 0, 0}, "Fri"},
      {"weekday in 1970", {2, 0, 0, 0, 0}, {1970, 1, 1, 0, 0, 0}, "Thu"},
      {"weekday far ahead", {2, 0, 0, 0, 0}, {2400, 2, 29, 0, 0, 0}, "Tue"},
      {"day of year", {3, 0, 0, 0, 0}, kMarch5, "064"},
      {"day of year in a leap year", {3, 0, 0, 0, 0}, {2028, 3, 5, 0, 0, 0}, "064"},
      {"29 February is day 0", {3, 0, 0, 0, 0}, {2028, 2, 29, 0, 0, 0}, "000"},
      {"28 February in a leap year", {3, 0, 0, 0, 0}, {2028, 2, 28, 0, 0, 0}, "059"},
      {"31 December in a leap year", {3, 0, 0, 0, 0}, {2028, 12, 31, 0, 0, 0}, "365"},
      {"day of year padded with spaces", {3, 1, 0, 0, 0}, kMarch5, " 64"},
      {"first day padded with spaces", {3, 5, 0, 0, 0}, {2026, 1, 1, 0, 0, 0}, "  1"},
      {"day of year ignores years", {3, 0, 2, 0, 0}, {2026, 3, 5, 0, 0, 0}, "064"},
      {"day of year adds months and days", {3, 0, 0, 1, 1}, kMarch5, "096"},
      {"30 days into the next year", {0, 14, 0, 0, 30}, {2026, 12, 31, 0, 0, 0}, "2027/01/30"},
      {"a month keeps 31 January as 31 February", {0, 6, 0, 1, 0}, {2026, 1, 31, 0, 0, 0}, "26/02/31"},
      {"the first day rolls 31 February over", {0, 6, 0, 1, 1}, {2026, 1, 31, 0, 0, 0}, "26/03/01"},
      {"a year keeps 29 February", {0, 6, 1, 0, 0}, {2028, 2, 29, 0, 0, 0}, "29/02/29"},
      {"13 months", {0, 14, 0, 13, 0}, {2026, 12, 15, 0, 0, 0}, "2028/01/15"},
      {"255 years and months", {0, 14, 255, 255, 0}, kMarch5, "2302/06/05"},
      {"negative days add nothing", {0, 14, 0, 0, -5}, kMarch5, "2026/03/05"},
      {"leap day reached by days", {0, 14, 0, 0, 1}, {2028, 2, 28, 0, 0, 0}, "2028/02/29"},
      {"no leap day in 2100", {0, 14, 0, 0, 1}, {2100, 2, 28, 0, 0, 0}, "2100/03/01"},
      // 2147483647 days = 14699 cycles of 400 years and 3844 days.
      {"the largest day count", {0, 14, 0, 0, INT_MAX}, kMarch5, "1636/09/12"},
  };
  for (const TextCase& c : kCases) {
    EXPECT_EQ(Text(c.settings, c.clock), c.expected) << c.name;
  }
}

struct TableCase {
  const char* name;
  CalendarTextSettings settings;
  CalendarClock clock;
  int table;
  const char* file;
  const char* expected;
};

TEST(CalendarText, ConvertsPartsThroughTables) {
  static const TableCase kCases[] = {
      {"weekday", {2, 0, 0, 0, 0}, kMarch5, kTableWeekday, "04,WEDNESDAY\r\n05,THURSDAY\r\n", "THURSDAY"},
      {"weekday Saturday is 07", {2, 0, 0, 0, 0}, {2000, 1, 1, 0, 0, 0}, kTableWeekday, "07,SAT\r\n", "SAT"},
      {"year, two digits shown", {0, 6, 0, 0, 0}, kMarch5, kTableYear, "25,R7\r\n26,R8\r\n", "R8/03/05"},
      {"year, four digits shown", {0, 12, 0, 0, 0}, kMarch5, kTableYear, "26,R8\r\n", "R8 03 05"},
      {"year alone", {0, 17, 0, 0, 0}, kMarch5, kTableYear, "26,R8\r\n", "R8"},
      {"month", {0, 8, 0, 0, 0}, kMarch5, kTableMonth, "03,MAR\r\n", "2026 MAR  5"},
      {"month alone", {0, 18, 0, 0, 0}, kMarch5, kTableMonth, "03,MAR\r\n", "MAR"},
      {"day", {0, 6, 0, 0, 0}, kMarch5, kTableDay, "05,5th\r\n", "26/03/5th"},
      {"day after the offsets", {0, 6, 0, 0, 1}, kMarch5, kTableDay, "05,5th\r\n06,6th\r\n", "26/03/6th"},
      {"hour", {1, 5, 0, 0, 0}, kMarch5, kTableHour, "10,AM10\r\n", "AM10:07:09"},
      {"hour key is zero-filled", {1, 0, 0, 0, 0}, {2026, 3, 5, 9, 7, 9}, kTableHour, "09,AM9\r\n", "AM9  7  9"},
      {"minute", {1, 11, 0, 0, 0}, kMarch5, kTableMinute, "07,7min\r\n", "7min"},
      {"seconds are never converted", {1, 5, 0, 0, 0}, kMarch5, kTableMinute, "09,X\r\n", "10:07:09"},
      {"day of year replaced whole", {3, 0, 0, 0, 0}, kMarch5, kTableMonthDay, "0304,A\r\n0305,B\r\n", "B"},
      {"leap day key", {3, 0, 0, 0, 0}, {2028, 2, 29, 0, 0, 0}, kTableMonthDay, "0229,LEAP\r\n", "LEAP"},
      {"a line without CR LF converts nothing", {0, 6, 0, 0, 0}, kMarch5, kTableMonth, "03,March", "26/03/05"},
      {"an empty value converts nothing", {0, 6, 0, 0, 0}, kMarch5, kTableMonth, "03,\r\n", "26/03/05"},
      {"a missing key converts nothing", {0, 6, 0, 0, 0}, kMarch5, kTableYear, "31,X\r\n", "26/03/05"},
      {"the month table is not the day table", {0, 6, 0, 0, 0}, kMarch5, kTableMonth, "05,X\r\n", "26/03/05"},
  };
  for (const TableCase& c : kCases) {
    FakeTables tables;
    tables.files[static_cast<std::size_t>(c.table)] = c.file;
    EXPECT_EQ(Text(c.settings, c.clock, tables), c.expected) << c.name;
  }
}

TEST(CalendarText, ConvertsEveryPartOfADate) {
  FakeTables tables;
  tables.files[kTableYear] = "26,R8\r\n";
  tables.files[kTableMonth] = "03,MAR\r\n";
  tables.files[kTableDay] = "05,V\r\n";
  EXPECT_EQ(Text({0, 7, 0, 0, 0}, kMarch5, tables), "R8,MAR,V");
}

TEST(CalendarText, CutsAnOverlongTableValueToOnePart) {
  const std::string longValue(80, 'x');
  FakeTables tables;
  tables.files[kTableMonth] = "03," + longValue + "\r\n";
  EXPECT_EQ(Text({0, 6, 0, 0, 0}, kMarch5, tables), "26/" + std::string(kCalendarPartMax, 'x') + "/05");

  // Three overlong parts still fit the documented maximum.
  tables.files[kTableYear] = "26," + longValue + "\r\n";
  tables.files[kTableDay] = "05," + longValue + "\r\n";
  const std::string part(kCalendarPartMax, 'x');
  const std::optional<std::string> text = Text({0, 6, 0, 0, 0}, kMarch5, tables);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, part + "/" + part + "/" + part);
  EXPECT_EQ(text->size(), kCalendarTextMax);
}

TEST(CalendarText, ToleratesALookupThatClaimsMoreThanItWrote) {
  // A lookup reporting a length beyond the buffer it was given must not
  // make the text read past what was copied.
  const auto lookup = [](int, std::string_view, char* out, std::size_t outSize, std::size_t* outLen) {
    for (std::size_t i = 0; i < outSize; ++i) out[i] = 'y';
    *outLen = 100000;
    return true;
  };
  std::array<char, kCalendarTextMax + 1> out{};
  const std::optional<std::size_t> length = FormatCalendarText({2, 0, 0, 0, 0}, kMarch5, lookup, out.data(), out.size());
  ASSERT_TRUE(length);
  EXPECT_EQ(std::string(out.data(), *length), std::string(kCalendarPartMax, 'y'));
}

TEST(CalendarText, PassesZeroFilledKeysToTheLookup) {
  struct Call {
    int table;
    std::string key;
  };
  std::array<Call, 8> calls{};
  std::size_t count = 0;
  const auto record = [&](int table, std::string_view key, char*, std::size_t, std::size_t*) {
    if (count < calls.size()) calls[count++] = Call{table, std::string(key)};
    return false;
  };
  std::array<char, kCalendarTextMax + 1> out{};
  ASSERT_TRUE(FormatCalendarText({0, 12, 0, 0, 0}, {2007, 1, 2, 3, 4, 5}, record, out.data(), out.size()));
  ASSERT_TRUE(FormatCalendarText({1, 5, 0, 0, 0}, {2007, 1, 2, 3, 4, 5}, record, out.data(), out.size()));
  ASSERT_TRUE(FormatCalendarText({3, 0, 0, 0, 0}, {2007, 1, 2, 3, 4, 5}, record, out.data(), out.size()));
  ASSERT_TRUE(FormatCalendarText({2, 0, 0, 0, 0}, {2007, 1, 2, 3, 4, 5}, record, out.data(), out.size()));
  ASSERT_EQ(count, 7u);
  static const Call kExpected[] = {
      {kTableYear, "07"}, {kTableMonth, "01"},    {kTableDay, "02"},     {kTableHour, "03"},
      {kTableMinute, "04"}, {kTableMonthDay, "0102"}, {kTableWeekday, "03"},  // 2 January 2007 was a Tuesday
  };
  for (std::size_t i = 0; i < count; ++i) {
    EXPECT_EQ(calls[i].table, kExpected[i].table) << i;
    EXPECT_EQ(calls[i].key, kExpected[i].key) << i;
  }
}

TEST(CalendarText, RefusesASmallBufferOrABadClock) {
  std::array<char, 9> out{};
  // "26/03/05" needs 8 bytes and the NUL.
  EXPECT_EQ(FormatCalendarText({0, 6, 0, 0, 0}, kMarch5, {}, out.data(), 9), std::optional<std::size_t>(8));
  EXPECT_FALSE(FormatCalendarText({0, 6, 0, 0, 0}, kMarch5, {}, out.data(), 8));
  EXPECT_FALSE(FormatCalendarText({0, 6, 0, 0, 0}, kMarch5, {}, nullptr, 0));

  static const CalendarClock kBadClocks[] = {
      {2026, 0, 5, 0, 0, 0}, {2026, 13, 5, 0, 0, 0}, {2026, 3, 0, 0, 0, 0}, {2026, 3, 32, 0, 0, 0}, {0, 3, 5, 0, 0, 0},
  };
  std::array<char, kCalendarTextMax + 1> big{};
  for (const CalendarClock& clock : kBadClocks) {
    EXPECT_FALSE(FormatCalendarText({0, 6, 0, 0, 0}, clock, {}, big.data(), big.size())) << clock.month << "/" << clock.day;
  }
}

// Adding days one at a time, as the field arithmetic is defined.
CalendarDate AddDaysOneByOne(CalendarDate date, int days) {
  for (int i = 0; i < days; ++i) {
    if (++date.day > MonthLength(date.year, date.month)) {
      date.day = 1;
      if (++date.month > 12) {
        date.month = 1;
        ++date.year;
      }
    }
  }
  return date;
}

TEST(CalendarDateArithmetic, CountingDaysAtOnceMatchesOneByOne) {
  // Start dates include unclamped days left by month arithmetic.
  static const CalendarDate kStarts[] = {
      {2026, 1, 31}, {2026, 2, 31}, {2028, 2, 29}, {2028, 2, 30}, {2026, 4, 31},
      {2099, 12, 31}, {2100, 2, 28}, {1999, 12, 31}, {2026, 3, 5},
  };
  static const int kDays[] = {1, 2, 27, 28, 29, 30, 31, 59, 60, 365, 366, 1461, 36524, 146097, 146098};
  for (const CalendarDate& start : kStarts) {
    for (const int days : kDays) {
      const CalendarDate fast = AddToDate(start, 0, 0, days);
      const CalendarDate slow = AddDaysOneByOne(start, days);
      EXPECT_EQ(fast.year, slow.year) << start.year << "-" << start.month << "-" << start.day << " + " << days;
      EXPECT_EQ(fast.month, slow.month) << start.year << "-" << start.month << "-" << start.day << " + " << days;
      EXPECT_EQ(fast.day, slow.day) << start.year << "-" << start.month << "-" << start.day << " + " << days;
    }
  }
}

TEST(CalendarDateArithmetic, DayOfYearAndLeapYears) {
  EXPECT_EQ(DayOfYear({2026, 3, 5}), 64);
  EXPECT_EQ(DayOfYear({2028, 3, 5}), 65);
  EXPECT_EQ(DayOfYear({2026, 2, 31}), 62);  // unclamped days count as they are
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2028));
  EXPECT_FALSE(IsLeapYear(2100));
  EXPECT_FALSE(IsLeapYear(2026));
  EXPECT_EQ(MonthLength(2028, 2), 29);
  EXPECT_EQ(MonthLength(2100, 2), 28);
}

}  // namespace
}  // namespace render::fields
