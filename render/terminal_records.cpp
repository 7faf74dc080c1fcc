#include "render/terminal_records.h"

#include <cstring>

namespace render {

namespace {

constexpr std::size_t kBarcodeDataMax = 3000;
constexpr std::size_t kManualTextMax = 1023;

void PutU32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A zero-filled record from the heap, its length and type already in place.
class Record {
 public:
  Record(Output& out, std::uint32_t size, std::uint8_t type) : out_(out), size_(size) {
    bytes_ = static_cast<std::uint8_t*>(HeapAlloc(out.Heap(), HEAP_ZERO_MEMORY, size));
    if (bytes_ != nullptr) {
      PutU32(bytes_, size);
      bytes_[4] = type;
    }
  }
  ~Record() {
    if (bytes_ != nullptr) HeapFree(out_.Heap(), 0, bytes_);
  }
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;

  bool Ok() const { return bytes_ != nullptr; }
  std::uint8_t* At(std::size_t offset) { return bytes_ + offset; }
  bool Send() { return bytes_ != nullptr && out_.Write(bytes_, size_); }

 private:
  Output& out_;
  std::uint32_t size_;
  std::uint8_t* bytes_ = nullptr;
};

// Length, type, x and y: the common start of the field records.
constexpr std::size_t kFieldPayload = 13;

bool StartField(Record& record, std::int32_t x, std::int32_t y) {
  if (!record.Ok()) return false;
  PutU32(record.At(5), static_cast<std::uint32_t>(x));
  PutU32(record.At(9), static_cast<std::uint32_t>(y));
  return true;
}

}  // namespace

bool SendTerminalHeader(Output& out, const char (&fileName)[9]) {
  std::uint8_t record[kTerminalHeaderSize] = {};
  PutU32(record, kTerminalHeaderSize);
  record[4] = 0;
  // The name ends at its NUL; a name that fills all nine bytes is cut to eight.
  std::size_t length = 0;
  while (length < 8 && fileName[length] != 0) ++length;
  std::memcpy(record + 5, fileName, length);
  return out.Write("KT", 2) && out.Write(record, sizeof record);
}

bool SendTerminalBarcode(Output& out, std::int32_t x, std::int32_t y, const settings::BarColorEntry& entry,
                         const char* data, std::size_t length) {
  if (length > kBarcodeDataMax) return false;
  Record record(out, kTerminalBarcodeSize, 1);
  if (!StartField(record, x, y)) return false;
  std::memcpy(record.At(kFieldPayload), &entry, sizeof entry);
  std::memcpy(record.At(kFieldPayload + sizeof entry), data, length);
  return record.Send();
}

bool SendTerminalRaster(Output& out, std::int32_t x, const std::uint8_t* rows, std::uint32_t rowCount,
                        std::uint32_t bytesPerRow) {
  {
    Record header(out, kTerminalRasterHeaderSize, 2);
    if (!header.Ok()) return false;
    PutU32(header.At(5), static_cast<std::uint32_t>(x));
    PutU32(header.At(9), 0);
    PutU32(header.At(13), bytesPerRow);
    PutU32(header.At(17), rowCount);
    if (!header.Send()) return false;
  }
  if (bytesPerRow > 0xFFFFFFFFu - kTerminalRasterRowOverhead) return false;
  Record row(out, bytesPerRow + kTerminalRasterRowOverhead, 3);
  if (!row.Ok()) return false;
  PutU32(row.At(5), bytesPerRow);
  for (std::uint32_t r = 0; r < rowCount; ++r) {
    std::memcpy(row.At(kTerminalRasterRowOverhead), rows + std::size_t{r} * bytesPerRow, bytesPerRow);
    if (!row.Send()) return false;
  }
  return true;
}

bool SendTerminalCalendar(Output& out, std::int32_t x, std::int32_t y, const settings::CalendarEntry& entry) {
  Record record(out, kTerminalCalendarSize, 4);
  if (!StartField(record, x, y)) return false;
  std::memcpy(record.At(kFieldPayload), &entry, sizeof entry);
  return record.Send();
}

bool SendTerminalManual(Output& out, std::int32_t x, std::int32_t y, const settings::VariableEntry& entry,
                        const char* text, std::size_t length) {
  if (length > kManualTextMax) return false;
  Record record(out, kTerminalManualSize, 5);
  if (!StartField(record, x, y)) return false;
  std::memcpy(record.At(kFieldPayload), &entry, sizeof entry);
  std::memcpy(record.At(kFieldPayload + sizeof entry), text, length);
  return record.Send();
}

}  // namespace render
