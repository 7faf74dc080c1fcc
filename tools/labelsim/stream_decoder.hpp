#pragma once
// Decoder of the printer command stream: STX <body> ETX commands with fixed
// width decimal number fields, and raster blocks (STX 'I'|'X' r:4 b:3, data,
// "A" ETX). Checks framing, every number field, the constant characters and
// the order in which field commands must follow each other.

#include <cstdint>
#include <span>

#include "byte_reader.hpp"
#include "stream_model.hpp"

namespace labelsim {

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kEsc = 0x1B;

DecodeResult decode_printer_stream(std::span<const std::uint8_t> bytes);

// Parses the page end or cut command whose STX is at the reader's position
// (these are the only printer commands that may appear between keyboard-
// terminal records). Throws DecodeError for anything else.
Command parse_page_control_command(ByteReader& r);

}  // namespace labelsim
