#include "barcode_image.hpp"

#include <zint.h>

#include <algorithm>
#include <memory>
#include <string>

#include "font.hpp"
#include "printer_tables.hpp"

namespace labelsim {
namespace {

struct ZintDeleter {
    void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};
using ZintSymbol = std::unique_ptr<zint_symbol, ZintDeleter>;

int zint_symbology(int kind) {
    switch (kind) {
    case 0:
    case 1: return BARCODE_EANX;  // EAN-13 or EAN-8 by the data's length
    case 2: return BARCODE_UPCA;
    case 3: return BARCODE_UPCE;
    case 4:
    case 7: return BARCODE_CODE39;
    case 5: return BARCODE_CODABAR;
    case 6: return BARCODE_C25INTER;
    case 8: return BARCODE_CODE128;
    case 9: return BARCODE_CODE93;
    case 11:
    case 12: return BARCODE_DBAR_OMN;  // truncated = omnidirectional at a low height
    case 13: return BARCODE_DBAR_STK;
    case 14: return BARCODE_DBAR_OMNSTK;
    case 15: return BARCODE_DBAR_LTD;
    default: return 0;
    }
}

// The data as zint wants it: CODE39 without its '*' start/stop characters,
// CODE128 without the leading code set letter and '^' escapes.
std::string zint_data(int kind, const std::string& data, std::vector<std::string>& notes) {
    std::string d = data;
    if (kind == 4 || kind == 7) {
        if (!d.empty() && d.front() == '*') d.erase(0, 1);
        if (!d.empty() && d.back() == '*') d.pop_back();
    } else if (kind == 8) {
        if (!d.empty() && (d.front() == 'A' || d.front() == 'B' || d.front() == 'C')) d.erase(0, 1);
        std::string out;
        bool escapes = false;
        for (std::size_t i = 0; i < d.size(); ++i) {
            if (d[i] == '^') {
                ++i;  // the escape and its letter
                escapes = true;
                continue;
            }
            out += d[i];
        }
        if (escapes) notes.push_back("CODE128 '^' escapes are not drawn");
        d = out;
    }
    return d;
}

}  // namespace

BarcodeGeometry barcode_geometry(const BarcodeItem& item, unsigned dots_per_mm) {
    BarcodeGeometry g;
    if (item.widths && item.widths->narrow_bar > 0) {
        g.module = item.widths->narrow_bar;
        g.from_widths = true;
    } else {
        g.module = standard_narrow_bar(dots_per_mm, item.kind, item.size);
    }
    g.bar_height = std::max(1u, item.height_mm * dots_per_mm);
    return g;
}

FieldImage render_barcode(const BarcodeItem& item, unsigned dots_per_mm, std::uint64_t max_pixels) {
    const BarcodeGeometry g = barcode_geometry(item, dots_per_mm);
    std::vector<std::string> notes;
    const std::string data = zint_data(item.kind, item.data, notes);
    const std::uint32_t fallback_w =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{g.module} * 11 * std::max<std::size_t>(data.size(), 1), 4096));
    const std::uint32_t fallback_h = std::min(g.bar_height, 4096u);

    ZintSymbol sym(ZBarcode_Create());
    if (!sym) return placeholder_image(fallback_w, fallback_h, "zint could not allocate a symbol");
    sym->symbology = zint_symbology(item.kind);
    sym->input_mode = DATA_MODE;
    sym->show_hrt = 0;
    sym->output_options |= BARCODE_NO_QUIET_ZONES;
    sym->scale = static_cast<float>(g.module) / 2.0f;  // zint's raster X-dimension is 2 * scale pixels
    sym->height = static_cast<float>(g.bar_height) / static_cast<float>(g.module);
    if (item.kind == 7) sym->option_2 = 1;  // CODE39 with its check character
    if (data.empty()) return placeholder_image(fallback_w, fallback_h, "empty barcode data");

    const int enc = ZBarcode_Encode(sym.get(), reinterpret_cast<const unsigned char*>(data.data()),
                                    static_cast<int>(data.size()));
    if (enc >= ZINT_ERROR) {
        return placeholder_image(fallback_w, fallback_h, std::string("zint: ") + sym->errtxt);
    }
    if (enc != 0) notes.push_back(std::string("zint: ") + sym->errtxt);

    const std::uint64_t est_w = std::uint64_t{static_cast<std::uint32_t>(std::max(sym->width, 1))} * g.module;
    const std::uint64_t est_h = std::max<std::uint64_t>(g.bar_height, std::uint64_t{static_cast<std::uint32_t>(std::max(sym->rows, 1))} * g.module) + 64u * g.module;
    if (est_w * est_h > max_pixels) {
        return placeholder_image(fallback_w, fallback_h, "barcode too large to preview");
    }
    if (ZBarcode_Buffer(sym.get(), 0) >= ZINT_ERROR || sym->bitmap == nullptr) {
        return placeholder_image(fallback_w, fallback_h, std::string("zint: ") + sym->errtxt);
    }

    const auto zw = static_cast<std::uint32_t>(sym->bitmap_width);
    const auto zh = static_cast<std::uint32_t>(sym->bitmap_height);
    std::string text = reinterpret_cast<const char*>(sym->text);
    if (text.empty()) text = data;

    // Human-readable line: a cell of 2.5 mm height, 5:8 wide.
    const std::uint32_t text_h = item.human_readable ? std::max(8u, (dots_per_mm * 5 + 1) / 2) : 0;
    const std::uint32_t text_w = std::max(5u, text_h * 5 / 8);
    const std::uint32_t text_gap = item.human_readable ? (item.widths ? item.widths->text_gap : 2u) : 0;
    const std::uint64_t line_w = item.human_readable ? text_line_width(text.size(), text_w, 0) : 0;

    const std::uint64_t width = std::max<std::uint64_t>(zw, line_w);
    const std::uint64_t height = std::uint64_t{zh} + text_gap + text_h;
    if (width * height > max_pixels) return placeholder_image(fallback_w, fallback_h, "barcode too large to preview");

    FieldImage img;
    img.notes = std::move(notes);
    img.bitmap = Bitmap(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    const std::int64_t bars_left = static_cast<std::int64_t>((width - zw) / 2);
    for (std::uint32_t y = 0; y < zh; ++y) {
        const unsigned char* row = sym->bitmap + std::size_t{y} * zw * 3;
        for (std::uint32_t x = 0; x < zw; ++x) {
            if (row[x * 3] < 128) img.bitmap.set(bars_left + x, y);
        }
    }
    if (item.human_readable) {
        const std::int64_t text_left = static_cast<std::int64_t>((width - line_w) / 2);
        draw_text_line(img.bitmap, text, text_left, zh + text_gap, text_w, text_h, 0);
    }
    // The printer position refers to the bars; guard bars reaching below them
    // and the text line lie outside.
    img.core = Rect{bars_left, 0, zw, std::min<std::int64_t>(zh, g.bar_height)};
    return img;
}

}  // namespace labelsim
