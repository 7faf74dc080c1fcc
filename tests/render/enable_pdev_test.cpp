#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "driver_fixture.h"
#include "render/device_context.h"

namespace {

using qztest::DriverTest;
using qztest::ModelSpec;

DEVMODEW PublicDevmode(DWORD fields) {
  DEVMODEW dm{};
  dm.dmSpecVersion = 0x0401;
  dm.dmSize = sizeof(DEVMODEW);
  dm.dmDriverExtra = 0;
  dm.dmFields = fields;
  return dm;
}

render::DeviceContext& Dc(DHPDEV pdev) { return *reinterpret_cast<render::DeviceContext*>(pdev); }

ModelSpec ThreePapers() {
  ModelSpec model;
  model.papers = {{"A", 500, 300}, {"B", 600, 400}, {"C", 700, 500}};
  return model;
}

TEST_F(DriverTest, DescribesTheLabelToGdi) {
  InstallPrinter(ModelSpec{});
  ASSERT_NE(Enable(), nullptr);
  // Label 1 of the model: 50.0 x 30.0 mm at 8 dots/mm, 203 dpi.
  EXPECT_EQ(gdiInfo_.ulVersion, 0x400u);
  EXPECT_EQ(gdiInfo_.ulTechnology, 2u);
  EXPECT_EQ(gdiInfo_.ulHorzSize, static_cast<ULONG>(-50000));
  EXPECT_EQ(gdiInfo_.ulVertSize, static_cast<ULONG>(-30000));
  EXPECT_EQ(gdiInfo_.ulHorzRes, 400u);
  EXPECT_EQ(gdiInfo_.ulVertRes, 240u);
  EXPECT_EQ(gdiInfo_.cBitsPixel, 24u);
  EXPECT_EQ(gdiInfo_.cPlanes, 1u);
  EXPECT_EQ(gdiInfo_.ulNumColors, 16777216u);
  EXPECT_EQ(gdiInfo_.ulLogPixelsX, 203u);
  EXPECT_EQ(gdiInfo_.ulLogPixelsY, 203u);
  EXPECT_EQ(gdiInfo_.flTextCaps, 0x5807u);
  EXPECT_EQ(gdiInfo_.ulAspectX, 203u);
  EXPECT_EQ(gdiInfo_.ulAspectXY, 289u);
  EXPECT_EQ(gdiInfo_.xStyleStep, 1);
  EXPECT_EQ(gdiInfo_.denStyleStep, 8);
  EXPECT_EQ(gdiInfo_.szlPhysSize.cx, 400);
  EXPECT_EQ(gdiInfo_.szlPhysSize.cy, 240);
  EXPECT_EQ(gdiInfo_.ptlPhysOffset.x, 0);

  EXPECT_EQ(devInfo_.flGraphicsCaps, 0x211Fu);
  EXPECT_EQ(devInfo_.iDitherFormat, 5u);
  EXPECT_EQ(devInfo_.cFonts, 0u);
  EXPECT_EQ(host::PaletteMode(devInfo_.hpalDefault), static_cast<ULONG>(PAL_BGR));
}

TEST_F(DriverTest, PageSizeFollowsOrientationPaperCodeAndCustomSize) {
  struct Case {
    const char* name;
    DWORD fields;
    SHORT orientation, paperSize, width, length;
    ULONG horzRes, vertRes;
    unsigned labelIndex;
  };
  static const Case kCases[] = {
      {"label 1", 0, 1, 0, 0, 0, 400, 240, 0},
      {"landscape swaps", DM_ORIENTATION, 2, 0, 0, 0, 240, 400, 0},
      {"code 317 is label 3", DM_PAPERSIZE, 1, 317, 0, 0, 560, 400, 2},
      {"code 324 is label 10 at the maximum", DM_PAPERSIZE, 1, 324, 0, 0, 832, 1200, 9},
      {"code 500 is label 1", DM_PAPERSIZE, 1, 500, 0, 0, 400, 240, 0},
      {"standard paper code is label 1", DM_PAPERSIZE, 1, 9, 0, 0, 400, 240, 0},
      {"custom 100 x 80 mm", DM_PAPERWIDTH | DM_PAPERLENGTH, 1, 0, 1000, 800, 800, 640, 0},
      {"custom in landscape", DM_PAPERWIDTH | DM_PAPERLENGTH | DM_ORIENTATION, 2, 0, 1000, 800, 640, 800, 0},
      {"custom with a zero width is not taken", DM_PAPERWIDTH | DM_PAPERLENGTH, 1, 0, 0, 800, 400, 240, 0},
      {"custom with a negative length is not taken", DM_PAPERWIDTH | DM_PAPERLENGTH, 1, 0, 1000, -5, 400, 240, 0},
      {"orientation 3 becomes portrait", DM_ORIENTATION, 3, 0, 0, 0, 400, 240, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    InstallPrinter(ThreePapers());
    DEVMODEW dm = PublicDevmode(c.fields);
    dm.dmOrientation = c.orientation;
    dm.dmPaperSize = c.paperSize;
    dm.dmPaperWidth = c.width;
    dm.dmPaperLength = c.length;
    ASSERT_NE(Enable(&dm), nullptr);
    EXPECT_EQ(gdiInfo_.ulHorzRes, c.horzRes);
    EXPECT_EQ(gdiInfo_.ulVertRes, c.vertRes);
    EXPECT_EQ(Dc(pdev_).label - Dc(pdev_).paperOpt.Entry, static_cast<std::ptrdiff_t>(c.labelIndex));
  }
}

TEST_F(DriverTest, ModelFileChecks) {
  struct Case {
    const char* name;
    int sizeDelta;       // added to the first value
    std::size_t cut;     // bytes removed from the end after sizing
    bool paperOverrun;   // PaperCount claims one paper more than present
    bool enables;
  };
  static const Case kCases[] = {
      {"size matches", 0, 0, false, true},
      {"first value one less than the size", -1, 0, false, false},
      {"first value one more than the size", 1, 0, false, false},
      {"paper count beyond the file", 0, 0, true, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    std::vector<std::uint8_t> bytes = qztest::BuildModel(ThreePapers());
    if (c.paperOverrun) bytes[56] = 4;
    const std::uint32_t size = static_cast<std::uint32_t>(static_cast<int>(bytes.size()) + c.sizeDelta);
    std::memcpy(bytes.data(), &size, 4);
    InstallPrinterWithModelBytes(bytes);
    EXPECT_EQ(Enable() != nullptr, c.enables);
  }
}

TEST_F(DriverTest, OnePaperFileReadsTheMissingDefaultsAsZero) {
  ModelSpec model;
  model.hasCompression = 1;
  ASSERT_EQ(qztest::BuildModel(model).size(), 136u);
  InstallPrinter(model);
  ASSERT_NE(Enable(), nullptr);
  EXPECT_EQ(Dc(pdev_).devmode.priv.Compression, 0);
  EXPECT_EQ(Dc(pdev_).devmode.priv.PrintPos, 0);
}

TEST_F(DriverTest, ModelDefaultsReachThePrivatePart) {
  ModelSpec model;
  model.withDefaults = true;
  model.compressionDefault = 1;
  model.printPosDefault = 2;
  model.hasErrorReprint = 1;
  InstallPrinter(model);
  ASSERT_NE(Enable(), nullptr);
  EXPECT_EQ(Dc(pdev_).devmode.priv.Compression, 1);
  EXPECT_EQ(Dc(pdev_).devmode.priv.PrintPos, 2);
  EXPECT_EQ(Dc(pdev_).devmode.priv.PrintError, 1);
  EXPECT_EQ(Dc(pdev_).devmode.dm.dmPrintQuality, 203);
}

TEST_F(DriverTest, MissingDataFileOrPrinterFails) {
  InstallPrinter(ModelSpec{});
  std::filesystem::remove(dir_ + "/MODEL.QZM");
  const int heaps = host::LiveHeapCount();
  EXPECT_EQ(Enable(), nullptr);
  EXPECT_EQ(host::LiveHeapCount(), heaps) << "a failed enable leaves no heap behind";
}

TEST_F(DriverTest, DriverFolderIsTheDataFileFolder) {
  InstallPrinter(ModelSpec{});
  ASSERT_NE(Enable(), nullptr);
  const std::u16string expected = host::ToWindowsPath(dir_) + u"\\";
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(Dc(pdev_).driverFolder)), expected);
}

TEST_F(DriverTest, OptionBlocksOfTheRightSizeAreTakenOthersDefault) {
  InstallPrinter(ThreePapers());
  const std::u16string key = host::PrinterDataKey(printerName_);
  host::Bytes barColors(160, 0);
  barColors[0] = 3;   // entry 0: colour 3
  barColors[1] = 8;   // CODE128
  host::RegistrySet(HKEY_LOCAL_MACHINE, key, u"BarColorOptSize", REG_DWORD, {160, 0, 0, 0});
  host::RegistrySet(HKEY_LOCAL_MACHINE, key, u"BarColorOpt", REG_BINARY, barColors);
  // A paper list one byte short is ignored whole.
  host::RegistrySet(HKEY_LOCAL_MACHINE, key, u"PaperOptSize", REG_DWORD, {0x77, 0x05, 0, 0});
  host::RegistrySet(HKEY_LOCAL_MACHINE, key, u"PaperOpt", REG_BINARY, host::Bytes(1399, 0x11));
  // A calendar block whose size value says 0 is ignored.
  host::RegistrySet(HKEY_LOCAL_MACHINE, key, u"CalendarOptSize", REG_DWORD, {0, 0, 0, 0});
  ASSERT_NE(Enable(), nullptr);
  const render::DeviceContext& dc = Dc(pdev_);
  EXPECT_EQ(dc.barColorOpt.Entry[0].BarCodeColor, 3);
  EXPECT_EQ(dc.barColorOpt.Entry[0].BarCodeKind, 8);
  EXPECT_EQ(dc.barColorOpt.Entry[1].BarCodeLength, 0) << "a stored block is taken as it is";
  EXPECT_EQ(dc.paperOpt.Entry[1].LabelWidth, 600u) << "paper list rebuilt from the model";
  EXPECT_EQ(dc.paperOpt.Entry[9].LabelWidth, 1040u);
  EXPECT_EQ(dc.calendarOpt.Entry[0].CalendarKind, 2) << "calendar defaults";
  EXPECT_EQ(dc.calendarOpt.Entry[0].CalendarGap, 2);
  EXPECT_EQ(dc.variableOpt.Entry[0].ManualKind, 3) << "variable defaults";
}

TEST_F(DriverTest, ForeignOrCorruptDevmodeLeavesTheDefaults) {
  InstallPrinter(ModelSpec{});
  // Size 100 with version 0 is no known layout: the merge fails, the call does not.
  DEVMODEW dm = PublicDevmode(DM_COPIES);
  dm.dmSize = 100;
  dm.dmSpecVersion = 0;
  dm.dmCopies = 5;
  ASSERT_NE(Enable(&dm), nullptr);
  EXPECT_EQ(Dc(pdev_).devmode.dm.dmCopies, 1);
}

TEST_F(DriverTest, GdiInfoBufferTakesOnlyWhatGdiAsksFor) {
  InstallPrinter(ModelSpec{});
  DRVENABLEDATA data{};
  ASSERT_TRUE(DrvEnableDriver(0x20000, sizeof data, &data));
  unsigned char caps[400];
  std::memset(caps, 0xAB, sizeof caps);
  unsigned char info[400];
  std::memset(info, 0xCD, sizeof info);
  std::u16string name = printerName_;
  pdev_ = DrvEnablePDEV(nullptr, nullptr, 0, nullptr, 100, reinterpret_cast<ULONG*>(caps), 40,
                        reinterpret_cast<DEVINFO*>(info), nullptr, name.data(), printer_);
  ASSERT_NE(pdev_, nullptr);
  EXPECT_EQ(caps[99], 0) << "inside the 100 bytes: GDIINFO bytes";
  EXPECT_EQ(caps[100], 0xAB);
  EXPECT_EQ(info[40], 0xCD);
}

TEST_F(DriverTest, EntryPointsCheckTheSignatures) {
  InstallPrinter(ModelSpec{});
  ASSERT_NE(Enable(), nullptr);
  render::DeviceContext& dc = Dc(pdev_);
  SURFOBJ* so = StartDocument();
  ASSERT_NE(so, nullptr);

  dc.signature2 = 0;
  SetLastError(0);
  EXPECT_FALSE(DrvStartPage(so));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  DrvCompletePDEV(pdev_, hdev_);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_FALSE(DrvEndDoc(so, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  dc.signature2 = render::kSignature;

  SetLastError(0);
  EXPECT_EQ(DrvEnableSurface(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  DrvDisablePDEV(nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DriverTest, SurfaceIsA24BitBottomUpPageWithTextHooked) {
  ModelSpec model;
  model.papers = {{"odd", 253, 300}};  // 202 pixels: 606 bytes, padded to 608
  InstallPrinter(model);
  ASSERT_NE(Enable(), nullptr);
  surface_ = DrvEnableSurface(pdev_);
  ASSERT_NE(surface_, nullptr);
  const SURFOBJ* so = host::SurfaceOf(surface_);
  ASSERT_NE(so, nullptr);
  EXPECT_EQ(so->iBitmapFormat, static_cast<ULONG>(BMF_24BPP));
  EXPECT_EQ(so->sizlBitmap.cx, 202);
  EXPECT_EQ(so->sizlBitmap.cy, 240);
  EXPECT_EQ(so->lDelta, -608);
  EXPECT_EQ(static_cast<const BYTE*>(so->pvScan0), static_cast<const BYTE*>(so->pvBits) + 608 * 239);
  EXPECT_EQ(so->dhpdev, pdev_);
  EXPECT_EQ(host::SurfaceHooks(surface_), static_cast<FLONG>(HOOK_TEXTOUT));
}

TEST_F(DriverTest, DisablingReleasesEverything) {
  InstallPrinter(ModelSpec{});
  const int heaps = host::LiveHeapCount();
  const int palettes = host::LivePaletteCount();
  const int surfaces = host::LiveSurfaceCount();
  ASSERT_NE(Enable(), nullptr);
  ASSERT_NE(StartDocument(), nullptr);
  DisableAll();
  EXPECT_EQ(host::LiveHeapCount(), heaps);
  EXPECT_EQ(host::LivePaletteCount(), palettes);
  EXPECT_EQ(host::LiveSurfaceCount(), surfaces);
}

}  // namespace
