#include "field_image.hpp"

#include <algorithm>

namespace labelsim {

FieldImage placeholder_image(std::uint32_t w, std::uint32_t h, std::string note) {
    FieldImage img;
    img.bitmap = Bitmap(std::max<std::uint32_t>(w, 2), std::max<std::uint32_t>(h, 2));
    const std::int64_t bw = img.bitmap.width();
    const std::int64_t bh = img.bitmap.height();
    img.bitmap.frame(0, 0, bw, bh);
    const std::int64_t n = std::max(bw, bh);
    for (std::int64_t i = 0; i < n; ++i) {
        img.bitmap.set(i * bw / n, i * bh / n);
        img.bitmap.set(bw - 1 - i * bw / n, i * bh / n);
    }
    img.core = Rect{0, 0, bw, bh};
    img.notes.push_back(std::move(note));
    return img;
}

}  // namespace labelsim
