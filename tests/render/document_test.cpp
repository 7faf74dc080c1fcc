#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver_fixture.h"
#include "platform/host_syscalls.h"
#include "render/device_context.h"
#include "settings/records.h"

namespace {

using qztest::AsText;
using qztest::DriverTest;
using qztest::ModelSpec;

render::DeviceContext& Dc(DHPDEV pdev) { return *reinterpret_cast<render::DeviceContext*>(pdev); }

std::string Joined(const std::vector<host::Bytes>& writes) {
  std::string text;
  for (const host::Bytes& w : writes) text += AsText(w) + "|";
  return text;
}

struct HeaderCase {
  const char* name;
  ModelSpec model;
  void (*setup)(settings::PrivateOpt&, settings::LabelEntry&);
  const char* expected;  // each write followed by '|'
};

TEST_F(DriverTest, JobHeader) {
  ModelSpec plain;
  plain.hasDivide = 0;
  plain.hasErrorReprint = 0;
  plain.hasRibbonSave = 0;
  ModelSpec full = plain;
  full.hasDivide = 1;
  full.hasErrorReprint = 1;
  full.hasRibbonSave = 1;
  const HeaderCase kCases[] = {
      {"every option off, no model features", plain, [](settings::PrivateOpt&, settings::LabelEntry&) {}, ""},
      {"Y offset 3", plain,
       [](settings::PrivateOpt& o, settings::LabelEntry&) {
         o.YOffset = 1;
         settings::SetYOffsetNum(o, 3);
       },
       "<STX>A00024<ETX>|"},
      {"cut quantity 5", plain,
       [](settings::PrivateOpt& o, settings::LabelEntry&) {
         o.PrintCutqty = 1;
         o.PrintCutqtyNum = 5;
       },
       "<STX>ECN0501<ETX>|"},
      {"pitch of 50.0 mm", plain,
       [](settings::PrivateOpt& o, settings::LabelEntry& l) {
         o.PrintPitch = 1;
         l.LabelLength = 500;
       },
       "<STX>4040101<ETX>|"},
      {"pitch of 50.3 mm", plain,
       [](settings::PrivateOpt& o, settings::LabelEntry& l) {
         o.PrintPitch = 1;
         l.LabelLength = 503;
       },
       "<STX>4040201<ETX>|"},
      {"model features carry the user's choice", full,
       [](settings::PrivateOpt& o, settings::LabelEntry&) {
         o.Divide = 1;
         o.PrintError = 0;
         o.PrintRibbon = 1;
       },
       "<STX>EDN2<ETX>|<STX>ERP0<ETX>|<STX>ERS1<ETX>|"},
      {"all in order", full,
       [](settings::PrivateOpt& o, settings::LabelEntry& l) {
         o.YOffset = 1;
         settings::SetYOffsetNum(o, 1);
         o.PrintCutqty = 1;
         o.PrintCutqtyNum = 2;
         o.PrintPitch = 1;
         l.LabelLength = 300;
       },
       "<STX>A00008<ETX>|<STX>ECN0201<ETX>|<STX>4024101<ETX>|<STX>EDN1<ETX>|<STX>ERP1<ETX>|<STX>ERS0<ETX>|"},
  };
  for (const HeaderCase& c : kCases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    InstallPrinter(c.model);
    ASSERT_NE(Enable(), nullptr);
    render::DeviceContext& dc = Dc(pdev_);
    c.setup(dc.devmode.priv, *dc.label);
    ASSERT_NE(StartDocument(), nullptr);
    EXPECT_EQ(Joined(Writes()), c.expected);
  }
}

TEST_F(DriverTest, HeaderValueThatDoesNotFitFailsTheDocumentStart) {
  InstallPrinter(ModelSpec{});
  ASSERT_NE(Enable(), nullptr);
  render::DeviceContext& dc = Dc(pdev_);
  dc.devmode.priv.YOffset = 1;
  settings::SetYOffsetNum(dc.devmode.priv, 12500);  // 100000 dots
  surface_ = DrvEnableSurface(pdev_);
  EXPECT_FALSE(DrvStartDoc(host::SurfaceOf(surface_), nullptr, 1));
  EXPECT_TRUE(Writes().empty());
}

struct PagesCase {
  const char* name;
  int pages;
  BYTE cut, lastCut, pattern;
  SHORT copies;
  const char* expected;
};

TEST_F(DriverTest, PageEndsAndCuts) {
  static const PagesCase kCases[] = {
      {"no page still ends the job", 0, 1, 0, 0, 1, "<STX>2<ESC>P00010<ETX>|<STX>ECC0<ETX>|"},
      {"two pages, cut per page", 2, 1, 0, 0, 1,
       "<STX>2<ESC>P00010<ETX>|<STX>ECC0<ETX>|<STX>2<ESC>P00010<ETX>|<STX>ECC0<ETX>|"},
      {"two pages, last cut only", 2, 1, 1, 0, 1, "<STX>2<ESC>P00010<ETX>|<STX>2<ESC>P00010<ETX>|<STX>ECC0<ETX>|"},
      {"no cut", 2, 0, 0, 0, 1, "<STX>2<ESC>P00010<ETX>|<STX>2<ESC>P00010<ETX>|"},
      {"12 copies, pattern 2 on the last page", 2, 0, 0, 2, 12, "<STX>2<ESC>P00120<ETX>|<STX>2<ESC>P00122<ETX>|"},
  };
  for (const PagesCase& c : kCases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    InstallPrinter(ModelSpec{});
    ASSERT_NE(Enable(), nullptr);
    render::DeviceContext& dc = Dc(pdev_);
    dc.devmode.priv.PrintCut = c.cut;
    dc.devmode.priv.PrintLastCut = c.lastCut;
    dc.devmode.priv.PrintPattern = c.pattern;
    dc.devmode.dm.dmCopies = c.copies;
    SURFOBJ* so = StartDocument();
    ASSERT_NE(so, nullptr);
    for (int i = 0; i < c.pages; ++i) ASSERT_TRUE(DrvStartPage(so));
    ASSERT_TRUE(DrvEndDoc(so, 0));
    EXPECT_EQ(Joined(Writes()), c.expected);
  }
}

TEST_F(DriverTest, ModelWithoutCutterNeverCuts) {
  ModelSpec model;
  model.hasCut = 0;
  InstallPrinter(model);
  ASSERT_NE(Enable(), nullptr);
  Dc(pdev_).devmode.priv.PrintCut = 1;
  SURFOBJ* so = StartDocument();
  ASSERT_TRUE(DrvStartPage(so));
  ASSERT_TRUE(DrvEndDoc(so, 0));
  EXPECT_EQ(Joined(Writes()), "<STX>2<ESC>P00010<ETX>|");
}

TEST_F(DriverTest, PageStartPaintsTheSurfaceWhite) {
  InstallPrinter(ModelSpec{});
  ASSERT_NE(Enable(), nullptr);
  SURFOBJ* so = StartDocument();
  ASSERT_NE(so, nullptr);
  static_cast<BYTE*>(so->pvBits)[10] = 0;
  ASSERT_TRUE(DrvStartPage(so));
  const BYTE* bits = static_cast<const BYTE*>(so->pvBits);
  for (ULONG i = 0; i < so->cjBits; ++i) ASSERT_EQ(bits[i], 0xFF) << i;
}

TEST_F(DriverTest, KeyboardTerminalHeaderAndNothingBetweenPages) {
  InstallPrinter(ModelSpec{});
  ASSERT_NE(Enable(), nullptr);
  settings::PrivateOpt& opt = Dc(pdev_).devmode.priv;
  opt.PrintDevice = 1;
  opt.PrintCut = 1;
  std::memset(opt.FileName, 0, sizeof opt.FileName);
  std::memcpy(opt.FileName, "LABEL1", 6);
  SURFOBJ* so = StartDocument();
  ASSERT_NE(so, nullptr);
  ASSERT_TRUE(DrvStartPage(so));
  ASSERT_TRUE(DrvStartPage(so));
  ASSERT_TRUE(DrvEndDoc(so, 0));
  const std::vector<host::Bytes> writes = Writes();
  ASSERT_EQ(writes.size(), 2u) << Joined(writes);
  EXPECT_EQ(writes[0], (host::Bytes{'K', 'T'}));
  const host::Bytes header{0x0E, 0, 0, 0, 0, 'L', 'A', 'B', 'E', 'L', '1', 0, 0, 0};
  EXPECT_EQ(writes[1], header);
}

TEST_F(DriverTest, RefusedWriteFailsTheCallAndKeepsThePageState) {
  InstallPrinter(ModelSpec{});
  ASSERT_NE(Enable(), nullptr);
  Dc(pdev_).devmode.priv.PrintCut = 1;
  SURFOBJ* so = StartDocument();
  ASSERT_NE(so, nullptr);
  ASSERT_TRUE(DrvStartPage(so));
  {
    // The page end goes through, the cut after it is refused.
    static int calls;
    calls = 0;
    host::ScopedSyscall<decltype(&::WritePrinter)> failing(
        &host::Syscalls::WritePrinter, [](HANDLE h, LPVOID buf, DWORD cb, LPDWORD written) -> BOOL {
          if (++calls == 2) return FALSE;
          return host::DefaultSyscalls().WritePrinter(h, buf, cb, written);
        });
    EXPECT_FALSE(DrvStartPage(so));
  }
  EXPECT_EQ(Joined(Writes()), "<STX>2<ESC>P00010<ETX>|");
  EXPECT_EQ(Dc(pdev_).pageStarted, 1u);
}

TEST_F(DriverTest, ShortWriteCountsAsFailure) {
  InstallPrinter(ModelSpec{});
  ASSERT_NE(Enable(), nullptr);
  SURFOBJ* so = StartDocument();
  ASSERT_NE(so, nullptr);
  host::ScopedSyscall<decltype(&::WritePrinter)> shortWrite(
      &host::Syscalls::WritePrinter, [](HANDLE, LPVOID, DWORD cb, LPDWORD written) -> BOOL {
        *written = cb - 1;
        return TRUE;
      });
  EXPECT_FALSE(DrvEndDoc(so, 0));
}

}  // namespace
