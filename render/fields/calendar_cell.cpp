#include "render/fields/calendar_cell.h"

#include <array>
#include <cmath>

namespace render::fields {
namespace {

// Cell sizes in millimetres. The width includes the spacing the printer's
// font puts after each character.
struct CellMm {
  double width;
  double height;
};

// Which row set of a cell table applies.
enum CellSet { kOtherDensity = 0, kJw7120At12 = 1, kOtherAt12 = 2 };

constexpr std::array<std::array<CellMm, kCalendarKindCount>, 3> kCalendarCells = {{
    // dots/mm other than 12
    {{{1.75, 2.0}, {2.0, 3.0}, {2.0, 3.5}, {2.0, 4.5}, {2.25, 2.5},
      {2.875, 3.0}, {3.125, 3.5}, {3.75, 4.0}, {4.125, 4.5}, {4.625, 5.0}}},
    // 12 dots/mm, JW7120
    {{{1.17, 1.33}, {1.33, 2.0}, {1.33, 2.33}, {1.33, 3.0}, {2.083, 2.5},
      {2.667, 3.0}, {3.167, 3.5}, {3.583, 4.0}, {4.167, 4.5}, {4.5, 5.0}}},
    // 12 dots/mm, other models
    {{{1.75, 2.08}, {1.83, 2.75}, {2.0, 3.42}, {2.0, 4.41}, {2.08, 2.5},
      {2.67, 3.0}, {3.17, 3.5}, {3.58, 4.0}, {4.17, 4.5}, {4.5, 5.0}}},
}};

// Manual kind 0 is the small 7 x 9 font; kinds 1..10 are the calendar
// types 'S' .. '5' again.
constexpr std::array<std::array<CellMm, kManualKindCount>, 3> kManualCells = {{
    {{{0.875, 1.125}, {1.75, 2.0}, {2.0, 3.0}, {2.0, 3.5}, {2.0, 4.5}, {2.25, 2.5},
      {2.875, 3.0}, {3.125, 3.5}, {3.75, 4.0}, {4.125, 4.5}, {4.625, 5.0}}},
    {{{0.583, 0.75}, {1.17, 1.33}, {1.33, 2.0}, {1.33, 2.33}, {1.33, 3.0}, {2.083, 2.5},
      {2.667, 3.0}, {3.167, 3.5}, {3.583, 4.0}, {4.167, 4.5}, {4.5, 5.0}}},
    {{{1.0, 1.17}, {1.75, 2.08}, {1.83, 2.75}, {2.0, 3.42}, {2.0, 4.41}, {2.08, 2.5},
      {2.67, 3.0}, {3.17, 3.5}, {3.58, 4.0}, {4.17, 4.5}, {4.5, 5.0}}},
}};

constexpr std::array<char, kCalendarKindCount> kCalendarKindChars = {
    'S', 'M', 'L', 'B', '0', '1', '2', '3', '4', '5'};

CellSet SelectSet(int dotsPerMm, bool jw7120) {
  if (dotsPerMm != 12) return kOtherDensity;
  return jw7120 ? kJw7120At12 : kOtherAt12;
}

CellDots ToDots(const CellMm& cell, int dotsPerMm) {
  const double d = dotsPerMm;
  return CellDots{static_cast<int>(std::floor(d * cell.width + 0.5)),
                  static_cast<int>(std::floor(d * cell.height + 0.5))};
}

}  // namespace

bool IsJw7120DeviceName(const WCHAR* name, std::size_t capacity) {
  static constexpr char kName[] = "JW7120";
  constexpr std::size_t kLength = sizeof(kName) - 1;
  // The comparison includes the terminating NUL, so it must lie inside the
  // name's capacity.
  if (name == nullptr || capacity <= kLength) return false;
  for (std::size_t i = 0; i < kLength; ++i) {
    if (name[i] != static_cast<WCHAR>(kName[i])) return false;
  }
  return name[kLength] == 0;
}

std::optional<CellDots> CalendarCellDots(int calendarKind, int dotsPerMm, bool jw7120) {
  if (calendarKind < 0 || calendarKind >= kCalendarKindCount || dotsPerMm <= 0) return std::nullopt;
  const auto& row = kCalendarCells[SelectSet(dotsPerMm, jw7120)];
  return ToDots(row[static_cast<std::size_t>(calendarKind)], dotsPerMm);
}

std::optional<CellDots> ManualCellDots(int manualKind, int dotsPerMm, bool jw7120) {
  if (manualKind < 0 || manualKind >= kManualKindCount || dotsPerMm <= 0) return std::nullopt;
  const auto& row = kManualCells[SelectSet(dotsPerMm, jw7120)];
  return ToDots(row[static_cast<std::size_t>(manualKind)], dotsPerMm);
}

std::optional<char> CalendarKindChar(int calendarKind) {
  if (calendarKind < 0 || calendarKind >= kCalendarKindCount) return std::nullopt;
  return kCalendarKindChars[static_cast<std::size_t>(calendarKind)];
}

}  // namespace render::fields
