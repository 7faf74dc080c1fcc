// The four per-printer option blocks as printer data: each is a REG_DWORD
// size value and a REG_BINARY data value under the printer's
// PrinterDriverData key. Reading goes through the spooler's printer-data
// query; writing through the spooler first and straight to the registry
// when the spooler refuses.
#pragma once

#include <optional>

#include "platform/win.h"
#include "settings/records.h"

namespace settings {

enum class OptBlock { kPaperOpt, kBarColorOpt, kCalendarOpt, kVariableOpt };

struct OptBlockInfo {
  OptBlock block;
  const WCHAR* sizeValue;  // REG_DWORD: the stored block's byte size
  const WCHAR* dataValue;  // REG_BINARY: the block
  DWORD size;              // the only size a caller accepts
};

inline constexpr OptBlockInfo kOptBlocks[] = {
    {OptBlock::kPaperOpt, WSTR("PaperOptSize"), WSTR("PaperOpt"), sizeof(PaperOpt)},
    {OptBlock::kBarColorOpt, WSTR("BarColorOptSize"), WSTR("BarColorOpt"), sizeof(BarColorOpt)},
    {OptBlock::kCalendarOpt, WSTR("CalendarOptSize"), WSTR("CalendarOpt"), sizeof(CalendarOpt)},
    {OptBlock::kVariableOpt, WSTR("VariableOptSize"), WSTR("VariableOpt"), sizeof(VariableOpt)},
};

constexpr const OptBlockInfo& OptBlockInfoOf(OptBlock block) {
  return kOptBlocks[static_cast<int>(block)];
}

static_assert(OptBlockInfoOf(OptBlock::kPaperOpt).size == 1400);
static_assert(OptBlockInfoOf(OptBlock::kBarColorOpt).size == 160);
static_assert(OptBlockInfoOf(OptBlock::kCalendarOpt).size == 1280);
static_assert(OptBlockInfoOf(OptBlock::kVariableOpt).size == 410);

// A size value above this is taken as damage, not as a block to allocate.
inline constexpr DWORD kMaxStoredBlockBytes = 0x10000;

struct BlockBytes {
  BYTE* data;  // HeapAlloc'ed from the heap given to ReadOptBlock; free with HeapFree
  DWORD size;
};

// The stored bytes of a block, whatever their size, or nothing when the size
// value is missing, 0 or implausibly large, or the data value cannot be read
// as exactly that many bytes. Whether the size is the block's own is the
// caller's test.
std::optional<BlockBytes> ReadOptBlock(HANDLE printer, OptBlock block, HANDLE heap);

// Reads a block into *out only when it is stored with exactly the block's
// size; false (and *out untouched) otherwise, so that the caller applies
// the block's defaults.
bool ReadOptBlockInto(HANDLE printer, OptBlock block, void* out);

// Stores `size` bytes as the block: through the spooler's printer data, or
// when that fails, directly under
// HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Print\Printers\<printerName>\PrinterDriverData.
bool WriteOptBlock(HANDLE printer, const WCHAR* printerName, OptBlock block, const BYTE* bytes, DWORD size);

// Stores the block through the spooler's printer data alone, without the
// registry fallback: for the caller that must know whether the spooler lets
// this user change the printer's settings.
bool WriteOptBlockToSpooler(HANDLE printer, OptBlock block, const BYTE* bytes, DWORD size);

}  // namespace settings
