#include "tools/qzprint/job_player.h"

#include <variant>

#include "platform/host_state.h"
#include "tools/qzprint/surface_painter.h"

namespace qzprint {

namespace {

// GDI hands every driver its standard pattern surfaces array of this size.
constexpr ULONG kPatternSurfaces = 6;
// The mix GDI passes for text: copy pen as foreground and background.
constexpr MIX kTextMix = R2_COPYPEN | (R2_COPYPEN << 8);
constexpr DWORD kJobId = 1;

struct ErrorName {
  DWORD code;
  const char* name;
};
constexpr ErrorName kErrorNames[] = {
    {ERROR_SUCCESS, "ERROR_SUCCESS"},
    {ERROR_FILE_NOT_FOUND, "ERROR_FILE_NOT_FOUND"},
    {ERROR_PATH_NOT_FOUND, "ERROR_PATH_NOT_FOUND"},
    {ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {ERROR_INVALID_HANDLE, "ERROR_INVALID_HANDLE"},
    {ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
    {ERROR_INVALID_DATA, "ERROR_INVALID_DATA"},
    {ERROR_OUTOFMEMORY, "ERROR_OUTOFMEMORY"},
    {ERROR_WRITE_FAULT, "ERROR_WRITE_FAULT"},
    {ERROR_NOT_SUPPORTED, "ERROR_NOT_SUPPORTED"},
    {ERROR_INVALID_PARAMETER, "ERROR_INVALID_PARAMETER"},
    {ERROR_DISK_FULL, "ERROR_DISK_FULL"},
    {ERROR_BAD_DRIVER_LEVEL, "ERROR_BAD_DRIVER_LEVEL"},
    {ERROR_INSUFFICIENT_BUFFER, "ERROR_INSUFFICIENT_BUFFER"},
    {ERROR_INVALID_LEVEL, "ERROR_INVALID_LEVEL"},
    {ERROR_UNKNOWN_PRINTER_DRIVER, "ERROR_UNKNOWN_PRINTER_DRIVER"},
    {ERROR_INVALID_PRINTER_NAME, "ERROR_INVALID_PRINTER_NAME"},
};

std::string DescribeError(DWORD code) {
  std::string text = "GetLastError() = " + std::to_string(code);
  for (const ErrorName& entry : kErrorNames) {
    if (entry.code == code) return text + " (" + entry.name + ")";
  }
  return text;
}

struct LiveCounts {
  int heaps;
  int surfaces;
  int palettes;
  int semaphores;
};

LiveCounts CountLiveObjects() {
  return {host::LiveHeapCount(), host::LiveSurfaceCount(), host::LivePaletteCount(), host::LiveSemaphoreCount()};
}

class Player {
 public:
  Player(const Job& job, HANDLE printer, const DriverLibrary& driver)
      : job_(job), printer_(printer), library_(driver), deviceName_(job.printer) {}

  PlayResult Run() {
    if (EnableDriver() && EnableDevice()) PlayDocument();
    TearDown();
    return result_;
  }

 private:
  template <typename Fn>
  bool Lookup(ULONG index, const char* name, Fn* out) {
    *out = functions_.Get<Fn>(index);
    if (*out == nullptr) return Fail(std::string("the driver's function table has no ") + name);
    return true;
  }

  bool Fail(std::string message) {
    if (result_.ok) {
      result_.ok = false;
      result_.failure = std::move(message);
    }
    return false;
  }

  bool EntryFailed(const std::string& what) { return Fail(what + " failed: " + DescribeError(GetLastError())); }

  bool EnableDriver() {
    DRVENABLEDATA data{};
    SetLastError(ERROR_SUCCESS);
    if (!library_.EnableDriver()(DDI_DRIVER_VERSION_NT4, sizeof(DRVENABLEDATA), &data)) {
      return EntryFailed("DrvEnableDriver");
    }
    driverEnabled_ = true;
    functions_ = DriverFunctions(data);
    return Lookup(INDEX_DrvEnablePDEV, "DrvEnablePDEV", &enablePdev_) &&
           Lookup(INDEX_DrvCompletePDEV, "DrvCompletePDEV", &completePdev_) &&
           Lookup(INDEX_DrvDisablePDEV, "DrvDisablePDEV", &disablePdev_) &&
           Lookup(INDEX_DrvEnableSurface, "DrvEnableSurface", &enableSurface_) &&
           Lookup(INDEX_DrvDisableSurface, "DrvDisableSurface", &disableSurface_) &&
           Lookup(INDEX_DrvStartDoc, "DrvStartDoc", &startDoc_) &&
           Lookup(INDEX_DrvEndDoc, "DrvEndDoc", &endDoc_) && Lookup(INDEX_DrvStartPage, "DrvStartPage", &startPage_) &&
           Lookup(INDEX_DrvSendPage, "DrvSendPage", &sendPage_);
  }

  bool EnableDevice() {
    // The DEVMODE belongs to the application: the driver gets a copy it may
    // not keep, laid out exactly as the job describes it.
    std::vector<BYTE> devmode;
    if (job_.devmode) devmode = *job_.devmode;
    auto* pdm = devmode.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(devmode.data());

    GDIINFO gdiInfo{};
    DEVINFO devInfo{};
    HSURF patterns[kPatternSurfaces] = {};
    SetLastError(ERROR_SUCCESS);
    pdev_ = enablePdev_(pdm, nullptr, kPatternSurfaces, patterns, sizeof gdiInfo, reinterpret_cast<ULONG*>(&gdiInfo),
                        sizeof devInfo, &devInfo, nullptr, deviceName_.data(), printer_);
    if (pdev_ == nullptr) return EntryFailed("DrvEnablePDEV");

    hdev_ = host::CreateGdiDevice(pdev_);
    SetLastError(ERROR_SUCCESS);
    completePdev_(pdev_, hdev_);

    SetLastError(ERROR_SUCCESS);
    surface_ = enableSurface_(pdev_);
    if (surface_ == nullptr) return EntryFailed("DrvEnableSurface");
    surfobj_ = host::SurfaceOf(surface_);
    if (surfobj_ == nullptr) return Fail("DrvEnableSurface returned a handle that is no surface");
    // GDI draws into the bitmap itself: it must be the 24-bit page.
    if (surfobj_->iBitmapFormat != BMF_24BPP || surfobj_->pvScan0 == nullptr) {
      return Fail("DrvEnableSurface returned a surface that is not a 24-bit bitmap");
    }
    if ((host::SurfaceHooks(surface_) & HOOK_TEXTOUT) != 0) {
      if (!Lookup(INDEX_DrvTextOut, "DrvTextOut (the surface hooks text output)", &textOut_)) return false;
    }
    return true;
  }

  bool PlayDocument() {
    std::u16string document = job_.document;
    SetLastError(ERROR_SUCCESS);
    if (!startDoc_(surfobj_, document.data(), kJobId)) return EntryFailed("DrvStartDoc");
    documentStarted_ = true;
    for (std::size_t i = 0; i < job_.pages.size(); ++i) {
      if (!PlayPage(job_.pages[i], i + 1)) return false;
    }
    documentStarted_ = false;
    SetLastError(ERROR_SUCCESS);
    if (!endDoc_(surfobj_, job_.abort ? ED_ABORTDOC : 0)) return EntryFailed("DrvEndDoc");
    return true;
  }

  bool PlayPage(const Page& page, std::size_t number) {
    const std::string where = " on page " + std::to_string(number);
    SetLastError(ERROR_SUCCESS);
    if (!startPage_(surfobj_)) return EntryFailed("DrvStartPage" + where);
    for (std::size_t i = 0; i < page.size(); ++i) {
      const DrawOp& op = page[i];
      if (const auto* fill = std::get_if<FillOp>(&op)) {
        FillRect(*surfobj_, fill->rect, fill->color);
      } else if (const auto* image = std::get_if<ImageOp>(&op)) {
        DrawImage(*surfobj_, image->image, image->x, image->y);
      } else if (!DrawTextRun(std::get<TextOp>(op))) {
        return EntryFailed(std::string(textOut_ != nullptr ? "DrvTextOut" : "EngTextOut") + where + ", operation " +
                           std::to_string(i));
      }
    }
    SetLastError(ERROR_SUCCESS);
    if (!sendPage_(surfobj_)) return EntryFailed("DrvSendPage" + where);
    return true;
  }

  bool DrawTextRun(const TextOp& op) {
    host::TextRun run(op.text, op.box, op.font, op.color.Solid(), op.ascender, op.descender);
    CLIPOBJ clip{};
    clip.iDComplexity = DC_TRIVIAL;
    clip.rclBounds = RECTL{0, 0, surfobj_->sizlBitmap.cx, surfobj_->sizlBitmap.cy};
    POINTL brushOrigin{0, 0};
    SetLastError(ERROR_SUCCESS);
    if (textOut_ != nullptr) {
      return textOut_(surfobj_, run.str(), run.font(), &clip, nullptr, nullptr, run.brush(), nullptr, &brushOrigin,
                      kTextMix) != FALSE;
    }
    return EngTextOut(surfobj_, run.str(), run.font(), &clip, nullptr, nullptr, run.brush(), nullptr, &brushOrigin,
                      kTextMix) != FALSE;
  }

  void TearDown() {
    if (documentStarted_) {
      // The application abandons the document after a failure.
      SetLastError(ERROR_SUCCESS);
      endDoc_(surfobj_, ED_ABORTDOC);
    }
    if (surface_ != nullptr) disableSurface_(pdev_);
    if (pdev_ != nullptr) disablePdev_(pdev_);
    if (hdev_ != nullptr) host::DeleteGdiDevice(hdev_);
    if (driverEnabled_ && library_.DisableDriver() != nullptr) library_.DisableDriver()();
  }

  const Job& job_;
  HANDLE printer_;
  const DriverLibrary& library_;
  std::u16string deviceName_;
  PlayResult result_;

  DriverFunctions functions_{DRVENABLEDATA{}};
  decltype(&::DrvEnablePDEV) enablePdev_ = nullptr;
  decltype(&::DrvCompletePDEV) completePdev_ = nullptr;
  decltype(&::DrvDisablePDEV) disablePdev_ = nullptr;
  decltype(&::DrvEnableSurface) enableSurface_ = nullptr;
  decltype(&::DrvDisableSurface) disableSurface_ = nullptr;
  decltype(&::DrvStartDoc) startDoc_ = nullptr;
  decltype(&::DrvEndDoc) endDoc_ = nullptr;
  decltype(&::DrvStartPage) startPage_ = nullptr;
  decltype(&::DrvSendPage) sendPage_ = nullptr;
  decltype(&::DrvTextOut) textOut_ = nullptr;

  bool driverEnabled_ = false;
  DHPDEV pdev_ = nullptr;
  HDEV hdev_ = nullptr;
  HSURF surface_ = nullptr;
  SURFOBJ* surfobj_ = nullptr;
  bool documentStarted_ = false;
};

}  // namespace

PlayResult PlayJob(const Job& job, HANDLE printer, const DriverLibrary& driver) {
  const LiveCounts before = CountLiveObjects();
  PlayResult result = Player(job, printer, driver).Run();
  const LiveCounts after = CountLiveObjects();
  struct Leak {
    int count;
    const char* what;
  };
  const Leak leaks[] = {{after.heaps - before.heaps, "private heaps"},
                        {after.surfaces - before.surfaces, "surfaces"},
                        {after.palettes - before.palettes, "palettes"},
                        {after.semaphores - before.semaphores, "semaphores"}};
  for (const Leak& leak : leaks) {
    if (leak.count > 0) result.leaks.push_back(std::to_string(leak.count) + " " + leak.what);
  }
  return result;
}

}  // namespace qzprint
