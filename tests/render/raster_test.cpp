#include "render/raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using render::PageBits;
using render::PageTurn;
using render::RasterShape;

// ---- the raster made the long way ----
//
// Step by step as the driver's page pipeline is described: a 24-bit copy of
// the page, turned 180 degrees in place by two cursors, turned a quarter
// counterclockwise into a new image, reduced to a one-bit image whose set
// bits are white, and read back top row first into inverted printer rows.
// Slow and literal; the fast path must give the same bytes.

struct Dib {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bitCount = 0;
  Bytes bits;  // bottom-up rows, each padded to a multiple of 4 bytes

  std::size_t Stride() const { return (std::size_t{width} * bitCount + 31) / 32 * 4; }
  std::uint8_t* Row(std::uint32_t y) { return bits.data() + y * Stride(); }
};

Dib NewDib(std::uint32_t width, std::uint32_t height, std::uint32_t bitCount) {
  Dib dib{width, height, bitCount, {}};
  dib.bits.assign(dib.Stride() * height, 0);
  return dib;
}

// The surface copied row by row (memory row 0 the bottom of the page).
Dib CopyPage(const PageBits& page) {
  Dib copy = NewDib(page.width, page.height, 24);
  for (std::uint32_t y = 0; y < page.height; ++y) {
    const std::uint8_t* from = page.top + static_cast<std::ptrdiff_t>(page.height - 1 - y) * page.delta;
    std::memcpy(copy.Row(y), from, 3 * std::size_t{page.width});
  }
  return copy;
}

// One cursor forward from the first pixel, one backward from the last,
// swapping pixels and stepping over the row padding, until they meet.
void Turn180InPlace(Dib& dib) {
  const std::size_t pad = dib.Stride() - 3 * std::size_t{dib.width};
  std::uint8_t* front = dib.bits.data();
  std::uint8_t* back = dib.Row(dib.height - 1) + 3 * std::size_t{dib.width - 1};
  std::uint32_t frontX = 0;
  std::uint32_t backX = dib.width - 1;
  while (front < back) {
    for (int i = 0; i < 3; ++i) std::swap(front[i], back[i]);
    front += 3;
    if (++frontX == dib.width) {
      frontX = 0;
      front += pad;
    }
    back -= 3;
    if (backX == 0) {
      backX = dib.width - 1;
      back -= pad;
    } else {
      --backX;
    }
  }
}

// Column x of memory row y goes to memory row x, column h - 1 - y.
Dib Turn90Counterclockwise(Dib& dib) {
  Dib turned = NewDib(dib.height, dib.width, 24);
  for (std::uint32_t y = 0; y < dib.height; ++y) {
    for (std::uint32_t x = 0; x < dib.width; ++x) {
      std::memcpy(turned.Row(x) + 3 * std::size_t{dib.height - 1 - y}, dib.Row(y) + 3 * std::size_t{x}, 3);
    }
  }
  return turned;
}

// Bit set = white (all three bytes 0xFF), most significant bit leftmost.
Dib OneBit(Dib& dib) {
  Dib mono = NewDib(dib.width, dib.height, 1);
  for (std::uint32_t y = 0; y < dib.height; ++y) {
    for (std::uint32_t x = 0; x < dib.width; ++x) {
      const std::uint8_t* p = dib.Row(y) + 3 * std::size_t{x};
      if (p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF)
        mono.Row(y)[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  }
  return mono;
}

// Top row first; b - 1 bytes inverted, the last byte's bits past the width
// set and then inverted.
Bytes PrinterRows(Dib& mono, RasterShape* shape) {
  const std::uint32_t b = (mono.width + 7) / 8;
  *shape = {mono.width, mono.height, b};
  Bytes rows;
  for (std::uint32_t y = mono.height; y-- > 0;) {
    const std::uint8_t* row = mono.Row(y);
    for (std::uint32_t i = 0; i + 1 < b; ++i) rows.push_back(static_cast<std::uint8_t>(~row[i]));
    const unsigned used = mono.width - 8 * (b - 1);
    const std::uint8_t beyond = static_cast<std::uint8_t>(0xFF >> used);
    rows.push_back(static_cast<std::uint8_t>(~(row[b - 1] | beyond)));
  }
  return rows;
}

Bytes ReferenceRows(const PageBits& page, PageTurn turn, RasterShape* shape) {
  Dib work = CopyPage(page);
  if (turn.rotate180) Turn180InPlace(work);
  if (turn.landscape) work = Turn90Counterclockwise(work);
  Dib mono = OneBit(work);
  return PrinterRows(mono, shape);
}

// ---- test pages ----

// A page held bottom-up as GDI holds it, with `extraPad` bytes beyond the
// usual row padding.
struct TestPage {
  std::uint32_t width;
  std::uint32_t height;
  std::size_t stride;
  Bytes bits;

  TestPage(std::uint32_t w, std::uint32_t h, std::size_t extraPad = 0)
      : width(w), height(h), stride((3 * std::size_t{w} + 3) / 4 * 4 + extraPad), bits(stride * h, 0xFF) {}

  // Page coordinates: y = 0 is the top.
  std::uint8_t* Pixel(std::uint32_t x, std::uint32_t y) {
    return bits.data() + (height - 1 - y) * stride + 3 * std::size_t{x};
  }
  void Set(std::uint32_t x, std::uint32_t y, std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    std::uint8_t* p = Pixel(x, y);
    p[0] = blue;
    p[1] = green;
    p[2] = red;
  }
  PageBits View() const {
    return {bits.data() + (height - 1) * stride, -static_cast<std::ptrdiff_t>(stride), width, height};
  }
};

enum class Fill { kBlank, kBlack, kNearWhite, kMixed };

// Pixels from the kinds that matter: pure white, black, one byte off white
// in any channel, any colour. Row padding is filled with noise so that a
// fast path that reads it shows up.
void Paint(TestPage& page, Fill fill, std::mt19937& random) {
  std::uniform_int_distribution<int> byte(0, 255);
  for (std::uint8_t& b : page.bits) b = static_cast<std::uint8_t>(byte(random));
  for (std::uint32_t y = 0; y < page.height; ++y) {
    for (std::uint32_t x = 0; x < page.width; ++x) {
      int kind = 0;
      switch (fill) {
        case Fill::kBlank:
          kind = 0;
          break;
        case Fill::kBlack:
          kind = 1;
          break;
        case Fill::kNearWhite:
          kind = byte(random) % 2 == 0 ? 0 : 2;
          break;
        case Fill::kMixed:
          kind = byte(random) % 4;
          break;
      }
      std::uint8_t* p = page.Pixel(x, y);
      if (kind == 0) {
        p[0] = p[1] = p[2] = 0xFF;
      } else if (kind == 1) {
        p[0] = p[1] = p[2] = 0x00;
      } else if (kind == 2) {
        p[0] = p[1] = p[2] = 0xFF;
        p[byte(random) % 3] = 0xFE;
      } else {
        for (int i = 0; i < 3; ++i) p[i] = static_cast<std::uint8_t>(byte(random));
      }
    }
  }
}

Bytes FastRows(const PageBits& page, PageTurn turn, render::RasterKernel kernel = render::BestRasterKernel()) {
  const RasterShape shape = render::ShapeOf(page.width, page.height, turn);
  // Guard bytes on both sides catch writes outside the rows.
  Bytes rows(shape.Bytes() + 16, 0xA5);
  Bytes scratch(render::RasterScratchSize(page.width, turn) + 16, 0x5A);
  render::MakePrinterRows(page, turn, rows.data() + 8, scratch.data() + 8, kernel);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(rows[i], 0xA5);
    EXPECT_EQ(rows[rows.size() - 1 - i], 0xA5);
    EXPECT_EQ(scratch[i], 0x5A);
    EXPECT_EQ(scratch[scratch.size() - 1 - i], 0x5A);
  }
  return Bytes(rows.begin() + 8, rows.end() - 8);
}

const PageTurn kTurns[] = {{false, false}, {false, true}, {true, false}, {true, true}};

std::vector<render::RasterKernel> Kernels() {
  std::vector<render::RasterKernel> kernels;
  for (render::RasterKernel k :
       {render::RasterKernel::kPortable, render::RasterKernel::kSse2, render::RasterKernel::kAvx2}) {
    if (render::HasRasterKernel(k)) kernels.push_back(k);
  }
  return kernels;
}

std::string TurnName(PageTurn turn) {
  return std::string(turn.landscape ? "landscape" : "portrait") + (turn.rotate180 ? "+180" : "");
}

// ---- fast path against the long way ----

struct SizeCase {
  std::uint32_t width;
  std::uint32_t height;
  std::size_t extraPad;
};

// Every kernel this processor runs, every turn, widths around the block
// sizes (8, 16, 32 and the 35 pixels the AVX2 loads need), padded rows.
TEST(RasterRows, MatchStepByStepForEveryTurn) {
  const SizeCase kSizes[] = {
      {1, 1, 0},     {2, 3, 0},    {7, 9, 0},    {8, 8, 0},    {9, 17, 4},   {15, 16, 0},  {16, 15, 0},
      {17, 33, 8},   {31, 7, 0},   {32, 64, 0},  {33, 65, 12}, {47, 3, 0},   {203, 24, 0}, {24, 203, 0},
      {203, 40, 20}, {100, 37, 0}, {257, 11, 4}, {5, 1000, 0}, {1000, 5, 0}, {34, 3, 0},   {35, 3, 0},
      {36, 2, 4},    {67, 5, 0},   {70, 4, 0},   {71, 3, 8},   {99, 2, 0},
  };
  const Fill kFills[] = {Fill::kBlank, Fill::kBlack, Fill::kNearWhite, Fill::kMixed};
  std::mt19937 random(20240611);
  for (const SizeCase& size : kSizes) {
    for (Fill fill : kFills) {
      TestPage page(size.width, size.height, size.extraPad);
      Paint(page, fill, random);
      for (PageTurn turn : kTurns) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height) + " pad " +
                     std::to_string(size.extraPad) + " fill " + std::to_string(static_cast<int>(fill)) + " " +
                     TurnName(turn));
        RasterShape expectedShape{};
        const Bytes expected = ReferenceRows(page.View(), turn, &expectedShape);
        const RasterShape shape = render::ShapeOf(size.width, size.height, turn);
        EXPECT_EQ(shape.width, expectedShape.width);
        EXPECT_EQ(shape.rows, expectedShape.rows);
        EXPECT_EQ(shape.bytesPerRow, expectedShape.bytesPerRow);
        for (render::RasterKernel kernel : Kernels()) {
          EXPECT_EQ(FastRows(page.View(), turn, kernel), expected) << "kernel " << static_cast<int>(kernel);
        }
      }
    }
  }
}

// GDI may hand a top-down surface too: the rows are read through the view,
// whichever way memory runs.
TEST(RasterRows, TopDownViewGivesTheSameRows) {
  std::mt19937 random(7);
  TestPage page(45, 29, 4);
  Paint(page, Fill::kMixed, random);
  TestPage flipped(45, 29, 4);
  for (std::uint32_t y = 0; y < page.height; ++y) {
    std::memcpy(flipped.bits.data() + y * flipped.stride, page.Pixel(0, y), 3 * 45);
  }
  const PageBits topDown{flipped.bits.data(), static_cast<std::ptrdiff_t>(flipped.stride), 45, 29};
  for (PageTurn turn : kTurns) {
    SCOPED_TRACE(TurnName(turn));
    EXPECT_EQ(FastRows(topDown, turn), FastRows(page.View(), turn));
  }
}

// ---- the described cases, by hand ----

TEST(RasterRows, OnlyPureWhiteStaysBlank) {
  struct Case {
    std::uint8_t blue, green, red;
    std::uint8_t expected;
  };
  const Case kCases[] = {
      {0xFF, 0xFF, 0xFF, 0x00}, {0xFE, 0xFF, 0xFF, 0x80}, {0xFF, 0xFE, 0xFF, 0x80},
      {0xFF, 0xFF, 0xFE, 0x80}, {0x00, 0x00, 0x00, 0x80}, {0xC0, 0xC0, 0xC0, 0x80},
  };
  for (const Case& c : kCases) {
    TestPage page(1, 1);
    page.Set(0, 0, c.blue, c.green, c.red);
    EXPECT_EQ(FastRows(page.View(), {false, false}), Bytes{c.expected})
        << int{c.blue} << "," << int{c.green} << "," << int{c.red};
  }
}

TEST(RasterRows, Width203KeepsTheBitsPastTheWidthZero) {
  TestPage page(203, 4);
  for (std::size_t i = 0; i < page.bits.size(); ++i) page.bits[i] = 0;  // all black, padding too
  const RasterShape shape = render::ShapeOf(203, 4, {false, false});
  EXPECT_EQ(shape.bytesPerRow, 26u);
  const Bytes rows = FastRows(page.View(), {false, false});
  for (std::uint32_t r = 0; r < 4; ++r) {
    for (std::uint32_t i = 0; i < 25; ++i) EXPECT_EQ(rows[r * 26 + i], 0xFF);
    EXPECT_EQ(rows[r * 26 + 25], 0xE0) << "row " << r;  // 3 dots, 5 low bits 0
  }
}

// One black pixel in the top left corner of a 10 x 3 page: where it lands
// under each turn.
TEST(RasterRows, CornerPixelUnderEachTurn) {
  struct Case {
    PageTurn turn;
    std::uint32_t row;
    std::uint32_t byte;
    std::uint8_t bits;
  };
  const Case kCases[] = {
      {{false, false}, 0, 0, 0x80},  // as drawn
      {{false, true}, 2, 1, 0x40},   // bottom row, right end: dot 9
      {{true, false}, 9, 0, 0x80},   // top edge becomes the left edge, left edge the bottom
      {{true, true}, 0, 0, 0x20},    // a quarter turn clockwise: the top right corner, dot 2
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(TurnName(c.turn));
    TestPage page(10, 3);
    page.Set(0, 0, 0, 0, 0);
    const RasterShape shape = render::ShapeOf(10, 3, c.turn);
    Bytes expected(shape.Bytes(), 0);
    expected[c.row * shape.bytesPerRow + c.byte] = c.bits;
    EXPECT_EQ(FastRows(page.View(), c.turn), expected);
  }
}

TEST(RasterRows, LandscapeShape) {
  // A 50 x 30 mm label at 8 dots/mm drawn in landscape: 240 x 400 pixels.
  const RasterShape shape = render::ShapeOf(240, 400, {true, false});
  EXPECT_EQ(shape.width, 400u);
  EXPECT_EQ(shape.rows, 240u);
  EXPECT_EQ(shape.bytesPerRow, 50u);
}

// ---- print position ----

TEST(PrintPosition, Offsets) {
  struct Case {
    const char* name;
    unsigned printPos;
    std::uint32_t printPosNum, dotsPerMm, maxWidth, imageWidth;
    std::int64_t expected;
  };
  const Case kCases[] = {
      {"centred", 0, 0, 8, 1040, 800, 16},
      {"centred, odd margin rounds down", 0, 0, 8, 1040, 801, 15},
      {"centred, wider than the print width", 0, 0, 8, 1040, 900, 2147483614},  // (832 - 900) mod 2^32 / 2
      {"right-aligned", 1, 0, 8, 1040, 800, 32},
      {"right-aligned, wider than the print width", 1, 0, 8, 1040, 900, -68},
      {"from the left", 2, 25, 12, 1040, 800, 30},
      {"any other value is from the left", 7, 25, 8, 1040, 800, 20},
      {"from the left, a product beyond 32 bits", 2, 0xFFFFFFFF, 24, 1040, 800, 10307921508},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(render::PrintPositionOffset(c.printPos, c.printPosNum, c.dotsPerMm, c.maxWidth, c.imageWidth), c.expected)
        << c.name;
  }
}

// ---- run-length code ----

// Pairs made one byte at a time.
Bytes ReferenceRunLength(const Bytes& data) {
  Bytes out;
  std::size_t i = 0;
  while (i < data.size()) {
    std::size_t count = 1;
    while (i + count < data.size() && data[i + count] == data[i] && count < 255) ++count;
    out.push_back(static_cast<std::uint8_t>(count));
    out.push_back(data[i]);
    i += count;
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

Bytes Encode(const Bytes& data, render::RasterKernel kernel) {
  const std::size_t bound = render::RunLengthBound(data.size());
  Bytes out(bound + 8, 0xEE);
  const std::size_t size = render::RunLengthEncode(data.data(), data.size(), out.data(), kernel);
  EXPECT_LE(size, bound);
  for (std::size_t i = bound; i < out.size(); ++i) EXPECT_EQ(out[i], 0xEE) << "written past the bound";
  out.resize(size);
  return out;
}

// The rows in the upper part of a block of the worst-case size, coded from
// the block's start over them.
Bytes EncodeInPlace(const Bytes& data, render::RasterKernel kernel) {
  Bytes block(render::RunLengthBound(data.size()), 0xEE);
  std::copy(data.begin(), data.end(), block.begin() + static_cast<std::ptrdiff_t>(data.size() + 2));
  const std::size_t size = render::RunLengthEncode(block.data() + data.size() + 2, data.size(), block.data(), kernel);
  block.resize(size);
  return block;
}

// Every kernel, in a separate buffer and in place.
void ExpectCode(const Bytes& data, const Bytes& expected, const std::string& name) {
  for (render::RasterKernel kernel : Kernels()) {
    const std::string where = name + ", kernel " + std::to_string(static_cast<int>(kernel));
    EXPECT_EQ(Encode(data, kernel), expected) << where;
    EXPECT_EQ(EncodeInPlace(data, kernel), expected) << where << ", in place";
  }
}

TEST(RunLength, Cases) {
  struct Case {
    const char* name;
    Bytes data;
    Bytes expected;
  };
  const Case kCases[] = {
      {"nothing", {}, {0, 0}},
      {"300 zero bytes", Bytes(300, 0), {255, 0, 45, 0, 0, 0}},
      {"255 exactly", Bytes(255, 0xAB), {255, 0xAB, 0, 0}},
      {"256", Bytes(256, 0xAB), {255, 0xAB, 1, 0xAB, 0, 0}},
      {"510", Bytes(510, 7), {255, 7, 255, 7, 0, 0}},
      {"alternating", {1, 2, 1, 2}, {1, 1, 1, 2, 1, 1, 1, 2, 0, 0}},
      {"runs inside a word", {5, 5, 5, 6, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9}, {3, 5, 2, 6, 9, 0, 1, 9, 0, 0}},
  };
  for (const Case& c : kCases) ExpectCode(c.data, c.expected, c.name);
}

// Stretches of long runs, short runs and no runs at all (the worst case,
// twice the size), one after another in random order and lengths.
TEST(RunLength, MatchesBytewiseCoding) {
  std::mt19937 random(99);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 200; ++round) {
    Bytes data;
    const std::size_t size = 1 + random() % 3000;
    while (data.size() < size) {
      const int stretch = 1 + static_cast<int>(random() % 300);
      switch (random() % 3) {
        case 0:  // a long run
          data.insert(data.end(), static_cast<std::size_t>(stretch) * (1 + random() % 4),
                      static_cast<std::uint8_t>(byte(random) % 2));
          break;
        case 1:  // short runs of few values
          for (int i = 0; i < stretch; ++i)
            data.insert(data.end(), 1 + random() % 3, static_cast<std::uint8_t>(byte(random) % 3));
          break;
        default:  // every byte a run
          for (int i = 0; i < stretch; ++i) data.push_back(static_cast<std::uint8_t>(byte(random)));
      }
    }
    ExpectCode(data, ReferenceRunLength(data), "round " + std::to_string(round));
  }
}

// A blank page's rows code as ceil(r * b / 255) zero pairs: runs carry on
// across row ends.
TEST(RunLength, BlankPageRunsAcrossRows) {
  const Bytes rows(203 * 50, 0);
  const Bytes coded = Encode(rows, render::BestRasterKernel());
  const std::size_t pairs = (rows.size() + 254) / 255;
  ASSERT_EQ(coded.size(), 2 * pairs + 2);
  ExpectCode(rows, coded, "blank");
  for (std::size_t i = 0; i + 1 < pairs; ++i) {
    EXPECT_EQ(coded[2 * i], 255);
    EXPECT_EQ(coded[2 * i + 1], 0);
  }
  EXPECT_EQ(coded[2 * (pairs - 1)], rows.size() - 255 * (pairs - 1));
  EXPECT_EQ(coded[2 * pairs], 0);
  EXPECT_EQ(coded[2 * pairs + 1], 0);
}

}  // namespace
