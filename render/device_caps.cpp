#include "render/device_caps.h"

#include <cstring>

#include "render/device_context.h"
#include "render/paper.h"

namespace render {

namespace {
constexpr ULONG kGdiInfoVersion = 0x400;
constexpr ULONG kTextCaps = 0x5807;
constexpr FLONG kGraphicsCaps = 0x211F;
constexpr ULONG kColors24Bit = 1UL << 24;
}  // namespace

void FillGdiInfo(const DeviceContext& dc, GDIINFO* info) {
  std::memset(info, 0, sizeof *info);
  const LabelSize size = PageSizeTenthsMm(dc);
  const SIZEL pixels = PageSizePixels(dc);
  const ULONG dpi = dc.Model().Dpi();

  info->ulVersion = kGdiInfoVersion;
  info->ulTechnology = DT_RASPRINTER;
  // Negative sizes tell GDI the unit is micrometres.
  info->ulHorzSize = static_cast<ULONG>(-static_cast<LONG>(100 * size.width));
  info->ulVertSize = static_cast<ULONG>(-static_cast<LONG>(100 * size.length));
  info->ulHorzRes = static_cast<ULONG>(pixels.cx);
  info->ulVertRes = static_cast<ULONG>(pixels.cy);
  info->cBitsPixel = 24;
  info->cPlanes = 1;
  info->ulNumColors = kColors24Bit;
  info->flRaster = 0;
  info->ulLogPixelsX = dpi;
  info->ulLogPixelsY = dpi;
  info->flTextCaps = kTextCaps;
  info->ulAspectX = dpi;
  info->ulAspectY = dpi;
  info->ulAspectXY = dpi * 1424 / 1000;
  info->xStyleStep = 1;
  info->yStyleStep = 1;
  info->denStyleStep = static_cast<LONG>(dpi / 25);
  info->ptlPhysOffset = {0, 0};
  info->szlPhysSize = pixels;
}

void FillDevInfo(HPALETTE palette, DEVINFO* info) {
  std::memset(info, 0, sizeof *info);
  info->flGraphicsCaps = kGraphicsCaps;
  info->iDitherFormat = BMF_24BPP;
  info->cxDither = 0;
  info->cyDither = 0;
  info->cFonts = 0;
  info->hpalDefault = palette;
}

}  // namespace render
