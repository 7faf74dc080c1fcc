#include "tools/qzprint/surface_painter.h"

#include <algorithm>
#include <cstdint>

namespace qzprint {

namespace {

// The pixel at (x, y) of the page, top row 0.
BYTE* PixelAt(SURFOBJ& surface, std::int64_t x, std::int64_t y) {
  return static_cast<BYTE*>(surface.pvScan0) + y * surface.lDelta + 3 * x;
}

BYTE Blend(BYTE source, BYTE page, BYTE alpha) {
  return static_cast<BYTE>((source * alpha + page * (255 - alpha) + 127) / 255);
}

// The part of [from, to) that lies on a page of `size` pixels.
void Clip(std::int64_t& from, std::int64_t& to, std::int64_t size) {
  from = std::clamp<std::int64_t>(from, 0, size);
  to = std::clamp<std::int64_t>(to, 0, size);
}

}  // namespace

void FillRect(SURFOBJ& surface, const RECTL& rect, Rgb color) {
  std::int64_t left = rect.left, right = rect.right, top = rect.top, bottom = rect.bottom;
  Clip(left, right, surface.sizlBitmap.cx);
  Clip(top, bottom, surface.sizlBitmap.cy);
  for (std::int64_t y = top; y < bottom; ++y) {
    for (std::int64_t x = left; x < right; ++x) {
      BYTE* pixel = PixelAt(surface, x, y);
      pixel[0] = color.b;
      pixel[1] = color.g;
      pixel[2] = color.r;
    }
  }
}

void DrawImage(SURFOBJ& surface, const RgbaImage& image, LONG x, LONG y) {
  std::int64_t left = x, right = std::int64_t{x} + image.width;
  std::int64_t top = y, bottom = std::int64_t{y} + image.height;
  Clip(left, right, surface.sizlBitmap.cx);
  Clip(top, bottom, surface.sizlBitmap.cy);
  for (std::int64_t py = top; py < bottom; ++py) {
    const std::uint8_t* source = image.pixels.data() + ((py - y) * image.width + (left - x)) * 4;
    for (std::int64_t px = left; px < right; ++px, source += 4) {
      BYTE* pixel = PixelAt(surface, px, py);
      const BYTE alpha = source[3];
      pixel[0] = Blend(source[2], pixel[0], alpha);
      pixel[1] = Blend(source[1], pixel[1], alpha);
      pixel[2] = Blend(source[0], pixel[2], alpha);
    }
  }
}

}  // namespace qzprint
