// The page image as the printer takes it: the 24-bit page GDI drew, turned
// into the label's printing direction and reduced to one bit per dot, plus
// the print-position offset and the run-length code of the raster block.
//
// Printer rows: top row first, ceil(width / 8) bytes each with no padding,
// the most significant bit the leftmost dot, 1 = a printed dot; bits past
// the width in the last byte of a row are 0. Any pixel that is not pure
// white (FF FF FF) prints.
//
// The page is turned in two steps, the label's 180 degree setting first and
// then, in landscape, a quarter turn counterclockwise (the top edge of the
// drawing becomes the left edge of the print). MakePrinterRows goes from the
// page straight to the printer rows with both turns applied by index
// mapping, without a turned copy of the page.
//
// Pure functions: no allocation, no system calls.
#pragma once

#include <cstddef>
#include <cstdint>

namespace render {

// A 24-bit page as GDI holds it, addressed from its top row: page row y
// (0 = top of the page) starts at top + y * delta. Pixels are three bytes
// blue, green, red; at least 3 * width bytes of every row are readable.
struct PageBits {
  const std::uint8_t* top;
  std::ptrdiff_t delta;
  std::uint32_t width;
  std::uint32_t height;
};

struct PageTurn {
  bool landscape;  // quarter turn counterclockwise
  bool rotate180;  // the label's Rotate setting, applied before the quarter turn
};

struct RasterShape {
  std::uint32_t width;  // dots across the print
  std::uint32_t rows;
  std::uint32_t bytesPerRow;  // ceil(width / 8)

  std::size_t Bytes() const { return std::size_t{rows} * bytesPerRow; }
};

// The printed image of a page width x height pixels: the same size in
// portrait, height dots wide and width rows in landscape.
RasterShape ShapeOf(std::uint32_t pageWidth, std::uint32_t pageHeight, PageTurn turn);

// Bytes of scratch memory MakePrinterRows needs beside the rows: none in
// portrait, in landscape a band of 64 rows of dots.
std::size_t RasterScratchSize(std::uint32_t pageWidth, PageTurn turn);

// Which instructions do the work: plain C++ (one pixel, one byte at a
// time), SSE2 (16 at a time) or AVX2 (8 pixels per load; the run-length
// code packs whole blocks of pairs with byte shuffles). All give the same
// bytes; BestRasterKernel is the fastest this processor runs.
enum class RasterKernel { kPortable, kSse2, kAvx2 };
RasterKernel BestRasterKernel();
bool HasRasterKernel(RasterKernel kernel);

// Writes ShapeOf(page).Bytes() bytes of printer rows at `rows`. `scratch`
// holds RasterScratchSize bytes (may be null when that is 0).
void MakePrinterRows(const PageBits& page, PageTurn turn, std::uint8_t* rows, std::uint8_t* scratch,
                     RasterKernel kernel = BestRasterKernel());

// Where the image sits across the print width (dots from the left edge of
// the print area), for PrintPos 0 centred, 1 right-aligned, any other value
// printPosNum (0.1 mm) from the left edge. The centred offset is computed in
// unsigned 32-bit arithmetic, so an image wider than the print width gives
// a value near 2^31 rather than a negative one; the right-aligned offset is
// then negative. Either way the raster placement cannot carry it.
std::int64_t PrintPositionOffset(unsigned printPos, std::uint32_t printPosNum, std::uint32_t dotsPerMm,
                                 std::uint32_t maxWidthTenthsMm, std::uint32_t imageWidth);

// The run-length code of the raster block: pairs (count 1..255, value), a
// run ending where the value changes or after 255 bytes and running on
// across row ends, then the end pair (0, 0). Returns the bytes written, at
// most RunLengthBound(size).
//
// The code may be made in place: with `data` inside the output buffer at
// out + size + 2 (the upper half of a RunLengthBound block), every byte is
// read before the code reaches it.
inline std::size_t RunLengthBound(std::size_t size) { return 2 * size + 2; }
std::size_t RunLengthEncode(const std::uint8_t* data, std::size_t size, std::uint8_t* out,
                            RasterKernel kernel = BestRasterKernel());

}  // namespace render
