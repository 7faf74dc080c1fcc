#include "render/fields/manual_field.h"

#include <algorithm>

namespace render::fields {

std::uint8_t ManualInputCharCount(std::uint8_t displayCharaNo, std::string_view displayLine2,
                                  unsigned displayInPos, std::size_t textLength) {
  if (displayCharaNo != 0) return displayCharaNo;
  const auto wanted = static_cast<unsigned>(std::min<std::size_t>(textLength, 255));
  if (displayInPos >= kDisplayLineLength) return 0;

  const std::string_view line = displayLine2.substr(0, std::min(displayLine2.find('\0'), kDisplayLineLength));
  unsigned free = static_cast<unsigned>(kDisplayLineLength) - displayInPos;
  for (std::size_t i = displayInPos; i < line.size(); ++i) {
    if (line[i] != ' ') --free;
  }
  return static_cast<std::uint8_t>(free < wanted ? free : wanted);
}

}  // namespace render::fields
