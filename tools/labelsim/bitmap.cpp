#include "bitmap.hpp"

#include <algorithm>
#include <bit>

namespace labelsim {

Bitmap::Bitmap(std::uint32_t width, std::uint32_t height)
    : width_(width), height_(height), stride_((std::size_t{width} + 7) / 8),
      bits_(stride_ * height, 0) {}

bool Bitmap::get(std::int64_t x, std::int64_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    const std::size_t i = static_cast<std::size_t>(y) * stride_ + static_cast<std::size_t>(x) / 8;
    return (bits_[i] >> (7 - (x % 8))) & 1u;
}

void Bitmap::set(std::int64_t x, std::int64_t y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    const std::size_t i = static_cast<std::size_t>(y) * stride_ + static_cast<std::size_t>(x) / 8;
    bits_[i] = static_cast<std::uint8_t>(bits_[i] | (0x80u >> (x % 8)));
}

void Bitmap::fill(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
    const std::int64_t x0 = std::max<std::int64_t>(x, 0);
    const std::int64_t y0 = std::max<std::int64_t>(y, 0);
    const std::int64_t x1 = std::min<std::int64_t>(x + w, width_);
    const std::int64_t y1 = std::min<std::int64_t>(y + h, height_);
    for (std::int64_t yy = y0; yy < y1; ++yy) {
        for (std::int64_t xx = x0; xx < x1; ++xx) set(xx, yy);
    }
}

void Bitmap::frame(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
    if (w <= 0 || h <= 0) return;
    fill(x, y, w, 1);
    fill(x, y + h - 1, w, 1);
    fill(x, y, 1, h);
    fill(x + w - 1, y, 1, h);
}

void Bitmap::draw_packed(std::span<const std::uint8_t> bits, std::size_t bytes_per_row, std::size_t rows,
                         std::int64_t left, std::int64_t top) {
    for (std::size_t r = 0; r < rows; ++r) {
        const std::int64_t y = top + static_cast<std::int64_t>(r);
        if (y < 0) continue;
        if (y >= height_) break;
        for (std::size_t b = 0; b < bytes_per_row; ++b) {
            const std::size_t i = r * bytes_per_row + b;
            if (i >= bits.size()) return;
            const std::uint8_t v = bits[i];
            if (v == 0) continue;
            for (int bit = 0; bit < 8; ++bit) {
                if (v & (0x80u >> bit)) set(left + static_cast<std::int64_t>(b * 8) + bit, y);
            }
        }
    }
}

void Bitmap::draw(const Bitmap& src, std::int64_t left, std::int64_t top) {
    draw_packed(src.bits_, src.stride_, src.height_, left, top);
}

Bitmap Bitmap::rotated_ccw(unsigned quarter_turns) const {
    const unsigned q = quarter_turns % 4;
    if (q == 0) return *this;
    const bool swap = q % 2 == 1;
    Bitmap out(swap ? height_ : width_, swap ? width_ : height_);
    const std::int64_t w = width_;
    const std::int64_t h = height_;
    for (std::int64_t y = 0; y < h; ++y) {
        for (std::int64_t x = 0; x < w; ++x) {
            if (!get(x, y)) continue;
            switch (q) {
            case 1: out.set(y, w - 1 - x); break;
            case 2: out.set(w - 1 - x, h - 1 - y); break;
            default: out.set(h - 1 - y, x); break;
            }
        }
    }
    return out;
}

std::size_t Bitmap::count_black() const {
    std::size_t n = 0;
    for (std::uint8_t b : bits_) n += static_cast<std::size_t>(std::popcount(b));
    return n;
}

std::size_t Bitmap::count_black(const Rect& r) const {
    std::size_t n = 0;
    for (std::int64_t y = r.y; y < r.y + r.h; ++y) {
        for (std::int64_t x = r.x; x < r.x + r.w; ++x) n += get(x, y) ? 1 : 0;
    }
    return n;
}

Rect rotate_rect_ccw(const Rect& r, std::int64_t w, std::int64_t h, unsigned quarter_turns) {
    switch (quarter_turns % 4) {
    case 1: return Rect{r.y, w - r.x - r.w, r.h, r.w};
    case 2: return Rect{w - r.x - r.w, h - r.y - r.h, r.w, r.h};
    case 3: return Rect{h - r.y - r.h, r.x, r.h, r.w};
    default: return r;
    }
}

}  // namespace labelsim
