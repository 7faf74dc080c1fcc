#pragma once
// The settings records that keyboard-terminal field records carry verbatim:
// a barcode set-up (16 bytes), a calendar set-up (76 bytes) and a manual-input
// set-up (41 bytes). Packed byte by byte, little-endian.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace labelsim {

struct BarColorEntry {
    static constexpr std::size_t kSize = 16;
    std::uint8_t color = 0;
    std::uint8_t kind = 0;          // 0..15, 10 = 2D code
    std::uint8_t size = 0;          // size step 0..5
    std::uint8_t length_mm = 0;     // bar height
    std::uint8_t num_show = 0;      // human-readable text
    std::uint8_t rotate = 0;        // 0..3
    std::uint8_t qr_cell = 0;       // cell = value + 2 dots
    std::uint8_t qr_level = 0;      // 0..3 = L, M, Q, H
    std::uint8_t qr_model = 0;      // 0 = model 1, 1 = model 2
    std::uint8_t enable_ebr = 0;    // element widths below are used
    std::uint8_t narrow_bar = 0;
    std::uint8_t wide_bar = 0;
    std::uint8_t narrow_space = 0;
    std::uint8_t wide_space = 0;
    std::uint8_t bar_gap = 0;
    std::uint8_t text_gap = 0;
};

struct CalendarEntry {
    static constexpr std::size_t kSize = 76;
    std::uint8_t kind = 0;          // character type 0..9
    std::uint8_t y_mag = 0;         // magnification - 1
    std::uint8_t x_mag = 0;
    std::uint8_t rotate = 0;
    std::uint8_t gap = 0;           // dots between characters
    std::uint8_t date = 0;          // 0 date, 1 time, 2 weekday, 3 day of year
    std::uint8_t format = 0;
    std::uint8_t add_years = 0;
    std::uint8_t add_months = 0;
    std::int32_t add_days = 0;
    // Conversion table base names: year, month, day, hour, minute, week, serial.
    std::array<std::string, 7> tables;
};

struct VariableEntry {
    static constexpr std::size_t kSize = 41;
    std::string line1;              // terminal display, upper line
    std::string line2;              // lower line
    std::uint8_t in_pos = 0;
    std::uint8_t chara_no = 0;
    std::uint8_t kind = 0;          // character type 0..10
    std::uint8_t y_mag = 0;
    std::uint8_t x_mag = 0;
    std::uint8_t rotate = 0;
    std::uint8_t gap = 0;
};

// The caller guarantees the span holds at least kSize bytes.
BarColorEntry parse_bar_color_entry(std::span<const std::uint8_t> b);
CalendarEntry parse_calendar_entry(std::span<const std::uint8_t> b);
VariableEntry parse_variable_entry(std::span<const std::uint8_t> b);

// Text of a fixed-size ANSI field up to its first NUL (or the whole field).
std::string fixed_text(std::span<const std::uint8_t> field);

}  // namespace labelsim
