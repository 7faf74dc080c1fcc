// Building and tearing down the device context: DrvEnablePDEV,
// DrvCompletePDEV and DrvDisablePDEV.
#include <cstring>
#include <optional>

#include "platform/win.h"
#include "render/device_caps.h"
#include "render/device_context.h"
#include "render/module.h"
#include "render/paper.h"
#include "settings/devmode.h"
#include "settings/block_defaults.h"
#include "settings/opt_block.h"
#include "settings/paper_list.h"

namespace render {

namespace {

constexpr SIZE_T kInitialHeapSize = 8192;

// Holds the module-wide semaphore for one scope.
class SemaphoreLock {
 public:
  explicit SemaphoreLock(HSEMAPHORE semaphore) : semaphore_(semaphore) {
    if (semaphore_ != nullptr) EngAcquireSemaphore(semaphore_);
  }
  ~SemaphoreLock() { Release(); }
  void Release() {
    if (semaphore_ != nullptr) EngReleaseSemaphore(semaphore_);
    semaphore_ = nullptr;
  }
  SemaphoreLock(const SemaphoreLock&) = delete;
  SemaphoreLock& operator=(const SemaphoreLock&) = delete;

 private:
  HSEMAPHORE semaphore_;
};

// The data file path of the printer's driver, in a block of the heap.
const DRIVER_INFO_2W* QueryDriverInfo(HANDLE heap, HANDLE printer) {
  DWORD needed = 0;
  if (GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed < sizeof(DRIVER_INFO_2W)) {
    return nullptr;
  }
  auto* buffer = static_cast<BYTE*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, needed));
  if (buffer == nullptr) return nullptr;
  if (!GetPrinterDriverW(printer, nullptr, 2, buffer, needed, &needed)) {
    HeapFree(heap, 0, buffer);
    return nullptr;
  }
  return reinterpret_cast<const DRIVER_INFO_2W*>(buffer);
}

// Reads the model data file through a read-only mapping and keeps a copy
// in the heap when the file passes its checks.
bool LoadModelData(DeviceContext& dc, LPCWSTR path) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool loaded = false;
  const DWORD size = GetFileSize(file, nullptr);
  HANDLE mapping = size == INVALID_FILE_SIZE
                       ? nullptr
                       : CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (mapping != nullptr) {
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (view != nullptr) {
      const auto* bytes = static_cast<const BYTE*>(view);
      if (settings::CheckModelData(bytes, size) == settings::ModelError::kNone) {
        dc.modelBytes = static_cast<BYTE*>(HeapAlloc(dc.heap, 0, size));
        if (dc.modelBytes != nullptr) {
          std::memcpy(dc.modelBytes, bytes, size);
          dc.modelSize = size;
          loaded = true;
        }
      } else {
        SetLastError(ERROR_INVALID_DATA);
      }
      UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
  }
  CloseHandle(file);
  return loaded;
}

// The directory of the data file, ending in its last backslash; a path
// without one stays whole. Cut to the buffer rather than overrun it.
void SetDriverFolder(DeviceContext& dc, LPCWSTR dataFile) {
  std::size_t length = 0;
  while (dataFile[length] != 0 && length < MAX_PATH - 1) ++length;
  std::memcpy(dc.driverFolder, dataFile, length * sizeof(WCHAR));
  dc.driverFolder[length] = 0;
  for (std::size_t i = length; i > 0; --i) {
    if (dc.driverFolder[i - 1] == WSTR('\\')) {
      dc.driverFolder[i] = 0;
      break;
    }
  }
}

// Takes a stored option block when it has exactly the block's size.
template <typename Block>
bool ReadBlock(DeviceContext& dc, settings::OptBlock which, Block* target) {
  std::optional<settings::BlockBytes> stored = settings::ReadOptBlock(dc.printer, which, dc.heap);
  if (!stored) return false;
  const bool fits = stored->size == sizeof(Block);
  if (fits) std::memcpy(target, stored->data, sizeof(Block));
  HeapFree(dc.heap, 0, stored->data);
  return fits;
}

// Steps 3 to 6 of building the device context, under the semaphore.
bool ReadPrinterSettings(DeviceContext& dc) {
  const DRIVER_INFO_2W* driver = QueryDriverInfo(dc.heap, dc.printer);
  if (driver == nullptr || driver->pDataFile == nullptr) return false;
  LoadModelData(dc, driver->pDataFile);
  SetDriverFolder(dc, driver->pDataFile);
  HeapFree(dc.heap, 0, const_cast<DRIVER_INFO_2W*>(driver));
  if (dc.modelBytes == nullptr) return false;

  if (!ReadBlock(dc, settings::OptBlock::kBarColorOpt, &dc.barColorOpt)) settings::DefaultBarColorOpt(&dc.barColorOpt);
  if (!ReadBlock(dc, settings::OptBlock::kCalendarOpt, &dc.calendarOpt)) settings::DefaultCalendarOpt(&dc.calendarOpt);
  if (!ReadBlock(dc, settings::OptBlock::kVariableOpt, &dc.variableOpt)) settings::DefaultVariableOpt(&dc.variableOpt);
  if (!ReadBlock(dc, settings::OptBlock::kPaperOpt, &dc.paperOpt)) {
    const settings::ModelData model = dc.Model();
    if (!settings::BuildPaperList(dc.printer, &model, &dc.paperOpt)) return false;
  }
  return true;
}

}  // namespace
}  // namespace render

DHPDEV APIENTRY DrvEnablePDEV(DEVMODEW* pdm, LPWSTR /*pwszLogAddress*/, ULONG cPat, HSURF* phsurfPatterns,
                              ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV /*hdev*/,
                              LPWSTR pwszDeviceName, HANDLE hDriver) {
  using namespace render;
  HANDLE heap = HeapCreate(0, kInitialHeapSize, 0);
  if (heap == nullptr) return nullptr;
  auto* dc = static_cast<DeviceContext*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(DeviceContext)));
  if (dc == nullptr) {
    HeapDestroy(heap);
    return nullptr;
  }
  dc->signature = kSignature;
  dc->signature2 = kSignature;
  dc->heap = heap;
  dc->printer = hDriver;

  SemaphoreLock lock(TheModule().semaphore);
  const bool ready = ReadPrinterSettings(*dc);
  lock.Release();
  if (!ready) {
    HeapDestroy(heap);
    return nullptr;
  }

  const settings::ModelData model = dc->Model();
  settings::MakeDefaultDevmode(&dc->devmode, pwszDeviceName, model, dc->paperOpt);
  // A DEVMODE the merge cannot read leaves the defaults; it never fails the call.
  if (pdm != nullptr) {
    settings::MergeDevmode(&dc->devmode, pdm, std::size_t{pdm->dmSize} + pdm->dmDriverExtra, model);
  }
  dc->label = SelectLabel(*dc);

  HPALETTE palette = EngCreatePalette(PAL_BGR, 0, nullptr, 0, 0, 0);
  if (palette == nullptr) {
    HeapDestroy(heap);
    return nullptr;
  }
  if (dc->palette != nullptr) EngDeletePalette(dc->palette);
  dc->palette = palette;

  GDIINFO gdiInfo;
  FillGdiInfo(*dc, &gdiInfo);
  if (pdevcaps != nullptr) std::memcpy(pdevcaps, &gdiInfo, cjCaps < sizeof gdiInfo ? cjCaps : sizeof gdiInfo);
  DEVINFO devInfo;
  FillDevInfo(palette, &devInfo);
  if (pdi != nullptr) std::memcpy(pdi, &devInfo, cjDevInfo < sizeof devInfo ? cjDevInfo : sizeof devInfo);

  if (phsurfPatterns != nullptr) {
    for (ULONG i = 0; i < cPat; ++i) phsurfPatterns[i] = nullptr;
  }
  return reinterpret_cast<DHPDEV>(dc);
}

VOID APIENTRY DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev) {
  render::DeviceContext* dc = render::CheckedDeviceContext(dhpdev);
  if (dc != nullptr) dc->hdev = hdev;
}

VOID APIENTRY DrvDisablePDEV(DHPDEV dhpdev) {
  render::DeviceContext* dc = render::CheckedDeviceContext(dhpdev);
  if (dc == nullptr) return;
  if (dc->palette != nullptr) EngDeletePalette(dc->palette);
  HANDLE heap = dc->heap;
  HeapFree(heap, 0, dc->modelBytes);
  // The device context lives in the heap: nothing of it is touched after this.
  HeapDestroy(heap);
}
