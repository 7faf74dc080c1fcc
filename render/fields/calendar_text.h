// The text of a calendar field: the clock's date or time, shifted by the
// field's offsets, laid out by its format code, with parts replaced through
// conversion tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>

namespace render::fields {

// A calendar date as the field arithmetic sees it. The day is not clamped
// to its month: adding a month to 31 January gives 31 February.
struct CalendarDate {
  int year;
  int month;  // 1..12
  int day;    // 1..31
};

// The local time at the moment the field is completed.
struct CalendarClock {
  int year;
  int month;  // 1..12
  int day;    // 1..31
  int hour;
  int minute;
  int second;
};

// The values of a calendar field's settings that decide its text.
struct CalendarTextSettings {
  int date;                // CalendarDate: 0 date, 1 time, 2 weekday, 3 day of year, other: date
  int format;              // CalendarFormat
  std::uint8_t addYears;   // CalendarYear
  std::uint8_t addMonths;  // CalendarMonth
  std::int32_t addDays;    // CalendarDay; zero or negative adds nothing
};

// Conversion table numbers: the digit of the table file's extension.
enum CalendarTable : int {
  kTableYear = 1,
  kTableMonth = 2,
  kTableDay = 3,
  kTableHour = 4,
  kTableMinute = 5,
  kTableWeekday = 6,
  kTableMonthDay = 7,
};

// One converted part holds at most this many bytes; a longer table value is
// cut to its first kCalendarPartMax bytes.
inline constexpr std::size_t kCalendarPartMax = 55;
// The longest text: three parts and two separators.
inline constexpr std::size_t kCalendarTextMax = 3 * kCalendarPartMax + 2;

// Non-owning reference to the table lookup the text is built with:
//   bool(int table, std::string_view key, char* out, std::size_t outSize, std::size_t* outLen)
// It returns true when the field's table `table` (1..7) is set, can be read
// and holds a non-empty value for `key`; it then copies at most outSize
// bytes of the value to `out` and stores the value's full length in
// *outLen. A default-constructed lookup has no tables. The referenced
// callable must outlive the calls made with it.
class CalendarTableLookup {
 public:
  CalendarTableLookup() = default;

  template <class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, CalendarTableLookup> &&
             std::is_invocable_r_v<bool, F&, int, std::string_view, char*, std::size_t, std::size_t*>)
  CalendarTableLookup(F&& lookup)  // NOLINT: implicit, so a lambda can be passed directly
      : object_(const_cast<void*>(static_cast<const void*>(std::addressof(lookup)))),
        call_([](void* object, int table, std::string_view key, char* out, std::size_t outSize,
                 std::size_t* outLen) -> bool {
          return (*static_cast<std::remove_reference_t<F>*>(object))(table, key, out, outSize, outLen);
        }) {}

  bool operator()(int table, std::string_view key, char* out, std::size_t outSize, std::size_t* outLen) const {
    return call_ != nullptr && call_(object_, table, key, out, outSize, outLen);
  }

 private:
  void* object_ = nullptr;
  bool (*call_)(void*, int, std::string_view, char*, std::size_t, std::size_t*) = nullptr;
};

bool IsLeapYear(int year);
// Days of `month` (1..12) in `year`.
int MonthLength(int year, int month);

// Adds `years`, then `months` (the day stays as it is), then `days` one day
// at a time: a day past its month's end becomes day 1 of the next month.
// A zero or negative day count adds nothing. `date.month` must be 1..12.
CalendarDate AddToDate(CalendarDate date, std::uint8_t years, std::uint8_t months, std::int32_t days);

// Lengths of the months before the date's month, plus the day.
int DayOfYear(const CalendarDate& date);

// Day of the week, 0 Sunday .. 6 Saturday, counted in days from 1 January
// 2000 (a Saturday), for years before 2000 as well.
int Weekday(const CalendarDate& date);

// Builds the field text into `out` followed by a NUL and returns its length
// (0 for a format code that has no text). Empty when the clock is out of
// range (year 1..65535, month 1..12, day 1..31) or `out` cannot hold the
// text and its NUL; kCalendarTextMax + 1 bytes always suffice.
std::optional<std::size_t> FormatCalendarText(const CalendarTextSettings& settings, const CalendarClock& clock,
                                              CalendarTableLookup lookup, char* out, std::size_t outSize);

}  // namespace render::fields
