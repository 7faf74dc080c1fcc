// DrvTextOut: text in a field font or a barcode colour becomes a pending
// field instead of pixels; everything else goes back to GDI.
//
// Consecutive runs that belong together are gathered into one field: an
// application may draw a field's text in one call or in left-to-right calls
// that touch. A field is completed when a run arrives that does not continue
// it, and at the end of the page.
#include <cstring>

#include "platform/win.h"
#include "render/device_context.h"
#include "render/field_fonts.h"
#include "render/fields.h"

namespace render {

namespace {

// A single glyph of this character is always drawn by GDI.
constexpr WCHAR kAlwaysDrawn = 0x3A77;
constexpr BYTE kToPrinter = 0;

const WCHAR* FaceName(FONTOBJ* pfo) {
  IFIMETRICS* ifi = pfo != nullptr ? FONTOBJ_pifi(pfo) : nullptr;
  if (ifi == nullptr || ifi->dpwszFaceName == 0) return nullptr;
  return reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(ifi) + ifi->dpwszFaceName);
}

// Converts the run's glyphs to ANSI into `out` (capacity bytes); the length,
// or -1 when the text does not convert or does not fit.
int ToAnsi(const STROBJ* pstro, char* out, int capacity) {
  if (pstro->cGlyphs == 0) return 0;
  if (pstro->pwszOrg == nullptr || pstro->cGlyphs > 0x7FFFFFFF) return -1;
  const int length = WideCharToMultiByte(CP_ACP, 0, pstro->pwszOrg, static_cast<int>(pstro->cGlyphs), out,
                                         capacity, nullptr, nullptr);
  return length > 0 ? length : -1;
}

bool Touches(const RECTL& pending, const RECTL& run) { return pending.right == run.left; }

// A barcode run continues the pending one when it starts within it and one
// of the two boxes lies vertically inside the other.
bool Continues(const RECTL& pending, const RECTL& run) {
  if (run.left < pending.left || run.left > pending.right) return false;
  const bool runInside = run.top >= pending.top && run.bottom <= pending.bottom;
  const bool pendingInside = pending.top >= run.top && pending.bottom <= run.bottom;
  return runInside || pendingInside;
}

void StartDeviceFontField(DeviceContext& dc, BYTE kind, const RECTL& rect, const IFIMETRICS* ifi, const char* text,
                          int length) {
  DeviceFontSlot& slot = dc.deviceFont;
  slot.kind = kind;
  slot.rect = rect;
  slot.ascender = ifi != nullptr ? ifi->fwdWinAscender : 0;
  slot.descender = ifi != nullptr ? ifi->fwdWinDescender : 0;
  if (kind <= kKindCalendarLast) {
    slot.calendar = dc.calendarOpt.Entry[kind - kKindCalendarFirst];
  } else {
    slot.variable = dc.variableOpt.Entry[kind - kKindManualFirst];
  }
  std::memcpy(slot.text, text, static_cast<std::size_t>(length));
  slot.length = static_cast<DWORD>(length);
  slot.text[slot.length] = 0;
}

// A run in one of the twenty field fonts.
BOOL TakeDeviceFontRun(DeviceContext& dc, BYTE kind, STROBJ* pstro, FONTOBJ* pfo) {
  // The slot holds at most kDeviceFontTextMax bytes; a run that cannot fit
  // it is dropped rather than written past the buffer.
  char text[kDeviceFontTextMax + 1];
  const int length = ToAnsi(pstro, text, static_cast<int>(kDeviceFontTextMax));
  if (length < 0) return TRUE;

  DeviceFontSlot& slot = dc.deviceFont;
  const RECTL& rect = pstro->rclBkGround;
  if (slot.kind == kind && Touches(slot.rect, rect)) {
    slot.rect.right = rect.right;
    if (slot.length + static_cast<DWORD>(length) <= kDeviceFontTextMax) {
      std::memcpy(slot.text + slot.length, text, static_cast<std::size_t>(length));
      slot.length += static_cast<DWORD>(length);
      slot.text[slot.length] = 0;
    }
    return TRUE;
  }
  CompleteDeviceFontField(dc);
  StartDeviceFontField(dc, kind, rect, FONTOBJ_pifi(pfo), text, length);
  return TRUE;
}

// A run in a barcode colour that a BarColorEntry names.
BOOL TakeBarcodeRun(DeviceContext& dc, BYTE color, const settings::BarColorEntry& entry, STROBJ* pstro) {
  // Up to two bytes per glyph in the ANSI code page.
  const std::size_t capacity = 2 * std::size_t{pstro->cGlyphs} + 1;
  auto* text = static_cast<char*>(HeapAlloc(dc.heap, 0, capacity));
  if (text == nullptr) return TRUE;
  const int converted = ToAnsi(pstro, text, static_cast<int>(capacity > 0x7FFFFFFF ? 0x7FFFFFFF : capacity));
  if (converted < 0) {
    // Text that does not convert is dropped with its run.
    HeapFree(dc.heap, 0, text);
    return TRUE;
  }
  const auto length = static_cast<std::size_t>(converted);

  BarcodeSlot& slot = dc.barcode;
  const RECTL& rect = pstro->rclBkGround;
  if (slot.entry.BarCodeColor == color && Continues(slot.rect, rect)) {
    slot.rect.right = rect.right;
    // Text beyond the slot's limit is cut at run granularity.
    if (slot.length + length <= kBarcodeTextMax) {
      std::memcpy(slot.text + slot.length, text, length);
      slot.length += static_cast<DWORD>(length);
      slot.text[slot.length] = 0;
    }
  } else {
    CompleteBarcodeField(dc);
    slot.rect = rect;
    slot.entry = entry;
    slot.length = 0;
    if (length <= kBarcodeTextMax) {
      std::memcpy(slot.text, text, length);
      slot.length = static_cast<DWORD>(length);
    }
    slot.text[slot.length] = 0;
  }
  HeapFree(dc.heap, 0, text);
  return TRUE;
}

const settings::BarColorEntry* EntryForColor(const DeviceContext& dc, BYTE color) {
  for (const settings::BarColorEntry& entry : dc.barColorOpt.Entry) {
    if (entry.BarCodeColor == color) return &entry;
  }
  return nullptr;
}

}  // namespace
}  // namespace render

BOOL APIENTRY DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                         RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) {
  using namespace render;
  auto drawn = [&] { return EngTextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg, mix); };
  auto* dc = reinterpret_cast<DeviceContext*>(pso->dhpdev);

  if (pstro->cGlyphs == 1 && pstro->pwszOrg != nullptr && pstro->pwszOrg[0] == kAlwaysDrawn) return drawn();

  const BYTE kind = FieldKindOfFace(FaceName(pfo));
  if (kind >= kKindManualFirst && dc->devmode.priv.PrintDevice == kToPrinter) {
    // Manual-input fields exist only on the keyboard terminal.
    return drawn();
  }
  if (kind != kKindNone) return TakeDeviceFontRun(*dc, kind, pstro, pfo);

  CompleteDeviceFontField(*dc);
  const BYTE color = pboFore != nullptr ? BarcodeColorNumber(pboFore->iSolidColor) : 0;
  if (color == 0) {
    CompleteBarcodeField(*dc);
    return drawn();
  }
  const settings::BarColorEntry* entry = EntryForColor(*dc, color);
  if (entry == nullptr) return drawn();
  return TakeBarcodeRun(*dc, color, *entry, pstro);
}
