#pragma once
// Page images as the printer receives them: rows of packed dots, top row
// first, most significant bit = leftmost dot, 1 = black. Also the run-length
// code of compressed raster blocks: (count, value) pairs, 1 <= count <= 255,
// ended by the pair (0, 0).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace labelsim {

struct RasterImage {
    std::uint32_t rows = 0;
    std::uint32_t bytes_per_row = 0;
    std::vector<std::uint8_t> bits;  // rows * bytes_per_row bytes once complete

    std::uint64_t width_dots() const { return std::uint64_t{bytes_per_row} * 8; }
};

struct RunLengthResult {
    std::vector<std::uint8_t> bytes;  // exactly the expected count
    std::size_t consumed = 0;         // stream bytes including the end pair
    std::size_t pairs = 0;            // data pairs, without the end pair
    // Runs that were split although they could have continued: a pair whose
    // count is below 255 followed by a pair of the same value. A conforming
    // encoder never produces them; the decoder reports the first one.
    std::size_t split_runs = 0;
    std::size_t first_split_offset = 0;
};

// Decodes the run-length data that starts at `offset` of `stream` and must
// expand to exactly `expected` bytes. Throws DecodeError (with the offset of
// the offending pair) when a pair would write past the block, when a count of
// 0 carries a nonzero value, when the end pair comes early, or when the
// stream ends before the end pair. Memory grows with the input, never with
// the claimed block size alone.
RunLengthResult decode_run_length(std::span<const std::uint8_t> stream, std::size_t offset,
                                  std::size_t expected);

// Number of 1 bits.
std::size_t count_black_dots(std::span<const std::uint8_t> bits);

}  // namespace labelsim
