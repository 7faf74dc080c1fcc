#include "byte_reader.hpp"

#include <cstdio>

namespace labelsim {

std::string describe_byte(std::uint8_t b) {
    char buf[16];
    if (b >= 0x20 && b < 0x7F) {
        std::snprintf(buf, sizeof buf, "0x%02X '%c'", b, static_cast<char>(b));
    } else {
        std::snprintf(buf, sizeof buf, "0x%02X", b);
    }
    return buf;
}

void ByteReader::need(std::size_t n, std::string_view what) const {
    if (remaining() < n) {
        throw DecodeError(size(), "stream ends while reading " + std::string(what) + " (needs " +
                                      std::to_string(n) + " byte" + (n == 1 ? "" : "s") +
                                      " from offset " + std::to_string(pos_) + ", " +
                                      std::to_string(remaining()) + " left)");
    }
}

std::uint8_t ByteReader::byte(std::string_view what) {
    need(1, what);
    return bytes_[pos_++];
}

std::span<const std::uint8_t> ByteReader::take(std::size_t n, std::string_view what) {
    need(n, what);
    auto out = bytes_.subspan(pos_, n);
    pos_ += n;
    return out;
}

std::uint32_t ByteReader::number(int width, std::string_view what) {
    const std::size_t start = pos_;
    const auto w = static_cast<std::size_t>(width);
    need(w, std::string(what) + " (" + std::to_string(width) + "-digit number)");
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < w; ++i) {
        const std::uint8_t c = bytes_[start + i];
        if (c < '0' || c > '9') {
            throw DecodeError(start + i, std::string(what) + ": expected " + std::to_string(width) +
                                             " ASCII digits, found " + describe_byte(c));
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    pos_ += w;
    return value;
}

void ByteReader::expect(std::uint8_t expected, std::string_view what) {
    const std::size_t at = pos_;
    const std::uint8_t c = byte(what);
    if (c != expected) {
        throw DecodeError(at, "expected " + std::string(what) + " (" + describe_byte(expected) +
                                  "), found " + describe_byte(c));
    }
}

void ByteReader::literal(std::string_view text, std::string_view what) {
    need(text.size(), what);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::uint8_t c = bytes_[pos_ + i];
        if (c != static_cast<std::uint8_t>(text[i])) {
            throw DecodeError(pos_ + i, "expected " + std::string(what) + " \"" + std::string(text) +
                                            "\", found " + describe_byte(c) + " at its character " +
                                            std::to_string(i + 1));
        }
    }
    pos_ += text.size();
}

char ByteReader::one_of(std::string_view allowed, std::string_view what) {
    const std::size_t at = pos_;
    const std::uint8_t c = byte(what);
    if (allowed.find(static_cast<char>(c)) == std::string_view::npos || c == 0) {
        throw DecodeError(at, std::string(what) + ": expected one of \"" + std::string(allowed) +
                                  "\", found " + describe_byte(c));
    }
    return static_cast<char>(c);
}

std::uint32_t ByteReader::u32le(std::string_view what) {
    auto b = take(4, what);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::int32_t ByteReader::i32le(std::string_view what) {
    return static_cast<std::int32_t>(u32le(what));
}

}  // namespace labelsim
