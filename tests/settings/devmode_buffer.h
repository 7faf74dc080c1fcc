// A DEVMODE held in a heap buffer of exactly the capacity its owner has, so
// that AddressSanitizer catches any access past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "settings/records.h"

namespace settings_test {

class DevmodeBuffer {
 public:
  // A record of `size` public and `extra` private bytes in a buffer of
  // `capacity` bytes (default: exactly size + extra), all bytes `fill`.
  // Header fields that lie beyond the capacity are not written.
  DevmodeBuffer(WORD size, WORD extra, WORD specVersion, std::size_t capacity = SIZE_MAX,
                std::uint8_t fill = 0)
      : bytes_(capacity == SIZE_MAX ? std::size_t{size} + extra : capacity, fill) {
    Put16(offsetof(DEVMODEW, dmSpecVersion), specVersion);
    Put16(offsetof(DEVMODEW, dmDriverVersion), 0x0100);
    Put16(offsetof(DEVMODEW, dmSize), size);
    Put16(offsetof(DEVMODEW, dmDriverExtra), extra);
  }

  // A buffer of `capacity` bytes, all `fill`, with no header written: an
  // output buffer before anything is written to it.
  static DevmodeBuffer Blank(std::size_t capacity, std::uint8_t fill) {
    DevmodeBuffer buffer;
    buffer.bytes_.assign(capacity, fill);
    return buffer;
  }

  DEVMODEW* dm() { return reinterpret_cast<DEVMODEW*>(bytes_.data()); }
  std::uint8_t* data() { return bytes_.data(); }
  std::size_t capacity() const { return bytes_.size(); }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  void Put16(std::size_t offset, WORD value) {
    if (offset + 2 <= bytes_.size()) std::memcpy(&bytes_[offset], &value, 2);
  }

  // The private part at dmSize as the driver's record; the buffer must hold
  // all 52 bytes at that place.
  settings::PrivateOpt* Private() {
    return reinterpret_cast<settings::PrivateOpt*>(bytes_.data() + dm()->dmSize);
  }

 private:
  DevmodeBuffer() = default;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace settings_test
