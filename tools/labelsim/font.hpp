#pragma once
// Small built-in 5 x 7 bitmap font for the preview's device-font texts
// (calendar fields, manual-input placeholders, human-readable barcode lines).
// Each glyph is scaled into its character cell; bytes outside printable
// ASCII are drawn as a hollow box.

#include <cstdint>
#include <string_view>

#include "bitmap.hpp"

namespace labelsim {

inline constexpr int kGlyphColumns = 5;
inline constexpr int kGlyphRows = 7;

// Seven row patterns (bit 4 = leftmost column), nullptr for bytes without a glyph.
const std::uint8_t* glyph_rows(std::uint8_t ch);

// Draws one character into the cell whose top-left is (left, top). The glyph
// fills the cell less a spacing column band on the right and a band on top,
// so consecutive cells read as separate characters.
void draw_glyph(Bitmap& target, std::uint8_t ch, std::int64_t left, std::int64_t top, std::uint32_t cell_w,
                std::uint32_t cell_h);

// Width of a line of `length` cells with `gap` dots between them.
std::uint64_t text_line_width(std::size_t length, std::uint32_t cell_w, std::uint32_t gap);

// Draws a line of text starting at (left, top).
void draw_text_line(Bitmap& target, std::string_view text, std::int64_t left, std::int64_t top, std::uint32_t cell_w,
                    std::uint32_t cell_h, std::uint32_t gap);

}  // namespace labelsim
