// The page surface: a 24-bit bottom-up bitmap of the whole label that GDI
// draws into, with only text hooked so that text reaches DrvTextOut.
#include "platform/win.h"
#include "render/device_context.h"
#include "render/paper.h"
#include "render/surface.h"

namespace render {

// Bytes per scan line of a 24-bit bitmap: rounded up to 4 bytes.
LONG SurfaceStride(LONG width) { return ((width * 24 + 31) / 32) * 4; }

}  // namespace render

HSURF APIENTRY DrvEnableSurface(DHPDEV dhpdev) {
  auto* dc = reinterpret_cast<render::DeviceContext*>(dhpdev);
  if (dc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const SIZEL size = render::PageSizePixels(*dc);
  HBITMAP bitmap = EngCreateBitmap(size, render::SurfaceStride(size.cx), BMF_24BPP, 0, nullptr);
  if (bitmap == nullptr) return nullptr;
  auto surface = reinterpret_cast<HSURF>(bitmap);
  if (!EngAssociateSurface(surface, dc->hdev, HOOK_TEXTOUT)) {
    EngDeleteSurface(surface);
    return nullptr;
  }
  dc->surface = surface;
  return surface;
}

VOID APIENTRY DrvDisableSurface(DHPDEV dhpdev) {
  auto* dc = reinterpret_cast<render::DeviceContext*>(dhpdev);
  if (dc != nullptr && dc->surface != nullptr) {
    EngDeleteSurface(dc->surface);
    dc->surface = nullptr;
  }
}
