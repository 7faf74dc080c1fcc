#include "render/fields/qr_estimator.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

namespace render::fields {
namespace {

constexpr int kLevelL = 0;
constexpr int kLevelM = 1;
constexpr int kLevelH = 3;

std::string Repeat(std::string_view unit, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += unit;
  return text;
}

// Segments as text, "N10 A6 B3" (numeric, alphanumeric, byte, kanji).
std::string Describe(const QrSegmentList& list) {
  std::string text;
  for (const QrSegment& segment : list.Segments()) {
    if (!text.empty()) text += ' ';
    text += "NABK"[static_cast<int>(segment.mode)];
    text += std::to_string(segment.count);
  }
  return text;
}

struct SegmentCase {
  const char* name;
  std::string_view data;
  const char* expected;
};

TEST(QrSegmentation, SplitsDataIntoModeRuns) {
  static const SegmentCase kCases[] = {
      {"digits", "12345", "N5"},
      {"alphanumeric", "HELLO WORLD", "A11"},
      {"12 digits after letters stand alone", "ABC123456789012", "A3 N12"},
      {"single digits stay in the letters' run", "A1B2C3", "A6"},
      {"three modes", "0123456789ABCDEFabc", "N10 A6 B3"},
      {"kanji joined with bytes, digits apart", "\x88\x9F\x88\x9F" "abc123", "B7 N3"},
      {"one kanji", "\x88\x9F", "K2"},
      {"lone lead byte at the end is a byte", "AB\x88", "B3"},
      {"only a lone lead byte", "\x88", "B1"},
      {"lead byte before a low byte is a byte", "\x88 ", "B2"},
      {"0xFF ends the data", "12\xFF" "34", "N2"},
      {"0xFF as the trail byte of a kanji", "\x88\xFF", "K2"},
      {"nothing before 0xFF", "\xFF" "12", ""},
      {"empty", "", ""},
      {"short digits inside bytes", "a123b", "B5"},
      {"six digits after a byte", "a123456", "B1 N6"},
      {"two digits join a following byte", "12a", "B3"},
      {"digits long enough before a byte", "123456a", "N6 B1"},
      {"letters, digits, letters", "1234567A1234567", "N7 A1 N7"},
      {"letters carry a short digit run", "A123456789012B", "A14"},
      {"13 digits between letters stand alone", "A1234567890123B", "A1 N13 A1"},
      {"seven digits before a byte", "A1234567a", "A1 N7 B1"},
      {"six digits fold into the letters", "A123456a", "A7 B1"},
      // Kanji between a short digit run and a new mode: joined as bytes
      // while that is cheaper, apart once the kanji run is long.
      {"short kanji run joined", "1\x88\x9F\x88\x9F\x88\x9F" "A", "B8"},
      {"long kanji run apart", "1\x88\x9F\x88\x9F\x88\x9F\x88\x9F" "A", "N1 K8 A1"},
      {"short kanji run before a byte", "1\x88\x9F" "a", "B4"},
      {"long kanji run before a byte", "1\x88\x9F\x88\x9F\x88\x9F\x88\x9F\x88\x9F\x88\x9F\x88\x9F\x88\x9F" "a", "N1 K16 B1"},
      // Three runs held back: the third closes and the decision falls.
      {"kanji, digit, letter, byte", "\x88\x9F" "1Ab", "B3 A1 B1"},
      {"kanji, digit, letter at the end", "\x88\x9F" "1A", "B3 A1"},
      {"kanji, letter, digit", "\x88\x9F" "A1", "B4"},
      {"byte, letter, digit", "aA1", "B3"},
      {"byte, letter, digit, byte", "aA1b", "B4"},
      {"byte, letter, seven digits, byte", "aA1234567b", "B2 N7 B1"},
      {"byte, letter, digit, letter", "aA1B", "B4"},
      {"byte, letter, seven digits at the end", "aA1234567", "B2 N7"},
      {"byte, letters, digits counted as letters", "aABCDE12", "B1 A7"},
      {"byte, short letters and digits", "aAB12", "B5"},
  };
  QrSegmentList list;
  for (const SegmentCase& c : kCases) {
    SegmentQrData(c.data, list);
    EXPECT_EQ(Describe(list), c.expected) << c.name;
    EXPECT_EQ(list.emitted, list.stored) << c.name;
  }
}

TEST(QrEstimator, BitsAndVersion) {
  struct Case {
    const char* name;
    std::string data;
    int level;
    int model;
    std::uint32_t bits;
    int modules;
  };
  const Case kCases[] = {
      {"digits", "12345", kLevelM, kQrModel2, 31, 21},
      {"digits in model 1 have no leading indicator", "12345", kLevelM, kQrModel1, 27, 21},
      {"alphanumeric", "HELLO WORLD", kLevelM, kQrModel2, 74, 21},
      {"three segments need version 2", "0123456789ABCDEFabc", kLevelM, kQrModel2, 130, 25},
      {"the same fits version 1 at L", "0123456789ABCDEFabc", kLevelL, kQrModel2, 130, 21},
      {"two kanji and text", "\x88\x9F\x88\x9F" "abc123", kLevelM, kQrModel2, 92, 21},
      {"exactly version 1 at M: 16 bytes", std::string(14, 'a'), kLevelM, kQrModel2, 124, 21},
      {"one byte more", std::string(15, 'a'), kLevelM, kQrModel2, 132, 25},
      // Past version 9 the byte count field grows by 8 bits: 287 bytes fit
      // version 12 at M (290), 288 only with the wider field no longer do.
      {"287 bytes", std::string(287, 'a'), kLevelM, kQrModel2, 2316, 65},
      {"288 bytes", std::string(288, 'a'), kLevelM, kQrModel2, 2324, 69},
      // Past version 26 the numeric count field grows by 2 bits more:
      // 3517 digits fit version 27 at L (1468), 3518 need version 28.
      {"3517 digits", std::string(3517, '7'), kLevelL, kQrModel2, 11742, 125},
      {"3518 digits", std::string(3518, '7'), kLevelL, kQrModel2, 11745, 129},
      {"model 1 version 40 at H", std::string(1289, 'a'), kLevelH, kQrModel1, 10328, 177},
      {"too much for model 1 at H", std::string(1290, 'a'), kLevelH, kQrModel1, 10336, 0},
      {"too much for version 40 at H", std::string(3000, 'a'), kLevelH, kQrModel2, 24020, 0},
      {"empty data is the smallest symbol", "", kLevelM, kQrModel2, 4, 21},
  };
  for (const Case& c : kCases) {
    QrSegmentList work;
    EXPECT_EQ(EstimateQrModules(c.data, c.level, c.model, work), c.modules) << c.name;
    EXPECT_EQ(QrBitCount(work, c.level, c.model), c.bits) << c.name;
  }
}

TEST(QrEstimator, SegmentBits) {
  struct Case {
    QrMode mode;
    std::uint32_t count;
    std::uint32_t bits;
  };
  static const Case kCases[] = {
      {QrMode::kNumeric, 3, 24},  {QrMode::kNumeric, 4, 28},      {QrMode::kNumeric, 5, 31},
      {QrMode::kAlphanumeric, 2, 24}, {QrMode::kAlphanumeric, 3, 30}, {QrMode::kByte, 3, 36},
      {QrMode::kKanji, 2, 25},    {QrMode::kKanji, 4, 38},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(QrSegmentBits(c.mode, c.count), c.bits) << static_cast<int>(c.mode) << " " << c.count;
  }
}

TEST(QrEstimator, SideFromCellSize) {
  const int modules = EstimateQrModules("12345", kLevelM, kQrModel2);
  ASSERT_EQ(modules, 21);
  EXPECT_EQ(QrSymbolSide(modules, 4), 126);
  EXPECT_EQ(QrSymbolSide(0, 4), 0);
}

TEST(QrEstimator, NoSizeBeyondTwoHundredSegments) {
  // Each "a1234567" gives a byte and a numeric segment.
  const std::string exactly200 = Repeat("a1234567", 100);
  QrSegmentList work;
  EXPECT_EQ(EstimateQrModules(exactly200, kLevelM, kQrModel2, work), 109);
  EXPECT_EQ(work.emitted, 200u);
  EXPECT_FALSE(work.Overflowed());

  const std::string over = exactly200 + "a";
  EXPECT_EQ(EstimateQrModules(over, kLevelM, kQrModel2, work), 0);
  EXPECT_TRUE(work.Overflowed());
  EXPECT_EQ(work.stored, kQrMaxSegments);

  // The work area carries nothing from one estimate to the next.
  EXPECT_EQ(EstimateQrModules("12345", kLevelM, kQrModel2, work), 21);
  EXPECT_EQ(Describe(work), "N5");
  EXPECT_EQ(work.emitted, 1u);
}

TEST(QrEstimator, RefusesUnknownModelOrLevel) {
  EXPECT_EQ(EstimateQrModules("12345", kLevelM, 2), 0);
  EXPECT_EQ(EstimateQrModules("12345", kLevelM, -1), 0);
  EXPECT_EQ(EstimateQrModules("12345", 4, kQrModel2), 0);
  EXPECT_EQ(EstimateQrModules("12345", -1, kQrModel2), 0);
  EXPECT_EQ(QrDataCapacity(kQrModel2, 0, kLevelM), 0);
  EXPECT_EQ(QrDataCapacity(kQrModel2, 41, kLevelM), 0);
}

// Total codewords of a model 2 symbol: its data modules, without finder,
// timing, alignment, format and version patterns, in bytes.
int TotalCodewords(int version) {
  int modules = (16 * version + 128) * version + 64;
  if (version >= 2) {
    const int alignment = version / 7 + 2;
    modules -= (25 * alignment - 10) * alignment - 55;
    if (version >= 7) modules -= 36;
  }
  return modules / 8;
}

TEST(QrEstimator, Model2CapacitiesFollowTheErrorCorrectionBlocks) {
  // Error correction codewords per block and the number of blocks, by
  // level (L, M, Q, H) and version 1..40.
  static constexpr std::array<std::array<int, 40>, 4> kEccPerBlock = {{
      {7, 10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28,
       28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
      {10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26,
       26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28},
      {13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30,
       28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
      {17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28,
       30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
  }};
  static constexpr std::array<std::array<int, 40>, 4> kBlocks = {{
      {1, 1, 1, 1, 1, 2, 2, 2, 2, 4, 4, 4, 4, 4, 6, 6, 6, 6, 7, 8,
       8, 9, 9, 10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25},
      {1, 1, 1, 2, 2, 4, 4, 4, 5, 5, 5, 8, 9, 9, 10, 10, 11, 13, 14, 16,
       17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49},
      {1, 1, 2, 2, 4, 4, 6, 6, 8, 8, 8, 10, 12, 16, 12, 17, 16, 18, 21, 20,
       23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68},
      {1, 1, 2, 4, 4, 4, 5, 6, 8, 8, 11, 11, 16, 16, 18, 16, 19, 21, 25, 25,
       25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81},
  }};
  for (int level = 0; level < kQrErrorLevels; ++level) {
    for (int version = 1; version <= kQrMaxVersion; ++version) {
      const auto l = static_cast<std::size_t>(level);
      const auto v = static_cast<std::size_t>(version - 1);
      const int expected = TotalCodewords(version) - kEccPerBlock[l][v] * kBlocks[l][v];
      EXPECT_EQ(QrDataCapacity(kQrModel2, version, level), expected) << "version " << version << " level " << level;
    }
  }
}

TEST(QrEstimator, Model1Capacities) {
  struct Case {
    int version;
    std::array<int, 4> capacities;
  };
  static const Case kCases[] = {
      {1, {18, 15, 12, 8}}, {9, {245, 185, 155, 101}}, {26, {1399, 1088, 881, 593}}, {40, {3071, 2299, 1899, 1291}},
  };
  for (const Case& c : kCases) {
    for (int level = 0; level < kQrErrorLevels; ++level) {
      EXPECT_EQ(QrDataCapacity(kQrModel1, c.version, level), c.capacities[static_cast<std::size_t>(level)])
          << "version " << c.version << " level " << level;
    }
  }
  // Every level grows with the version and shrinks with the level.
  for (int version = 1; version <= kQrMaxVersion; ++version) {
    for (int level = 0; level < kQrErrorLevels; ++level) {
      if (version > 1) {
        EXPECT_GT(QrDataCapacity(kQrModel1, version, level), QrDataCapacity(kQrModel1, version - 1, level))
            << version << " " << level;
      }
      if (level > 0) {
        EXPECT_LT(QrDataCapacity(kQrModel1, version, level), QrDataCapacity(kQrModel1, version, level - 1))
            << version << " " << level;
      }
    }
  }
}

}  // namespace
}  // namespace render::fields
