#pragma once
// Bounds-checked cursor over a job's bytes. Every read either succeeds or
// throws a DecodeError naming the offset and the thing that was expected, so
// the decoders never index past the end of their input.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "decode_error.hpp"

namespace labelsim {

// Renders one byte for a diagnostic: 0x41 'A', or 0x03 for non-printables.
std::string describe_byte(std::uint8_t b);

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes, std::size_t offset = 0)
        : bytes_(bytes), pos_(offset) {}

    std::size_t offset() const noexcept { return pos_; }
    std::size_t size() const noexcept { return bytes_.size(); }
    std::size_t remaining() const noexcept { return bytes_.size() - pos_; }
    bool at_end() const noexcept { return pos_ >= bytes_.size(); }
    std::span<const std::uint8_t> bytes() const noexcept { return bytes_; }

    // Byte `ahead` positions after the cursor; only valid when remaining() > ahead.
    std::uint8_t peek(std::size_t ahead = 0) const { return bytes_[pos_ + ahead]; }

    // Throws "stream ends ... while reading <what>" unless n bytes remain.
    void need(std::size_t n, std::string_view what) const;

    std::uint8_t byte(std::string_view what);
    std::span<const std::uint8_t> take(std::size_t n, std::string_view what);
    void skip(std::size_t n, std::string_view what) { (void)take(n, what); }

    // A decimal number field of exactly `width` ASCII digits.
    std::uint32_t number(int width, std::string_view what);
    // One byte that must equal `expected`.
    void expect(std::uint8_t expected, std::string_view what);
    // A run of literal characters, e.g. the constant "000" of a field command.
    void literal(std::string_view text, std::string_view what);
    // One byte out of `allowed`; returns it.
    char one_of(std::string_view allowed, std::string_view what);

    // Little-endian integers of the keyboard-terminal records.
    std::uint32_t u32le(std::string_view what);
    std::int32_t i32le(std::string_view what);

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_;
};

}  // namespace labelsim
