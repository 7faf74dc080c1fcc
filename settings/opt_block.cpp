// Reading and writing the option blocks as printer data.
#include "settings/opt_block.h"

#include <cstring>
#include <string>

namespace settings {
namespace {

constexpr WCHAR kPrintersKey[] = WSTR("System\\CurrentControlSet\\Control\\Print\\Printers\\");
constexpr WCHAR kDriverDataSubkey[] = WSTR("\\PrinterDriverData");

// The spooler's printer-data calls take non-const names and data although
// they only read them.
LPWSTR Mutable(const WCHAR* text) { return const_cast<LPWSTR>(text); }
LPBYTE Mutable(const BYTE* bytes) { return const_cast<LPBYTE>(bytes); }

bool WriteThroughSpooler(HANDLE printer, const OptBlockInfo& info, const BYTE* bytes, DWORD size) {
  BYTE sizeValue[sizeof(DWORD)];
  StoreLe32(sizeValue, size);
  if (SetPrinterDataW(printer, Mutable(info.sizeValue), REG_DWORD, sizeValue, sizeof(sizeValue)) !=
      ERROR_SUCCESS) {
    return false;
  }
  return SetPrinterDataW(printer, Mutable(info.dataValue), REG_BINARY, Mutable(bytes), size) == ERROR_SUCCESS;
}

bool WriteThroughRegistry(const WCHAR* printerName, const OptBlockInfo& info, const BYTE* bytes, DWORD size) {
  if (printerName == nullptr || printerName[0] == 0) return false;
  std::basic_string<WCHAR> path = kPrintersKey;
  path += printerName;
  path += kDriverDataSubkey;

  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
  BYTE sizeValue[sizeof(DWORD)];
  StoreLe32(sizeValue, size);
  bool ok = RegSetValueExW(key, info.sizeValue, 0, REG_DWORD, sizeValue, sizeof(sizeValue)) == ERROR_SUCCESS;
  if (ok) ok = RegSetValueExW(key, info.dataValue, 0, REG_BINARY, bytes, size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

}  // namespace

std::optional<BlockBytes> ReadOptBlock(HANDLE printer, OptBlock block, HANDLE heap) {
  const OptBlockInfo& info = OptBlockInfoOf(block);

  DWORD type = 0;
  DWORD needed = 0;
  BYTE sizeValue[sizeof(DWORD)] = {};
  if (GetPrinterDataW(printer, Mutable(info.sizeValue), &type, sizeValue, sizeof(sizeValue), &needed) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  const DWORD size = LoadLe32(sizeValue);
  if (size == 0 || size > kMaxStoredBlockBytes) return std::nullopt;

  auto* data = static_cast<BYTE*>(HeapAlloc(heap, 0, size));
  if (data == nullptr) return std::nullopt;
  // A data value shorter than its size value would leave the tail of the
  // buffer unwritten: such a block is as unreadable as a missing one.
  needed = 0;
  if (GetPrinterDataW(printer, Mutable(info.dataValue), &type, data, size, &needed) != ERROR_SUCCESS ||
      needed != size) {
    HeapFree(heap, 0, data);
    return std::nullopt;
  }
  return BlockBytes{data, size};
}

bool ReadOptBlockInto(HANDLE printer, OptBlock block, void* out) {
  const OptBlockInfo& info = OptBlockInfoOf(block);
  const HANDLE heap = GetProcessHeap();
  const std::optional<BlockBytes> stored = ReadOptBlock(printer, block, heap);
  if (!stored) return false;
  const bool fits = stored->size == info.size;
  if (fits) std::memcpy(out, stored->data, info.size);
  HeapFree(heap, 0, stored->data);
  return fits;
}

bool WriteOptBlock(HANDLE printer, const WCHAR* printerName, OptBlock block, const BYTE* bytes, DWORD size) {
  if (bytes == nullptr && size != 0) return false;
  const OptBlockInfo& info = OptBlockInfoOf(block);
  if (WriteThroughSpooler(printer, info, bytes, size)) return true;
  return WriteThroughRegistry(printerName, info, bytes, size);
}

bool WriteOptBlockToSpooler(HANDLE printer, OptBlock block, const BYTE* bytes, DWORD size) {
  if (bytes == nullptr && size != 0) return false;
  return WriteThroughSpooler(printer, OptBlockInfoOf(block), bytes, size);
}

}  // namespace settings
