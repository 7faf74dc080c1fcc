// Assembles one printer command in a caller's buffer: STX, an ASCII body
// with fixed-width decimal number fields, ETX.
//
// A number that does not fit its field, or a command that does not fit the
// buffer, spoils the command: Ok() turns false and the command must not be
// sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace render {

inline constexpr char kStx = 0x02;
inline constexpr char kEtx = 0x03;
inline constexpr char kEsc = 0x1B;

class CommandBuilder {
 public:
  CommandBuilder(char* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {}

  CommandBuilder& Byte(char c);
  CommandBuilder& Text(std::string_view text);
  CommandBuilder& Bytes(const char* data, std::size_t length);
  // Unsigned decimal, left-padded with '0' to exactly `digits` characters.
  // Values are unsigned 32-bit: a negative number never fits.
  CommandBuilder& Number(std::uint32_t value, int digits);
  CommandBuilder& Stx() { return Byte(kStx); }
  CommandBuilder& Etx() { return Byte(kEtx); }
  CommandBuilder& Esc() { return Byte(kEsc); }

  bool Ok() const { return ok_; }
  std::size_t Size() const { return size_; }
  const char* Data() const { return buffer_; }

 private:
  char* buffer_;
  std::size_t capacity_;
  std::size_t size_ = 0;
  bool ok_ = true;
};

// Whether a value fits a number field of that many digits.
bool FitsDigits(std::int64_t value, int digits);

}  // namespace render
