#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "driver_fixture.h"
#include "platform/host_syscalls.h"
#include "render/device_context.h"
#include "settings/records.h"

namespace {

using qztest::AsText;
using qztest::DriverTest;
using qztest::ModelSpec;

render::DeviceContext& Dc(DHPDEV pdev) { return *reinterpret_cast<render::DeviceContext*>(pdev); }

// ---- expected streams ----

std::string Header(char type, unsigned rows, unsigned bytesPerRow) {
  char text[16];
  std::snprintf(text, sizeof text, "\x02%c%04u%03u", type, rows, bytesPerRow);
  return text;
}

const std::string kEnd = "A\x03";

std::string Placement(unsigned x, unsigned bytesPerRow, unsigned rows) {
  char text[40];
  std::snprintf(text, sizeof text, "\x02" "2\x1B" "IA00000000%04u0000%03u%04u\x03", x, bytesPerRow, rows);
  return text;
}

struct Dot {
  unsigned row;
  unsigned byte;
  std::uint8_t bits;
};

// Printer rows all blank but for the given bytes.
std::string Rows(unsigned bytesPerRow, unsigned rows, std::initializer_list<Dot> dots = {}) {
  std::string data(std::size_t{bytesPerRow} * rows, '\0');
  for (const Dot& d : dots) data[std::size_t{d.row} * bytesPerRow + d.byte] = static_cast<char>(d.bits);
  return data;
}

// Every dot of every row printed, bits past the width 0.
std::string AllDots(unsigned width, unsigned rows) {
  const unsigned b = (width + 7) / 8;
  std::string row(b, '\xFF');
  if (width % 8 != 0) row[b - 1] = static_cast<char>(0xFF00 >> (width % 8));
  std::string data;
  for (unsigned r = 0; r < rows; ++r) data += row;
  return data;
}

// The run-length pairs of `count` zero bytes, and the whole code of a
// blank page of that many bytes (with the end pair).
std::string ZeroRuns(std::size_t count) {
  std::string code;
  for (; count > 255; count -= 255) code += std::string("\xFF\x00", 2);
  code += static_cast<char>(count);
  code += '\0';
  return code;
}
const std::string kEndPair(2, '\0');
std::string BlankCode(std::size_t count) { return ZeroRuns(count) + kEndPair; }

std::string U32(std::uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
  return bytes;
}

// Keyboard-terminal raster records: the header, then one record per row.
std::vector<std::string> TerminalRaster(std::int32_t x, unsigned bytesPerRow, const std::string& rows) {
  const unsigned count = static_cast<unsigned>(rows.size() / bytesPerRow);
  std::vector<std::string> records{U32(21) + '\x02' + U32(static_cast<std::uint32_t>(x)) + U32(0) +
                                   U32(bytesPerRow) + U32(count)};
  for (unsigned r = 0; r < count; ++r) {
    records.push_back(U32(bytesPerRow + 9) + '\x03' + U32(bytesPerRow) + rows.substr(r * bytesPerRow, bytesPerRow));
  }
  return records;
}

// ---- drawing on the surface as GDI would: row y = 0 is the top ----

struct Painter {
  SURFOBJ* so;

  std::uint8_t* At(LONG x, LONG y) const {
    return static_cast<std::uint8_t*>(so->pvScan0) + static_cast<std::ptrdiff_t>(y) * so->lDelta + 3 * x;
  }
  void Set(LONG x, LONG y, std::uint8_t blue, std::uint8_t green, std::uint8_t red) const {
    std::uint8_t* p = At(x, y);
    p[0] = blue;
    p[1] = green;
    p[2] = red;
  }
  void Black(LONG x, LONG y) const { Set(x, y, 0, 0, 0); }
  void FillBlack() const {
    for (LONG y = 0; y < so->sizlBitmap.cy; ++y) std::memset(At(0, y), 0, 3 * std::size_t(so->sizlBitmap.cx));
  }
};

struct PageCase {
  const char* name;
  std::uint32_t dotsPerMm;
  std::uint32_t hasCompression;
  SHORT orientation;
  SHORT paperSize;      // 0: label 1
  SHORT width, length;  // custom size in 0.1 mm; 0: the label's own (50 x 30 mm)
  void (*options)(settings::PrivateOpt&);
  void (*paint)(const Painter&);
  std::vector<std::string> expected;  // the page's writes, in order
};

class SendPageTest : public DriverTest {
 protected:
  // A printer with a model of MaxWidth 104 mm, the driver enabled for the
  // case's label and a page started on a white surface.
  SURFOBJ* StartPage(const PageCase& c) {
    ModelSpec model;
    model.dotsPerMm = c.dotsPerMm;
    model.maxWidth = 1040;
    model.hasCompression = c.hasCompression;
    InstallPrinter(model);
    DEVMODEW dm{};
    dm.dmSpecVersion = 0x0401;
    dm.dmSize = sizeof(DEVMODEW);
    dm.dmFields = DM_ORIENTATION;
    dm.dmOrientation = c.orientation;
    if (c.paperSize != 0) {
      dm.dmFields |= DM_PAPERSIZE;
      dm.dmPaperSize = c.paperSize;
    }
    if (c.width != 0) {
      dm.dmFields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
      dm.dmPaperWidth = c.width;
      dm.dmPaperLength = c.length;
    }
    if (Enable(&dm) == nullptr) return nullptr;
    settings::PrivateOpt& opt = Dc(pdev_).devmode.priv;
    opt.PrintPos = 2;  // at PrintPosNum 0 unless the case says otherwise
    settings::SetPrintPosNum(opt, 0);
    opt.Compression = 0;
    c.options(opt);
    SURFOBJ* so = StartDocument();
    if (so == nullptr || !DrvStartPage(so)) return nullptr;
    return so;
  }

  // The writes DrvSendPage makes, as strings.
  std::vector<std::string> SendPage(SURFOBJ* so, BOOL expectedResult = TRUE) {
    const std::size_t before = Writes().size();
    EXPECT_EQ(DrvSendPage(so), expectedResult);
    const std::vector<host::Bytes> all = Writes();
    std::vector<std::string> page;
    for (std::size_t i = before; i < all.size(); ++i) page.emplace_back(all[i].begin(), all[i].end());
    return page;
  }
};

// Short writes shown as text; long ones by their size and first difference.
void ExpectWrites(const std::vector<std::string>& actual, const std::vector<std::string>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    if (actual[i] == expected[i]) continue;
    if (expected[i].size() <= 64 && actual[i].size() <= 64) {
      ADD_FAILURE() << "write " << i << ": " << AsText({actual[i].begin(), actual[i].end()}) << " instead of "
                    << AsText({expected[i].begin(), expected[i].end()});
      continue;
    }
    std::size_t at = 0;
    while (at < actual[i].size() && at < expected[i].size() && actual[i][at] == expected[i][at]) ++at;
    ADD_FAILURE() << "write " << i << ": " << actual[i].size() << " bytes instead of " << expected[i].size()
                  << ", first difference at byte " << at;
  }
}

void NoOptions(settings::PrivateOpt&) {}
void Blank(const Painter&) {}

TEST_F(SendPageTest, PageImageAndPlacement) {
  // Label 1 is 50 x 30 mm: a 400 x 240 page at 8 dots/mm, 50 bytes per row.
  static const PageCase kCases[] = {
      {"blank page, plain", 8, 1, 1, 0, 0, 0, NoOptions, Blank,
       {Header('I', 240, 50), Rows(50, 240), kEnd, Placement(0, 50, 240)}},
      {"blank page, run-length: zero runs go on across rows", 8, 1, 1, 0, 0, 0,
       [](settings::PrivateOpt& o) { o.Compression = 1; }, Blank,
       {Header('X', 240, 50), BlankCode(12000), kEnd, Placement(0, 50, 240)}},
      {"Compression 2 sends plain", 8, 1, 1, 0, 0, 0, [](settings::PrivateOpt& o) { o.Compression = 2; }, Blank,
       {Header('I', 240, 50), Rows(50, 240), kEnd, Placement(0, 50, 240)}},
      {"a model without compression sends plain", 8, 0, 1, 0, 0, 0,
       [](settings::PrivateOpt& o) { o.Compression = 1; }, Blank,
       {Header('I', 240, 50), Rows(50, 240), kEnd, Placement(0, 50, 240)}},
      {"run-length of a drawn page", 8, 1, 1, 0, 0, 0, [](settings::PrivateOpt& o) { o.Compression = 1; },
       [](const Painter& p) {
         p.Black(0, 0);
         p.Black(399, 239);
       },
       {Header('X', 240, 50), std::string("\x01\x80", 2) + ZeroRuns(11998) + std::string("\x01\x01", 2) + kEndPair,
        kEnd, Placement(0, 50, 240)}},
      {"(254, 255, 255) prints, pure white does not", 8, 1, 1, 0, 0, 0, NoOptions,
       [](const Painter& p) {
         p.Set(0, 0, 254, 255, 255);
         p.Set(2, 0, 255, 255, 254);
       },
       {Header('I', 240, 50), Rows(50, 240, {{0, 0, 0xA0}}), kEnd, Placement(0, 50, 240)}},
      {"width 203: 26 bytes, the 5 low bits of the last 0", 8, 1, 1, 0, 254, 30, NoOptions,
       [](const Painter& p) { p.FillBlack(); },
       {Header('I', 24, 26), AllDots(203, 24), kEnd, Placement(0, 26, 24)}},
      {"Rotate in portrait: the first row is the bottom row read right to left", 8, 1, 1, 0, 0, 0,
       [](settings::PrivateOpt& o) { o.Label[0].Rotate = 1; },
       [](const Painter& p) {
         p.Black(0, 239);
         p.Black(2, 239);
         p.Black(0, 0);
       },
       {Header('I', 240, 50), Rows(50, 240, {{0, 49, 0x05}, {239, 49, 0x01}}), kEnd, Placement(0, 50, 240)}},
      {"Rotate of the current label, not of label 1", 8, 1, 1, 316, 0, 0,
       [](settings::PrivateOpt& o) { o.Label[1].Rotate = 1; },
       [](const Painter& p) { p.Black(0, 0); },  // label 2: 832 x 1200
       {Header('I', 1200, 104), Rows(104, 1200, {{1199, 103, 0x01}}), kEnd, Placement(0, 104, 1200)}},
      {"landscape: a 240 x 400 page prints 400 wide in 240 rows", 8, 1, 2, 0, 0, 0, NoOptions,
       [](const Painter& p) {
         p.Black(0, 0);      // top left: left end of the last row
         p.Black(0, 399);    // bottom left: right end of the last row
         p.Black(239, 0);    // top right: left end of the first row
       },
       {Header('I', 240, 50), Rows(50, 240, {{239, 0, 0x80}, {239, 49, 0x01}, {0, 0, 0x80}}), kEnd,
        Placement(0, 50, 240)}},
      {"landscape with Rotate: a quarter turn clockwise", 8, 1, 2, 0, 0, 0,
       [](settings::PrivateOpt& o) { o.Label[0].Rotate = 1; },
       [](const Painter& p) {
         p.Black(0, 0);      // top left: right end of the first row
         p.Black(0, 399);    // bottom left: left end of the first row
         p.Black(239, 0);    // top right: right end of the last row
       },
       {Header('I', 240, 50), Rows(50, 240, {{0, 0, 0x80}, {0, 49, 0x01}, {239, 49, 0x01}}), kEnd,
        Placement(0, 50, 240)}},
      {"centred: print width 832, image 800 -> x 16", 8, 1, 1, 0, 1000, 10,
       [](settings::PrivateOpt& o) { o.PrintPos = 0; }, Blank,
       {Header('I', 8, 100), Rows(100, 8), kEnd, Placement(16, 100, 8)}},
      {"right-aligned: x 832 - 800", 8, 1, 1, 0, 1000, 10, [](settings::PrivateOpt& o) { o.PrintPos = 1; }, Blank,
       {Header('I', 8, 100), Rows(100, 8), kEnd, Placement(32, 100, 8)}},
      {"PrintPosNum 25 at 12 dots/mm -> x 30", 12, 1, 1, 0, 0, 0,
       [](settings::PrivateOpt& o) { settings::SetPrintPosNum(o, 25); }, Blank,
       {Header('I', 360, 75), Rows(75, 360), kEnd, Placement(30, 75, 360)}},
      {"203 rows of 50 bytes at x 16", 8, 1, 1, 0, 500, 254,
       [](settings::PrivateOpt& o) { settings::SetPrintPosNum(o, 20); }, Blank,
       {"\x02I0203050", Rows(50, 203), kEnd, "\x02" "2\x1B" "IA00000000001600000500203\x03"}},
      {"x 9999 is placed", 8, 1, 1, 0, 1000, 10, [](settings::PrivateOpt& o) { settings::SetPrintPosNum(o, 12499); },
       Blank, {Header('I', 8, 100), Rows(100, 8), kEnd, Placement(9999, 100, 8)}},
      {"x 10000 does not fit: the block without its placement", 8, 1, 1, 0, 1000, 10,
       [](settings::PrivateOpt& o) { settings::SetPrintPosNum(o, 12500); }, Blank,
       {Header('I', 8, 100), Rows(100, 8), kEnd}},
      {"right-aligned and wider than the print width: no placement", 8, 1, 1, 0, 1125, 10,
       [](settings::PrivateOpt& o) { o.PrintPos = 1; }, Blank, {Header('I', 8, 113), Rows(113, 8), kEnd}},
      {"centred and wider than the print width: no placement", 8, 1, 1, 0, 1125, 10,
       [](settings::PrivateOpt& o) { o.PrintPos = 0; }, Blank, {Header('I', 8, 113), Rows(113, 8), kEnd}},
      {"9999 rows are sent", 8, 1, 1, 0, 10, 12499, NoOptions, Blank,
       {Header('I', 9999, 1), Rows(1, 9999), kEnd, Placement(0, 1, 9999)}},
      {"10000 rows: nothing of the image", 8, 1, 1, 0, 10, 12500, NoOptions, Blank, {}},
      {"999 bytes per row are sent", 8, 1, 1, 0, 9990, 10, NoOptions, Blank,
       {Header('I', 8, 999), Rows(999, 8), kEnd, Placement(0, 999, 8)}},
      {"1000 bytes per row: nothing of the image", 8, 1, 1, 0, 10000, 10, NoOptions, Blank, {}},
      {"10000 rows with run-length: nothing either", 8, 1, 1, 0, 10, 12500,
       [](settings::PrivateOpt& o) { o.Compression = 1; }, Blank, {}},
  };
  for (const PageCase& c : kCases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    SURFOBJ* so = StartPage(c);
    ASSERT_NE(so, nullptr);
    c.paint(Painter{so});
    ExpectWrites(SendPage(so), c.expected);
  }
}

TEST_F(SendPageTest, KeyboardTerminalRecords) {
  // 16 x 3 pixels, 2 bytes per row; the terminal takes plain rows whatever
  // the compression setting, and any offset.
  static const PageCase kCases[] = {
      {"right-aligned: x 832 - 16", 8, 1, 1, 0, 20, 4,
       [](settings::PrivateOpt& o) {
         o.PrintDevice = 1;
         o.Compression = 1;
         o.PrintPos = 1;
       },
       [](const Painter& p) {
         p.Black(0, 0);
         p.Black(15, 2);
       },
       TerminalRaster(816, 2, Rows(2, 3, {{0, 0, 0x80}, {2, 1, 0x01}}))},
      {"a negative offset is sent as it is", 8, 1, 1, 0, 1125, 3,
       [](settings::PrivateOpt& o) {
         o.PrintDevice = 1;
         o.PrintPos = 1;
       },
       Blank, TerminalRaster(-68, 113, Rows(113, 2))},
      {"rows beyond the printer's raster header still go to the terminal", 8, 1, 1, 0, 10, 12500,
       [](settings::PrivateOpt& o) { o.PrintDevice = 1; }, Blank, TerminalRaster(0, 1, Rows(1, 10000))},
  };
  for (const PageCase& c : kCases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    SURFOBJ* so = StartPage(c);
    ASSERT_NE(so, nullptr);
    c.paint(Painter{so});
    ExpectWrites(SendPage(so), c.expected);
  }
}

const PageCase kPlainLabel = {"label 1, plain", 8, 1, 1, 0, 0, 0, NoOptions, Blank, {}};

// The pending fields go out before the page image, and the slots are left
// empty, also when the surface is then refused.
TEST_F(SendPageTest, PendingFieldsFirst) {
  for (ULONG format : {ULONG{BMF_24BPP}, ULONG{BMF_32BPP}}) {
    SCOPED_TRACE(format);
    TearDown();
    SetUp();
    SURFOBJ* so = StartPage(kPlainLabel);
    ASSERT_NE(so, nullptr);
    render::DeviceContext& dc = Dc(pdev_);
    dc.barcode.entry.BarCodeColor = 1;
    dc.barcode.entry.BarCodeKind = 0;
    dc.barcode.entry.BarCodeSize = 2;
    dc.barcode.entry.BarCodeLength = 10;
    dc.barcode.rect = {40, 40, 200, 120};
    std::strcpy(dc.barcode.text, "123456");
    dc.barcode.length = 6;
    dc.deviceFont.kind = 11;  // a manual field with no text: nothing to send
    so->iBitmapFormat = format;
    const std::vector<std::string> writes = SendPage(so, format == BMF_24BPP ? TRUE : FALSE);
    so->iBitmapFormat = BMF_24BPP;
    EXPECT_EQ(dc.barcode.entry.BarCodeColor, 0);
    EXPECT_EQ(dc.deviceFont.kind, 0);
    ASSERT_GE(writes.size(), 1u);
    EXPECT_EQ(writes[0].substr(0, 4), "\x02" "0\x1B" "B") << AsText({writes[0].begin(), writes[0].end()});
    if (format == BMF_24BPP) {
      ASSERT_GE(writes.size(), 4u);
      EXPECT_EQ(writes[writes.size() - 4], Header('I', 240, 50));
    } else {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
      for (const std::string& w : writes) EXPECT_NE(w.substr(0, 2), "\x02I");
    }
  }
}

TEST_F(SendPageTest, RefusesWhatIsNotItsPage) {
  SURFOBJ* so = StartPage(kPlainLabel);
  ASSERT_NE(so, nullptr);
  struct Case {
    const char* name;
    void (*spoil)(SURFOBJ&, render::DeviceContext&);
  };
  static const Case kCases[] = {
      {"1 bit per pixel", [](SURFOBJ& s, render::DeviceContext&) { s.iBitmapFormat = BMF_1BPP; }},
      {"32 bits per pixel", [](SURFOBJ& s, render::DeviceContext&) { s.iBitmapFormat = BMF_32BPP; }},
      {"no bits", [](SURFOBJ& s, render::DeviceContext&) { s.pvScan0 = nullptr; }},
      {"rows shorter than their pixels", [](SURFOBJ& s, render::DeviceContext&) { s.lDelta = -3 * 400 + 1; }},
      {"second signature wrong", [](SURFOBJ&, render::DeviceContext& d) { d.signature2 = 0; }},
      {"first signature wrong", [](SURFOBJ&, render::DeviceContext& d) { d.signature = 0; }},
  };
  render::DeviceContext& dc = Dc(pdev_);
  const SURFOBJ surface = *so;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    c.spoil(*so, dc);
    SetLastError(0);
    EXPECT_TRUE(SendPage(so, FALSE).empty());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    *so = surface;
    dc.signature = dc.signature2 = render::kSignature;
  }
  SetLastError(0);
  EXPECT_FALSE(DrvSendPage(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // Restored, the same surface prints.
  EXPECT_EQ(SendPage(so).size(), 4u);
}

// ---- page memory ----

// Every block the page takes from the heap, and the call that fails.
struct HeapLog {
  std::vector<std::pair<HANDLE, void*>> blocks;
  std::vector<SIZE_T> sizes;
  int failFrom = -1;  // the first call (0-based) that fails; -1 none
  int calls = 0;
};
HeapLog* theLog = nullptr;

LPVOID LoggedHeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  const int call = theLog->calls++;
  if (theLog->failFrom >= 0 && call >= theLog->failFrom) return nullptr;
  void* block = host::DefaultSyscalls().HeapAlloc(heap, flags, bytes);
  theLog->blocks.emplace_back(heap, block);
  theLog->sizes.push_back(bytes);
  return block;
}

class PageMemoryTest : public SendPageTest {
 protected:
  std::vector<std::string> SendLogged(SURFOBJ* so, BOOL expectedResult) {
    theLog = &log_;
    host::ScopedSyscall<decltype(&::HeapAlloc)> alloc(&host::Syscalls::HeapAlloc, &LoggedHeapAlloc);
    std::vector<std::string> writes = SendPage(so, expectedResult);
    theLog = nullptr;
    return writes;
  }
  HeapLog log_;
};

// Far less than the 24-bit page, and all of it freed before returning.
TEST_F(PageMemoryTest, PageBlocksAreSmallAndFreed) {
  static const PageCase kCases[] = {
      {"portrait", 8, 1, 1, 0, 0, 0, NoOptions, Blank, {}},
      {"portrait, Rotate, run-length", 8, 1, 1, 0, 0, 0,
       [](settings::PrivateOpt& o) {
         o.Label[0].Rotate = 1;
         o.Compression = 1;
       },
       Blank, {}},
      {"landscape, Rotate", 8, 1, 2, 0, 0, 0, [](settings::PrivateOpt& o) { o.Label[0].Rotate = 1; }, Blank, {}},
      {"keyboard terminal", 8, 1, 1, 0, 0, 0, [](settings::PrivateOpt& o) { o.PrintDevice = 1; }, Blank, {}},
  };
  for (const PageCase& c : kCases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    log_ = {};
    SURFOBJ* so = StartPage(c);
    ASSERT_NE(so, nullptr);
    EXPECT_FALSE(SendLogged(so, TRUE).empty());
    ASSERT_FALSE(log_.blocks.empty());
    SIZE_T total = 0;
    for (SIZE_T size : log_.sizes) total += size;
    // The printer rows, room for their worst-case code and a band of
    // scratch: a small part of the 288000-byte page.
    const SIZE_T rows = 240 * 50;
    EXPECT_LE(total, 2 * rows + 2 + 1024) << "page memory beyond rows, code and scratch";
    for (const auto& [heap, block] : log_.blocks) {
      EXPECT_EQ(heap, Dc(pdev_).heap);
      EXPECT_EQ(HeapSize(heap, 0, block), static_cast<SIZE_T>(-1)) << "a page block left allocated";
    }
  }
}

TEST_F(PageMemoryTest, AllocationFailures) {
  struct Case {
    PageCase page;
    int failFrom;
    BOOL result;
    DWORD error;
  };
  static const Case kCases[] = {
      {{"no page buffer", 8, 1, 1, 0, 0, 0, NoOptions, Blank, {}}, 0, FALSE, ERROR_NOT_ENOUGH_MEMORY},
      {{"no page buffer in landscape with Rotate", 8, 1, 2, 0, 0, 0,
        [](settings::PrivateOpt& o) { o.Label[0].Rotate = 1; }, Blank, {}},
       0, FALSE, ERROR_NOT_ENOUGH_MEMORY},
      {{"no page buffer for run-length coding", 8, 1, 1, 0, 0, 0, [](settings::PrivateOpt& o) { o.Compression = 1; },
        Blank, {}},
       0, FALSE, ERROR_NOT_ENOUGH_MEMORY},
      {{"no terminal record: nothing sent", 8, 1, 1, 0, 0, 0, [](settings::PrivateOpt& o) { o.PrintDevice = 1; },
        Blank, {}},
       1, TRUE, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.page.name);
    TearDown();
    SetUp();
    log_ = {};
    log_.failFrom = c.failFrom;
    SURFOBJ* so = StartPage(c.page);
    ASSERT_NE(so, nullptr);
    SetLastError(0);
    EXPECT_TRUE(SendLogged(so, c.result).empty());
    if (c.result == FALSE) {
      EXPECT_EQ(GetLastError(), c.error);
    }
    for (const auto& [heap, block] : log_.blocks) EXPECT_EQ(HeapSize(heap, 0, block), static_cast<SIZE_T>(-1));
  }
}

// ---- refused writes ----

int writeCalls = 0;
int refuseWrite = -1;

BOOL RefusingWritePrinter(HANDLE printer, LPVOID data, DWORD size, LPDWORD written) {
  if (writeCalls++ == refuseWrite) {
    *written = 0;
    return FALSE;
  }
  return host::DefaultSyscalls().WritePrinter(printer, data, size, written);
}

// A refused write ends the page there; the page still counts as processed.
TEST_F(SendPageTest, RefusedWriteEndsThePage) {
  const std::vector<std::string> whole = {Header('I', 240, 50), Rows(50, 240), kEnd, Placement(0, 50, 240)};
  for (int refused = 0; refused < 4; ++refused) {
    SCOPED_TRACE(refused);
    TearDown();
    SetUp();
    SURFOBJ* so = StartPage(kPlainLabel);
    ASSERT_NE(so, nullptr);
    writeCalls = 0;
    refuseWrite = refused;
    host::ScopedSyscall<decltype(&::WritePrinter)> write(&host::Syscalls::WritePrinter, &RefusingWritePrinter);
    ExpectWrites(SendPage(so, TRUE), std::vector<std::string>(whole.begin(), whole.begin() + refused));
  }
}

}  // namespace
