#include "raster.hpp"

#include <bit>
#include <string>

#include "byte_reader.hpp"
#include "decode_error.hpp"

namespace labelsim {

RunLengthResult decode_run_length(std::span<const std::uint8_t> stream, std::size_t offset,
                                  std::size_t expected) {
    RunLengthResult out;
    ByteReader r(stream, offset);
    bool have_prev = false;
    std::uint8_t prev_count = 0;
    std::uint8_t prev_value = 0;
    for (;;) {
        const std::size_t at = r.offset();
        r.need(2, "a run-length pair (block of " + std::to_string(expected) + " bytes, " +
                      std::to_string(out.bytes.size()) + " decoded)");
        const std::uint8_t count = r.byte("run-length count");
        const std::uint8_t value = r.byte("run-length value");
        if (count == 0) {
            if (value != 0) {
                throw DecodeError(at, "run-length pair with count 0 and value " + describe_byte(value) +
                                          ": only the end pair (0, 0) may have count 0");
            }
            if (out.bytes.size() != expected) {
                throw DecodeError(at, "run-length end pair after " + std::to_string(out.bytes.size()) +
                                          " of the block's " + std::to_string(expected) + " bytes");
            }
            out.consumed = r.offset() - offset;
            return out;
        }
        if (count > expected - out.bytes.size()) {
            throw DecodeError(at, "run-length pair (" + std::to_string(count) + ", " + describe_byte(value) +
                                      ") decodes past the block: " + std::to_string(out.bytes.size()) +
                                      " of " + std::to_string(expected) + " bytes already decoded");
        }
        if (have_prev && prev_value == value && prev_count < 255) {
            if (out.split_runs == 0) out.first_split_offset = at;
            ++out.split_runs;
        }
        out.bytes.insert(out.bytes.end(), count, value);
        ++out.pairs;
        have_prev = true;
        prev_count = count;
        prev_value = value;
    }
}

std::size_t count_black_dots(std::span<const std::uint8_t> bits) {
    std::size_t n = 0;
    for (std::uint8_t b : bits) n += static_cast<std::size_t>(std::popcount(b));
    return n;
}

}  // namespace labelsim
