#include "render/fields.h"

#include <cstring>

#include "render/paper.h"

namespace render {

namespace {

constexpr BYTE kQrKind = 10;

void ClearBarcodeSlot(DeviceContext& dc) { std::memset(&dc.barcode, 0, sizeof dc.barcode); }

void ClearDeviceFontSlot(DeviceContext& dc) { std::memset(&dc.deviceFont, 0, sizeof dc.deviceFont); }

}  // namespace

Placement PlaceOnPage(const DeviceContext& dc, std::int64_t anchorX, std::int64_t anchorY, std::int64_t along,
                      std::int64_t across, unsigned rotation) {
  const SIZEL page = PageSizePixels(dc);
  const settings::PrivateOpt& opt = dc.devmode.priv;
  const settings::ModelData model = dc.Model();
  PlacementInput in{};
  in.pageWidth = page.cx;
  in.pageHeight = page.cy;
  in.anchorX = anchorX;
  in.anchorY = anchorY;
  in.extentAlong = along;
  in.extentAcross = across;
  in.rotation = rotation;
  in.landscape = IsLandscape(dc);
  in.rotate180 = opt.Label[CurrentLabelIndex(dc)].Rotate != 0;
  in.printPos = opt.PrintPos;
  in.printPosNum = settings::GetPrintPosNum(opt);
  in.maxWidth = model.MaxWidth();
  in.dotsPerMm = model.DotsPerMm();
  return PlaceField(in);
}

std::int64_t Baseline(const RECTL& rect, FWORD ascender, FWORD descender) {
  const std::int64_t sum = std::int64_t{ascender} + descender;
  if (sum == 0) return rect.bottom;  // a font without metrics: its box bottom
  return rect.bottom + (std::int64_t{rect.top} - rect.bottom) * descender / sum;
}

void CompleteBarcodeField(DeviceContext& dc) {
  BarcodeSlot& slot = dc.barcode;
  if (slot.entry.BarCodeColor == 0) return;
  std::size_t length = slot.length;
  // One trailing space is the separator applications leave after the data.
  if (length > 0 && slot.text[length - 1] == ' ') --length;
  if (length > 0) {
    if (slot.entry.BarCodeKind == kQrKind) {
      SendQrField(dc, slot.text, length);
    } else {
      SendBarcodeField(dc, slot.text, length);
    }
  }
  ClearBarcodeSlot(dc);
}

void CompleteDeviceFontField(DeviceContext& dc) {
  DeviceFontSlot& slot = dc.deviceFont;
  if (slot.kind == kKindNone) return;
  std::size_t length = slot.length;
  while (length > 0 && slot.text[length - 1] == ' ') --length;
  if (length > 0) {
    if (slot.kind <= kKindCalendarLast) {
      SendCalendarField(dc, slot.text, length);
    } else {
      SendManualField(dc, slot.text, length);
    }
  }
  ClearDeviceFontSlot(dc);
}

}  // namespace render
