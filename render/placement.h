// Field placement: where the printer draws a field, given where it lies on
// the page GDI drew. It follows the page image: y counts from the bottom
// edge of the printed page, x from the left edge of the print area, and the
// anchor moves to the corner from which the printer draws the field after
// the page has been turned.
#pragma once

#include <cstdint>

namespace render {

struct PlacementInput {
  std::int64_t pageWidth;   // cx, pixels, as drawn (already swapped in landscape)
  std::int64_t pageHeight;  // cy
  std::int64_t anchorX;     // on the page: origin top left, y downwards
  std::int64_t anchorY;
  std::int64_t extentAlong;   // W: along the field's text direction, dots
  std::int64_t extentAcross;  // H: across it
  unsigned rotation;          // the field's own setting 0..3 (0°, 90°, 180°, 270°)
  bool landscape;
  bool rotate180;  // the current label's Rotate setting
  unsigned printPos;
  std::int64_t printPosNum;  // 0.1 mm
  std::int64_t maxWidth;     // 0.1 mm
  std::int64_t dotsPerMm;
};

struct Placement {
  std::int64_t x;
  std::int64_t y;
  unsigned rotation;  // the rotation sent: (rotation + turn of the page) mod 4
  // False when x or y is negative: such a field is dropped.
  bool Valid() const { return x >= 0 && y >= 0; }
};

Placement PlaceField(const PlacementInput& in);

}  // namespace render
