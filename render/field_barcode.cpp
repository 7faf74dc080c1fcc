// A barcode field: the printer draws the symbol itself; the driver works out
// the symbol's length and height only to place it when the page or the
// symbol is turned.
#include <string_view>

#include "render/commands.h"
#include "render/fields.h"
#include "render/fields/barcode_size.h"
#include "render/output.h"
#include "render/terminal_records.h"

namespace render {

void SendBarcodeField(DeviceContext& dc, const char* text, std::size_t length) {
  settings::BarColorEntry& entry = dc.barcode.entry;
  const std::string_view data(text, length);
  const fields::BarcodeElementWidths widths{entry.BarCodeEBRnarrowBar, entry.BarCodeEBRwideBar,
                                            entry.BarCodeEBRnarrowSpace, entry.BarCodeEBRwideSpace,
                                            entry.BarCodeEBRbarGap};
  const auto size = fields::BarcodeSymbolSize(entry.BarCodeKind, entry.BarCodeSize, entry.BarCodeLength,
                                              static_cast<int>(dc.Model().DotsPerMm()), entry.BarCodeEnableEBR != 0,
                                              widths, data);
  const auto kind = fields::BarcodeKindChar(entry.BarCodeKind);
  if (!size || !kind) return;

  const RECTL& box = dc.barcode.rect;
  const Placement at = PlaceOnPage(dc, box.left, box.top, size->length, size->height, entry.BarCodeRotate);
  entry.BarCodeRotate = static_cast<BYTE>(at.rotation);
  if (!at.Valid()) return;

  Output out(dc.printer, dc.heap);
  if (dc.devmode.priv.PrintDevice == 1) {
    SendTerminalBarcode(out, static_cast<std::int32_t>(at.x), static_cast<std::int32_t>(at.y), entry, text, length);
    return;
  }
  const Command field = BarcodeFieldCommand({static_cast<std::uint32_t>(length), at.x, at.y, *kind, at.rotation,
                                             entry.BarCodeSize, entry.BarCodeLength, entry.BarCodeNumShow != 0});
  // A field the command cannot express (data over 99 bytes, a position
  // over 9999 dots) is not sent at all, its ratio command included.
  if (!field.ok) return;
  if (entry.BarCodeEnableEBR != 0) {
    const BarcodeRatio ratio{*kind,
                             entry.BarCodeSize,
                             entry.BarCodeEBRnarrowBar,
                             entry.BarCodeEBRwideBar,
                             entry.BarCodeEBRnarrowSpace,
                             entry.BarCodeEBRwideSpace,
                             entry.BarCodeEBRbarGap,
                             entry.BarCodeEBRhreadGap};
    if (!Send(out, BarcodeRatioCommand(ratio))) return;
  }
  if (Send(out, field)) SendDataCommand(out, 'B', text, length);
}

}  // namespace render
