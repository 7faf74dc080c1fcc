#include "render/fields/barcode_size.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace render::fields {
namespace {

constexpr BarcodeElementWidths kNoWidths = {0, 0, 0, 0, 0};
// narrow bar 2, wide bar 5, narrow space 2, wide space 5, bar gap 2
constexpr BarcodeElementWidths kWidths = {2, 5, 2, 5, 2};

struct SizeCase {
  const char* name;
  int kind;
  int size;
  int barHeightMm;
  int dotsPerMm;
  bool ebr;
  std::string_view text;
  int length;
  int height;
};

TEST(BarcodeSize, LengthAndHeightByKind) {
  static const SizeCase kCases[] = {
      {"JAN-13 size 0", kJan13, 0, 10, 8, false, "4901234567894", 189, 80},
      {"JAN-13 size 4", kJan13, 4, 10, 8, false, "4901234567894", 570, 80},
      {"JAN-13 size 5 as size 4", kJan13, 5, 10, 8, false, "4901234567894", 570, 80},
      {"UPC-A at 12 dots/mm", kUpcA, 2, 10, 12, false, "01234567890", 475, 120},
      {"JAN-8 at 12 dots/mm", kJan8, 0, 10, 12, false, "4901234", 202, 120},
      {"UPC-E size 0", kUpcE, 0, 10, 8, false, "0123456", 100, 80},
      {"UPC-E size 5 at 12 dots/mm", kUpcE, 5, 10, 12, false, "0123456", 408, 120},
      {"CODE39 with stars", kCode39, 1, 10, 8, false, "*ABC*", 145, 80},
      {"CODE39 without stars", kCode39, 1, 10, 8, false, "ABC", 145, 80},
      {"CODE39 at 12 dots/mm", kCode39, 0, 10, 12, false, "ABC", 145, 120},
      {"CODE39/CD", kCode39CheckDigit, 1, 10, 8, false, "ABC", 174, 80},
      {"NW-7", kNw7, 0, 10, 8, false, "A123B", 85, 80},
      {"ITF even", kItf, 0, 10, 8, false, "1234", 79, 80},
      {"ITF odd", kItf, 0, 10, 8, false, "12345", 95, 80},
      {"CODE128 set A", kCode128, 1, 10, 8, false, "ABC12", 158, 80},
      {"CODE128 set C", kCode128, 0, 10, 8, false, "C123456", 57, 80},
      {"CODE128 at 12 dots/mm", kCode128, 1, 10, 12, false, "ABC12", 316, 120},
      {"CODE93", kCode93, 0, 10, 8, false, "AB", 54, 80},
      {"CODE93 shifted", kCode93, 0, 10, 8, false, "ab", 81, 80},
      {"CODE93 at 12 dots/mm", kCode93, 0, 10, 12, false, "AB", 162, 120},
      {"RSS-14", kRss14, 0, 10, 8, false, "0123456789012", 192, 80},
      {"RSS-14 Truncated", kRss14Truncated, 1, 10, 8, false, "0123456789012", 288, 80},
      {"RSS-14 Stacked", kRss14Stacked, 0, 5, 8, false, "0123456789012", 100, 39},
      {"RSS-14 Stacked, one row", kRss14Stacked, 0, 1, 8, false, "0123456789012", 100, 13},
      {"RSS-14 Stacked, zero height", kRss14Stacked, 0, 0, 8, false, "0123456789012", 100, 13},
      {"RSS-14 Stacked Omni", kRss14StackedOmni, 1, 5, 8, false, "0123456789012", 150, 89},
      {"RSS Limited", kRssLimited, 2, 10, 8, false, "0123456789012", 296, 80},
      {"RSS ignores the element widths", kRss14, 0, 10, 8, true, "0123456789012", 192, 80},
  };
  for (const SizeCase& c : kCases) {
    const std::optional<BarcodeSymbolDots> dots =
        BarcodeSymbolSize(c.kind, c.size, c.barHeightMm, c.dotsPerMm, c.ebr, c.ebr ? kWidths : kNoWidths, c.text);
    ASSERT_TRUE(dots) << c.name;
    EXPECT_EQ(dots->length, c.length) << c.name;
    EXPECT_EQ(dots->height, c.height) << c.name;
  }
}

TEST(BarcodeSize, LengthFromElementWidths) {
  static const SizeCase kCases[] = {
      {"JAN-13", kJan13, 0, 10, 8, true, "4901234567894", 190, 80},
      {"UPC-A", kUpcA, 0, 10, 8, true, "01234567890", 190, 80},
      {"JAN-8", kJan8, 0, 10, 8, true, "4901234", 134, 80},
      {"UPC-E", kUpcE, 0, 10, 8, true, "0123456", 102, 80},
      {"CODE39", kCode39, 0, 10, 8, true, "ABC", 143, 80},
      {"CODE39 with stars", kCode39, 0, 10, 8, true, "*ABC*", 143, 80},
      {"CODE39/CD", kCode39CheckDigit, 0, 10, 8, true, "ABC", 172, 80},
      // start 'A' 25, '1' 22, ':' 25, stop 'B' 25, less one gap
      {"NW-7", kNw7, 0, 10, 8, true, "A1:B", 95, 80},
      {"ITF even", kItf, 0, 10, 8, true, "1234", 81, 80},
      {"ITF odd", kItf, 0, 10, 8, true, "123", 65, 80},
      {"CODE128", kCode128, 0, 10, 8, true, "ABC12", 158, 80},
      {"CODE93", kCode93, 0, 10, 8, true, "AB", 108, 80},
  };
  for (const SizeCase& c : kCases) {
    const std::optional<BarcodeSymbolDots> dots =
        BarcodeSymbolSize(c.kind, c.size, c.barHeightMm, c.dotsPerMm, c.ebr, kWidths, c.text);
    ASSERT_TRUE(dots) << c.name;
    EXPECT_EQ(dots->length, c.length) << c.name;
    EXPECT_EQ(dots->height, c.height) << c.name;
  }
}

TEST(BarcodeSize, RefusesWhatHasNoSize) {
  EXPECT_FALSE(BarcodeSymbolSize(k2dCode, 0, 10, 8, false, kNoWidths, "ABC"));
  EXPECT_FALSE(BarcodeSymbolSize(16, 0, 10, 8, false, kNoWidths, "ABC"));
  EXPECT_FALSE(BarcodeSymbolSize(-1, 0, 10, 8, false, kNoWidths, "ABC"));
  EXPECT_FALSE(BarcodeSymbolSize(kCode39, 6, 10, 8, false, kNoWidths, "ABC"));
  EXPECT_FALSE(BarcodeSymbolSize(kCode39, -1, 10, 8, false, kNoWidths, "ABC"));
  EXPECT_FALSE(BarcodeSymbolSize(kCode39, 0, 10, 0, false, kNoWidths, "ABC"));
}

TEST(BarcodeSize, Code128Count) {
  struct CountCase {
    std::string_view text;
    int expected;
  };
  static const CountCase kCases[] = {
      {"ABC12", 5},     // 'A' selects set A and counts itself
      {"C123456", 3},   // pairs from the 'C': C1, 23, 45; the lone 6 does not count
      {"123", 4},       // no set character: one more
      {"B12^D3456", 6}, // ^D starts pairs: 34, 56
      {"C1^D2", 2},     // ^D while pairs run keeps the count: C1, ^D
      {"C^D1", 2},      // C^D1: 'C' then '1' pair, plus the escape
      {"C12^E34", 4},   // ^E ends pairs
      {"A^F1", 3},
      {"AB^", 3},       // a trailing '^' is one escape
      {"", 1},
  };
  for (const CountCase& c : kCases) {
    EXPECT_EQ(Code128SymbolCount(c.text), c.expected) << c.text;
  }
}

TEST(BarcodeSize, Code93Count) {
  struct CountCase {
    std::string_view text;
    int expected;
  };
  static const CountCase kCases[] = {
      {"AB", 4}, {"ab", 7}, {"aB", 5}, {"Ab", 6}, {"", 2}, {"A B-$%+./9", 12},
  };
  for (const CountCase& c : kCases) {
    EXPECT_EQ(Code93SymbolCount(c.text), c.expected) << c.text;
  }
}

TEST(BarcodeSize, KindCharacters) {
  static constexpr std::string_view kChars = "01345679BC-EFGHI";
  for (int kind = 0; kind < 16; ++kind) {
    if (kind == k2dCode) {
      EXPECT_FALSE(BarcodeKindChar(kind));
    } else {
      EXPECT_EQ(BarcodeKindChar(kind), kChars[static_cast<std::size_t>(kind)]) << kind;
    }
  }
  EXPECT_FALSE(BarcodeKindChar(16));
  EXPECT_FALSE(BarcodeKindChar(-1));
}

}  // namespace
}  // namespace render::fields
