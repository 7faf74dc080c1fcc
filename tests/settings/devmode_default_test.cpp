// The default DEVMODE: public values, names, and the private part's
// defaults that follow the model's flags.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "settings/devmode.h"
#include "test_model.h"

namespace settings {
namespace {

using settings_test::ModelBytes;
using settings_test::TestModel;
using settings_test::View;

PaperOpt Papers(const std::u16string& firstName) {
  PaperOpt papers{};
  for (int i = 0; i < kLabelCount; ++i) papers.Entry[i].PaperId = kFirstPaperId + static_cast<DWORD>(i);
  std::memcpy(papers.Entry[0].PaperName, firstName.data(),
              std::min(firstName.size(), kPaperNameChars) * sizeof(WCHAR));
  return papers;
}

LabelDevmode Default(const WCHAR* name, const TestModel& model, const PaperOpt& papers) {
  const std::vector<std::uint8_t> bytes = ModelBytes(model);
  LabelDevmode record;
  std::memset(&record, 0xAA, sizeof(record));
  MakeDefaultDevmode(&record, name, View(bytes), papers);
  return record;
}

TEST(MakeDefaultDevmodeTest, PublicPart) {
  const LabelDevmode record = Default(u"Label P1", TestModel{}, Papers(u"Shelf 80x40"));
  const DEVMODEW& dm = record.dm;
  EXPECT_EQ(std::u16string(dm.dmDeviceName), u"Label P1");
  EXPECT_EQ(dm.dmSpecVersion, 0x0401);
  EXPECT_EQ(dm.dmDriverVersion, 0x0400);
  EXPECT_EQ(dm.dmSize, 220);
  EXPECT_EQ(dm.dmDriverExtra, 52);
  EXPECT_EQ(dm.dmFields, 0x14703u);
  EXPECT_EQ(dm.dmOrientation, 1);
  EXPECT_EQ(dm.dmPaperSize, 315);
  EXPECT_EQ(dm.dmPaperLength, 0);
  EXPECT_EQ(dm.dmPaperWidth, 0);
  EXPECT_EQ(dm.dmScale, 100);
  EXPECT_EQ(dm.dmCopies, 1);
  EXPECT_EQ(dm.dmDefaultSource, 15);
  EXPECT_EQ(dm.dmPrintQuality, 203);
  EXPECT_EQ(dm.dmColor, 1);
  EXPECT_EQ(dm.dmDuplex, 1);
  EXPECT_EQ(dm.dmYResolution, 0);
  EXPECT_EQ(dm.dmTTOption, 3);
  EXPECT_EQ(dm.dmCollate, 0);
  EXPECT_EQ(std::u16string(dm.dmFormName), u"Shelf 80x40");
  // Everything after the form name is zero.
  const auto* raw = reinterpret_cast<const std::uint8_t*>(&dm);
  for (std::size_t i = offsetof(DEVMODEW, dmLogPixels); i < sizeof(DEVMODEW); ++i) ASSERT_EQ(raw[i], 0) << i;
}

TEST(MakeDefaultDevmodeTest, PrivatePartFixedValues) {
  const LabelDevmode record = Default(nullptr, TestModel{}, Papers(u"A"));
  PrivateOpt expected{};
  std::memcpy(expected.Signature, "MDZQ", 4);
  std::memcpy(expected.FileName, "Noname\0\0", 9);
  expected.PrintCutqtyNum = 1;
  EXPECT_EQ(std::memcmp(&record.priv, &expected, sizeof(PrivateOpt)), 0);
}

TEST(MakeDefaultDevmodeTest, NamesAreCutToThirtyOneCharacters) {
  struct Case {
    const WCHAR* deviceName;
    std::u16string paperName;
    std::u16string expectedDevice;
    std::u16string expectedForm;
  };
  const std::u16string long40 = u"0123456789012345678901234567890123456789";
  const std::u16string unterminated64(64, u'x');  // fills PaperName with no NUL
  const Case cases[] = {
      {nullptr, u"Roll", u"", u"Roll"},
      {u"", u"", u"", u""},
      {long40.c_str(), long40, long40.substr(0, 31), long40.substr(0, 31)},
      {u"P", unterminated64, u"P", unterminated64.substr(0, 31)},
  };
  for (const Case& c : cases) {
    const LabelDevmode record = Default(c.deviceName, TestModel{}, Papers(c.paperName));
    EXPECT_EQ(std::u16string(record.dm.dmDeviceName), c.expectedDevice);
    EXPECT_EQ(std::u16string(record.dm.dmFormName), c.expectedForm);
    EXPECT_EQ(record.dm.dmDeviceName[CCHDEVICENAME - 1], 0);
    EXPECT_EQ(record.dm.dmFormName[CCHFORMNAME - 1], 0);
  }
}

TEST(MakeDefaultDevmodeTest, PrintQualityIsTheModelDpi) {
  struct Case {
    std::uint32_t dotsPerMm;
    SHORT dpi;
  };
  const Case cases[] = {{8, 203}, {12, 304}, {24, 609}};
  for (const Case& c : cases) {
    TestModel model;
    model.dotsPerMm = c.dotsPerMm;
    EXPECT_EQ(Default(nullptr, model, Papers(u"A")).dm.dmPrintQuality, c.dpi) << c.dotsPerMm;
  }
}

TEST(MakeDefaultDevmodeTest, PrivateDefaultsFollowTheModelFlags) {
  struct Case {
    const char* name;
    std::uint32_t hasCompression, compressionDefault, hasErrorReprint;
    std::uint8_t printPosDefault;
    BYTE compression, printError, printPos;
  };
  const Case cases[] = {
      {"compression offered and on by default", 1, 1, 0, 0, 1, 0, 0},
      {"on by default but not offered", 0, 1, 0, 0, 0, 0, 0},
      {"offered but off by default", 1, 0, 0, 0, 0, 0, 0},
      {"default other than 1", 7, 2, 0, 0, 0, 0, 0},
      {"error reprint offered", 0, 0, 5, 0, 0, 1, 0},
      {"right-aligned position", 0, 0, 0, 1, 0, 0, 1},
      {"position at PrintPosNum", 0, 0, 0, 2, 0, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestModel model;
    model.hasCompression = c.hasCompression;
    model.compressionDefault = c.compressionDefault;
    model.hasErrorReprint = c.hasErrorReprint;
    model.printPosDefault = c.printPosDefault;
    const LabelDevmode record = Default(nullptr, model, Papers(u"A"));
    EXPECT_EQ(record.priv.Compression, c.compression);
    EXPECT_EQ(record.priv.PrintError, c.printError);
    EXPECT_EQ(record.priv.PrintPos, c.printPos);
  }
}

}  // namespace
}  // namespace settings
