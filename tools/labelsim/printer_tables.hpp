#pragma once
// Fixed tables of the printer language and of the printer's own fonts and
// barcode elements: kind characters, character cell sizes and standard
// narrow-element widths. The previewer needs them to draw fields the way the
// printer does.

#include <optional>
#include <string>
#include <string_view>

namespace labelsim {

// Barcode kind characters as they appear in the field and ratio commands.
inline constexpr std::string_view kBarcodeKindChars = "01345679BCEFGHI";
// Calendar character types 'S' .. '5' (index = character type 0..9).
inline constexpr std::string_view kCalendarTypeChars = "SMLB012345";
// 2D code error levels, index 0..3.
inline constexpr std::string_view kQrLevelChars = "LMQH";

inline constexpr int kQrKind = 10;

// Kind number (0..9, 11..15) for a kind character, nullopt when unknown.
std::optional<int> barcode_kind_from_char(char c);
// Kind character for a kind number, nullopt for 10 (2D code) and out of range.
std::optional<char> barcode_char_from_kind(int kind);
// Display name, e.g. "JAN-13", "CODE128", "RSS Limited"; "2D code" for 10.
std::string_view barcode_kind_name(int kind);

// Standard narrow bar width in dots for a kind and size step at a resolution.
// Kinds 11..15 use a module of size + 2 dots. Never returns 0.
unsigned standard_narrow_bar(unsigned dots_per_mm, int kind, unsigned size);

struct CellSize {
    unsigned width = 0;   // dots, including the font's own spacing
    unsigned height = 0;  // dots
};

// Calendar character cell for type 0..9 ('S' .. '5'); nullopt out of range.
// At 12 dots/mm the general 12 dots/mm row is used.
std::optional<CellSize> calendar_cell(unsigned dots_per_mm, unsigned type);
// Manual-input character cell for kind 0..10; nullopt out of range.
std::optional<CellSize> manual_cell(unsigned dots_per_mm, unsigned kind);

// Placeholder text for a calendar record of the keyboard terminal, which
// carries the settings rather than the text: the format pattern, e.g.
// "YY/MM/DD" (date 0, format 6), " H: T: S", "WWW" or "001". Empty when the
// format index names no format.
std::string calendar_placeholder(unsigned date, unsigned format);

}  // namespace labelsim
