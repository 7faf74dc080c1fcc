// Records for the keyboard terminal, the operator device that stores a
// label under a file name and asks for the variable data when it prints.
// Raw little-endian records; each but the first begins with its own length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/output.h"
#include "settings/records.h"

namespace render {

inline constexpr std::uint32_t kTerminalHeaderSize = 14;
inline constexpr std::uint32_t kTerminalBarcodeSize = 7119;
inline constexpr std::uint32_t kTerminalRasterHeaderSize = 21;
inline constexpr std::uint32_t kTerminalRasterRowOverhead = 9;
inline constexpr std::uint32_t kTerminalCalendarSize = 89;
inline constexpr std::uint32_t kTerminalManualSize = 1078;

// "KT", then the header record carrying the job's file name (at most eight
// characters and a NUL).
bool SendTerminalHeader(Output& out, const char (&fileName)[9]);
// Type 1: a barcode or 2D code with its settings and data (at most 3000 bytes).
bool SendTerminalBarcode(Output& out, std::int32_t x, std::int32_t y, const settings::BarColorEntry& entry,
                         const char* data, std::size_t length);
// Type 2 and one type 3 record per row, top row first.
bool SendTerminalRaster(Output& out, std::int32_t x, const std::uint8_t* rows, std::uint32_t rowCount,
                        std::uint32_t bytesPerRow);
// Type 4: a calendar field's settings; the terminal computes the date.
bool SendTerminalCalendar(Output& out, std::int32_t x, std::int32_t y, const settings::CalendarEntry& entry);
// Type 5: a manual-input field with its prompt settings and placeholder text.
bool SendTerminalManual(Output& out, std::int32_t x, std::int32_t y, const settings::VariableEntry& entry,
                        const char* text, std::size_t length);

}  // namespace render
