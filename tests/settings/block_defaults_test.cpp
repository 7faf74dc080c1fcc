// Defaults of the barcode, calendar and variable-input blocks: every entry
// the same, every byte not named zero.
#include <gtest/gtest.h>

#include <cstring>

#include "settings/block_defaults.h"

namespace settings {
namespace {

template <typename Block, typename Entry>
void ExpectEveryEntry(const Block& block, const Entry& expected) {
  for (int i = 0; i < kLabelCount; ++i) {
    EXPECT_EQ(std::memcmp(&block.Entry[i], &expected, sizeof(Entry)), 0) << "entry " << i;
  }
}

TEST(BlockDefaultsTest, BarColorOpt) {
  BarColorOpt block;
  std::memset(&block, 0xAA, sizeof(block));
  DefaultBarColorOpt(&block);
  BarColorEntry expected{};
  expected.BarCodeLength = 8;
  expected.BarCodeNumShow = 1;
  ExpectEveryEntry(block, expected);
}

TEST(BlockDefaultsTest, CalendarOptWithEmptyTableDir) {
  CalendarOpt block;
  std::memset(&block, 0xAA, sizeof(block));
  DefaultCalendarOpt(&block);
  CalendarEntry expected{};
  expected.CalendarKind = 2;
  expected.CalendarGap = 2;
  ExpectEveryEntry(block, expected);
  for (WCHAR c : block.TableDir) ASSERT_EQ(c, 0);
}

TEST(BlockDefaultsTest, VariableOptWithBlankDisplayLines) {
  VariableOpt block;
  std::memset(&block, 0xAA, sizeof(block));
  DefaultVariableOpt(&block);
  VariableEntry expected{};
  std::memcpy(expected.DisplayLine1, "                ", 17);
  std::memcpy(expected.DisplayLine2, "                ", 17);
  expected.ManualKind = 3;
  expected.ManualGap = 2;
  ExpectEveryEntry(block, expected);
}

}  // namespace
}  // namespace settings
