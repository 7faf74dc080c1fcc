#pragma once
// Decoder of the keyboard-terminal record stream: "KT", a 14-byte terminal
// header, then length-prefixed little-endian records (1 barcode or 2D code,
// 2 raster header, 3 raster row, 4 calendar, 5 manual input). A page ends
// when its image (raster header and all its rows) is complete. Page end and
// cut printer commands between records are accepted and reported.

#include <cstdint>
#include <span>

#include "stream_model.hpp"

namespace labelsim {

inline constexpr std::uint32_t kKtHeaderLength = 14;
inline constexpr std::uint32_t kKtFieldRecordLength = 7119;
inline constexpr std::uint32_t kKtRasterHeaderLength = 21;
inline constexpr std::uint32_t kKtCalendarRecordLength = 89;
inline constexpr std::uint32_t kKtManualRecordLength = 1078;
inline constexpr std::uint32_t kKtRowOverhead = 9;
inline constexpr std::size_t kKtMaxFieldData = 3000;

DecodeResult decode_keyboard_terminal_stream(std::span<const std::uint8_t> bytes);

}  // namespace labelsim
