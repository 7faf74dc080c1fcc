#include "render/placement.h"

namespace render {

Placement PlaceField(const PlacementInput& in) {
  const unsigned turn = (in.landscape ? 1u : 0u) + (in.rotate180 ? 2u : 0u);
  const unsigned rotation = (in.rotation + turn) % 4;
  const bool across = rotation == 1 || rotation == 3;
  const std::int64_t w = in.extentAlong;
  const std::int64_t h = in.extentAcross;
  const std::int64_t ax = in.anchorX;
  const std::int64_t ay = in.anchorY;
  const std::int64_t cx = in.pageWidth;
  const std::int64_t cy = in.pageHeight;

  Placement p{0, 0, rotation};
  if (!in.landscape && !in.rotate180) {
    p.x = ax;
    p.y = cy - ay;
  } else if (!in.landscape) {
    p.x = cx - ax - (across ? h : w);
    p.y = ay - (across ? w : h);
  } else if (!in.rotate180) {
    p.x = ay - (across ? h : w);
    p.y = ax;
  } else {
    p.x = cy - ay;
    p.y = cx - ax - (across ? w : h);
  }

  const std::int64_t maxDots = in.maxWidth * in.dotsPerMm / 10;
  const std::int64_t printed = in.landscape ? cy : cx;
  switch (in.printPos) {
    case 0: p.x += (maxDots - printed) / 2; break;  // centred
    case 1: p.x += maxDots - printed; break;        // right-aligned
    case 2: p.x += in.dotsPerMm * in.printPosNum / 10; break;
    default: break;
  }
  return p;
}

}  // namespace render
