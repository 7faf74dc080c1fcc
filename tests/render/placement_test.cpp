#include <gtest/gtest.h>

#include "render/placement.h"

namespace {

using render::PlaceField;
using render::PlacementInput;

// A page of 400 x 240 pixels (landscape: 240 x 400), anchor (100, 50), a
// field 30 dots along and 10 across, no print-position offset (PrintPos 3).
PlacementInput Base(bool landscape, bool rotate, unsigned rotation) {
  PlacementInput in{};
  in.pageWidth = landscape ? 240 : 400;
  in.pageHeight = landscape ? 400 : 240;
  in.anchorX = 100;
  in.anchorY = 50;
  in.extentAlong = 30;
  in.extentAcross = 10;
  in.rotation = rotation;
  in.landscape = landscape;
  in.rotate180 = rotate;
  in.printPos = 3;
  in.maxWidth = 1040;
  in.dotsPerMm = 8;
  return in;
}

TEST(Placement, EveryOrientationRotateAndDirection) {
  struct Case {
    bool landscape, rotate;
    unsigned rotation;
    long long x, y;
    unsigned sent;
  };
  static const Case kCases[] = {
      // portrait, Rotate 0: (ax, cy - ay), rotation unchanged
      {false, false, 0, 100, 190, 0},
      {false, false, 1, 100, 190, 1},
      // portrait, Rotate 1: (cx - ax - W|H, ay - H|W), turned by 180 degrees
      {false, true, 0, 400 - 100 - 30, 50 - 10, 2},
      {false, true, 1, 400 - 100 - 10, 50 - 30, 3},
      {false, true, 2, 400 - 100 - 30, 50 - 10, 0},
      {false, true, 3, 400 - 100 - 10, 50 - 30, 1},
      // landscape, Rotate 0: (ay - H|W, ax), turned by 90 degrees
      {true, false, 0, 50 - 10, 100, 1},
      {true, false, 1, 50 - 30, 100, 2},
      {true, false, 3, 50 - 30, 100, 0},
      // landscape, Rotate 1: (cy - ay, cx - ax - W|H), turned by 270 degrees
      {true, true, 0, 400 - 50, 240 - 100 - 30, 3},
      {true, true, 1, 400 - 50, 240 - 100 - 10, 0},
      {true, true, 2, 400 - 50, 240 - 100 - 30, 1},
  };
  for (const Case& c : kCases) {
    const auto p = PlaceField(Base(c.landscape, c.rotate, c.rotation));
    EXPECT_EQ(p.x, c.x) << c.landscape << c.rotate << c.rotation;
    EXPECT_EQ(p.y, c.y) << c.landscape << c.rotate << c.rotation;
    EXPECT_EQ(p.rotation, c.sent) << c.landscape << c.rotate << c.rotation;
  }
}

TEST(Placement, PrintPositionOffset) {
  struct Case {
    unsigned printPos;
    long long printPosNum, maxWidth, dotsPerMm, pageWidth;
    bool landscape;
    long long x;
  };
  static const Case kCases[] = {
      {0, 0, 1040, 8, 400, false, 100 + 216},    // (832 - 400) / 2
      {0, 0, 1040, 8, 401, false, 100 + 215},    // truncated
      {0, 0, 400, 8, 401, false, 100 - 40},      // wider than the print area: truncation toward zero
      {1, 0, 1040, 8, 400, false, 100 + 432},
      {2, 25, 1040, 12, 400, false, 100 + 30},
      {3, 25, 1040, 12, 400, false, 100},
      {1, 0, 1040, 8, 240, true, 40 + 832 - 400},  // landscape: the printed width is the page height
  };
  for (const Case& c : kCases) {
    PlacementInput in = Base(c.landscape, false, 0);
    in.printPos = c.printPos;
    in.printPosNum = c.printPosNum;
    in.maxWidth = c.maxWidth;
    in.dotsPerMm = c.dotsPerMm;
    if (!c.landscape) in.pageWidth = c.pageWidth;
    EXPECT_EQ(PlaceField(in).x, c.x) << c.printPos << " " << c.pageWidth;
  }
}

TEST(Placement, NegativeCoordinatesAreInvalid) {
  PlacementInput in = Base(false, true, 0);
  in.anchorY = 5;  // ay - H < 0
  EXPECT_FALSE(PlaceField(in).Valid());
  EXPECT_TRUE(PlaceField(Base(false, false, 0)).Valid());
}

}  // namespace
