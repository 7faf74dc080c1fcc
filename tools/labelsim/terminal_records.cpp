#include "terminal_records.hpp"

#include <algorithm>

namespace labelsim {

std::string fixed_text(std::span<const std::uint8_t> field) {
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return std::string(field.begin(), end);
}

BarColorEntry parse_bar_color_entry(std::span<const std::uint8_t> b) {
    BarColorEntry e;
    e.color = b[0];
    e.kind = b[1];
    e.size = b[2];
    e.length_mm = b[3];
    e.num_show = b[4];
    e.rotate = b[5];
    e.qr_cell = b[6];
    e.qr_level = b[7];
    e.qr_model = b[8];
    e.enable_ebr = b[9];
    e.narrow_bar = b[10];
    e.wide_bar = b[11];
    e.narrow_space = b[12];
    e.wide_space = b[13];
    e.bar_gap = b[14];
    e.text_gap = b[15];
    return e;
}

CalendarEntry parse_calendar_entry(std::span<const std::uint8_t> b) {
    CalendarEntry e;
    e.kind = b[0];
    e.y_mag = b[1];
    e.x_mag = b[2];
    e.rotate = b[3];
    e.gap = b[4];
    e.date = b[5];
    e.format = b[6];
    e.add_years = b[7];
    e.add_months = b[8];
    // Unaligned signed 32-bit at offset 9.
    const std::uint32_t days = static_cast<std::uint32_t>(b[9]) | (static_cast<std::uint32_t>(b[10]) << 8) |
                               (static_cast<std::uint32_t>(b[11]) << 16) |
                               (static_cast<std::uint32_t>(b[12]) << 24);
    e.add_days = static_cast<std::int32_t>(days);
    for (std::size_t i = 0; i < e.tables.size(); ++i) {
        e.tables[i] = fixed_text(b.subspan(13 + 9 * i, 9));
    }
    return e;
}

VariableEntry parse_variable_entry(std::span<const std::uint8_t> b) {
    VariableEntry e;
    e.line1 = fixed_text(b.subspan(0, 17));
    e.line2 = fixed_text(b.subspan(17, 17));
    e.in_pos = b[34];
    e.chara_no = b[35];
    e.kind = b[36];
    e.y_mag = b[37];
    e.x_mag = b[38];
    e.rotate = b[39];
    e.gap = b[40];
    return e;
}

}  // namespace labelsim
