// The GDI engine services a printer graphics driver calls back: semaphores,
// bitmaps and surfaces, palettes and the local time; and the GDI devices a
// test creates to stand for GDI's side of a PDEV.
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "host_internal.h"
#include "platform/host_syscalls.h"

namespace host::detail {

namespace {

// Recursive like the engine's own: the owning thread may acquire it again
// and must release it as often. Deleting one that is held is the caller's
// fault but harms nothing here.
struct Semaphore {
  std::mutex mutex;
  std::condition_variable released;
  std::thread::id owner;
  int depth = 0;
};

struct Surface {
  SURFOBJ so{};
  void* ownedBits = nullptr;  // NULL when the caller supplied the bits
  FLONG hooks = 0;
  int locks = 0;
  ~Surface() { std::free(ownedBits); }
};

struct Palette {
  ULONG mode = 0;
  std::vector<ULONG> colors;
  FLONG masks[3] = {};
};

struct Engine {
  std::mutex mutex;
  std::map<HSEMAPHORE, std::shared_ptr<Semaphore>> semaphores;
  std::map<HSURF, std::unique_ptr<Surface>> surfaces;
  std::map<HPALETTE, Palette> palettes;
  std::map<HDEV, DHPDEV> devices;
  ULONG nextUniq = 1;
  std::optional<ENG_TIME_FIELDS> clock;  // a fixed time, or the system's
};

Engine& Eng() {
  static Engine engine;
  return engine;
}

std::shared_ptr<Semaphore> FindSemaphore(HSEMAPHORE handle) {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  const auto it = engine.semaphores.find(handle);
  return it == engine.semaphores.end() ? nullptr : it->second;
}

Surface* FindSurface(Engine& engine, HSURF handle) {
  const auto it = engine.surfaces.find(handle);
  return it == engine.surfaces.end() ? nullptr : it->second.get();
}

struct BitmapFormat {
  ULONG format;
  ULONG bitsPerPixel;
};
constexpr BitmapFormat kFormats[] = {
    {BMF_1BPP, 1}, {BMF_4BPP, 4}, {BMF_8BPP, 8}, {BMF_16BPP, 16}, {BMF_24BPP, 24}, {BMF_32BPP, 32},
};

constexpr ULONG kPaletteModes[] = {PAL_INDEXED, PAL_BITFIELDS, PAL_RGB, PAL_BGR};

// The largest bitmap handed out: its byte count must fit SURFOBJ.cjBits.
constexpr std::uint64_t kLargestBitmap = 0xFFFFFFFFull;

HBITMAP FailBitmap(DWORD error) {
  SetLastError(error);
  return nullptr;
}

}  // namespace

HBITMAP EngCreateBitmapImpl(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits) {
  const BitmapFormat* format = nullptr;
  for (const BitmapFormat& f : kFormats) {
    if (f.format == iFormat) format = &f;
  }
  if (format == nullptr || sizl.cx <= 0 || sizl.cy <= 0 || lWidth < 0) return FailBitmap(ERROR_INVALID_PARAMETER);

  // A scan line takes whole bytes; without a given allocation width it is
  // padded to a multiple of four bytes.
  const std::uint64_t lineBytes = (static_cast<std::uint64_t>(sizl.cx) * format->bitsPerPixel + 7) / 8;
  const std::uint64_t stride = lWidth > 0 ? static_cast<std::uint64_t>(lWidth) : (lineBytes + 3) / 4 * 4;
  if (stride < lineBytes) return FailBitmap(ERROR_INVALID_PARAMETER);
  const std::uint64_t total = stride * static_cast<std::uint64_t>(sizl.cy);
  if (total > kLargestBitmap || stride > 0x7FFFFFFFull) return FailBitmap(ERROR_NOT_ENOUGH_MEMORY);

  auto surface = std::make_unique<Surface>();
  void* bits = pvBits;
  if (bits == nullptr) {
    surface->ownedBits = (fl & BMF_NOZEROINIT) != 0 ? std::malloc(total) : std::calloc(1, total);
    if (surface->ownedBits == nullptr) return FailBitmap(ERROR_NOT_ENOUGH_MEMORY);
    bits = surface->ownedBits;
  }
  const bool topDown = (fl & BMF_TOPDOWN) != 0;
  SURFOBJ& so = surface->so;
  so.sizlBitmap = sizl;
  so.cjBits = static_cast<ULONG>(total);
  so.pvBits = bits;
  // pvScan0 is always the top scan line; a bottom-up bitmap keeps it last
  // in memory and steps backwards.
  so.pvScan0 = topDown ? bits : static_cast<BYTE*>(bits) + (sizl.cy - 1) * stride;
  so.lDelta = topDown ? static_cast<LONG>(stride) : -static_cast<LONG>(stride);
  so.iBitmapFormat = iFormat;
  so.iType = STYPE_BITMAP;
  so.fjBitmap = topDown ? BMF_TOPDOWN : 0;

  const HSURF handle = NewHandle<HSURF>();
  so.hsurf = handle;
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  so.iUniq = engine.nextUniq++;
  engine.surfaces.emplace(handle, std::move(surface));
  return reinterpret_cast<HBITMAP>(handle);
}

HPALETTE EngCreatePaletteImpl(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed, FLONG flGreen,
                              FLONG flBlue) {
  bool known = false;
  for (const ULONG mode : kPaletteModes) known = known || mode == iMode;
  // An indexed palette needs its colours (zeros when none are given).
  if (!known || (iMode == PAL_INDEXED && cColors == 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Palette palette;
  palette.mode = iMode;
  if (iMode == PAL_INDEXED) {
    palette.colors.assign(cColors, 0);
    if (pulColors != nullptr) palette.colors.assign(pulColors, pulColors + cColors);
  }
  if (iMode == PAL_BITFIELDS) {
    palette.masks[0] = flRed;
    palette.masks[1] = flGreen;
    palette.masks[2] = flBlue;
  }
  const HPALETTE handle = NewHandle<HPALETTE>();
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  engine.palettes.emplace(handle, std::move(palette));
  return handle;
}

void ResetClock() {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  engine.clock.reset();
}

}  // namespace host::detail

using host::detail::Eng;
using host::detail::Engine;

// ---- semaphores ----

HSEMAPHORE EngCreateSemaphore() {
  const HSEMAPHORE handle = host::detail::NewHandle<HSEMAPHORE>();
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  engine.semaphores.emplace(handle, std::make_shared<host::detail::Semaphore>());
  return handle;
}

VOID EngAcquireSemaphore(HSEMAPHORE hsem) {
  const auto semaphore = host::detail::FindSemaphore(hsem);
  if (semaphore == nullptr) return;
  const auto me = std::this_thread::get_id();
  std::unique_lock lock(semaphore->mutex);
  if (semaphore->depth > 0 && semaphore->owner == me) {
    ++semaphore->depth;
    return;
  }
  semaphore->released.wait(lock, [&] { return semaphore->depth == 0; });
  semaphore->owner = me;
  semaphore->depth = 1;
}

// Releasing a semaphore the thread does not hold does nothing.
VOID EngReleaseSemaphore(HSEMAPHORE hsem) {
  const auto semaphore = host::detail::FindSemaphore(hsem);
  if (semaphore == nullptr) return;
  std::unique_lock lock(semaphore->mutex);
  if (semaphore->depth == 0 || semaphore->owner != std::this_thread::get_id()) return;
  if (--semaphore->depth == 0) {
    semaphore->owner = std::thread::id();
    lock.unlock();
    semaphore->released.notify_one();
  }
}

VOID EngDeleteSemaphore(HSEMAPHORE hsem) {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  engine.semaphores.erase(hsem);
}

// ---- bitmaps and surfaces ----

HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits) {
  return host::Sys().EngCreateBitmap(sizl, lWidth, iFormat, fl, pvBits);
}

BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks) {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  host::detail::Surface* surface = host::detail::FindSurface(engine, hsurf);
  const auto device = engine.devices.find(hdev);
  if (surface == nullptr || device == engine.devices.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  surface->so.hdev = hdev;
  surface->so.dhpdev = device->second;
  surface->hooks = flHooks;
  return TRUE;
}

BOOL EngDeleteSurface(HSURF hsurf) {
  std::unique_ptr<host::detail::Surface> surface;  // freed outside the lock
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  const auto it = engine.surfaces.find(hsurf);
  if (it == engine.surfaces.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  surface = std::move(it->second);
  engine.surfaces.erase(it);
  return TRUE;
}

SURFOBJ* EngLockSurface(HSURF hsurf) {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  host::detail::Surface* surface = host::detail::FindSurface(engine, hsurf);
  if (surface == nullptr) return nullptr;
  ++surface->locks;
  return &surface->so;
}

// Found by address, so that a surface deleted in the meantime is not read.
VOID EngUnlockSurface(SURFOBJ* pso) {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  for (auto& [handle, surface] : engine.surfaces) {
    if (&surface->so == pso && surface->locks > 0) --surface->locks;
  }
}

// ---- palettes ----

HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed, FLONG flGreen, FLONG flBlue) {
  return host::Sys().EngCreatePalette(iMode, cColors, pulColors, flRed, flGreen, flBlue);
}

BOOL EngDeletePalette(HPALETTE hpal) {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  if (engine.palettes.erase(hpal) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

// ---- local time ----

VOID EngQueryLocalTime(PENG_TIME_FIELDS ptf) {
  if (ptf == nullptr) return;
  {
    Engine& engine = Eng();
    const std::lock_guard lock(engine.mutex);
    if (engine.clock) {
      *ptf = *engine.clock;
      return;
    }
  }
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  ptf->usYear = static_cast<USHORT>(local.tm_year + 1900);
  ptf->usMonth = static_cast<USHORT>(local.tm_mon + 1);
  ptf->usDay = static_cast<USHORT>(local.tm_mday);
  ptf->usHour = static_cast<USHORT>(local.tm_hour);
  ptf->usMinute = static_cast<USHORT>(local.tm_min);
  ptf->usSecond = static_cast<USHORT>(local.tm_sec);
  ptf->usMilliseconds = static_cast<USHORT>(millis);
  ptf->usWeekday = static_cast<USHORT>(local.tm_wday);  // 0 = Sunday, as on Windows
}

namespace host {

void SetClock(const ENG_TIME_FIELDS& localTime) {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  engine.clock = localTime;
}

void UseSystemClock() { detail::ResetClock(); }

HDEV CreateGdiDevice(DHPDEV dhpdev) {
  const HDEV handle = detail::NewHandle<HDEV>();
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  engine.devices.emplace(handle, dhpdev);
  return handle;
}

void DeleteGdiDevice(HDEV hdev) {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  engine.devices.erase(hdev);
}

SURFOBJ* SurfaceOf(HSURF hsurf) {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  detail::Surface* surface = detail::FindSurface(engine, hsurf);
  return surface == nullptr ? nullptr : &surface->so;
}

FLONG SurfaceHooks(HSURF hsurf) {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  const detail::Surface* surface = detail::FindSurface(engine, hsurf);
  return surface == nullptr ? 0 : surface->hooks;
}

ULONG PaletteMode(HPALETTE hpal) {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  const auto it = engine.palettes.find(hpal);
  return it == engine.palettes.end() ? 0 : it->second.mode;
}

int LiveSurfaceCount() {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  return static_cast<int>(engine.surfaces.size());
}

int LivePaletteCount() {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  return static_cast<int>(engine.palettes.size());
}

int LiveSemaphoreCount() {
  Engine& engine = Eng();
  const std::lock_guard lock(engine.mutex);
  return static_cast<int>(engine.semaphores.size());
}

}  // namespace host
