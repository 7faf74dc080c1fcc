#include "preview.hpp"

#include <algorithm>

#include "barcode_image.hpp"
#include "qr_image.hpp"
#include "text_image.hpp"

namespace labelsim {
namespace {

struct Placed {
    const RasterItem* raster = nullptr;
    FieldImage field;
    DrawnItem info;
};

// Positions a field image so that its core rectangle, turned by `rotation`,
// has its lower-left corner at the printer point (x, y).
Placed place_field(FieldImage img, std::int64_t x, std::int64_t y, unsigned rotation,
                                  DrawnItem info) {
    if (img.bitmap.empty()) {
        info.notes.insert(info.notes.end(), img.notes.begin(), img.notes.end());
        info.notes.push_back("nothing to draw");
        return Placed{nullptr, FieldImage{}, std::move(info)};
    }
    const std::int64_t w0 = img.bitmap.width();
    const std::int64_t h0 = img.bitmap.height();
    const Rect core = rotate_rect_ccw(img.core, w0, h0, rotation);
    if (rotation % 4 != 0) img.bitmap = img.bitmap.rotated_ccw(rotation);
    const std::int64_t bw = img.bitmap.width();
    const std::int64_t bh = img.bitmap.height();
    info.left = x - core.x;
    info.bottom = y - (bh - core.y - core.h);
    info.width = bw;
    info.height = bh;
    info.notes.insert(info.notes.end(), img.notes.begin(), img.notes.end());
    img.core = core;
    return Placed{nullptr, std::move(img), std::move(info)};
}

}  // namespace

PagePreview render_page(const Page& page, const PreviewOptions& options) {
    PagePreview out;
    std::vector<Placed> placed;

    for (const RasterItem& r : page.rasters) {
        DrawnItem info;
        info.kind = "raster";
        info.offset = r.offset;
        const std::uint64_t b = r.image.bytes_per_row;
        const std::uint64_t rows = b == 0 ? 0 : std::min<std::uint64_t>(r.image.rows, r.image.bits.size() / b);
        if (b * 8 * rows > options.max_pixels) {
            info.notes.push_back("raster too large to preview");
        } else {
            info.left = r.x;
            info.bottom = 0;
            info.width = static_cast<std::int64_t>(b * 8);
            info.height = static_cast<std::int64_t>(rows);
            if (!r.placed) info.notes.push_back("no placement command: drawn at x = 0");
        }
        placed.push_back(Placed{&r, FieldImage{}, std::move(info)});
    }
    for (const BarcodeItem& b : page.barcodes) {
        DrawnItem info{"barcode", b.offset, 0, 0, 0, 0, {}};
        placed.push_back(place_field(render_barcode(b, options.dots_per_mm, options.max_pixels), b.x, b.y, b.rotation,
                                 std::move(info)));
    }
    for (const QrItem& q : page.qr_codes) {
        DrawnItem info{"qr_code", q.offset, 0, 0, 0, 0, {}};
        placed.push_back(place_field(render_qr(q, options.max_pixels), q.x, q.y, q.rotation, std::move(info)));
    }
    for (const TextItem& t : page.texts) {
        DrawnItem info{t.source == TextSource::calendar ? "calendar" : "manual", t.offset, 0, 0, 0, 0, {}};
        placed.push_back(place_field(render_text(t, options.dots_per_mm, options.max_pixels), t.x, t.y, t.rotation,
                                 std::move(info)));
    }

    std::int64_t canvas_w = 0;
    std::int64_t canvas_h = 0;
    bool clipped = false;
    for (const Placed& p : placed) {
        if (p.info.width <= 0 || p.info.height <= 0) continue;
        canvas_w = std::max(canvas_w, p.info.left + p.info.width);
        canvas_h = std::max(canvas_h, p.info.bottom + p.info.height);
        if (p.info.left < 0 || p.info.bottom < 0) clipped = true;
    }
    for (Placed& p : placed) out.items.push_back(p.info);
    if (canvas_w <= 0 || canvas_h <= 0) {
        if (page.has_content()) out.notes.push_back("nothing visible to draw");
        return out;
    }
    if (static_cast<std::uint64_t>(canvas_w) * static_cast<std::uint64_t>(canvas_h) > options.max_pixels) {
        out.notes.push_back("page of " + std::to_string(canvas_w) + " x " + std::to_string(canvas_h) +
                            " dots too large to preview");
        return out;
    }
    if (clipped) out.notes.push_back("parts left of x = 0 or below y = 0 are cut off");

    out.canvas = Bitmap(static_cast<std::uint32_t>(canvas_w), static_cast<std::uint32_t>(canvas_h));
    for (const Placed& p : placed) {
        if (p.info.width <= 0 || p.info.height <= 0) continue;
        const std::int64_t top = canvas_h - p.info.bottom - p.info.height;
        if (p.raster != nullptr) {
            out.canvas.draw_packed(p.raster->image.bits, p.raster->image.bytes_per_row,
                                   static_cast<std::size_t>(p.info.height), p.info.left, top);
        } else {
            out.canvas.draw(p.field.bitmap, p.info.left, top);
        }
    }
    return out;
}

}  // namespace labelsim
