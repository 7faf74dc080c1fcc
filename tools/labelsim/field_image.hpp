#pragma once
// A device field drawn on its own, before placement: the image plus the
// rectangle that the field's printer position refers to (the bars of a
// barcode without its human-readable line, the whole symbol of a 2D code, the
// character cells of a text), and notes on anything the preview had to
// approximate.

#include <string>
#include <vector>

#include "bitmap.hpp"

namespace labelsim {

struct FieldImage {
    Bitmap bitmap;
    Rect core;
    std::vector<std::string> notes;
};

// Stand-in when a symbol cannot be drawn: a w x h frame with a cross.
FieldImage placeholder_image(std::uint32_t w, std::uint32_t h, std::string note);

}  // namespace labelsim
