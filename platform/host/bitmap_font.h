// A small bitmap font for the text that EngTextOut draws: 5 x 7 dots per
// character in a cell of 6 x 8 (one column and one row of spacing).
#pragma once

#include <cstdint>

namespace host::detail {

constexpr int kGlyphColumns = 5;
constexpr int kGlyphRows = 7;
constexpr int kCellColumns = 6;
constexpr int kCellRows = 8;

// The seven rows of a character, top first, bit 4 the leftmost dot. Every
// character outside printable ASCII is a filled box.
const std::uint8_t* GlyphRows(char16_t c);

}  // namespace host::detail
