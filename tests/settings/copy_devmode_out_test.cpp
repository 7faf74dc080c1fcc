// Writing the current record into the caller's output DEVMODE in the layout
// of the caller's input DEVMODE.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "devmode_buffer.h"
#include "settings/devmode.h"

namespace settings {
namespace {

using settings_test::DevmodeBuffer;

// A current record with distinct bytes everywhere but its header.
LabelDevmode Current() {
  LabelDevmode record;
  auto* raw = reinterpret_cast<std::uint8_t*>(&record);
  for (std::size_t i = 0; i < sizeof(record); ++i) raw[i] = static_cast<std::uint8_t>(i * 7);
  record.dm.dmSpecVersion = 0x0401;
  record.dm.dmDriverVersion = 0x0400;
  record.dm.dmSize = 220;
  record.dm.dmDriverExtra = 52;
  return record;
}

TEST(CopyDevmodeOutTest, WithoutCallerInputTheWholeRecordIsCopied) {
  const LabelDevmode current = Current();
  DevmodeBuffer out = DevmodeBuffer::Blank(272, 0xEE);
  ASSERT_TRUE(CopyDevmodeOut(current, nullptr, 0, out.dm(), out.capacity()));
  EXPECT_EQ(std::memcmp(out.data(), &current, 272), 0);
}

struct OutCase {
  const char* name;
  WORD inSize, inExtra, inVersion, inDriverVersion;
  std::size_t inBytes;  // 0: exactly inSize + inExtra
  std::size_t outBytes;
  bool ok;
  WORD outSize, outExtra, outVersion, outDriverVersion;
};

const OutCase kOutCases[] = {
    {"212-byte caller without private bytes", 212, 0, 0x0400, 0x0123, 0, 212, true, 212, 0, 0x0400, 0x0123},
    {"188-byte caller with our private part", 188, 52, 0x0320, 0x0350, 0, 240, true, 188, 52, 0x0320, 0x0400},
    {"caller with a larger private part", 220, 100, 0x0401, 0x0999, 0, 272, true, 220, 52, 0x0401, 0x0400},
    {"caller with a newer, larger layout", 240, 52, 0x0500, 0x0400, 0, 272, true, 220, 52, 0x0401, 0x0400},
    {"caller with 20 private bytes", 220, 20, 0x0401, 0x0222, 0, 240, true, 220, 20, 0x0401, 0x0222},
    {"caller claims more than it holds", 220, 52, 0x0401, 0x0400, 220, 272, false, 0, 0, 0, 0},
    {"output buffer smaller than the layout", 220, 52, 0x0401, 0x0400, 0, 240, false, 0, 0, 0, 0},
    {"caller layout of unknown version", 200, 52, 0, 0x0400, 0, 272, false, 0, 0, 0, 0},
    {"caller dmSize inside its own header", 60, 0, 0x0401, 0x0400, 272, 272, false, 0, 0, 0, 0},
};

TEST(CopyDevmodeOutTest, OutputTakesTheSmallerPublicAndPrivateParts) {
  const LabelDevmode current = Current();
  const auto* currentBytes = reinterpret_cast<const std::uint8_t*>(&current);
  for (const OutCase& c : kOutCases) {
    SCOPED_TRACE(c.name);
    DevmodeBuffer in(c.inSize, c.inExtra, c.inVersion, c.inBytes != 0 ? c.inBytes : SIZE_MAX);
    in.Put16(offsetof(DEVMODEW, dmDriverVersion), c.inDriverVersion);
    DevmodeBuffer out = DevmodeBuffer::Blank(c.outBytes, 0xEE);
    const std::vector<std::uint8_t> outBefore = out.bytes();

    SetLastError(0);
    const bool ok = CopyDevmodeOut(current, in.dm(), in.capacity(), out.dm(), out.capacity());
    ASSERT_EQ(ok, c.ok);
    if (!c.ok) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
      EXPECT_EQ(out.bytes(), outBefore);
      continue;
    }
    const DEVMODEW* dm = out.dm();
    EXPECT_EQ(dm->dmSize, c.outSize);
    EXPECT_EQ(dm->dmDriverExtra, c.outExtra);
    EXPECT_EQ(dm->dmSpecVersion, c.outVersion);
    EXPECT_EQ(dm->dmDriverVersion, c.outDriverVersion);
    EXPECT_EQ(std::memcmp(out.data(), currentBytes, offsetof(DEVMODEW, dmSpecVersion)), 0);
    EXPECT_EQ(std::memcmp(out.data() + kDevmodeHeaderBytes, currentBytes + kDevmodeHeaderBytes,
                          c.outSize - kDevmodeHeaderBytes),
              0);
    EXPECT_EQ(std::memcmp(out.data() + c.outSize, currentBytes + 220, c.outExtra), 0);
  }
}

TEST(CopyDevmodeOutTest, CallerInputMayBeTheOutputBuffer) {
  const LabelDevmode current = Current();
  DevmodeBuffer inOut(212, 0, 0x0400, 212);
  ASSERT_TRUE(CopyDevmodeOut(current, inOut.dm(), inOut.capacity(), inOut.dm(), inOut.capacity()));
  EXPECT_EQ(inOut.dm()->dmSize, 212);
  EXPECT_EQ(inOut.dm()->dmDriverExtra, 0);
}

TEST(CopyDevmodeOutTest, WithoutCallerInputASmallOutputIsRefused) {
  const LabelDevmode current = Current();
  DevmodeBuffer out = DevmodeBuffer::Blank(271, 0xEE);
  SetLastError(0);
  EXPECT_FALSE(CopyDevmodeOut(current, nullptr, 0, out.dm(), out.capacity()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  for (std::uint8_t b : out.bytes()) ASSERT_EQ(b, 0xEE);
}

}  // namespace
}  // namespace settings
