#pragma once
// Linear and stacked barcodes drawn with zint at the printer's module size.
//
// Module (narrow element) width in dots: the narrow bar of the element widths
// given with the field when there are any, else the standard narrow bar of
// the kind and size step at the printer's resolution; RSS kinds use size + 2.
// Bar height: height_mm * dots_per_mm. The human-readable line is drawn
// below the bars with the built-in font.

#include <cstdint>

#include "field_image.hpp"
#include "stream_model.hpp"

namespace labelsim {

struct BarcodeGeometry {
    unsigned module = 1;        // dots per narrow element
    unsigned bar_height = 1;    // dots
    bool from_widths = false;   // module taken from the field's element widths
};

BarcodeGeometry barcode_geometry(const BarcodeItem& item, unsigned dots_per_mm);

FieldImage render_barcode(const BarcodeItem& item, unsigned dots_per_mm, std::uint64_t max_pixels);

}  // namespace labelsim
