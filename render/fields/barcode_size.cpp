#include "render/fields/barcode_size.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace render::fields {
namespace {

constexpr std::array<char, 16> kKindChars = {'0', '1', '3', '4', '5', '6', '7', '9',
                                             'B', 'C', 0,   'E', 'F', 'G', 'H', 'I'};

// Fixed-length symbols (kinds 0..3): length in mm by BarCodeSize 0..4.
// Index 0: 12 dots/mm models, 1: all others.
using FixedLengths = std::array<double, 5>;
struct FixedLengthRow {
  FixedLengths at12;
  FixedLengths other;
};
constexpr FixedLengthRow kJan13Lengths = {{23.8, 31.7, 39.6, 47.0, 63.3}, {23.6, 35.6, 47.5, 59.4, 71.2}};
constexpr FixedLengthRow kJan8Lengths = {{16.8, 22.3, 27.9, 33.5, 44.7}, {16.8, 25.1, 33.5, 41.8, 50.3}};
constexpr FixedLengthRow kUpcELengths = {{13.0, 17.0, 22.0, 26.0, 34.0}, {12.5, 19.0, 25.0, 32.0, 38.0}};

// Variable-length symbols: factors in units of ten dots by BarCodeSize.
using SizeFactors = std::array<double, kBarcodeSizeCount>;
struct Factors {
  SizeFactors code39;       // one CODE39 character
  SizeFactors nw7;          // one NW-7 character
  SizeFactors itfPair;      // one ITF digit pair
  SizeFactors itfEnds;      // ITF start and stop
  SizeFactors code128Char;  // one CODE128 symbol character
  SizeFactors code128Stop;  // CODE128 stop
  SizeFactors code93Char;   // one CODE93 symbol character
};

constexpr Factors kFactorsAt12 = {
    {2.9, 4.5, 5.8, 8.7, 12.9, 19.2}, {2.2, 3.4, 4.4, 6.6, 6.8, 14.4}, {3.2, 5.0, 6.4, 9.6, 14.2, 21.6},
    {1.5, 2.3, 3.0, 4.5, 6.7, 9.6},   {3.3, 4.4, 5.5, 6.6, 8.8, 11.0}, {3.9, 5.2, 6.5, 7.8, 10.4, 13.0},
    {2.7, 3.6, 4.5, 5.4, 7.2, 9.0},
};

// At other densities the CODE128 and CODE93 factors grow linearly with the
// size, (size + 1) times a base, computed as such.
constexpr Factors kFactorsOther = {
    {2.1, 2.9, 4.5, 6.4, 8.0, 9.6},
    {1.7, 2.2, 3.4, 4.8, 6.0, 7.2},
    {3.2, 5.0, 6.4, 8.2, 9.6, 12.8},
    {1.5, 2.3, 3.0, 3.8, 4.5, 6.0},
    {1.1 * 1, 1.1 * 2, 1.1 * 3, 1.1 * 4, 1.1 * 5, 1.1 * 6},
    {1.3 * 1, 1.3 * 2, 1.3 * 3, 1.3 * 4, 1.3 * 5, 1.3 * 6},
    {0.9 * 1, 0.9 * 2, 0.9 * 3, 0.9 * 4, 0.9 * 5, 0.9 * 6},
};

// Modules of the RSS symbols (kinds 11..15); a module is size + 2 dots.
struct RssModules {
  int kind;
  int modules;
};
constexpr std::array<RssModules, 5> kRssModules = {{
    {kRss14, 96}, {kRss14Truncated, 96}, {kRss14Stacked, 50}, {kRss14StackedOmni, 50}, {kRssLimited, 74}}};

constexpr std::string_view kCode93Set = " $%+-./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view kNw7Digits = "0123456789-$";
constexpr std::string_view kNw7Wide = ":/.+";

bool Contains(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }

// CODE39 data characters: the '*' start and stop may be part of the text.
int Code39DataCount(std::string_view text) {
  int count = static_cast<int>(text.size());
  if (text.starts_with('*')) --count;
  if (text.ends_with('*')) --count;
  return count;
}

int FixedLength(int kind, std::size_t size, int dotsPerMm) {
  const FixedLengthRow& row = kind == kJan8 ? kJan8Lengths : kind == kUpcE ? kUpcELengths : kJan13Lengths;
  const FixedLengths& lengths = dotsPerMm == 12 ? row.at12 : row.other;
  const double mm = lengths[std::min(size, lengths.size() - 1)];  // size 5: as size 4
  return static_cast<int>(std::floor(dotsPerMm * mm + 0.5));
}

// Length of kinds 4..9 without the ratio command: v in units of ten dots.
int VariableLength(int kind, std::size_t size, int dotsPerMm, std::string_view text) {
  const Factors& f = dotsPerMm == 12 ? kFactorsAt12 : kFactorsOther;
  const double n = static_cast<double>(text.size());
  double v = 0;
  switch (kind) {
    case kCode39:
      v = f.code39[size] * (Code39DataCount(text) + 2);
      break;
    case kCode39CheckDigit:
      v = f.code39[size] * (Code39DataCount(text) + 3);
      break;
    case kNw7:
      v = f.nw7[size] * n;
      break;
    case kItf:
      v = (n * 0.5) * f.itfPair[size] + f.itfEnds[size];
      break;
    case kCode128:
      v = (Code128SymbolCount(text) + 1) * f.code128Char[size] + f.code128Stop[size];
      break;
    default:  // kCode93
      v = (Code93SymbolCount(text) + 2) * f.code93Char[size];
      break;
  }
  const double d = dotsPerMm;
  return static_cast<int>(std::floor(d * ((v / d) * 10) + 0.5));
}

// Length of kinds 0..9 from the element widths of the ratio command.
int RatioLength(int kind, const BarcodeElementWidths& w, std::string_view text) {
  const int n = static_cast<int>(text.size());
  switch (kind) {
    case kJan13:
    case kUpcA:
      return 95 * w.narrowBar;
    case kJan8:
      return 67 * w.narrowBar;
    case kUpcE:
      return 51 * w.narrowBar;
    case kCode39:
    case kCode39CheckDigit: {
      const int q = Code39DataCount(text) + (kind == kCode39 ? 2 : 3);
      return q * (3 * w.narrowBar + 2 * w.wideBar + 3 * w.narrowSpace + w.wideSpace + w.barGap) - w.barGap;
    }
    case kNw7: {
      int sum = 0;
      for (const char c : text) {
        if (Contains(kNw7Digits, c)) {
          sum += 3 * w.narrowBar + w.wideBar + 2 * w.narrowSpace + w.wideSpace + w.barGap;
        } else if (Contains(kNw7Wide, c)) {
          sum += w.narrowBar + 3 * w.wideBar + 3 * w.narrowSpace + w.barGap;
        } else {  // start and stop characters
          sum += 3 * w.narrowBar + w.wideBar + w.narrowSpace + 2 * w.wideSpace + w.barGap;
        }
      }
      return sum - w.barGap;
    }
    case kItf:
      return w.wideBar + n * (3 * w.narrowBar + 3 * w.narrowSpace + 2 * w.wideSpace + 2 * w.wideBar) / 2 +
             3 * w.narrowBar + 3 * w.narrowSpace;
    case kCode128:
      return (11 * Code128SymbolCount(text) + 24) * w.narrowBar;
    default:  // kCode93
      return 9 * (Code93SymbolCount(text) + 2) * w.narrowBar;
  }
}

int BarHeight(int kind, int size, int barHeightMm, int dotsPerMm) {
  const int h = barHeightMm * dotsPerMm;
  if (kind == kRss14Stacked) return std::max(1, h / 13) * 13;  // whole rows of 13 dots
  if (kind == kRss14StackedOmni) return 3 * (size + 2) + 2 * h;
  return h;
}

}  // namespace

std::optional<char> BarcodeKindChar(int kind) {
  if (kind < 0 || static_cast<std::size_t>(kind) >= kKindChars.size()) return std::nullopt;
  const char c = kKindChars[static_cast<std::size_t>(kind)];
  if (c == 0) return std::nullopt;
  return c;
}

int Code128SymbolCount(std::string_view text) {
  int count = 0;
  bool numeric = false;
  int pairs = 0;
  const char first = text.empty() ? '\0' : text.front();
  if (first != 'A' && first != 'B' && first != 'C') ++count;
  if (first == 'C') numeric = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '^') {
      ++i;  // the escape takes the next character with it
      const char escaped = i < text.size() ? text[i] : '\0';
      if (escaped == 'D') {
        if (!numeric) pairs = 0;
        numeric = true;
      } else if (escaped == 'E' || escaped == 'F') {
        numeric = false;
      }
      ++count;
    } else if (!numeric) {
      ++count;
    } else if (++pairs % 2 == 0) {
      ++count;  // digits are coded in pairs
    }
  }
  return count;
}

int Code93SymbolCount(std::string_view text) {
  int count = 1;
  bool lastShifted = false;
  for (const char c : text) {
    lastShifted = !Contains(kCode93Set, c);
    count += lastShifted ? 2 : 1;
  }
  return count + (lastShifted ? 2 : 1);
}

std::optional<BarcodeSymbolDots> BarcodeSymbolSize(int kind, int size, int barHeightMm, int dotsPerMm, bool ebr,
                                                   const BarcodeElementWidths& widths, std::string_view text) {
  if (!BarcodeKindChar(kind) || size < 0 || size >= kBarcodeSizeCount || dotsPerMm <= 0) return std::nullopt;
  BarcodeSymbolDots dots{0, BarHeight(kind, size, barHeightMm, dotsPerMm)};
  const auto rss = std::find_if(kRssModules.begin(), kRssModules.end(),
                                [kind](const RssModules& row) { return row.kind == kind; });
  if (rss != kRssModules.end()) {
    dots.length = (size + 2) * rss->modules;
  } else if (ebr) {
    dots.length = RatioLength(kind, widths, text);
  } else if (kind <= kUpcE) {
    dots.length = FixedLength(kind, static_cast<std::size_t>(size), dotsPerMm);
  } else {
    dots.length = VariableLength(kind, static_cast<std::size_t>(size), dotsPerMm, text);
  }
  return dots;
}

}  // namespace render::fields
