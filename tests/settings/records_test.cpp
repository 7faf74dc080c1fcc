// The unaligned fields are stored little-endian at their exact byte offsets
// and touch no neighbouring byte.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "settings/records.h"

namespace settings {
namespace {

template <typename Record>
std::array<std::uint8_t, sizeof(Record)> Raw(const Record& record) {
  std::array<std::uint8_t, sizeof(Record)> raw{};
  std::memcpy(raw.data(), &record, sizeof(Record));
  return raw;
}

// Every byte is 0 except `expected` at `offset`.
template <std::size_t N>
void ExpectOnly(const std::array<std::uint8_t, N>& raw, std::size_t offset,
                const std::vector<std::uint8_t>& expected) {
  for (std::size_t i = 0; i < N; ++i) {
    const bool inField = i >= offset && i < offset + expected.size();
    EXPECT_EQ(raw[i], inField ? expected[i - offset] : 0) << "byte " << i;
  }
}

struct PrivateCase {
  const char* name;
  DWORD printPosNum;
  WORD yOffsetNum;
  std::vector<std::uint8_t> printPosBytes;  // at 24
  std::vector<std::uint8_t> yOffsetBytes;   // at 29
};

const PrivateCase kPrivateCases[] = {
    {"small", 25, 3, {25, 0, 0, 0}, {3, 0}},
    {"byte order", 0x12345678, 0x03E7, {0x78, 0x56, 0x34, 0x12}, {0xE7, 0x03}},
    {"all ones", 0xFFFFFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF}},
};

TEST(PrivateOptTest, UnalignedNumbersAreLittleEndianAtTheirOffsets) {
  for (const PrivateCase& c : kPrivateCases) {
    SCOPED_TRACE(c.name);
    PrivateOpt opt{};
    SetPrintPosNum(opt, c.printPosNum);
    ExpectOnly(Raw(opt), 24, c.printPosBytes);
    EXPECT_EQ(GetPrintPosNum(opt), c.printPosNum);

    PrivateOpt other{};
    SetYOffsetNum(other, c.yOffsetNum);
    ExpectOnly(Raw(other), 29, c.yOffsetBytes);
    EXPECT_EQ(GetYOffsetNum(other), c.yOffsetNum);
  }
}

struct DayCase {
  LONG days;
  std::vector<std::uint8_t> bytes;  // at 9
};

const DayCase kDayCases[] = {
    {0, {0, 0, 0, 0}},
    {999, {0xE7, 0x03, 0, 0}},
    {-999, {0x19, 0xFC, 0xFF, 0xFF}},
    {-1, {0xFF, 0xFF, 0xFF, 0xFF}},
};

TEST(CalendarEntryTest, CalendarDayIsSignedLittleEndianAtOffsetNine) {
  for (const DayCase& c : kDayCases) {
    SCOPED_TRACE(c.days);
    CalendarEntry entry{};
    SetCalendarDay(entry, c.days);
    ExpectOnly(Raw(entry), 9, c.bytes);
    EXPECT_EQ(GetCalendarDay(entry), c.days);
  }
}

TEST(PrivateOptTest, ReadsFieldsOfARecordAtAnOddAddress) {
  // Records arrive as bytes at any offset of a larger buffer.
  std::uint8_t buffer[1 + sizeof(PrivateOpt)] = {};
  std::uint8_t* record = buffer + 1;
  record[24] = 0x10;
  record[25] = 0x27;  // PrintPosNum 10000
  record[29] = 0x2C;
  record[30] = 0x01;  // YOffsetNum 300
  PrivateOpt opt;
  std::memcpy(&opt, record, sizeof(opt));
  EXPECT_EQ(GetPrintPosNum(opt), 10000u);
  EXPECT_EQ(GetYOffsetNum(opt), 300u);
}

TEST(PrivateOptTest, SignatureMustMatchAllFourBytes) {
  struct Case {
    const char* bytes;
    bool matches;
  };
  const Case cases[] = {{"MDZQ", true}, {"MDZq", false}, {"DDZQ", false}, {"\0\0\0\0", false}};
  for (const Case& c : cases) {
    PrivateOpt opt{};
    std::memcpy(opt.Signature, c.bytes, 4);
    EXPECT_EQ(HasSignature(opt), c.matches) << c.bytes;
  }
}

}  // namespace
}  // namespace settings
