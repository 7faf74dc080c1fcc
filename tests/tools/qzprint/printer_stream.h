// Splitting a printer command stream into its commands, for assertions on
// what the driver sent: STX <body> ETX commands, and raster blocks
// (STX 'I'|'X' rows:4 bytes:3, data, "A" ETX) with their rows decoded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qzprint_test {

inline constexpr char kEsc = '\x1b';

struct Raster {
  char coding = 'I';  // 'I' plain, 'X' run-length
  int rows = 0;
  int bytesPerRow = 0;
  std::vector<std::uint8_t> bits;  // rows * bytesPerRow, top row first, 1 = dot

  bool AnyDot() const;
  std::uint8_t Byte(int row, int column) const { return bits[static_cast<std::size_t>(row * bytesPerRow + column)]; }
};

struct Command {
  std::string body;  // for a raster block its header: "I0240050"
  std::optional<Raster> raster;
};

// Fails (with the offset) when the bytes are not a sequence of commands.
testing::AssertionResult ParsePrinterStream(const std::vector<std::uint8_t>& bytes, std::vector<Command>* out);

// The bodies in order, rasters as "raster".
std::vector<std::string> Bodies(const std::vector<Command>& commands);

// What ends pages: the rasters ("raster"), page ends and cuts, in order;
// the job header, placements and field commands left out.
std::vector<std::string> PageSequence(const std::vector<Command>& commands);

// The rasters of the stream in order.
std::vector<Raster> Rasters(const std::vector<Command>& commands);

// A page end command body: "2" ESC "P" copies:4 pattern:1.
std::string PageEnd(int copies, int pattern);
inline constexpr char kCut[] = "ECC0";

}  // namespace qzprint_test
