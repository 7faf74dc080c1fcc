#include "render/raster.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#define QZ_RASTER_SSE2 1
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define QZ_RASTER_AVX2 1
#endif
#endif

namespace render {

namespace {

constexpr std::uint8_t kWhite = 0xFF;

// Each byte with its bit order reversed.
constexpr std::array<std::uint8_t, 256> kReversedBits = [] {
  std::array<std::uint8_t, 256> table{};
  for (unsigned value = 0; value < 256; ++value) {
    unsigned reversed = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
      if (value & (1u << bit)) reversed |= 0x80u >> bit;
    }
    table[value] = static_cast<std::uint8_t>(reversed);
  }
  return table;
}();

bool IsWhite(const std::uint8_t* pixel) { return (pixel[0] & pixel[1] & pixel[2]) == kWhite; }

std::uint32_t DotBytes(std::uint32_t width) { return width / 8 + (width % 8 != 0 ? 1 : 0); }

// Up to eight pixels, one at a time: dot i of the byte (from the top bit)
// is the pixel at pixels + 3 * i, or read right to left, 3 * -i.
std::uint8_t DotsOf(const std::uint8_t* first, std::uint32_t count, std::ptrdiff_t direction) {
  unsigned byte = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!IsWhite(first + 3 * direction * static_cast<std::ptrdiff_t>(i))) byte |= 0x80u >> i;
  }
  return static_cast<std::uint8_t>(byte);
}

// ---- SSE2: 16 pixels, three loads ----
#ifdef QZ_RASTER_SSE2
// Bit 3i of `bits` moved to bit i, for i = 0..15 (the other bits ignored).
std::uint32_t EveryThirdBit(std::uint64_t bits) {
  bits &= 0x249249249249ULL;
  bits = (bits | (bits >> 2)) & 0x0C30C30C30C3ULL;
  bits = (bits | (bits >> 4)) & 0x00F00F00F00FULL;
  bits = (bits | (bits >> 8)) & 0x0000FF0000FFULL;
  bits = (bits | (bits >> 16)) & 0xFFFFULL;
  return static_cast<std::uint32_t>(bits);
}

// Bit i set when pixel i of the 16 at `pixels` (48 bytes) is pure white.
std::uint32_t WhiteBits16(const std::uint8_t* pixels) {
  const __m128i white = _mm_set1_epi8(static_cast<char>(kWhite));
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 16));
  const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 32));
  // Blank paper is most of a label: one test for all 16.
  const __m128i all = _mm_and_si128(_mm_and_si128(a, b), c);
  if (_mm_movemask_epi8(_mm_cmpeq_epi8(all, white)) == 0xFFFF) return 0xFFFF;
  // One bit per byte that is 0xFF; a pixel is white when its three are.
  const std::uint64_t full = static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, white))) |
                             static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, white))) << 16 |
                             static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(c, white))) << 32;
  return EveryThirdBit(full & (full >> 1) & (full >> 2));
}

// True when all 32 pixels at `pixels` (96 bytes) are pure white.
bool AllWhite32(const std::uint8_t* pixels) {
  const auto* p = reinterpret_cast<const __m128i*>(pixels);
  const __m128i all = _mm_and_si128(_mm_and_si128(_mm_and_si128(_mm_loadu_si128(p), _mm_loadu_si128(p + 1)),
                                                  _mm_and_si128(_mm_loadu_si128(p + 2), _mm_loadu_si128(p + 3))),
                                    _mm_and_si128(_mm_loadu_si128(p + 4), _mm_loadu_si128(p + 5)));
  return _mm_movemask_epi8(_mm_cmpeq_epi8(all, _mm_set1_epi8(static_cast<char>(kWhite)))) == 0xFFFF;
}

// Left to right from pixel x (a multiple of 8) to the row's end; dots
// points at pixel x's byte. Rows under 16 pixels are left to the caller.
// The last block is taken flush with the row's end, overlapping the one
// before, and shifted into place, rather than tested pixel by pixel.
std::uint32_t RowToDotsSse2(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t x, std::uint8_t* dots,
                            std::size_t step) {
  if (width < 16) return x;
  while (width - x >= 16) {
    if (width - x >= 32 && AllWhite32(pixels + 3 * std::size_t{x})) {
      dots[0] = dots[step] = dots[2 * step] = dots[3 * step] = 0;
      dots += 4 * step;
      x += 32;
      continue;
    }
    const std::uint32_t white = WhiteBits16(pixels + 3 * std::size_t{x});
    dots[0] = static_cast<std::uint8_t>(~kReversedBits[white & 0xFF]);
    dots[step] = static_cast<std::uint8_t>(~kReversedBits[white >> 8]);
    dots += 2 * step;
    x += 16;
  }
  const std::uint32_t left = width - x;
  if (left != 0) {
    // Bit j: pixel x + j prints; past the width the shift brings in zeros.
    const std::uint32_t prints = (~WhiteBits16(pixels + 3 * std::size_t{width - 16}) & 0xFFFFu) >> (16 - left);
    dots[0] = kReversedBits[prints & 0xFF];
    if (left > 8) dots[step] = kReversedBits[prints >> 8];
  }
  return width;
}

// Right to left, dot c being pixel width - 1 - c: blocks of 16 taken from
// pixel x (x = width mod 8 or beyond, in steps of 8) to the row's end, so
// that their white bits come out already in the order of the dots, read
// left to right as memory runs. The last 8 pixels, if any, come from a
// block overlapping the one before; the odd pixels at the left end, which
// make the row's last byte, from the row's first block.
// The row must be at least 16 pixels wide.
void RowToDotsReversedSse2(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t x, std::uint8_t* dots) {
  while (width - x >= 16) {
    if (width - x >= 32 && AllWhite32(pixels + 3 * std::size_t{x})) {
      std::memset(dots + (width - 32 - x) / 8, 0, 4);
      x += 32;
      continue;
    }
    const std::uint32_t white = WhiteBits16(pixels + 3 * std::size_t{x});
    std::uint8_t* at = dots + (width - 16 - x) / 8;
    at[0] = static_cast<std::uint8_t>(~white >> 8);
    at[1] = static_cast<std::uint8_t>(~white);
    x += 16;
  }
  if (width - x == 8) dots[0] = static_cast<std::uint8_t>(~WhiteBits16(pixels + 3 * std::size_t{x - 8}) >> 8);
  const std::uint32_t odd = width % 8;
  if (odd != 0) {
    const std::uint32_t prints = ~WhiteBits16(pixels) & ((1u << odd) - 1);
    dots[width / 8] = static_cast<std::uint8_t>(prints << (8 - odd));
  }
}
#endif

// ---- AVX2: 8 pixels per 32-byte load ----
//
// The 24 bytes of eight pixels are spread to one pixel per 32-bit lane (its
// blue byte twice), so that one 32-bit compare with all ones and a movemask
// give the eight white bits, in whichever order the lanes were filled.
// Each load reads 8 bytes past its pixels, so these loops stop 35 pixels
// short of the row's end.
#ifdef QZ_RASTER_AVX2
constexpr std::uint32_t kAvx2Slack = 35;

// Lane k of the result holds pixel p[k]; bit k of the mask is its white bit.
__attribute__((target("avx2"))) inline std::uint32_t WhiteBits8Avx2(const std::uint8_t* pixels, __m256i order,
                                                                    __m256i spread) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels));
  const __m256i lanes = _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(v, order), spread);
  const __m256i white = _mm256_cmpeq_epi32(lanes, _mm256_set1_epi32(-1));
  return static_cast<std::uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(white)));
}

__attribute__((target("avx2"))) inline bool AllWhite32Avx2(const std::uint8_t* pixels) {
  const auto* p = reinterpret_cast<const __m256i*>(pixels);
  const __m256i all =
      _mm256_and_si256(_mm256_and_si256(_mm256_loadu_si256(p), _mm256_loadu_si256(p + 1)), _mm256_loadu_si256(p + 2));
  return _mm256_movemask_epi8(_mm256_cmpeq_epi8(all, _mm256_set1_epi8(static_cast<char>(kWhite)))) == -1;
}

// Pixels 0..7 into lanes 7..0: the mask is the dot byte of a row read left
// to right (pixel 0 in the top bit). The 128-bit halves take pixels 4..7
// and 0..3, each reversed within the half.
__attribute__((target("avx2"))) std::uint32_t RowToDotsAvx2(const std::uint8_t* pixels, std::uint32_t width,
                                                            std::uint8_t* dots, std::size_t step) {
  const __m256i order = _mm256_setr_epi32(3, 4, 5, 0, 0, 1, 2, 0);
  const __m256i spread = _mm256_setr_epi8(9, 10, 11, 9, 6, 7, 8, 6, 3, 4, 5, 3, 0, 1, 2, 0,  //
                                          9, 10, 11, 9, 6, 7, 8, 6, 3, 4, 5, 3, 0, 1, 2, 0);
  std::uint32_t x = 0;
  for (; width - x >= kAvx2Slack; x += 32, dots += 4 * step) {
    const std::uint8_t* p = pixels + 3 * std::size_t{x};
    if (AllWhite32Avx2(p)) {
      dots[0] = dots[step] = dots[2 * step] = dots[3 * step] = 0;
      continue;
    }
    for (std::size_t k = 0; k < 4; ++k) {
      dots[k * step] = static_cast<std::uint8_t>(~WhiteBits8Avx2(p + 24 * k, order, spread));
    }
  }
  return x;
}

// Pixels 0..7 into lanes 0..7: the mask is the dot byte of the same eight
// read right to left. Groups of eight are counted from the right end and
// read left to right from pixel x (x = width mod 8); returns where it
// stopped.
__attribute__((target("avx2"))) std::uint32_t RowToDotsReversedAvx2(const std::uint8_t* pixels, std::uint32_t width,
                                                                    std::uint32_t x, std::uint8_t* dots) {
  const __m256i order = _mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0);
  const __m256i spread = _mm256_setr_epi8(0, 1, 2, 0, 3, 4, 5, 3, 6, 7, 8, 6, 9, 10, 11, 9,  //
                                          0, 1, 2, 0, 3, 4, 5, 3, 6, 7, 8, 6, 9, 10, 11, 9);
  for (; width - x >= kAvx2Slack; x += 32) {
    const std::uint8_t* p = pixels + 3 * std::size_t{x};
    std::uint8_t* at = dots + (width - 8 - x) / 8;  // the byte of pixels x..x+7; the next group's is before it
    if (AllWhite32Avx2(p)) {
      std::memset(at - 3, 0, 4);
      continue;
    }
    for (std::size_t k = 0; k < 4; ++k) {
      *(at - k) = static_cast<std::uint8_t>(~WhiteBits8Avx2(p + 24 * k, order, spread));
    }
  }
  return x;
}
#endif

// ---- one row of pixels as dots ----

// Left to right, leftmost pixel in the top bit, one byte per eight pixels
// written to dots[0], dots[step], dots[2 * step] ...; bits past the width 0.
void RowToDots(RasterKernel kernel, const std::uint8_t* pixels, std::uint32_t width, std::uint8_t* dots,
               std::size_t step) {
  std::uint32_t x = 0;
#ifdef QZ_RASTER_AVX2
  if (kernel == RasterKernel::kAvx2) x = RowToDotsAvx2(pixels, width, dots, step);
#endif
#ifdef QZ_RASTER_SSE2
  if (kernel != RasterKernel::kPortable) x = RowToDotsSse2(pixels, width, x, dots + x / 8 * step, step);
#endif
  (void)kernel;
  for (; x < width; x += 8) {
    dots[x / 8 * step] = DotsOf(pixels + 3 * std::size_t{x}, std::min<std::uint32_t>(8, width - x), 1);
  }
}

// Right to left: dot c is pixel width - 1 - c.
void RowToDotsReversed(RasterKernel kernel, const std::uint8_t* pixels, std::uint32_t width, std::uint8_t* dots) {
  std::uint32_t x = width % 8;  // pixels [0, x) make the last byte; the blocks start after them
#ifdef QZ_RASTER_AVX2
  if (kernel == RasterKernel::kAvx2) x = RowToDotsReversedAvx2(pixels, width, x, dots);
#endif
#ifdef QZ_RASTER_SSE2
  if (kernel != RasterKernel::kPortable && width >= 16) {
    RowToDotsReversedSse2(pixels, width, x, dots);
    return;
  }
#endif
  (void)kernel;
  // A byte at a time: pixels [x, width) are dots [0, width - x); the odd
  // pixels at the left end the row's last byte.
  for (std::uint32_t c = 0; c < width - x; c += 8) dots[c / 8] = DotsOf(pixels + 3 * std::size_t{width - 1 - c}, 8, -1);
  if (width % 8 != 0) {
    dots[width / 8] = DotsOf(pixels + 3 * std::size_t{width % 8 - 1}, width % 8, -1);
  }
}

// ---- the page ----

const std::uint8_t* PageRow(const PageBits& page, std::uint32_t y) {
  return page.top + static_cast<std::ptrdiff_t>(y) * page.delta;
}

// Rows are visited in the order they lie in memory: read backwards, row
// after row, the page comes in at about half the speed, and GDI keeps it
// bottom-up.
bool MemoryFollowsIndex(const PageBits& page, bool reversedIndex) { return (page.delta < 0) == reversedIndex; }

// Portrait: printer row r is page row r, or turned 180 degrees page row
// h - 1 - r read right to left.
void MakePortraitRows(RasterKernel kernel, const PageBits& page, bool rotate180, std::uint8_t* rows) {
  const std::uint32_t h = page.height;
  const std::size_t b = DotBytes(page.width);
  const bool ascending = MemoryFollowsIndex(page, rotate180);
  for (std::uint32_t i = 0; i < h; ++i) {
    const std::uint32_t r = ascending ? i : h - 1 - i;
    std::uint8_t* out = rows + r * b;
    if (rotate180) {
      RowToDotsReversed(kernel, PageRow(page, h - 1 - r), page.width, out);
    } else {
      RowToDots(kernel, PageRow(page, r), page.width, out, 1);
    }
  }
}

// Landscape: printer row r is page column w - 1 - r read top to bottom, or
// turned 180 degrees first, page column r read bottom to top. Dot c of a
// printer row therefore comes from page row c (or h - 1 - c).
//
// The page is taken in bands of 64 such rows, one band giving eight bytes
// of every printer row. Each row of the band is reduced to dots as it lies
// in memory, into a scratch block interleaved so that the 64 rows' bytes
// for one group of 8 columns sit together, the band's first row last. Then
// the top bits of those 64 bytes are one column of the print: movemasks
// gather them into a 64-bit value whose bytes, high to low, are the eight
// printer bytes, and doubling the bytes brings up the next column.
constexpr std::uint32_t kBandRows = 64;
constexpr std::uint32_t kBandBytes = kBandRows / 8;

// Where a band's bytes go: for page column x, `count` bytes (eight, fewer
// at the row's end) of printer row w - 1 - x, or x when turned 180 degrees.
struct BandTarget {
  std::uint8_t* rows;
  std::size_t bytesPerRow;
  std::size_t firstByte;
  std::uint32_t count;
  std::uint32_t pageWidth;
  bool rotate180;

  std::uint8_t* At(std::uint32_t x) const {
    return rows + (rotate180 ? x : pageWidth - 1 - x) * bytesPerRow + firstByte;
  }
  // From one page column's bytes to the next one's.
  std::ptrdiff_t Step() const {
    return rotate180 ? static_cast<std::ptrdiff_t>(bytesPerRow) : -static_cast<std::ptrdiff_t>(bytesPerRow);
  }
  // The band's bytes, high byte first.
  void Put(std::uint8_t* at, std::uint64_t band) const {
    for (std::uint32_t i = 0; i < count; ++i) at[i] = static_cast<std::uint8_t>(band >> (56 - 8 * i));
  }
};

std::uint32_t GroupColumns(std::uint32_t pageWidth, std::uint32_t j) {
  return std::min<std::uint32_t>(8, pageWidth - 8 * j);
}

// Column t (0 = the top bit) of a group's 64 bytes, byte s in bit s.
std::uint64_t GroupColumn(const std::uint8_t* group, std::uint32_t t) {
  std::uint64_t bits = 0;
  for (std::uint32_t s = 0; s < kBandRows; ++s) bits |= static_cast<std::uint64_t>((group[s] >> (7 - t)) & 1u) << s;
  return bits;
}

void TransposeBand(const std::uint8_t* scratch, std::uint32_t columnGroups, const BandTarget& out) {
  for (std::uint32_t j = 0; j < columnGroups; ++j) {
    const std::uint8_t* group = scratch + std::size_t{j} * kBandRows;
    std::uint8_t* at = out.At(8 * j);
    for (std::uint32_t t = 0; t < GroupColumns(out.pageWidth, j); ++t, at += out.Step())
      out.Put(at, GroupColumn(group, t));
  }
}

#ifdef QZ_RASTER_SSE2
// Blank groups leave the zeroed rows as they are.
void TransposeBandSse2(const std::uint8_t* scratch, std::uint32_t columnGroups, const BandTarget& out) {
  for (std::uint32_t j = 0; j < columnGroups; ++j) {
    const auto* group = reinterpret_cast<const __m128i*>(scratch + std::size_t{j} * kBandRows);
    __m128i q[4] = {_mm_loadu_si128(group), _mm_loadu_si128(group + 1), _mm_loadu_si128(group + 2),
                    _mm_loadu_si128(group + 3)};
    const __m128i any = _mm_or_si128(_mm_or_si128(q[0], q[1]), _mm_or_si128(q[2], q[3]));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) == 0xFFFF) continue;
    std::uint8_t* at = out.At(8 * j);
    for (std::uint32_t t = 0; t < GroupColumns(out.pageWidth, j); ++t, at += out.Step()) {
      std::uint64_t bits = 0;
      for (int i = 0; i < 4; ++i) {
        bits |= static_cast<std::uint64_t>(_mm_movemask_epi8(q[i])) << (16 * i);
        q[i] = _mm_add_epi8(q[i], q[i]);
      }
      out.Put(at, bits);
    }
  }
}
#endif

#ifdef QZ_RASTER_AVX2
// Two loads per group and two movemasks per column; whole groups of a whole
// band (the usual case) store each row's eight bytes at once.
__attribute__((target("avx2"))) void TransposeBandAvx2(const std::uint8_t* scratch, std::uint32_t columnGroups,
                                                       const BandTarget& out) {
  const std::ptrdiff_t step = out.Step();
  for (std::uint32_t j = 0; j < columnGroups; ++j) {
    const auto* group = reinterpret_cast<const __m256i*>(scratch + std::size_t{j} * kBandRows);
    __m256i low = _mm256_loadu_si256(group);
    __m256i high = _mm256_loadu_si256(group + 1);
    if (_mm256_testz_si256(_mm256_or_si256(low, high), _mm256_or_si256(low, high))) continue;
    std::uint8_t* at = out.At(8 * j);
    const std::uint32_t columns = GroupColumns(out.pageWidth, j);
    for (std::uint32_t t = 0; t < columns; ++t, at += step) {
      const std::uint64_t bits = static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
                                 static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high)))
                                     << 32;
      if (out.count == kBandBytes) {
        const std::uint64_t bigEndian = __builtin_bswap64(bits);
        std::memcpy(at, &bigEndian, kBandBytes);
      } else {
        out.Put(at, bits);
      }
      low = _mm256_add_epi8(low, low);
      high = _mm256_add_epi8(high, high);
    }
  }
}
#endif

void MakeLandscapeRows(RasterKernel kernel, const PageBits& page, bool rotate180, std::uint8_t* rows,
                       std::uint8_t* scratch) {
  const std::uint32_t w = page.width;
  const std::uint32_t h = page.height;
  const std::size_t b = DotBytes(h);
  const std::uint32_t columnGroups = DotBytes(w);
  const std::uint32_t bands = h / kBandRows + (h % kBandRows != 0 ? 1 : 0);
  const bool ascending = MemoryFollowsIndex(page, rotate180);
  // Blank groups of columns leave their rows as they are.
  std::memset(rows, 0, std::size_t{w} * b);
  for (std::uint32_t n = 0; n < bands; ++n) {
    const std::uint32_t band = ascending ? n : bands - 1 - n;
    for (std::uint32_t m = 0; m < kBandRows; ++m) {
      const std::uint32_t i = ascending ? m : kBandRows - 1 - m;
      const std::uint32_t c = band * kBandRows + i;
      std::uint8_t* slot = scratch + (kBandRows - 1 - i);
      if (c < h) {
        RowToDots(kernel, PageRow(page, rotate180 ? h - 1 - c : c), w, slot, kBandRows);
      } else {
        for (std::uint32_t j = 0; j < columnGroups; ++j) slot[std::size_t{j} * kBandRows] = 0;  // past the width
      }
    }
    const std::size_t firstByte = std::size_t{band} * kBandBytes;
    const BandTarget out{
        rows, b, firstByte, static_cast<std::uint32_t>(std::min<std::size_t>(kBandBytes, b - firstByte)), w, rotate180};
    switch (kernel) {
#ifdef QZ_RASTER_AVX2
      case RasterKernel::kAvx2:
        TransposeBandAvx2(scratch, columnGroups, out);
        break;
#endif
#ifdef QZ_RASTER_SSE2
      case RasterKernel::kSse2:
        TransposeBandSse2(scratch, columnGroups, out);
        break;
#endif
      default:
        TransposeBand(scratch, columnGroups, out);
    }
  }
}

// ---- run-length code ----

constexpr std::size_t kMaxRun = 255;

// The run in progress starts at data[start]; EndRun(end) writes its pairs
// when the value changes at data[end] (or the data end there).
struct RunCoder {
  const std::uint8_t* data;
  std::size_t start;
  std::uint8_t* at;

  void EndRun(std::size_t end) {
    const std::uint8_t value = data[start];
    std::size_t count = end - start;
    for (; count > kMaxRun; count -= kMaxRun) {
      at[0] = static_cast<std::uint8_t>(kMaxRun);
      at[1] = value;
      at += 2;
    }
    at[0] = static_cast<std::uint8_t>(count);
    at[1] = value;
    at += 2;
    start = end;
  }
};

#ifdef QZ_RASTER_SSE2
// Sixteen bytes at a time against their predecessors: each set bit of the
// mask ends a run. Returns where it stopped.
std::size_t CodeRunsSse2(RunCoder& coder, std::size_t k, std::size_t size) {
  for (; size - k >= 16; k += 16) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coder.data + k));
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coder.data + k - 1));
    unsigned changes = ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, before))) & 0xFFFFu;
    for (; changes != 0; changes &= changes - 1) coder.EndRun(k + static_cast<std::size_t>(std::countr_zero(changes)));
  }
  return k;
}
#endif

#ifdef QZ_RASTER_AVX2
// For each 8-bit mask, the positions of its set bits in ascending order.
constexpr std::array<std::array<std::uint8_t, 8>, 256> kSetBits = [] {
  std::array<std::array<std::uint8_t, 8>, 256> table{};
  for (unsigned mask = 0; mask < 256; ++mask) {
    unsigned n = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
      if (mask & (1u << bit)) table[mask][n++] = static_cast<std::uint8_t>(bit);
    }
  }
  return table;
}();

// Shuffle controls that move a vector's bytes up by n places (0..8),
// zero-filling below.
constexpr std::array<std::array<std::uint8_t, 16>, 9> kShiftUp = [] {
  std::array<std::array<std::uint8_t, 16>, 9> table{};
  for (unsigned n = 0; n <= 8; ++n) {
    for (unsigned i = 0; i < 16; ++i) table[n][i] = static_cast<std::uint8_t>(i >= n ? i - n : 0x80);
  }
  return table;
}();

// Dense rows change value every byte or two: one branch per run costs more
// than the pairs. Here a block's run ends are packed at once: the
// positions of the mask's bits (from a table per half block, the upper
// half's moved up behind the lower's) give the counts, as differences of
// successive positions, and the values, as the bytes before them by
// shuffle; interleaved they are the pairs, stored 32 bytes at a time of
// which 2n count. A run of more than 255 bytes ending in the block goes
// through EndRun.
// The stores reach past the code. Each pair stands for at least one byte,
// so before a block the code is at most twice as long as the data up to
// the run in progress, which began before byte k: a store ends by
// out + 2k + 30. With 16 bytes of data left from k that is inside the
// buffer (2 size + 2) and, coding in place, behind every byte still to be
// read (from data + k + 15, which is out + size + k + 17).
__attribute__((target("avx2,popcnt"))) std::size_t CodeRunsPacked(RunCoder& coder, std::size_t size) {
  const std::uint8_t* data = coder.data;
  // Kept in locals: the code's byte stores could alias the coder's fields.
  std::size_t start = coder.start;
  std::uint8_t* at = coder.at;
  std::size_t k = 1;
  for (; size - k >= 16; k += 16) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + k));
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + k - 1));
    unsigned ends = ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, before))) & 0xFFFFu;
    if (ends == 0) continue;
    const std::size_t first = k + static_cast<std::size_t>(std::countr_zero(ends));
    if (first - start > kMaxRun) {
      // A run that began long before: split by EndRun.
      coder.start = start;
      coder.at = at;
      coder.EndRun(first);
      start = coder.start;
      at = coder.at;
      ends &= ends - 1;
      if (ends == 0) continue;
    }
    const unsigned low = ends & 0xFFu;
    const unsigned high = ends >> 8;
    const auto lowCount = static_cast<unsigned>(std::popcount(low));
    const __m128i lowPositions = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kSetBits[low].data()));
    const __m128i highPositions =
        _mm_add_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(kSetBits[high].data())), _mm_set1_epi8(8));
    const __m128i positions = _mm_or_si128(
        lowPositions,
        _mm_shuffle_epi8(highPositions, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kShiftUp[lowCount].data()))));
    // Each run begins where the one before it ended; the first one at
    // start, k - start bytes back (at most 255, so a byte holds it).
    const __m128i starts =
        _mm_or_si128(_mm_slli_si128(positions, 1), _mm_cvtsi32_si128(static_cast<int>((start - k) & 0xFFu)));
    const __m128i counts = _mm_sub_epi8(positions, starts);
    const __m128i values = _mm_shuffle_epi8(before, positions);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm_unpacklo_epi8(counts, values));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 16), _mm_unpackhi_epi8(counts, values));
    at += 2 * (lowCount + static_cast<std::size_t>(std::popcount(high)));
    start = k + static_cast<std::size_t>(std::bit_width(ends)) - 1;
  }
  coder.start = start;
  coder.at = at;
  return k;
}
#endif

}  // namespace

RasterKernel BestRasterKernel() {
#ifdef QZ_RASTER_AVX2
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt")) return RasterKernel::kAvx2;
#endif
#ifdef QZ_RASTER_SSE2
  return RasterKernel::kSse2;
#else
  return RasterKernel::kPortable;
#endif
}

bool HasRasterKernel(RasterKernel kernel) {
  switch (kernel) {
    case RasterKernel::kPortable:
      return true;
    case RasterKernel::kSse2:
      return BestRasterKernel() != RasterKernel::kPortable;
    case RasterKernel::kAvx2:
      return BestRasterKernel() == RasterKernel::kAvx2;
  }
  return false;
}

RasterShape ShapeOf(std::uint32_t pageWidth, std::uint32_t pageHeight, PageTurn turn) {
  const std::uint32_t width = turn.landscape ? pageHeight : pageWidth;
  const std::uint32_t rows = turn.landscape ? pageWidth : pageHeight;
  return {width, rows, DotBytes(width)};
}

std::size_t RasterScratchSize(std::uint32_t pageWidth, PageTurn turn) {
  return turn.landscape ? std::size_t{kBandRows} * DotBytes(pageWidth) : 0;
}

void MakePrinterRows(const PageBits& page, PageTurn turn, std::uint8_t* rows, std::uint8_t* scratch,
                     RasterKernel kernel) {
  if (page.width == 0 || page.height == 0) return;
  if (turn.landscape) {
    MakeLandscapeRows(kernel, page, turn.rotate180, rows, scratch);
  } else {
    MakePortraitRows(kernel, page, turn.rotate180, rows);
  }
}

std::int64_t PrintPositionOffset(unsigned printPos, std::uint32_t printPosNum, std::uint32_t dotsPerMm,
                                 std::uint32_t maxWidthTenthsMm, std::uint32_t imageWidth) {
  // A print width beyond 32 bits saturates instead of wrapping to a small
  // value that would place the image somewhere it was never meant to be.
  const std::uint64_t maxDots64 = std::uint64_t{maxWidthTenthsMm} * dotsPerMm / 10;
  const std::uint32_t maxDots =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(maxDots64, std::numeric_limits<std::uint32_t>::max()));
  switch (printPos) {
    case 0:
      return static_cast<std::uint32_t>(maxDots - imageWidth) >> 1;
    case 1:
      return std::int64_t{maxDots} - imageWidth;
    default:
      return static_cast<std::int64_t>(std::uint64_t{dotsPerMm} * printPosNum / 10);
  }
}

std::size_t RunLengthEncode(const std::uint8_t* data, std::size_t size, std::uint8_t* out, RasterKernel kernel) {
  std::uint8_t* at = out;
  if (size > 0) {
    RunCoder coder{data, 0, out};
    std::size_t k = 1;  // next byte to compare with the one before it
#ifdef QZ_RASTER_AVX2
    if (kernel == RasterKernel::kAvx2) k = CodeRunsPacked(coder, size);
#endif
#ifdef QZ_RASTER_SSE2
    if (kernel != RasterKernel::kPortable) k = CodeRunsSse2(coder, k, size);
#endif
    (void)kernel;
    for (; k < size; ++k) {
      if (data[k] != data[k - 1]) coder.EndRun(k);
    }
    coder.EndRun(size);
    at = coder.at;
  }
  *at++ = 0;
  *at++ = 0;
  return static_cast<std::size_t>(at - out);
}

}  // namespace render
