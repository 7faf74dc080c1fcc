// The number of input characters a manual-input field asks the keyboard
// terminal for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace render::fields {

inline constexpr std::size_t kDisplayLineLength = 16;  // characters of a terminal display line

// DisplayCharaNo as sent: a nonzero `displayCharaNo` unchanged; for 0, the
// field text's length, but no more than the free positions of the lower
// display line from `displayInPos` on (16 - displayInPos less its non-space
// characters there). `displayLine2` is DisplayLine2; a NUL ends it, and the
// positions from the NUL on are free.
//
// Values the record byte cannot carry: a text of 256 bytes or more counts
// as 255 characters, so it always gets the free positions (never its length
// modulo 256, which could be 0); a `displayInPos` of 16 or more leaves no
// free position and gives 0.
std::uint8_t ManualInputCharCount(std::uint8_t displayCharaNo, std::string_view displayLine2,
                                  unsigned displayInPos, std::size_t textLength);

}  // namespace render::fields
