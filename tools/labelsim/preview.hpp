#pragma once
// Renders a decoded page the way the printer prints it, at its resolution:
// printer coordinates (x from the left edge of the print area, y from the
// bottom edge of the page) become image columns and rows counted from the
// bottom. The raster block fills the page from its bottom row up, at its
// placement x. A field's (x, y) names the lower-left corner of its bounding
// box after rotation: the bars of a barcode, the symbol of a 2D code, the
// character cells of a text (baseline on the left). Rotation turns the field
// counterclockwise about that box. The canvas is as wide as the rightmost
// edge drawn and as tall as the raster or the highest field.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bitmap.hpp"
#include "stream_model.hpp"

namespace labelsim {

struct PreviewOptions {
    unsigned dots_per_mm = 8;
    // Upper bound for any single image (page or field) in pixels.
    std::uint64_t max_pixels = std::uint64_t{1} << 28;
};

struct DrawnItem {
    std::string kind;  // raster, barcode, qr_code, calendar, manual
    std::size_t offset = 0;
    // Bounding box of everything drawn for the item, printer coordinates.
    std::int64_t left = 0;
    std::int64_t bottom = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::vector<std::string> notes;
};

struct PagePreview {
    Bitmap canvas;  // empty when there was nothing to draw
    std::vector<DrawnItem> items;
    std::vector<std::string> notes;
};

PagePreview render_page(const Page& page, const PreviewOptions& options);

}  // namespace labelsim
