#include "render/paper.h"

#include "render/device_context.h"

namespace render {

namespace {
constexpr int kFirstPaperId = 315;
constexpr int kLabelCount = 10;
}  // namespace

settings::LabelEntry* SelectLabel(DeviceContext& dc) {
  const int code = dc.devmode.dm.dmPaperSize;
  const int index = (code >= kFirstPaperId && code < kFirstPaperId + kLabelCount) ? code - kFirstPaperId : 0;
  return &dc.paperOpt.Entry[index];
}

unsigned CurrentLabelIndex(const DeviceContext& dc) {
  // The label's own PaperId decides, as the settings pages store it; an
  // entry with an id outside the ten labels counts as the first label.
  const DWORD id = dc.label != nullptr ? dc.label->PaperId : kFirstPaperId;
  return (id >= kFirstPaperId && id < kFirstPaperId + kLabelCount) ? id - kFirstPaperId : 0;
}

bool IsLandscape(const DeviceContext& dc) { return dc.devmode.dm.dmOrientation == DMORIENT_LANDSCAPE; }

LabelSize PageSizeTenthsMm(const DeviceContext& dc) {
  const DEVMODEW& dm = dc.devmode.dm;
  LabelSize size{};
  if (dm.dmPaperWidth != 0 && dm.dmPaperLength != 0) {
    size = {static_cast<ULONG>(static_cast<USHORT>(dm.dmPaperWidth)),
            static_cast<ULONG>(static_cast<USHORT>(dm.dmPaperLength))};
  } else if (dc.label != nullptr) {
    size = {dc.label->LabelWidth, dc.label->LabelLength};
  }
  if (IsLandscape(dc)) return {size.length, size.width};
  return size;
}

SIZEL PageSizePixels(const DeviceContext& dc) {
  const LabelSize size = PageSizeTenthsMm(dc);
  const ULONG d = dc.Model().DotsPerMm();
  return {static_cast<LONG>(size.width * d / 10), static_cast<LONG>(size.length * d / 10)};
}

}  // namespace render
