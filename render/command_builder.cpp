#include "render/command_builder.h"

#include <cstring>

namespace render {

namespace {
constexpr std::uint32_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};
}  // namespace

bool FitsDigits(std::int64_t value, int digits) {
  if (value < 0 || digits < 1 || digits > 9) return false;
  return value < static_cast<std::int64_t>(kPowersOfTen[digits]);
}

CommandBuilder& CommandBuilder::Byte(char c) { return Bytes(&c, 1); }

CommandBuilder& CommandBuilder::Text(std::string_view text) { return Bytes(text.data(), text.size()); }

CommandBuilder& CommandBuilder::Bytes(const char* data, std::size_t length) {
  if (!ok_ || length > capacity_ - size_) {
    ok_ = false;
    return *this;
  }
  if (length != 0) std::memcpy(buffer_ + size_, data, length);
  size_ += length;
  return *this;
}

CommandBuilder& CommandBuilder::Number(std::uint32_t value, int digits) {
  if (!FitsDigits(value, digits)) {
    ok_ = false;
    return *this;
  }
  char text[9];
  for (int i = digits - 1; i >= 0; --i) {
    text[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return Bytes(text, static_cast<std::size_t>(digits));
}

}  // namespace render
