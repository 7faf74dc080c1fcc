#include "render/commands.h"

#include <cstring>

namespace render {

namespace {

// Runs `build` over a fresh command buffer.
template <typename Build>
Command Make(Build build) {
  Command command;
  CommandBuilder builder(command.bytes, sizeof command.bytes);
  build(builder);
  command.size = builder.Size();
  command.ok = builder.Ok();
  return command;
}

char Flag(bool on, char yes, char no) { return on ? yes : no; }

// Positions are signed in the driver but unsigned in the command: a value
// below zero or above the field never fits.
std::uint32_t Position(std::int64_t value) {
  return (value < 0 || value > 0xFFFFFFFFLL) ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

}  // namespace

Command YOffsetCommand(std::uint32_t dots) {
  return Make([&](CommandBuilder& b) { b.Stx().Text("A").Number(dots, 5).Etx(); });
}

Command CutQuantityCommand(std::uint32_t labels) {
  return Make([&](CommandBuilder& b) { b.Stx().Text("ECN").Number(labels, 2).Text("01").Etx(); });
}

Command PitchCommand(std::uint32_t dots) {
  return Make([&](CommandBuilder& b) { b.Stx().Text("4").Number(dots, 4).Text("01").Etx(); });
}

Command DivideCommand(bool divide) {
  return Make([&](CommandBuilder& b) { b.Stx().Text("EDN").Byte(Flag(divide, '2', '1')).Etx(); });
}

Command ErrorReprintCommand(bool reprint) {
  return Make([&](CommandBuilder& b) { b.Stx().Text("ERP").Byte(Flag(reprint, '1', '0')).Etx(); });
}

Command RibbonSaveCommand(bool save) {
  return Make([&](CommandBuilder& b) { b.Stx().Text("ERS").Byte(Flag(save, '1', '0')).Etx(); });
}

Command PageEndCommand(std::uint32_t copies, std::uint32_t pattern) {
  return Make([&](CommandBuilder& b) { b.Stx().Text("2").Esc().Text("P").Number(copies, 4).Number(pattern, 1).Etx(); });
}

Command CutCommand() {
  return Make([&](CommandBuilder& b) { b.Stx().Text("ECC0").Etx(); });
}

Command RasterHeaderCommand(bool runLength, std::uint32_t rows, std::uint32_t bytesPerRow) {
  return Make([&](CommandBuilder& b) {
    b.Stx().Byte(Flag(runLength, 'X', 'I')).Number(rows, 4).Number(bytesPerRow, 3);
  });
}

Command RasterEndCommand() {
  return Make([&](CommandBuilder& b) { b.Text("A").Etx(); });
}

Command RasterPlacementCommand(std::int64_t x, std::uint32_t bytesPerRow, std::uint32_t rows) {
  return Make([&](CommandBuilder& b) {
    b.Stx().Text("2").Esc().Text("IA").Text("00000000").Number(Position(x), 4).Text("0000");
    b.Number(bytesPerRow, 3).Number(rows, 4).Etx();
  });
}

Command BarcodeRatioCommand(const BarcodeRatio& r) {
  return Make([&](CommandBuilder& b) {
    b.Stx().Text("EBR").Byte(r.kind).Number(r.size, 1).Number(r.narrowBar, 2).Number(r.wideBar, 2);
    b.Number(r.narrowSpace, 2).Number(r.wideSpace, 2).Number(r.barGap, 2).Number(r.readableGap, 2).Etx();
  });
}

Command BarcodeFieldCommand(const BarcodeFieldArgs& a) {
  return Make([&](CommandBuilder& b) {
    b.Stx().Text("0").Esc().Text("B").Text("000").Number(a.dataLength, 2);
    b.Number(Position(a.x), 4).Number(Position(a.y), 4).Byte(a.kind).Number(a.rotation, 1);
    b.Number(a.size, 1).Number(a.heightMm, 2).Byte(Flag(a.readable, 'Y', 'N')).Etx();
  });
}

Command QrFieldCommand(std::uint32_t dataLength, std::int64_t x, std::int64_t y, std::uint32_t rotation) {
  return Make([&](CommandBuilder& b) {
    b.Stx().Text("0").Esc().Text("Q").Text("000").Number(dataLength, 4);
    b.Number(Position(x), 4).Number(Position(y), 4).Number(rotation, 1).Text("01").Text("01").Text("00").Text("0").Etx();
  });
}

Command QrSetupCommand(std::uint32_t cellDots, char errorLevel, std::uint32_t model) {
  return Make([&](CommandBuilder& b) {
    b.Stx().Text("EQR").Number(cellDots, 2).Byte(errorLevel).Text("A").Number(model, 1).Etx();
  });
}

Command CalendarFieldCommand(const CalendarFieldArgs& a) {
  return Make([&](CommandBuilder& b) {
    b.Stx().Text("0").Esc().Text("C").Text("000").Number(a.textLength, 2);
    b.Number(Position(a.x), 4).Number(Position(a.y), 4).Byte(a.characterType).Number(a.rotation, 1);
    b.Number(a.xMagnification, 1).Number(a.yMagnification, 1).Number(a.gap, 2).Etx();
  });
}

bool SendDataCommand(Output& out, char letter, const char* data, std::size_t length) {
  constexpr std::size_t kFraming = 8;  // STX "1" ESC letter "000" ... ETX
  const std::size_t size = length + kFraming;
  auto* buffer = static_cast<char*>(HeapAlloc(out.Heap(), 0, size));
  if (buffer == nullptr) return false;
  CommandBuilder b(buffer, size);
  b.Stx().Text("1").Esc().Byte(letter).Text("000").Bytes(data, length).Etx();
  const bool sent = b.Ok() && out.Write(b.Data(), b.Size());
  HeapFree(out.Heap(), 0, buffer);
  return sent;
}

bool Send(Output& out, const Command& command) { return command.ok && out.Write(command.bytes, command.size); }

}  // namespace render
