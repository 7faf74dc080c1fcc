// The printed size of a one-dimensional or stacked barcode symbol, in dots:
// its length W along the bars' direction of travel and its height H. Only
// the placement of turned symbols needs them; the printer draws the bars.
#pragma once

#include <optional>
#include <string_view>

namespace render::fields {

// BarCodeKind values (10, the 2D code, is sized elsewhere).
enum BarcodeKind : int {
  kJan13 = 0,
  kJan8 = 1,
  kUpcA = 2,
  kUpcE = 3,
  kCode39 = 4,
  kNw7 = 5,
  kItf = 6,
  kCode39CheckDigit = 7,
  kCode128 = 8,
  kCode93 = 9,
  k2dCode = 10,
  kRss14 = 11,
  kRss14Truncated = 12,
  kRss14Stacked = 13,
  kRss14StackedOmni = 14,
  kRssLimited = 15,
};

inline constexpr int kBarcodeSizeCount = 6;  // BarCodeSize 0..5

// Element widths in dots set by the user for the printer's ratio command.
struct BarcodeElementWidths {
  int narrowBar;
  int wideBar;
  int narrowSpace;
  int wideSpace;
  int barGap;
};

struct BarcodeSymbolDots {
  int length;  // W
  int height;  // H
};

// The kind character of the barcode commands: '0', '1', '3', '4', '5', '6',
// '7', '9', 'B', 'C' for kinds 0..9 and 'E' .. 'I' for 11..15. Empty for the
// 2D code (10) and any other value.
std::optional<char> BarcodeKindChar(int kind);

// Symbol characters of a CODE128 text; a first 'A', 'B' or 'C' selects the
// code set and counts as a character itself, "^x" is one escape ("^D"
// switches to digit pairs, "^E" and "^F" back). A trailing lone '^' counts
// as an escape.
int Code128SymbolCount(std::string_view text);

// Symbol characters of a CODE93 text, start and check characters included:
// 1 for the start, 1 per character of the 43-character set and 2 for any
// other, and 1 more (2 when the last character was a shifted one).
int Code93SymbolCount(std::string_view text);

// Size of the symbol for `text` with BarCodeKind `kind`, BarCodeSize
// `size` (0..5), BarCodeLength `barHeightMm`, the model's `dotsPerMm`, and
// the element widths when the ratio command is on (`ebr`; RSS kinds ignore
// it). The fixed-length kinds 0..3 have five table sizes: size 5 uses the
// length of size 4, the largest symbol the tables know. Empty for kind 10,
// an unknown kind, a size outside 0..5 or dotsPerMm <= 0.
std::optional<BarcodeSymbolDots> BarcodeSymbolSize(int kind, int size, int barHeightMm, int dotsPerMm, bool ebr,
                                                   const BarcodeElementWidths& widths, std::string_view text);

}  // namespace render::fields
