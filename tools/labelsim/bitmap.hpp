#pragma once
// One-bit image: packed rows, most significant bit = leftmost pixel,
// 1 = black. Used for whole preview pages and for single field images.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace labelsim {

// A rectangle in image coordinates: x to the right, y downwards from the top row.
struct Rect {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t w = 0;
    std::int64_t h = 0;
};

class Bitmap {
public:
    Bitmap() = default;
    Bitmap(std::uint32_t width, std::uint32_t height);  // all white

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }
    std::size_t stride() const { return stride_; }
    const std::uint8_t* row(std::uint32_t y) const { return bits_.data() + std::size_t{y} * stride_; }

    bool get(std::int64_t x, std::int64_t y) const;
    void set(std::int64_t x, std::int64_t y);                      // outside: ignored
    void fill(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h);  // clipped
    void frame(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h);  // 1-dot outline

    // ORs packed rows (same bit order) with their top-left at (left, top), clipped.
    void draw_packed(std::span<const std::uint8_t> bits, std::size_t bytes_per_row, std::size_t rows,
                     std::int64_t left, std::int64_t top);
    // ORs another bitmap with its top-left at (left, top), clipped.
    void draw(const Bitmap& src, std::int64_t left, std::int64_t top);

    // Turned counterclockwise by quarter_turns * 90 degrees.
    Bitmap rotated_ccw(unsigned quarter_turns) const;

    std::size_t count_black() const;
    std::size_t count_black(const Rect& r) const;

private:
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::size_t stride_ = 0;
    std::vector<std::uint8_t> bits_;
};

// Where a rectangle of a w x h image lands after turning the image
// counterclockwise by quarter_turns * 90 degrees.
Rect rotate_rect_ccw(const Rect& r, std::int64_t w, std::int64_t h, unsigned quarter_turns);

}  // namespace labelsim
