#include "render/fields/calendar_text.h"

#include <algorithm>
#include <array>

namespace render::fields {
namespace {

constexpr std::array<int, 12> kMonthLengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

constexpr std::array<std::string_view, 7> kWeekdayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// Layout of a date text by CalendarFormat. A part with 0 digits is absent.
struct DateLayout {
  int yearDigits;  // 0, 2 or 4; the year is always zero-padded
  bool month;
  bool day;
  char pad;        // padding of month and day
  char separator;  // 0: a single part, no separator
};

constexpr std::array<DateLayout, 22> kDateLayouts = {{
    {2, true, true, ' ', ' '}, {2, true, true, ' ', '.'},  // 0, 1
    {2, true, true, ' ', '/'}, {2, true, true, ' ', ','},  // 2, 3
    {2, true, true, '0', ' '}, {2, true, true, '0', '.'},  // 4, 5
    {2, true, true, '0', '/'}, {2, true, true, '0', ','},  // 6, 7
    {4, true, true, ' ', ' '}, {4, true, true, ' ', '.'},  // 8, 9
    {4, true, true, ' ', '/'}, {4, true, true, ' ', ','},  // 10, 11
    {4, true, true, '0', ' '}, {4, true, true, '0', '.'},  // 12, 13
    {4, true, true, '0', '/'}, {4, true, true, '0', ','},  // 14, 15
    {2, false, false, '0', 0},                             // 16 YY
    {4, false, false, '0', 0},                             // 17 YYYY
    {0, true, false, ' ', 0},  {0, true, false, '0', 0},   // 18, 19 MM
    {0, false, true, ' ', 0},  {0, false, true, '0', 0},   // 20, 21 DD
}};

// Layout of a time text by CalendarFormat.
struct TimeLayout {
  bool hour;
  bool minute;
  bool second;
  char pad;
  char separator;
};

constexpr std::array<TimeLayout, 12> kTimeLayouts = {{
    {true, true, true, ' ', ' '}, {true, true, true, ' ', ':'},  // 0, 1
    {true, true, true, ' ', '/'}, {true, true, true, ' ', ','},  // 2, 3
    {true, true, true, '0', ' '}, {true, true, true, '0', ':'},  // 4, 5
    {true, true, true, '0', '/'}, {true, true, true, '0', ','},  // 6, 7
    {true, false, false, ' ', 0}, {true, false, false, '0', 0},  // 8, 9 HH
    {false, true, false, ' ', 0}, {false, true, false, '0', 0},  // 10, 11 minute
}};

// One part of the text: a number or the table value that replaced it.
struct Part {
  std::array<char, kCalendarPartMax> bytes{};
  std::size_t length = 0;

  std::string_view View() const { return {bytes.data(), length}; }
};

// `value` right-aligned in `width` characters, keeping its last `width`
// digits.
Part NumberPart(std::int64_t value, int width, char pad) {
  Part part;
  part.length = static_cast<std::size_t>(width);
  std::int64_t rest = value < 0 ? -value : value;
  for (int i = width - 1; i >= 0; --i) {
    const bool blank = pad == ' ' && rest == 0 && i != width - 1;
    part.bytes[static_cast<std::size_t>(i)] = blank ? ' ' : static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  return part;
}

// Key of a table lookup: `value` zero-filled to `width` digits.
struct Key {
  std::array<char, 4> bytes{};
  std::size_t length = 0;

  std::string_view View() const { return {bytes.data(), length}; }
};

Key MakeKey(std::int64_t value, int width) {
  const Part digits = NumberPart(value, width, '0');
  Key key;
  key.length = digits.length;
  std::copy_n(digits.bytes.begin(), digits.length, key.bytes.begin());
  return key;
}

// Replaces `part` by the table's value for `key`, if there is one. A value
// longer than a part keeps its first kCalendarPartMax bytes.
void Convert(Part& part, CalendarTableLookup lookup, int table, const Key& key) {
  Part value;
  std::size_t fullLength = 0;
  if (!lookup(table, key.View(), value.bytes.data(), value.bytes.size(), &fullLength)) return;
  if (fullLength == 0) return;
  value.length = std::min(fullLength, kCalendarPartMax);
  part = value;
}

// Writes the parts joined by `separator` (none when 0) and a NUL.
std::optional<std::size_t> Emit(const Part* parts, std::size_t count, char separator, char* out,
                                std::size_t outSize) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < count; ++i) length += parts[i].length;
  if (count > 1 && separator != 0) length += count - 1;
  if (out == nullptr || outSize < length + 1) return std::nullopt;
  char* p = out;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0 && separator != 0) *p++ = separator;
    p = std::copy_n(parts[i].bytes.begin(), parts[i].length, p);
  }
  *p = '\0';
  return length;
}

std::int64_t LeapYearsThrough(std::int64_t year) { return year / 4 - year / 100 + year / 400; }

// Days since 1 January 1970 of a valid proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CalendarDate CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  return CalendarDate{static_cast<int>(year), month, day};
}

void NextMonth(CalendarDate& date) {
  if (++date.month > 12) {
    date.month = 1;
    ++date.year;
  }
}

std::optional<std::size_t> DateText(const CalendarTextSettings& settings, const CalendarClock& clock,
                                    CalendarTableLookup lookup, char* out, std::size_t outSize) {
  if (settings.format < 0 || static_cast<std::size_t>(settings.format) >= kDateLayouts.size()) {
    return Emit(nullptr, 0, 0, out, outSize);
  }
  const DateLayout& layout = kDateLayouts[static_cast<std::size_t>(settings.format)];
  const CalendarDate date = AddToDate({clock.year, clock.month, clock.day}, settings.addYears,
                                      settings.addMonths, settings.addDays);
  std::array<Part, 3> parts;
  std::size_t count = 0;
  if (layout.yearDigits != 0) {
    Part& part = parts[count++];
    part = NumberPart(date.year, layout.yearDigits, '0');
    // The year table is keyed by the last two digits, also under four.
    Convert(part, lookup, kTableYear, MakeKey(date.year, 2));
  }
  if (layout.month) {
    Part& part = parts[count++];
    part = NumberPart(date.month, 2, layout.pad);
    Convert(part, lookup, kTableMonth, MakeKey(date.month, 2));
  }
  if (layout.day) {
    Part& part = parts[count++];
    part = NumberPart(date.day, 2, layout.pad);
    Convert(part, lookup, kTableDay, MakeKey(date.day, 2));
  }
  return Emit(parts.data(), count, layout.separator, out, outSize);
}

std::optional<std::size_t> TimeText(const CalendarTextSettings& settings, const CalendarClock& clock,
                                    CalendarTableLookup lookup, char* out, std::size_t outSize) {
  if (settings.format < 0 || static_cast<std::size_t>(settings.format) >= kTimeLayouts.size()) {
    return Emit(nullptr, 0, 0, out, outSize);
  }
  const TimeLayout& layout = kTimeLayouts[static_cast<std::size_t>(settings.format)];
  std::array<Part, 3> parts;
  std::size_t count = 0;
  if (layout.hour) {
    Part& part = parts[count++];
    part = NumberPart(clock.hour, 2, layout.pad);
    Convert(part, lookup, kTableHour, MakeKey(clock.hour, 2));
  }
  if (layout.minute) {
    Part& part = parts[count++];
    part = NumberPart(clock.minute, 2, layout.pad);
    Convert(part, lookup, kTableMinute, MakeKey(clock.minute, 2));
  }
  if (layout.second) parts[count++] = NumberPart(clock.second, 2, layout.pad);  // never converted
  return Emit(parts.data(), count, layout.separator, out, outSize);
}

std::optional<std::size_t> WeekdayText(const CalendarTextSettings& settings, const CalendarClock& clock,
                                       CalendarTableLookup lookup, char* out, std::size_t outSize) {
  const CalendarDate date = AddToDate({clock.year, clock.month, clock.day}, settings.addYears,
                                      settings.addMonths, settings.addDays);
  const int weekday = Weekday(date);
  const std::string_view name = kWeekdayNames[static_cast<std::size_t>(weekday)];
  Part part;
  part.length = std::copy(name.begin(), name.end(), part.bytes.begin()) - part.bytes.begin();
  Convert(part, lookup, kTableWeekday, MakeKey(weekday + 1, 2));  // "01" Sunday .. "07" Saturday
  return Emit(&part, 1, 0, out, outSize);
}

std::optional<std::size_t> DayOfYearText(const CalendarTextSettings& settings, const CalendarClock& clock,
                                         CalendarTableLookup lookup, char* out, std::size_t outSize) {
  // Years are not added: they cannot change a day number.
  const CalendarDate date =
      AddToDate({clock.year, clock.month, clock.day}, 0, settings.addMonths, settings.addDays);
  // Leap years number their days like common years: 29 February is day 0
  // and the days after it move down by one.
  constexpr int kLeapDay = 31 + 29;
  int number = DayOfYear(date);
  if (IsLeapYear(date.year)) {
    if (number == kLeapDay) {
      number = 0;
    } else if (number > kLeapDay) {
      --number;
    }
  }
  Part part = NumberPart(number, 3, settings.format == 0 ? '0' : ' ');
  Convert(part, lookup, kTableMonthDay, MakeKey(date.month * 100 + date.day, 4));
  return Emit(&part, 1, 0, out, outSize);
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int MonthLength(int year, int month) {
  if (month == 2 && IsLeapYear(year)) return 29;
  return kMonthLengths[static_cast<std::size_t>(month - 1)];
}

CalendarDate AddToDate(CalendarDate date, std::uint8_t years, std::uint8_t months, std::int32_t days) {
  date.year += years;
  const int monthIndex = date.month - 1 + months;
  date.year += monthIndex / 12;
  date.month = monthIndex % 12 + 1;
  if (days <= 0) return date;

  // The first day settles an unclamped day (31 February becomes 1 March);
  // from then on the date is valid and the remaining days are counted in
  // one step, which gives what adding them one at a time gives.
  if (++date.day > MonthLength(date.year, date.month)) {
    date.day = 1;
    NextMonth(date);
  }
  const std::int64_t serial = DaysFromCivil(date.year, date.month, date.day) + (days - 1);
  return CivilFromDays(serial);
}

int DayOfYear(const CalendarDate& date) {
  int number = date.day;
  for (int month = 1; month < date.month; ++month) number += MonthLength(date.year, month);
  return number;
}

int Weekday(const CalendarDate& date) {
  // Day 1 of 2000 is a Saturday. Days are counted from there, backwards for
  // earlier years, so that every year gets its true weekday.
  const std::int64_t years = std::int64_t{date.year} - 2000;
  const std::int64_t yearDays = 365 * years + LeapYearsThrough(date.year - 1) - LeapYearsThrough(1999);
  const std::int64_t number = DayOfYear(date) + yearDays;
  int weekday = static_cast<int>(((number % 7) + 7) % 7) + 5;
  if (weekday > 6) weekday -= 7;
  return weekday;
}

std::optional<std::size_t> FormatCalendarText(const CalendarTextSettings& settings, const CalendarClock& clock,
                                              CalendarTableLookup lookup, char* out, std::size_t outSize) {
  // The year bound is that of the system clock; it keeps every sum below
  // in range (days add at most some six million years).
  if (clock.year < 1 || clock.year > 65535 || clock.month < 1 || clock.month > 12 || clock.day < 1 ||
      clock.day > 31) {
    return std::nullopt;
  }
  switch (settings.date) {
    case 1:
      return TimeText(settings, clock, lookup, out, outSize);
    case 2:
      return WeekdayText(settings, clock, lookup, out, outSize);
    case 3:
      return DayOfYearText(settings, clock, lookup, out, outSize);
    default:
      return DateText(settings, clock, lookup, out, outSize);
  }
}

}  // namespace render::fields
