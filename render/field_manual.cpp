// A manual-input field: where the keyboard terminal's operator input goes.
// Only reachable when the job goes to the terminal.
#include <string_view>

#include "render/fields.h"
#include "render/fields/calendar_cell.h"
#include "render/fields/manual_field.h"
#include "render/output.h"
#include "render/terminal_records.h"

namespace render {

void SendManualField(DeviceContext& dc, const char* text, std::size_t length) {
  settings::VariableEntry& entry = dc.deviceFont.variable;
  const bool jw7120 = fields::IsJw7120DeviceName(dc.devmode.dm.dmDeviceName, CCHDEVICENAME);
  const auto cell = fields::ManualCellDots(entry.ManualKind, static_cast<int>(dc.Model().DotsPerMm()), jw7120);
  if (!cell) return;

  const DeviceFontSlot& slot = dc.deviceFont;
  const Placement at = PlaceOnPage(dc, slot.rect.left, Baseline(slot.rect, slot.ascender, slot.descender),
                                   cell->width, cell->height, entry.ManualRotate);
  entry.ManualRotate = static_cast<BYTE>(at.rotation);
  if (!at.Valid()) return;

  std::size_t lineLength = 0;
  while (lineLength < fields::kDisplayLineLength && entry.DisplayLine2[lineLength] != 0) ++lineLength;
  entry.DisplayCharaNo = fields::ManualInputCharCount(
      entry.DisplayCharaNo, std::string_view(entry.DisplayLine2, lineLength), entry.DisplayInPos, length);
  Output out(dc.printer, dc.heap);
  SendTerminalManual(out, static_cast<std::int32_t>(at.x), static_cast<std::int32_t>(at.y), entry, text, length);
}

}  // namespace render
