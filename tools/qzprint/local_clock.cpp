#include "tools/qzprint/local_clock.h"

namespace qzprint {

namespace {

// Digits of the text at [at, at + count) as a number; false when any is not a digit.
bool Digits(std::string_view text, std::size_t at, std::size_t count, int* out) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  *out = value;
  return true;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Day of the week of a Gregorian date, 0 Sunday (Sakamoto's method).
int Weekday(int year, int month, int day) {
  static constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) --year;
  return (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7;
}

}  // namespace

std::optional<ENG_TIME_FIELDS> ParseLocalTime(std::string_view text) {
  // YYYY-MM-DDTHH:MM:SS
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':') {
    return std::nullopt;
  }
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!Digits(text, 0, 4, &year) || !Digits(text, 5, 2, &month) || !Digits(text, 8, 2, &day) ||
      !Digits(text, 11, 2, &hour) || !Digits(text, 14, 2, &minute) || !Digits(text, 17, 2, &second)) {
    return std::nullopt;
  }
  // Windows system times start with the year 1601.
  if (year < 1601 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59) {
    return std::nullopt;
  }
  ENG_TIME_FIELDS fields{};
  fields.usYear = static_cast<USHORT>(year);
  fields.usMonth = static_cast<USHORT>(month);
  fields.usDay = static_cast<USHORT>(day);
  fields.usHour = static_cast<USHORT>(hour);
  fields.usMinute = static_cast<USHORT>(minute);
  fields.usSecond = static_cast<USHORT>(second);
  fields.usMilliseconds = 0;
  fields.usWeekday = static_cast<USHORT>(Weekday(year, month, day));
  return fields;
}

}  // namespace qzprint
