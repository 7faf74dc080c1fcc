// Merging an incoming DEVMODE into the current record: which layouts are
// accepted, which fields are taken under which flags, and in which ranges.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "devmode_buffer.h"
#include "settings/devmode.h"
#include "test_model.h"

namespace settings {
namespace {

using settings_test::DevmodeBuffer;

constexpr SHORT kModelDpi = 203;  // 8 dots/mm

class MergeTest : public ::testing::Test {
 protected:
  MergeTest() : modelBytes_(settings_test::ModelBytes({})), model_(settings_test::View(modelBytes_)) {
    PaperOpt papers{};
    papers.Entry[0].PaperId = kFirstPaperId;
    std::memcpy(papers.Entry[0].PaperName, u"Label 1", 8 * sizeof(WCHAR));
    MakeDefaultDevmode(&current_, u"Label P1", model_, papers);
    before_ = current_;
  }

  bool Merge(DevmodeBuffer& incoming) {
    return MergeDevmode(&current_, incoming.dm(), incoming.capacity(), model_);
  }
  bool Unchanged() const { return std::memcmp(&current_, &before_, sizeof(LabelDevmode)) == 0; }

  std::vector<std::uint8_t> modelBytes_;
  ModelData model_;
  LabelDevmode current_;
  LabelDevmode before_;
};

// A foreign 220-byte DEVMODE without a private part.
DevmodeBuffer Incoming(DWORD fields) {
  DevmodeBuffer in(220, 0, 0x0401);
  in.dm()->dmFields = fields;
  return in;
}

TEST_F(MergeTest, NoIncomingRecordSucceedsAndChangesNothing) {
  EXPECT_TRUE(MergeDevmode(&current_, nullptr, 0, model_));
  EXPECT_TRUE(Unchanged());
}

struct ValueCase {
  const char* name;
  DWORD flag;
  SHORT DEVMODEW::*field;
  SHORT incoming;
  SHORT expected;
  bool flagAfter;  // the flag in the merged record
};

const ValueCase kValueCases[] = {
    {"orientation landscape", DM_ORIENTATION, &DEVMODEW::dmOrientation, 2, 2, true},
    {"orientation 3 becomes portrait", DM_ORIENTATION, &DEVMODEW::dmOrientation, 3, 1, true},
    {"orientation 0 becomes portrait", DM_ORIENTATION, &DEVMODEW::dmOrientation, 0, 1, true},
    {"paper size 500 taken unchanged", DM_PAPERSIZE, &DEVMODEW::dmPaperSize, 500, 500, true},
    {"scale 0 becomes 100", DM_SCALE, &DEVMODEW::dmScale, 0, 100, true},
    {"scale 1 taken", DM_SCALE, &DEVMODEW::dmScale, 1, 1, true},
    {"scale 1000 taken", DM_SCALE, &DEVMODEW::dmScale, 1000, 1000, true},
    {"scale 1001 becomes 100", DM_SCALE, &DEVMODEW::dmScale, 1001, 100, true},
    {"copies 9999 taken", DM_COPIES, &DEVMODEW::dmCopies, 9999, 9999, true},
    {"copies 10000 becomes 1", DM_COPIES, &DEVMODEW::dmCopies, 10000, 1, true},
    {"copies 0 becomes 1", DM_COPIES, &DEVMODEW::dmCopies, 0, 1, true},
    {"copies -3 becomes 1", DM_COPIES, &DEVMODEW::dmCopies, -3, 1, true},
    {"default source taken unchanged", DM_DEFAULTSOURCE, &DEVMODEW::dmDefaultSource, 7, 7, true},
    {"print quality 600 becomes the model dpi", DM_PRINTQUALITY, &DEVMODEW::dmPrintQuality, 600, kModelDpi,
     true},
    {"print quality -4 becomes the model dpi", DM_PRINTQUALITY, &DEVMODEW::dmPrintQuality, -4, kModelDpi,
     true},
    {"colour becomes monochrome", DM_COLOR, &DEVMODEW::dmColor, 2, 1, true},
    {"duplex becomes simplex, flag left alone", DM_DUPLEX, &DEVMODEW::dmDuplex, 3, 1, false},
    {"collate becomes off, flag left alone", DM_COLLATE, &DEVMODEW::dmCollate, 1, 0, false},
};

TEST_F(MergeTest, FieldsAreTakenUnderTheirFlagWithinTheirRange) {
  for (const ValueCase& c : kValueCases) {
    SCOPED_TRACE(c.name);
    current_ = before_;
    DevmodeBuffer in = Incoming(c.flag);
    in.dm()->*c.field = c.incoming;
    ASSERT_TRUE(Merge(in));
    EXPECT_EQ(current_.dm.*c.field, c.expected);
    EXPECT_EQ((current_.dm.dmFields & c.flag) != 0, c.flagAfter);
  }
}

TEST_F(MergeTest, FieldsWithoutTheirFlagAreNotTaken) {
  for (const ValueCase& c : kValueCases) {
    SCOPED_TRACE(c.name);
    current_ = before_;
    DevmodeBuffer in = Incoming(0);
    in.dm()->*c.field = c.incoming;
    ASSERT_TRUE(Merge(in));
    EXPECT_TRUE(Unchanged());
  }
}

TEST_F(MergeTest, DeviceNameIsNeverTaken) {
  DevmodeBuffer in = Incoming(0xFFFFFFFF);
  std::memcpy(in.dm()->dmDeviceName, u"Other", 6 * sizeof(WCHAR));
  ASSERT_TRUE(Merge(in));
  EXPECT_EQ(std::u16string(current_.dm.dmDeviceName), u"Label P1");
}

struct PaperCase {
  const char* name;
  DWORD fields;
  SHORT paperSize, width, length;
  std::u16string form;
  SHORT expectedSize, expectedWidth, expectedLength;
  std::u16string expectedForm;
  DWORD flagsSet, flagsClear;
};

constexpr DWORD kCustom = DM_PAPERLENGTH | DM_PAPERWIDTH;

const PaperCase kPaperCases[] = {
    {"custom size wins over the paper size", kCustom | DM_PAPERSIZE | DM_FORMNAME, 317, 600, 800, u"X", 315, 600,
     800, u"Label 1", kCustom, DM_PAPERSIZE | DM_FORMNAME},
    {"width 0: the paper size applies instead", kCustom | DM_PAPERSIZE, 317, 0, 800, u"", 317, 0, 0, u"Label 1",
     DM_PAPERSIZE, kCustom | DM_FORMNAME},
    {"negative length and nothing else: no change", kCustom, 317, 600, -800, u"", 315, 0, 0, u"Label 1",
     DM_PAPERSIZE | DM_FORMNAME, kCustom},
    {"one custom flag only: no custom size", DM_PAPERWIDTH, 317, 600, 800, u"", 315, 0, 0, u"Label 1",
     DM_PAPERSIZE | DM_FORMNAME, kCustom},
    {"paper size code outside the labels", DM_PAPERSIZE, 500, 0, 0, u"", 500, 0, 0, u"Label 1", DM_PAPERSIZE,
     kCustom | DM_FORMNAME},
    {"form name only: kept, not turned into a paper size", DM_FORMNAME, 317, 0, 0, u"Roll 80", 315, 0, 0,
     u"Roll 80", DM_FORMNAME, kCustom | DM_PAPERSIZE},
    {"paper size preferred to form name", DM_PAPERSIZE | DM_FORMNAME, 318, 0, 0, u"Roll 80", 318, 0, 0,
     u"Label 1", DM_PAPERSIZE, kCustom | DM_FORMNAME},
};

TEST_F(MergeTest, PaperIsACustomSizeElseAPaperSizeElseAFormName) {
  for (const PaperCase& c : kPaperCases) {
    SCOPED_TRACE(c.name);
    current_ = before_;
    DevmodeBuffer in = Incoming(c.fields);
    in.dm()->dmPaperSize = c.paperSize;
    in.dm()->dmPaperWidth = c.width;
    in.dm()->dmPaperLength = c.length;
    std::memcpy(in.dm()->dmFormName, c.form.c_str(), (c.form.size() + 1) * sizeof(WCHAR));
    ASSERT_TRUE(Merge(in));
    EXPECT_EQ(current_.dm.dmPaperSize, c.expectedSize);
    EXPECT_EQ(current_.dm.dmPaperWidth, c.expectedWidth);
    EXPECT_EQ(current_.dm.dmPaperLength, c.expectedLength);
    EXPECT_EQ(std::u16string(current_.dm.dmFormName), c.expectedForm);
    EXPECT_EQ(current_.dm.dmFields & c.flagsSet, c.flagsSet);
    EXPECT_EQ(current_.dm.dmFields & c.flagsClear, 0u);
  }
}

TEST_F(MergeTest, LongFormNameIsCutToThirtyOneCharacters) {
  DevmodeBuffer in = Incoming(DM_FORMNAME);
  for (WCHAR& c : in.dm()->dmFormName) c = u'f';  // no terminating NUL
  ASSERT_TRUE(Merge(in));
  EXPECT_EQ(std::u16string(current_.dm.dmFormName), std::u16string(31, u'f'));
}

struct LayoutCase {
  WORD size;
  WORD specVersion;
  bool accepted;
};

const LayoutCase kLayoutCases[] = {
    {188, 0x0320, true}, {188, 0, true},      {212, 0x0400, true}, {212, 0, true}, {220, 0, true},
    {200, 0x0401, true}, {200, 0, false},     {240, 0x0500, true}, {240, 0, false},
};

TEST_F(MergeTest, LayoutsAreKnownBySizeOrByANonzeroVersion) {
  for (const LayoutCase& c : kLayoutCases) {
    SCOPED_TRACE(testing::Message() << "size " << c.size << " version " << c.specVersion);
    current_ = before_;
    DevmodeBuffer in(c.size, sizeof(PrivateOpt), c.specVersion, std::size_t{c.size} + sizeof(PrivateOpt));
    in.dm()->dmFields = DM_COPIES;
    in.dm()->dmCopies = 7;
    PrivateOpt* opt = in.Private();
    std::memcpy(opt->Signature, "MDZQ", 4);
    std::memcpy(opt->FileName, "LAYOUT", 7);
    opt->PrintCut = 1;

    SetLastError(0);
    EXPECT_EQ(Merge(in), c.accepted);
    if (c.accepted) {
      EXPECT_EQ(current_.dm.dmCopies, 7);
      // The private part is found at the incoming record's own dmSize.
      EXPECT_STREQ(current_.priv.FileName, "LAYOUT");
      EXPECT_EQ(current_.priv.PrintCut, 1);
    } else {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
      EXPECT_TRUE(Unchanged());
    }
  }
}

TEST_F(MergeTest, ShortLayoutKeepsTheFieldsItLacks) {
  // 188 bytes end before dmICMMethod: the current values there stay.
  current_.dm.dmICMMethod = 3;
  current_.dm.dmPanningWidth = 9;
  DevmodeBuffer in(188, 0, 0x0320);
  in.dm()->dmFields = DM_SCALE;
  in.dm()->dmScale = 50;
  ASSERT_TRUE(Merge(in));
  EXPECT_EQ(current_.dm.dmScale, 50);
  EXPECT_EQ(current_.dm.dmICMMethod, 3u);
  EXPECT_EQ(current_.dm.dmPanningWidth, 9u);
  EXPECT_EQ(current_.dm.dmSize, 220);
  EXPECT_EQ(current_.dm.dmDriverExtra, 52);
}

struct PrivateCase {
  const char* name;
  WORD extra;       // incoming private bytes
  bool signature;   // they begin with "MDZQ"
  std::size_t taken;  // leading private bytes that end up from the incoming record
};

const PrivateCase kPrivateCases[] = {
    {"whole private part with marker", 52, true, 52},
    {"without marker: ignored", 52, false, 0},
    {"no private bytes: nothing changes", 0, true, 0},
    {"ten bytes with marker: those ten only", 10, true, 10},
    {"longer private part: our 52 bytes", 100, true, 52},
};

TEST_F(MergeTest, PrivatePartIsTakenOnlyWithItsMarker) {
  for (const PrivateCase& c : kPrivateCases) {
    SCOPED_TRACE(c.name);
    current_ = before_;
    DevmodeBuffer in(220, c.extra, 0x0401);
    std::uint8_t* priv = in.data() + 220;
    for (std::size_t i = 0; i < c.extra; ++i) priv[i] = static_cast<std::uint8_t>(0x40 + i);
    if (c.extra >= 4) std::memcpy(priv, c.signature ? "MDZQ" : "MDZX", 4);

    ASSERT_TRUE(Merge(in));
    const auto* merged = reinterpret_cast<const std::uint8_t*>(&current_.priv);
    const auto* old = reinterpret_cast<const std::uint8_t*>(&before_.priv);
    for (std::size_t i = 0; i < sizeof(PrivateOpt); ++i) {
      ASSERT_EQ(merged[i], i < c.taken ? priv[i] : old[i]) << "private byte " << i;
    }
  }
}

TEST_F(MergeTest, PrivateValuesAreTakenWithoutRangeTests) {
  DevmodeBuffer in(220, 52, 0x0401);
  PrivateOpt* opt = in.Private();
  std::memcpy(opt->Signature, "MDZQ", 4);
  opt->PrintPattern = 200;
  SetPrintPosNum(*opt, 0xFFFFFFFF);
  ASSERT_TRUE(Merge(in));
  EXPECT_EQ(current_.priv.PrintPattern, 200);
  EXPECT_EQ(GetPrintPosNum(current_.priv), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace settings
