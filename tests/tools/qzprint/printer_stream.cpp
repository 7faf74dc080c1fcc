#include "tests/tools/qzprint/printer_stream.h"

#include <algorithm>
#include <cstdio>

namespace qzprint_test {

namespace {

constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;

std::ptrdiff_t Offset(std::size_t at) { return static_cast<std::ptrdiff_t>(at); }

bool Number(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t digits, int* out) {
  if (at + digits > bytes.size()) return false;
  int value = 0;
  for (std::size_t i = at; i < at + digits; ++i) {
    if (bytes[i] < '0' || bytes[i] > '9') return false;
    value = value * 10 + (bytes[i] - '0');
  }
  *out = value;
  return true;
}

testing::AssertionResult Malformed(std::size_t offset, const std::string& what) {
  return testing::AssertionFailure() << "printer stream malformed at offset " << offset << ": " << what;
}

// The raster block starting at bytes[at] (its STX); moves `at` past it.
testing::AssertionResult ParseRaster(const std::vector<std::uint8_t>& bytes, std::size_t& at, Command* out) {
  Raster raster;
  raster.coding = static_cast<char>(bytes[at + 1]);
  if (!Number(bytes, at + 2, 4, &raster.rows) || !Number(bytes, at + 6, 3, &raster.bytesPerRow)) {
    return Malformed(at, "raster header");
  }
  out->body.assign(bytes.begin() + Offset(at + 1), bytes.begin() + Offset(at + 9));
  std::size_t pos = at + 9;
  const auto size = static_cast<std::size_t>(raster.rows) * static_cast<std::size_t>(raster.bytesPerRow);
  if (raster.coding == 'I') {
    if (pos + size > bytes.size()) return Malformed(pos, "raster data shorter than its header says");
    raster.bits.assign(bytes.begin() + Offset(pos), bytes.begin() + Offset(pos + size));
    pos += size;
  } else {
    for (;;) {
      if (pos + 2 > bytes.size()) return Malformed(pos, "run-length data without its end pair");
      const std::uint8_t count = bytes[pos];
      const std::uint8_t value = bytes[pos + 1];
      pos += 2;
      if (count == 0 && value == 0) break;
      if (count == 0) return Malformed(pos - 2, "run of length 0");
      raster.bits.insert(raster.bits.end(), count, value);
    }
    if (raster.bits.size() != size) {
      return Malformed(pos, "run-length data decode to " + std::to_string(raster.bits.size()) + " bytes, not " +
                                std::to_string(size));
    }
  }
  if (pos + 2 > bytes.size() || bytes[pos] != 'A' || bytes[pos + 1] != kEtx) {
    return Malformed(pos, "raster not closed by \"A\" ETX");
  }
  at = pos + 2;
  out->raster = std::move(raster);
  return testing::AssertionSuccess();
}

}  // namespace

bool Raster::AnyDot() const {
  return std::any_of(bits.begin(), bits.end(), [](std::uint8_t b) { return b != 0; });
}

testing::AssertionResult ParsePrinterStream(const std::vector<std::uint8_t>& bytes, std::vector<Command>* out) {
  out->clear();
  std::size_t at = 0;
  while (at < bytes.size()) {
    if (bytes[at] != kStx) return Malformed(at, "expected STX");
    if (at + 1 >= bytes.size()) return Malformed(at, "STX at the end");
    Command command;
    if (bytes[at + 1] == 'I' || bytes[at + 1] == 'X') {
      if (testing::AssertionResult r = ParseRaster(bytes, at, &command); !r) return r;
    } else {
      const auto etx = std::find(bytes.begin() + Offset(at + 1), bytes.end(), kEtx);
      if (etx == bytes.end()) return Malformed(at, "command without ETX");
      command.body.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at + 1), etx);
      at = static_cast<std::size_t>(etx - bytes.begin()) + 1;
    }
    out->push_back(std::move(command));
  }
  return testing::AssertionSuccess();
}

std::vector<std::string> Bodies(const std::vector<Command>& commands) {
  std::vector<std::string> bodies;
  for (const Command& c : commands) bodies.push_back(c.raster ? "raster" : c.body);
  return bodies;
}

std::vector<std::string> PageSequence(const std::vector<Command>& commands) {
  const std::string pageEndStart = std::string("2") + kEsc + "P";
  std::vector<std::string> sequence;
  for (const Command& c : commands) {
    if (c.raster) {
      sequence.push_back("raster");
    } else if (c.body.rfind(pageEndStart, 0) == 0 || c.body == kCut) {
      sequence.push_back(c.body);
    }
  }
  return sequence;
}

std::vector<Raster> Rasters(const std::vector<Command>& commands) {
  std::vector<Raster> rasters;
  for (const Command& c : commands) {
    if (c.raster) rasters.push_back(*c.raster);
  }
  return rasters;
}

std::string PageEnd(int copies, int pattern) {
  char text[16];
  std::snprintf(text, sizeof text, "2%cP%04d%d", kEsc, copies, pattern);
  return text;
}

}  // namespace qzprint_test
