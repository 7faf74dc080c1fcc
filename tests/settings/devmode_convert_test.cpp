// Converting between DEVMODE layouts, and refusing records whose own size
// fields claim more than their buffers hold.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "devmode_buffer.h"
#include "settings/devmode.h"

namespace settings {
namespace {

using settings_test::DevmodeBuffer;

// A source whose every byte after the header is its offset's low byte.
DevmodeBuffer PatternedSource(WORD size, WORD extra, WORD specVersion = 0x0401) {
  DevmodeBuffer source(size, extra, specVersion);
  for (std::size_t i = kDevmodeHeaderBytes; i < source.capacity(); ++i) {
    source.data()[i] = static_cast<std::uint8_t>(i);
  }
  return source;
}

struct VersionCase {
  WORD targetSize;
  WORD targetVersion;
  int expectedVersion;  // -1: refused
};

const VersionCase kVersionCases[] = {
    {188, 0x0401, 0x0320}, {212, 0, 0x0400}, {220, 0x0320, 0x0401}, {200, 0x0333, 0x0333}, {200, 0, -1},
};

TEST(ConvertDevmodeTest, TargetGetsTheVersionOfItsSize) {
  for (const VersionCase& c : kVersionCases) {
    SCOPED_TRACE(c.targetSize);
    DevmodeBuffer source = PatternedSource(220, 52);
    DevmodeBuffer target(c.targetSize, 52, c.targetVersion);
    target.Put16(offsetof(DEVMODEW, dmDriverVersion), 0x0777);
    const int copied = ConvertDevmode(source.dm(), source.capacity(), target.dm(), target.capacity());
    if (c.expectedVersion < 0) {
      EXPECT_EQ(copied, -1);
      continue;
    }
    EXPECT_EQ(copied, c.targetSize + 52);
    EXPECT_EQ(target.dm()->dmSpecVersion, c.expectedVersion);
    EXPECT_EQ(target.dm()->dmDriverVersion, 0x0777);
    EXPECT_EQ(target.dm()->dmSize, c.targetSize);
    EXPECT_EQ(target.dm()->dmDriverExtra, 52);
  }
}

TEST(ConvertDevmodeTest, LongerSourceIntoShorterTarget) {
  DevmodeBuffer source = PatternedSource(220, 52);
  DevmodeBuffer target(188, 52, 0x0320);
  ASSERT_EQ(ConvertDevmode(source.dm(), source.capacity(), target.dm(), target.capacity()), 188 + 52);
  for (std::size_t i = kDevmodeHeaderBytes; i < 188; ++i) ASSERT_EQ(target.data()[i], source.data()[i]) << i;
  // The private part moves from the source's dmSize to the target's.
  EXPECT_EQ(std::memcmp(target.data() + 188, source.data() + 220, 52), 0);
}

TEST(ConvertDevmodeTest, ShorterSourceLeavesTheRestOfTheTarget) {
  DevmodeBuffer source = PatternedSource(188, 10, 0x0320);
  DevmodeBuffer target(220, 52, 0x0401, 272, 0xEE);
  target.Put16(offsetof(DEVMODEW, dmSize), 220);
  ASSERT_EQ(ConvertDevmode(source.dm(), source.capacity(), target.dm(), target.capacity()), 188 + 10);
  for (std::size_t i = 188; i < 220; ++i) ASSERT_EQ(target.data()[i], 0xEE) << i;
  EXPECT_EQ(std::memcmp(target.data() + 220, source.data() + 188, 10), 0);
  for (std::size_t i = 230; i < 272; ++i) ASSERT_EQ(target.data()[i], 0xEE) << i;
}

TEST(ConvertDevmodeTest, RefusesAMissingRecord) {
  DevmodeBuffer record(220, 52, 0x0401);
  SetLastError(0);
  EXPECT_EQ(ConvertDevmode(nullptr, 272, record.dm(), record.capacity()), -1);
  EXPECT_EQ(ConvertDevmode(record.dm(), record.capacity(), nullptr, 272), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// Each buffer is allocated with exactly its capacity, so that a read or
// write past it is caught by AddressSanitizer even where the result is right.
struct ClaimCase {
  const char* name;
  std::size_t sourceBytes;
  WORD sourceSize, sourceExtra, sourceVersion;
  std::size_t targetBytes;
  WORD targetSize, targetExtra;
  int expected;
};

const ClaimCase kClaimCases[] = {
    {"claims fit exactly", 272, 220, 52, 0x0401, 240, 188, 52, 240},
    {"source private part beyond its buffer", 220, 220, 52, 0x0401, 272, 220, 52, -1},
    {"source public part beyond its buffer", 200, 220, 0, 0x0401, 272, 220, 52, -1},
    {"source too short for its own header", 60, 188, 0, 0x0320, 272, 220, 52, -1},
    {"target private part beyond its buffer", 272, 220, 52, 0x0401, 220, 220, 52, -1},
    {"target public part beyond its buffer", 272, 220, 52, 0x0401, 100, 188, 0, -1},
    {"target too short for its own header", 272, 220, 52, 0x0401, 40, 188, 0, -1},
    {"target whose dmSize ends inside its header", 272, 220, 52, 0x0401, 272, 10, 52, -1},
    {"source dmSize 10: only those 10 bytes are read", 72, 10, 0, 0x0401, 272, 220, 52, 10},
    {"huge claims", 272, 0xFFFF, 0xFFFF, 0x0401, 272, 220, 52, -1},
};

TEST(ConvertDevmodeTest, RecordsClaimingMoreThanTheirBuffersAreRefused) {
  for (const ClaimCase& c : kClaimCases) {
    SCOPED_TRACE(c.name);
    DevmodeBuffer source(c.sourceSize, c.sourceExtra, c.sourceVersion, c.sourceBytes, 0x5A);
    DevmodeBuffer target(c.targetSize, c.targetExtra, 0x0401, c.targetBytes, 0xEE);
    const std::vector<std::uint8_t> targetBefore = target.bytes();
    SetLastError(0);
    const int copied = ConvertDevmode(source.dm(), source.capacity(), target.dm(), target.capacity());
    EXPECT_EQ(copied, c.expected);
    if (c.expected < 0) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
      EXPECT_EQ(target.bytes(), targetBefore);
    }
  }
}

}  // namespace
}  // namespace settings
