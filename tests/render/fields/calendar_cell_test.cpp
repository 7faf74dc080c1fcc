#include "render/fields/calendar_cell.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>

namespace render::fields {
namespace {

struct CellCase {
  int kind;
  int dotsPerMm;
  bool jw7120;
  int width;
  int height;
};

TEST(CalendarCell, DotsPerKindDensityAndModel) {
  static const CellCase kCases[] = {
      // 8 dots/mm: the cells the UI shows, 'S' 14 x 16 .. '5' 37 x 40.
      {0, 8, false, 14, 16}, {1, 8, false, 16, 24}, {2, 8, false, 16, 28}, {3, 8, false, 16, 36},
      {4, 8, false, 18, 20}, {5, 8, false, 23, 24}, {6, 8, false, 25, 28}, {7, 8, false, 30, 32},
      {8, 8, false, 33, 36}, {9, 8, false, 37, 40},
      // The JW7120 cells apply at 12 dots/mm only.
      {0, 8, true, 14, 16},
      {0, 12, true, 14, 16},   // 14.04, 15.96
      {4, 12, true, 25, 30},   // 24.996
      {9, 12, true, 54, 60},
      {0, 12, false, 21, 25},  // 24.96
      {3, 12, false, 24, 53},  // 52.92
      {8, 12, false, 50, 54},  // 50.04
      {0, 24, false, 42, 48},
  };
  for (const CellCase& c : kCases) {
    const std::optional<CellDots> cell = CalendarCellDots(c.kind, c.dotsPerMm, c.jw7120);
    ASSERT_TRUE(cell) << c.kind;
    EXPECT_EQ(cell->width, c.width) << "kind " << c.kind << " at " << c.dotsPerMm << (c.jw7120 ? " JW7120" : "");
    EXPECT_EQ(cell->height, c.height) << "kind " << c.kind << " at " << c.dotsPerMm << (c.jw7120 ? " JW7120" : "");
  }
  EXPECT_FALSE(CalendarCellDots(-1, 8, false));
  EXPECT_FALSE(CalendarCellDots(10, 8, false));
  EXPECT_FALSE(CalendarCellDots(0, 0, false));
}

TEST(ManualCell, DotsPerKindDensityAndModel) {
  static const CellCase kCases[] = {
      {0, 8, false, 7, 9},      {1, 8, false, 14, 16},  {4, 8, false, 16, 36}, {10, 8, false, 37, 40},
      {0, 12, true, 7, 9},      // 6.996, 9.0
      {1, 12, true, 14, 16},    {0, 12, false, 12, 14},  // 14.04
      {4, 12, false, 24, 53},   {10, 12, false, 54, 60},
  };
  for (const CellCase& c : kCases) {
    const std::optional<CellDots> cell = ManualCellDots(c.kind, c.dotsPerMm, c.jw7120);
    ASSERT_TRUE(cell) << c.kind;
    EXPECT_EQ(cell->width, c.width) << "kind " << c.kind << " at " << c.dotsPerMm << (c.jw7120 ? " JW7120" : "");
    EXPECT_EQ(cell->height, c.height) << "kind " << c.kind << " at " << c.dotsPerMm << (c.jw7120 ? " JW7120" : "");
  }
  EXPECT_FALSE(ManualCellDots(11, 8, false));
  EXPECT_FALSE(ManualCellDots(-1, 8, false));
}

TEST(CalendarCell, KindCharacters) {
  static constexpr std::string_view kChars = "SMLB012345";
  for (int kind = 0; kind < kCalendarKindCount; ++kind) {
    EXPECT_EQ(CalendarKindChar(kind), kChars[static_cast<std::size_t>(kind)]) << kind;
  }
  EXPECT_FALSE(CalendarKindChar(10));
  EXPECT_FALSE(CalendarKindChar(-1));
}

TEST(CalendarCell, Jw7120NameMatchesExactly) {
  struct NameCase {
    std::u16string_view name;  // stored in a 32-character field, rest zero
    bool expected;
  };
  static const NameCase kCases[] = {
      {u"JW7120", true}, {u"JW7120A", false}, {u"jw7120", false}, {u"JW712", false},
      {u"JW7120 ", false}, {u"", false},
  };
  for (const NameCase& c : kCases) {
    std::array<WCHAR, 32> field{};
    std::copy(c.name.begin(), c.name.end(), field.begin());
    EXPECT_EQ(IsJw7120DeviceName(field.data(), field.size()), c.expected) << c.name.size();
  }
  // Without a terminating NUL inside the field the name is not "JW7120".
  const std::array<WCHAR, 6> unterminated = {u'J', u'W', u'7', u'1', u'2', u'0'};
  EXPECT_FALSE(IsJw7120DeviceName(unterminated.data(), unterminated.size()));
  EXPECT_FALSE(IsJw7120DeviceName(nullptr, 32));
}

}  // namespace
}  // namespace render::fields
