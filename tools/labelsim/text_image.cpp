#include "text_image.hpp"

#include <algorithm>
#include <string>

#include "font.hpp"
#include "printer_tables.hpp"

namespace labelsim {

FieldImage render_text(const TextItem& item, unsigned dots_per_mm, std::uint64_t max_pixels) {
    const auto cell = item.source == TextSource::calendar ? calendar_cell(dots_per_mm, item.char_type)
                                                          : manual_cell(dots_per_mm, item.char_type);
    const CellSize base = cell.value_or(CellSize{16, 24});
    const std::uint32_t cw = base.width * std::max(1u, item.x_mag);
    const std::uint32_t ch = base.height * std::max(1u, item.y_mag);
    FieldImage img;
    if (!cell) img.notes.push_back("unknown character type " + std::to_string(item.char_type));
    if (item.text.empty()) {
        img.notes.push_back("empty text");
        return img;
    }
    const std::uint64_t width = text_line_width(item.text.size(), cw, item.gap);
    if (width * ch > max_pixels) return placeholder_image(std::min<std::uint32_t>(cw * 4, 4096), std::min(ch, 4096u), "text too large to preview");
    img.bitmap = Bitmap(static_cast<std::uint32_t>(width), ch);
    draw_text_line(img.bitmap, item.text, 0, 0, cw, ch, item.gap);
    img.core = Rect{0, 0, static_cast<std::int64_t>(width), ch};
    return img;
}

}  // namespace labelsim
