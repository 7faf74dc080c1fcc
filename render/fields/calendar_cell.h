// Character cells of the printer's field fonts: the size in dots of one
// unmagnified character of a calendar field (by CalendarKind) or of a
// manual-input field (by ManualKind). Placement uses one cell as the field's
// extent; the magnifications never enter.
#pragma once

#include <cstddef>
#include <optional>

#include "platform/win.h"

namespace render::fields {

struct CellDots {
  int width;   // u = floor(d * w + 0.5)
  int height;  // H = floor(d * h + 0.5)
};

inline constexpr int kCalendarKindCount = 10;  // CalendarKind 0..9
inline constexpr int kManualKindCount = 11;    // ManualKind 0..10

// The one model whose 12 dots/mm fonts have their own, smaller cells.
// True when the device name equals "JW7120" exactly, terminating NUL
// included (within `capacity` characters): "JW7120A" and "jw7120" are
// other models.
bool IsJw7120DeviceName(const WCHAR* name, std::size_t capacity);

// Cell of a calendar character type at `dotsPerMm`; the JW7120 cells apply
// only at 12 dots/mm. Empty for a kind outside 0..9 or dotsPerMm <= 0.
std::optional<CellDots> CalendarCellDots(int calendarKind, int dotsPerMm, bool jw7120);

// Cell of a manual-input character type (0..10), same rules.
std::optional<CellDots> ManualCellDots(int manualKind, int dotsPerMm, bool jw7120);

// The character-type character of the calendar field command:
// 'S', 'M', 'L', 'B', '0' ... '5' for kinds 0..9; empty outside.
std::optional<char> CalendarKindChar(int calendarKind);

}  // namespace render::fields
