// The printer command catalogue. Each function builds one complete command;
// a command whose number does not fit its field comes back not Ok() and is
// never sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "render/command_builder.h"
#include "render/output.h"

namespace render {

struct Command {
  char bytes[64];
  std::size_t size = 0;
  bool ok = false;

  std::string_view View() const { return {bytes, size}; }
};

// Job header.
Command YOffsetCommand(std::uint32_t dots);            // STX "A" n:5 ETX
Command CutQuantityCommand(std::uint32_t labels);      // STX "ECN" n:2 "01" ETX
Command PitchCommand(std::uint32_t dots);              // STX "4" n:4 "01" ETX
Command DivideCommand(bool divide);                    // STX "EDN" '2'|'1' ETX
Command ErrorReprintCommand(bool reprint);             // STX "ERP" '1'|'0' ETX
Command RibbonSaveCommand(bool save);                  // STX "ERS" '1'|'0' ETX
// Page end and cut.
Command PageEndCommand(std::uint32_t copies, std::uint32_t pattern);  // STX "2" ESC "P" n:4 p:1 ETX
Command CutCommand();                                  // STX "ECC0" ETX
// Raster block parts and placement.
Command RasterHeaderCommand(bool runLength, std::uint32_t rows, std::uint32_t bytesPerRow);  // STX t r:4 b:3
Command RasterEndCommand();                            // "A" ETX
Command RasterPlacementCommand(std::int64_t x, std::uint32_t bytesPerRow, std::uint32_t rows);
// Field commands.
struct BarcodeRatio {
  char kind;
  std::uint32_t size, narrowBar, wideBar, narrowSpace, wideSpace, barGap, readableGap;
};
Command BarcodeRatioCommand(const BarcodeRatio& ratio);
struct BarcodeFieldArgs {
  std::uint32_t dataLength;
  std::int64_t x, y;
  char kind;
  std::uint32_t rotation, size, heightMm;
  bool readable;
};
Command BarcodeFieldCommand(const BarcodeFieldArgs& args);
Command QrFieldCommand(std::uint32_t dataLength, std::int64_t x, std::int64_t y, std::uint32_t rotation);
Command QrSetupCommand(std::uint32_t cellDots, char errorLevel, std::uint32_t model);
struct CalendarFieldArgs {
  std::uint32_t textLength;
  std::int64_t x, y;
  char characterType;
  std::uint32_t rotation, xMagnification, yMagnification, gap;
};
Command CalendarFieldCommand(const CalendarFieldArgs& args);

// The data commands carry the field's bytes: STX "1" ESC letter "000" data
// ETX, with letter 'B' (barcode), 'Q' (2D code) or 'C' (calendar). Built in
// a block of the output's heap and written at once.
bool SendDataCommand(Output& out, char letter, const char* data, std::size_t length);

// Writes a fixed command; false when it is spoiled or the write fails.
bool Send(Output& out, const Command& command);

}  // namespace render
