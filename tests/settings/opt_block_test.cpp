// The option blocks as printer data: value names, what counts as a
// readable block, and the registry fallback when the spooler refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/host_syscalls.h"
#include "printer_fixture.h"
#include "settings/opt_block.h"

namespace settings {
namespace {

using settings_test::kPrinterName;

class OptBlockTest : public settings_test::PrinterFixture {};

host::Bytes Pattern(std::size_t size, std::uint8_t seed) {
  host::Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 13);
  return bytes;
}

host::Bytes Le32(DWORD value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

struct BlockCase {
  OptBlock block;
  const char16_t* sizeValue;
  const char16_t* dataValue;
  DWORD size;
};

const BlockCase kBlockCases[] = {
    {OptBlock::kPaperOpt, u"PaperOptSize", u"PaperOpt", 1400},
    {OptBlock::kBarColorOpt, u"BarColorOptSize", u"BarColorOpt", 160},
    {OptBlock::kCalendarOpt, u"CalendarOptSize", u"CalendarOpt", 1280},
    {OptBlock::kVariableOpt, u"VariableOptSize", u"VariableOpt", 410},
};

TEST_F(OptBlockTest, EachBlockIsWrittenAndReadUnderItsOwnValues) {
  for (const BlockCase& c : kBlockCases) {
    SCOPED_TRACE(host::Narrow(c.dataValue));
    EXPECT_EQ(OptBlockInfoOf(c.block).size, c.size);
    const host::Bytes bytes = Pattern(c.size, static_cast<std::uint8_t>(c.size));
    ASSERT_TRUE(WriteOptBlock(printer_, kPrinterName, c.block, bytes.data(), c.size));

    const auto size = Stored(c.sizeValue);
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size->data, Le32(c.size));
    const auto data = Stored(c.dataValue);
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data->data, bytes);

    const auto read = ReadOptBlock(printer_, c.block, GetProcessHeap());
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->size, c.size);
    EXPECT_EQ(std::memcmp(read->data, bytes.data(), c.size), 0);
    HeapFree(GetProcessHeap(), 0, read->data);
  }
}

struct ReadCase {
  const char* name;
  bool hasSizeValue;
  DWORD sizeValue;
  int dataBytes;  // -1: no data value
  bool readable;
};

const ReadCase kReadCases[] = {
    {"no size value", false, 0, 160, false},
    {"size value 0", true, 0, 160, false},
    {"no data value", true, 160, -1, false},
    {"another size is returned as stored", true, 159, 159, true},
    {"data shorter than its size value", true, 160, 100, false},
    {"data longer than its size value", true, 160, 200, false},
    {"implausibly large size value", true, 0x7FFFFFFF, 16, false},
};

TEST_F(OptBlockTest, ABlockIsReadOnlyAsExactlyItsStoredSize) {
  for (const ReadCase& c : kReadCases) {
    SCOPED_TRACE(c.name);
    Restart();
    if (c.hasSizeValue) StoreSize(u"BarColorOptSize", c.sizeValue);
    const host::Bytes data = Pattern(c.dataBytes < 0 ? 0 : static_cast<std::size_t>(c.dataBytes), 1);
    if (c.dataBytes >= 0) Store(u"BarColorOpt", REG_BINARY, data);

    const auto read = ReadOptBlock(printer_, OptBlock::kBarColorOpt, GetProcessHeap());
    ASSERT_EQ(read.has_value(), c.readable);
    if (read) {
      EXPECT_EQ(read->size, c.sizeValue);
      EXPECT_EQ(std::memcmp(read->data, data.data(), read->size), 0);
      HeapFree(GetProcessHeap(), 0, read->data);
    }
  }
}

TEST_F(OptBlockTest, FailedAllocationGivesNothing) {
  StoreSize(u"VariableOptSize", 410);
  Store(u"VariableOpt", REG_BINARY, Pattern(410, 3));
  host::ScopedSyscall noMemory(&host::Syscalls::HeapAlloc,
                               +[](HANDLE, DWORD, SIZE_T) -> LPVOID { return nullptr; });
  EXPECT_FALSE(ReadOptBlock(printer_, OptBlock::kVariableOpt, GetProcessHeap()).has_value());
}

SIZE_T gLargestAllocation = 0;

TEST_F(OptBlockTest, DamagedSizeValueAllocatesNothingLarge) {
  StoreSize(u"CalendarOptSize", 0x7FFFFFFF);
  Store(u"CalendarOpt", REG_BINARY, Pattern(1280, 2));
  gLargestAllocation = 0;
  host::ScopedSyscall recorder(&host::Syscalls::HeapAlloc, +[](HANDLE heap, DWORD flags, SIZE_T bytes) {
    gLargestAllocation = std::max(gLargestAllocation, bytes);
    return host::DefaultSyscalls().HeapAlloc(heap, flags, bytes);
  });
  EXPECT_FALSE(ReadOptBlock(printer_, OptBlock::kCalendarOpt, GetProcessHeap()).has_value());
  EXPECT_LE(gLargestAllocation, kMaxStoredBlockBytes);
}

TEST_F(OptBlockTest, ReadIntoTakesOnlyTheBlocksOwnSize) {
  struct Case {
    DWORD stored;
    bool taken;
  };
  const Case cases[] = {{160, true}, {159, false}, {161, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    const host::Bytes data = Pattern(c.stored, 9);
    StoreSize(u"BarColorOptSize", c.stored);
    Store(u"BarColorOpt", REG_BINARY, data);
    BarColorOpt block;
    std::memset(&block, 0xAA, sizeof(block));
    EXPECT_EQ(ReadOptBlockInto(printer_, OptBlock::kBarColorOpt, &block), c.taken);
    if (c.taken) {
      EXPECT_EQ(std::memcmp(&block, data.data(), sizeof(block)), 0);
    } else {
      const auto* raw = reinterpret_cast<const std::uint8_t*>(&block);
      for (std::size_t i = 0; i < sizeof(block); ++i) ASSERT_EQ(raw[i], 0xAA);
    }
  }
}

// Fault injection for the spooler and registry writes: bit n-1 of a mask
// makes the n-th call fail.
int gSpoolerWrites = 0;
unsigned gSpoolerFails = 0;
int gRegistryWrites = 0;
unsigned gRegistryFails = 0;

DWORD CountedSetPrinterData(HANDLE printer, LPWSTR name, DWORD type, LPBYTE data, DWORD size) {
  if (gSpoolerFails & (1u << gSpoolerWrites++)) return ERROR_ACCESS_DENIED;
  return host::DefaultSyscalls().SetPrinterDataW(printer, name, type, data, size);
}

LSTATUS CountedRegSetValue(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
  if (gRegistryFails & (1u << gRegistryWrites++)) return ERROR_ACCESS_DENIED;
  return host::DefaultSyscalls().RegSetValueExW(key, name, reserved, type, data, size);
}

struct FallbackCase {
  const char* name;
  unsigned spoolerFails;
  unsigned registryFails;
  const char16_t* printerName;
  bool ok;
  bool dataStored;
};

const FallbackCase kFallbackCases[] = {
    {"spooler refuses the size value: registry", 0b01, 0, kPrinterName, true, true},
    {"spooler refuses the data value: registry", 0b10, 0, kPrinterName, true, true},
    {"spooler and registry refuse", 0b11, 0b11, kPrinterName, false, false},
    {"registry refuses the size value: no data written", 0b01, 0b01, kPrinterName, false, false},
    {"registry refuses the data value", 0b01, 0b10, kPrinterName, false, false},
    {"no key for the printer name", 0b01, 0, u"No such printer", false, false},
    {"no printer name", 0b01, 0, nullptr, false, false},
};

TEST_F(OptBlockTest, RegistryFallbackWhenTheSpoolerRefuses) {
  const host::Bytes bytes = Pattern(160, 77);
  for (const FallbackCase& c : kFallbackCases) {
    SCOPED_TRACE(c.name);
    Restart();
    gSpoolerWrites = gRegistryWrites = 0;
    gSpoolerFails = c.spoolerFails;
    gRegistryFails = c.registryFails;
    bool ok = false;
    {
      host::ScopedSyscall spooler(&host::Syscalls::SetPrinterDataW, &CountedSetPrinterData);
      host::ScopedSyscall registry(&host::Syscalls::RegSetValueExW, &CountedRegSetValue);
      ok = WriteOptBlock(printer_, c.printerName, OptBlock::kBarColorOpt, bytes.data(), 160);
    }
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(Stored(u"BarColorOpt").has_value(), c.dataStored);
    if (c.ok) {
      const auto size = Stored(u"BarColorOptSize");
      const auto data = Stored(u"BarColorOpt");
      ASSERT_TRUE(size.has_value() && data.has_value());
      EXPECT_EQ(size->type, static_cast<DWORD>(REG_DWORD));
      EXPECT_EQ(size->data, Le32(160));
      EXPECT_EQ(data->type, static_cast<DWORD>(REG_BINARY));
      EXPECT_EQ(data->data, bytes);
    }
  }
}

TEST_F(OptBlockTest, SpoolerOnlyWriteHasNoFallback) {
  const host::Bytes bytes = Pattern(1400, 5);
  gSpoolerWrites = gRegistryWrites = 0;
  gSpoolerFails = 0b11;
  gRegistryFails = 0;
  {
    host::ScopedSyscall spooler(&host::Syscalls::SetPrinterDataW, &CountedSetPrinterData);
    host::ScopedSyscall registry(&host::Syscalls::RegSetValueExW, &CountedRegSetValue);
    EXPECT_FALSE(WriteOptBlockToSpooler(printer_, OptBlock::kPaperOpt, bytes.data(), 1400));
  }
  EXPECT_EQ(gRegistryWrites, 0);
  EXPECT_FALSE(Stored(u"PaperOptSize").has_value());
  EXPECT_TRUE(WriteOptBlockToSpooler(printer_, OptBlock::kPaperOpt, bytes.data(), 1400));
  EXPECT_EQ(Stored(u"PaperOpt")->data, bytes);
}

}  // namespace
}  // namespace settings
