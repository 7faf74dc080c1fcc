#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "host_fixture.h"
#include "platform/win.h"

namespace {

class GdiEngineTest : public HostTest {};

HSURF Surf(HBITMAP bitmap) { return reinterpret_cast<HSURF>(bitmap); }

TEST_F(GdiEngineTest, BitmapLayout) {
  struct Case {
    const char* what;
    ULONG format;
    LONG cx;
    LONG cy;
    LONG lWidth;
    FLONG flags;
    LONG stride;
  };
  static const Case kCases[] = {
      {"24 bpp, 30 bytes padded to 32", BMF_24BPP, 10, 3, 0, 0, 32},
      {"24 bpp, 24 bytes need no padding", BMF_24BPP, 8, 5, 0, 0, 24},
      {"24 bpp, given allocation width", BMF_24BPP, 10, 3, 40, 0, 40},
      {"24 bpp, top-down", BMF_24BPP, 10, 3, 0, BMF_TOPDOWN, 32},
      {"1 bpp, 9 dots in 2 bytes padded to 4", BMF_1BPP, 9, 4, 0, 0, 4},
      {"8 bpp", BMF_8BPP, 5, 2, 0, 0, 8},
      {"32 bpp", BMF_32BPP, 3, 2, 0, 0, 12},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const HBITMAP bitmap = EngCreateBitmap(SIZEL{c.cx, c.cy}, c.lWidth, c.format, c.flags, nullptr);
    ASSERT_NE(bitmap, nullptr);
    const SURFOBJ* so = host::SurfaceOf(Surf(bitmap));
    ASSERT_NE(so, nullptr);
    const bool topDown = (c.flags & BMF_TOPDOWN) != 0;
    const auto* bits = static_cast<const BYTE*>(so->pvBits);
    EXPECT_EQ(so->hsurf, Surf(bitmap));
    EXPECT_EQ(so->iType, STYPE_BITMAP);
    EXPECT_EQ(so->iBitmapFormat, c.format);
    EXPECT_EQ(so->sizlBitmap.cx, c.cx);
    EXPECT_EQ(so->sizlBitmap.cy, c.cy);
    EXPECT_EQ(so->cjBits, static_cast<ULONG>(c.stride * c.cy));
    EXPECT_EQ(so->lDelta, topDown ? c.stride : -c.stride);
    // pvScan0 is the top line: first in memory only when top-down.
    EXPECT_EQ(static_cast<const BYTE*>(so->pvScan0), topDown ? bits : bits + (c.cy - 1) * c.stride);
    std::vector<BYTE> zeros(so->cjBits, 0);
    EXPECT_EQ(std::vector<BYTE>(bits, bits + so->cjBits), zeros);
    EXPECT_TRUE(EngDeleteSurface(Surf(bitmap)));
  }
  EXPECT_EQ(host::LiveSurfaceCount(), 0);
}

TEST_F(GdiEngineTest, RefusedBitmaps) {
  struct Case {
    const char* what;
    ULONG format;
    LONG cx;
    LONG cy;
    LONG lWidth;
    DWORD error;
  };
  static const Case kCases[] = {
      {"zero width", BMF_24BPP, 0, 10, 0, ERROR_INVALID_PARAMETER},
      {"negative height", BMF_24BPP, 10, -1, 0, ERROR_INVALID_PARAMETER},
      {"unknown format", 99, 10, 10, 0, ERROR_INVALID_PARAMETER},
      {"allocation width below a line", BMF_24BPP, 10, 10, 20, ERROR_INVALID_PARAMETER},
      {"more bytes than a surface can hold", BMF_24BPP, 0x7FFFFFFF, 0x7FFFFFFF, 0, ERROR_NOT_ENOUGH_MEMORY},
      {"4 GiB exactly is too much", BMF_32BPP, 65536, 16384, 0, ERROR_NOT_ENOUGH_MEMORY},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_EQ(EngCreateBitmap(SIZEL{c.cx, c.cy}, c.lWidth, c.format, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(host::LiveSurfaceCount(), 0);
}

TEST_F(GdiEngineTest, CallerSuppliedBitsAreUsedAsGiven) {
  std::vector<BYTE> memory(32 * 3, 0x77);
  const HBITMAP bitmap = EngCreateBitmap(SIZEL{10, 3}, 32, BMF_24BPP, 0, memory.data());
  ASSERT_NE(bitmap, nullptr);
  const SURFOBJ* so = host::SurfaceOf(Surf(bitmap));
  EXPECT_EQ(so->pvBits, memory.data());
  EXPECT_EQ(memory[0], 0x77) << "the caller's bits are not cleared";
  EXPECT_TRUE(EngDeleteSurface(Surf(bitmap)));
}

TEST_F(GdiEngineTest, AssociateSurfaceWithAGdiDevice) {
  const auto dhpdev = reinterpret_cast<DHPDEV>(0x5000);
  const HDEV hdev = host::CreateGdiDevice(dhpdev);
  const HBITMAP bitmap = EngCreateBitmap(SIZEL{16, 16}, 0, BMF_24BPP, 0, nullptr);
  ASSERT_TRUE(EngAssociateSurface(Surf(bitmap), hdev, HOOK_TEXTOUT));
  SURFOBJ* so = EngLockSurface(Surf(bitmap));
  ASSERT_NE(so, nullptr);
  EXPECT_EQ(so->hdev, hdev);
  EXPECT_EQ(so->dhpdev, dhpdev);
  EXPECT_EQ(host::SurfaceHooks(Surf(bitmap)), static_cast<FLONG>(HOOK_TEXTOUT));
  EngUnlockSurface(so);

  EXPECT_FALSE(EngAssociateSurface(Surf(bitmap), reinterpret_cast<HDEV>(0x1234), HOOK_TEXTOUT))
      << "not a device GDI made";
  EXPECT_TRUE(EngDeleteSurface(Surf(bitmap)));
  EXPECT_FALSE(EngDeleteSurface(Surf(bitmap)));
  EXPECT_EQ(host::SurfaceOf(Surf(bitmap)), nullptr);
  EXPECT_EQ(EngLockSurface(Surf(bitmap)), nullptr);
  host::DeleteGdiDevice(hdev);
}

TEST_F(GdiEngineTest, Palettes) {
  const int before = host::LivePaletteCount();
  const HPALETTE bgr = EngCreatePalette(PAL_BGR, 0, nullptr, 0, 0, 0);
  ASSERT_NE(bgr, nullptr);
  EXPECT_EQ(host::PaletteMode(bgr), static_cast<ULONG>(PAL_BGR));
  ULONG colors[2] = {0x000000, 0xFFFFFF};
  const HPALETTE indexed = EngCreatePalette(PAL_INDEXED, 2, colors, 0, 0, 0);
  ASSERT_NE(indexed, nullptr);
  EXPECT_EQ(host::LivePaletteCount(), before + 2);

  EXPECT_EQ(EngCreatePalette(PAL_INDEXED, 0, nullptr, 0, 0, 0), nullptr) << "indexed without colours";
  EXPECT_EQ(EngCreatePalette(PAL_RGB | PAL_BGR, 0, nullptr, 0, 0, 0), nullptr) << "two modes at once";

  EXPECT_TRUE(EngDeletePalette(bgr));
  EXPECT_TRUE(EngDeletePalette(indexed));
  EXPECT_FALSE(EngDeletePalette(bgr));
  EXPECT_EQ(host::PaletteMode(bgr), 0u);
  EXPECT_EQ(host::LivePaletteCount(), before);
}

TEST_F(GdiEngineTest, SemaphoreIsRecursiveAndExcludesOtherThreads) {
  const HSEMAPHORE sem = EngCreateSemaphore();
  ASSERT_NE(sem, nullptr);
  EXPECT_EQ(host::LiveSemaphoreCount(), 1);
  EngAcquireSemaphore(sem);
  EngAcquireSemaphore(sem);  // the owner may take it again

  std::atomic<bool> acquired{false};
  std::thread other([&] {
    EngAcquireSemaphore(sem);
    acquired = true;
    EngReleaseSemaphore(sem);
  });
  EngReleaseSemaphore(sem);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(acquired) << "still held once";
  EngReleaseSemaphore(sem);
  other.join();
  EXPECT_TRUE(acquired);

  EngDeleteSemaphore(sem);
  EXPECT_EQ(host::LiveSemaphoreCount(), 0);
}

TEST_F(GdiEngineTest, LocalTimeFollowsTheSettableClock) {
  const ENG_TIME_FIELDS fixed = {2024, 2, 29, 23, 59, 58, 123, 4};
  host::SetClock(fixed);
  ENG_TIME_FIELDS now{};
  EngQueryLocalTime(&now);
  EXPECT_EQ(now.usYear, 2024);
  EXPECT_EQ(now.usMonth, 2);
  EXPECT_EQ(now.usDay, 29);
  EXPECT_EQ(now.usSecond, 58);
  EXPECT_EQ(now.usWeekday, 4);

  host::UseSystemClock();
  EngQueryLocalTime(&now);
  EXPECT_GE(now.usYear, 2024);
  EXPECT_GE(now.usMonth, 1);
  EXPECT_LE(now.usMonth, 12);
  EXPECT_LE(now.usWeekday, 6);
  EXPECT_LE(now.usMilliseconds, 999);
}

}  // namespace
