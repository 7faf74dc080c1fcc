#include "render/fields/manual_field.h"

#include <gtest/gtest.h>

#include <string_view>

namespace render::fields {
namespace {

TEST(ManualInputCharCount, TextLengthBoundedByTheFreeDisplayPositions) {
  using namespace std::string_view_literals;
  struct Case {
    const char* name;
    std::uint8_t displayCharaNo;
    std::string_view line2;  // the 17-byte DisplayLine2 field
    unsigned inPos;
    std::size_t textLength;
    std::uint8_t expected;
  };
  static const Case kCases[] = {
      {"text shorter than the room", 0, "Qty:            \0"sv, 4, 5, 5},
      {"text longer than the room", 0, "Qty:            \0"sv, 4, 14, 12},
      {"text exactly the room", 0, "Qty:            \0"sv, 4, 12, 12},
      {"a set count is sent unchanged", 3, "Qty:            \0"sv, 4, 14, 3},
      {"a set count ignores the line", 20, "Qty:            \0"sv, 4, 5, 20},
      {"characters in the input area take room", 0, "Qty:    XX      \0"sv, 4, 14, 10},
      {"characters before the input start do not", 0, "Qty:            \0"sv, 0, 20, 12},
      {"positions after the line's NUL are free", 0, "Qty:\0\0\0\0\0\0\0\0\0\0\0\0\0"sv, 4, 14, 12},
      {"last position", 0, "               X\0"sv, 15, 3, 0},
      {"empty text", 0, "                \0"sv, 0, 0, 0},
      {"input start past the line", 0, "                \0"sv, 16, 5, 0},
      {"input start far past the line", 0, "                \0"sv, 40, 5, 0},
      {"a 255-byte text", 0, "                \0"sv, 0, 255, 16},
      {"a 256-byte text still gets the room", 0, "                \0"sv, 0, 256, 16},
      {"a 260-byte text is not cut to 4", 0, "                \0"sv, 0, 260, 16},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(ManualInputCharCount(c.displayCharaNo, c.line2, c.inPos, c.textLength), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace render::fields
