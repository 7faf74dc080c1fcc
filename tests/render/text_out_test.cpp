#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "driver_fixture.h"
#include "render/device_context.h"
#include "settings/records.h"

namespace {

using qztest::AsText;
using qztest::DriverTest;
using qztest::ModelSpec;

constexpr ULONG kBlack = 0x000000;
constexpr ULONG kRed = 0xFF0000;
constexpr ULONG kDarkRed = 0x800000;

class TextOutTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    ModelSpec model;
    model.papers = {{"50x30", 500, 300}};  // a page of 400 x 240
    InstallPrinter(model);
    ASSERT_NE(Enable(), nullptr);
    so_ = StartDocument();
    ASSERT_NE(so_, nullptr);
    ASSERT_TRUE(DrvStartPage(so_));
    // No print-position offset, so positions read as on the page.
    Dc().devmode.priv.PrintPos = 2;
    host::ClearWrites(printerName_);
  }

  render::DeviceContext& Dc() { return *reinterpret_cast<render::DeviceContext*>(pdev_); }

  BOOL Draw(std::u16string_view text, RECTL box, std::u16string_view face, ULONG color = kBlack) {
    host::TextRun run(text, box, face, color);
    return DrvTextOut(so_, run.str(), run.font(), nullptr, nullptr, nullptr, run.brush(), nullptr, nullptr, 13);
  }

  // Whether any pixel of the page is not white.
  bool Inked() const {
    const auto* bits = static_cast<const BYTE*>(so_->pvBits);
    for (ULONG i = 0; i < so_->cjBits; ++i) {
      if (bits[i] != 0xFF) return true;
    }
    return false;
  }

  void SetBarColor(int index, BYTE color, BYTE kind = 8) {
    settings::BarColorEntry& e = Dc().barColorOpt.Entry[index];
    e.BarCodeColor = color;
    e.BarCodeKind = kind;
    e.BarCodeLength = 10;
    e.BarCodeNumShow = 1;
  }

  std::string Stream() const { return AsText(Written()); }

  SURFOBJ* so_ = nullptr;
};

TEST_F(TextOutTest, FaceNamesMatchExactly) {
  struct Case {
    const char16_t* face;
    bool field;
  };
  static const Case kCases[] = {
      {u"Calendar 1", true},       {u"Calendar 9", true},   {u"Calendar10", true},
      {u"Calendar 01", false},     {u"calendar 1", false},  {u"Calendar1", false},
      {u"Calendar 1 Bold", false}, {u"Calendar 10", false}, {u"Arial", false},
  };
  for (const Case& c : kCases) {
    ASSERT_TRUE(DrvStartPage(so_));
    Dc().deviceFont = {};
    EXPECT_TRUE(Draw(u"12/34", {10, 10, 60, 30}, c.face));
    EXPECT_EQ(Inked(), !c.field) << std::string(c.face, c.face + std::char_traits<char16_t>::length(c.face));
    EXPECT_EQ(Dc().deviceFont.kind != 0, c.field);
  }
}

TEST_F(TextOutTest, ManualFontPrintsAsTextToThePrinterAndKeepsACalendarPending) {
  EXPECT_TRUE(Draw(u"date", {10, 10, 60, 30}, u"Calendar 2"));
  EXPECT_TRUE(Draw(u"qty", {100, 10, 160, 30}, u"Manual 3"));
  EXPECT_TRUE(Inked());
  EXPECT_EQ(Dc().deviceFont.kind, 2);
}

TEST_F(TextOutTest, TouchingRunsGatherAGapSplits) {
  EXPECT_TRUE(Draw(u"AB", {10, 10, 40, 30}, u"Calendar 2"));
  EXPECT_TRUE(Draw(u"CD", {40, 10, 70, 30}, u"Calendar 2"));
  EXPECT_EQ(std::string(Dc().deviceFont.text), "ABCD");
  EXPECT_EQ(Dc().deviceFont.rect.right, 70);
  EXPECT_TRUE(Draw(u"EF", {71, 10, 90, 30}, u"Calendar 2"));
  EXPECT_EQ(std::string(Dc().deviceFont.text), "EF") << "a one-pixel gap starts a new field";
  EXPECT_NE(Stream().find("<STX>0<ESC>C000"), std::string::npos) << "the first field was completed and sent";
  EXPECT_TRUE(Draw(u"GH", {90, 10, 110, 30}, u"Calendar 3"));
  EXPECT_EQ(Dc().deviceFont.kind, 3) << "another kind starts a new field";
}

TEST_F(TextOutTest, BarcodeColoursPickTheFirstEntryWithThatColour) {
  SetBarColor(4, 1);
  SetBarColor(7, 1, 4);
  SetBarColor(2, 6, 5);
  EXPECT_TRUE(Draw(u"12345", {100, 50, 200, 70}, u"Arial", kRed));
  EXPECT_FALSE(Inked());
  EXPECT_EQ(Dc().barcode.entry.BarCodeColor, 1);
  EXPECT_EQ(Dc().barcode.entry.BarCodeKind, 8) << "entry 4, not entry 7";
  // Dark red is colour 6, not a shade of colour 1: it starts its own field.
  EXPECT_TRUE(Draw(u"678", {100, 100, 200, 120}, u"Arial", kDarkRed));
  EXPECT_EQ(Dc().barcode.entry.BarCodeColor, 6);
  EXPECT_NE(Stream().find("<STX>0<ESC>B00005"), std::string::npos) << "the red field was sent";
}

TEST_F(TextOutTest, AlmostRedIsTextAndCompletesThePendingBarcode) {
  SetBarColor(0, 1);
  EXPECT_TRUE(Draw(u"12345", {100, 50, 200, 70}, u"Arial", kRed));
  EXPECT_TRUE(Draw(u"note", {10, 100, 60, 120}, u"Arial", 0xFE0000));
  EXPECT_TRUE(Inked());
  EXPECT_EQ(Dc().barcode.entry.BarCodeColor, 0);
  EXPECT_NE(Stream().find("<STX>1<ESC>B00012345<ETX>"), std::string::npos);
}

TEST_F(TextOutTest, ColourWithoutEntryIsDrawnAndKeepsThePendingBarcode) {
  SetBarColor(0, 1);
  EXPECT_TRUE(Draw(u"12345", {100, 50, 200, 70}, u"Arial", kRed));
  EXPECT_TRUE(Draw(u"blue", {10, 100, 60, 120}, u"Arial", 0x0000FF));
  EXPECT_TRUE(Inked());
  EXPECT_EQ(Dc().barcode.entry.BarCodeColor, 1);
  EXPECT_EQ(Stream(), "");
}

TEST_F(TextOutTest, BarcodeRunsGatherOnTheLineNotOnTheNext) {
  SetBarColor(0, 1);
  EXPECT_TRUE(Draw(u"123", {100, 50, 130, 70}, u"Arial", kRed));
  EXPECT_TRUE(Draw(u"456", {120, 48, 160, 72}, u"Arial", kRed));  // starts inside, contains the first
  EXPECT_EQ(std::string(Dc().barcode.text), "123456");
  EXPECT_EQ(Dc().barcode.rect.right, 160);
  EXPECT_TRUE(Draw(u"789", {110, 65, 150, 85}, u"Arial", kRed));  // next line: overlaps, contains neither
  EXPECT_EQ(std::string(Dc().barcode.text), "789");
  EXPECT_NE(Stream().find("<STX>1<ESC>B000123456<ETX>"), std::string::npos);
}

TEST_F(TextOutTest, OneGlyphOfTheReservedCharacterIsAlwaysDrawn) {
  EXPECT_TRUE(Draw(u"\u3A77", {10, 10, 30, 30}, u"Calendar 1"));
  EXPECT_TRUE(Inked());
  EXPECT_EQ(Dc().deviceFont.kind, 0);
}

TEST_F(TextOutTest, BarcodeTrailingSpace) {
  struct Case {
    const char16_t* text;
    const char* expected;  // nullptr: nothing is sent
  };
  static const Case kCases[] = {{u"123 ", "<STX>1<ESC>B000123<ETX>"}, {u" ", nullptr}, {u"12  ", "<STX>1<ESC>B00012 <ETX>"}};
  SetBarColor(0, 1);
  for (const Case& c : kCases) {
    host::ClearWrites(printerName_);
    EXPECT_TRUE(Draw(c.text, {100, 50, 200, 70}, u"Arial", kRed));
    EXPECT_TRUE(Draw(u"x", {10, 200, 20, 210}, u"Arial", kBlack));
    if (c.expected == nullptr) {
      EXPECT_EQ(Stream(), "");
    } else {
      EXPECT_NE(Stream().find(c.expected), std::string::npos) << Stream();
    }
  }
}

TEST_F(TextOutTest, BarcodeIsPlacedAtTheTopLeftOfItsBox) {
  SetBarColor(0, 1);
  EXPECT_TRUE(Draw(u"ABC12", {100, 50, 200, 70}, u"Arial", kRed));
  EXPECT_TRUE(Draw(u"x", {10, 200, 20, 210}, u"Arial", kBlack));
  // CODE128, 5 symbol characters, size 0, 10 mm at 8 dots/mm: x 100, y 240 - 50.
  EXPECT_NE(Stream().find("<STX>0<ESC>B0000501000190B0010Y<ETX>"), std::string::npos) << Stream();
}

TEST_F(TextOutTest, OverlongRunsAreDroppedNotOverflowed) {
  // A field-font run longer than the field text buffer is dropped whole.
  const std::u16string longRun(1500, u'9');
  EXPECT_TRUE(Draw(longRun, {10, 10, 300, 30}, u"Calendar 1"));
  EXPECT_EQ(Dc().deviceFont.kind, 0);
  // Appending past 1023 bytes drops the run that would overflow.
  const std::u16string part(600, u'9');
  EXPECT_TRUE(Draw(part, {10, 10, 100, 30}, u"Calendar 1"));
  EXPECT_TRUE(Draw(part, {100, 10, 200, 30}, u"Calendar 1"));
  EXPECT_EQ(Dc().deviceFont.length, 600u);
  EXPECT_EQ(Dc().deviceFont.rect.right, 200);
  // The barcode text stops at 3000 bytes, at run granularity.
  SetBarColor(0, 1);
  const std::u16string chunk(1000, u'1');
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(Draw(chunk, {10 + 10 * i, 50, 20 + 10 * i, 70}, u"Arial", kRed));
  }
  EXPECT_EQ(Dc().barcode.length, 3000u);
  EXPECT_EQ(Dc().barcode.rect.right, 50);
}

TEST_F(TextOutTest, CalendarFieldPrintsTheClockDate) {
  ENG_TIME_FIELDS clock{};
  clock.usYear = 2026;
  clock.usMonth = 3;
  clock.usDay = 5;
  clock.usHour = 10;
  clock.usMinute = 7;
  clock.usSecond = 9;
  host::SetClock(clock);
  settings::CalendarEntry& entry = Dc().calendarOpt.Entry[0];
  entry.CalendarDate = 0;
  entry.CalendarFormat = 6;
  EXPECT_TRUE(Draw(u"YY/MM/DD  ", {20, 100, 120, 130}, u"Calendar 1"));
  EXPECT_TRUE(Draw(u"x", {10, 200, 20, 210}, u"Arial"));
  // Baseline 130 + (100 - 130) * 200 / 1000 = 124; cell 'L' at 8 dots/mm is 16 x 28.
  EXPECT_NE(Stream().find("<STX>0<ESC>C0000800200116L01102<ETX><STX>1<ESC>C00026/03/05<ETX>"), std::string::npos)
      << Stream();
}

TEST_F(TextOutTest, ShortQrTextNamesADataFileInTheDriverFolder) {
  const std::string content(120, 'Z');
  std::ofstream(dir_ + "/LOT42.C2D", std::ios::binary) << content;
  SetBarColor(0, 3, 10);
  Dc().barColorOpt.Entry[0].BarCodeQrCellSize = 4;
  Dc().barColorOpt.Entry[0].BarCodeQrErrLevel = 1;
  Dc().barColorOpt.Entry[0].BarCodeQrModel = 1;
  EXPECT_TRUE(Draw(u"LOT42", {100, 50, 200, 70}, u"Arial", 0x0000FF));
  EXPECT_TRUE(Draw(u"LOT43", {100, 150, 200, 170}, u"Arial", 0x0000FF));  // no such file: the text is the data
  EXPECT_TRUE(Draw(u"x", {10, 200, 20, 210}, u"Arial"));
  const std::string stream = Stream();
  // The file's 120 bytes are the data; the field is anchored at its box's bottom left.
  EXPECT_NE(stream.find("<STX>0<ESC>Q00001200100017000101000<ETX><STX>EQR06MA2<ETX><STX>1<ESC>Q000" + content + "<ETX>"),
            std::string::npos)
      << stream;
  EXPECT_NE(stream.find("<STX>1<ESC>Q000LOT43<ETX>"), std::string::npos);
}

TEST_F(TextOutTest, SpacesOnlyPlaceholderSendsNothing) {
  EXPECT_TRUE(Draw(u"    ", {20, 100, 120, 130}, u"Calendar 1"));
  EXPECT_TRUE(Draw(u"x", {10, 200, 20, 210}, u"Arial"));
  EXPECT_EQ(Stream(), "");
  EXPECT_EQ(Dc().deviceFont.kind, 0);
}

TEST_F(TextOutTest, ManualFieldGoesToTheTerminalAsARecord) {
  Dc().devmode.priv.PrintDevice = 1;
  settings::VariableEntry& entry = Dc().variableOpt.Entry[1];
  std::memcpy(entry.DisplayLine2, "Qty:            ", 16);
  entry.DisplayInPos = 4;
  entry.DisplayCharaNo = 0;
  EXPECT_TRUE(Draw(u"00000", {20, 100, 120, 130}, u"Manual 2"));
  EXPECT_FALSE(Inked());
  EXPECT_TRUE(Draw(u"x", {10, 200, 20, 210}, u"Arial"));
  const host::Bytes written = Written();
  ASSERT_EQ(written.size(), 1078u);
  EXPECT_EQ(written[0], 0x36);  // 1078 = 0x436
  EXPECT_EQ(written[1], 0x04);
  EXPECT_EQ(written[4], 5);
  EXPECT_EQ(written[13 + 35], 5) << "DisplayCharaNo worked out from the text";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&written[13 + 41])), "00000");
}

}  // namespace
