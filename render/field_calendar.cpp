// A calendar field: the date or time of printing in the printer's own font.
// The driver computes the text from the clock (and conversion tables), the
// printer prints it; the keyboard terminal gets the settings instead and
// computes the date itself.
#include <string_view>

#include "render/commands.h"
#include "render/data_file.h"
#include "render/fields.h"
#include "render/fields/calendar_cell.h"
#include "render/fields/calendar_text.h"
#include "render/fields/conversion_table_lookup.h"
#include "render/output.h"
#include "render/terminal_records.h"

namespace render {

namespace {

constexpr LONG kTerminalDayFromMonth = -999;

std::string_view NameView(const char (&name)[9]) {
  std::size_t length = 0;
  while (length < sizeof name && name[length] != 0) ++length;
  return {name, length};
}

// The table name of table n (1..7) in the entry.
const char (&TableName(const settings::CalendarEntry& entry, int table))[9] {
  switch (table) {
    case fields::kTableYear: return entry.ConvertYear;
    case fields::kTableMonth: return entry.ConvertMonth;
    case fields::kTableDay: return entry.ConvertDay;
    case fields::kTableHour: return entry.ConvertHour;
    case fields::kTableMinute: return entry.ConvertMinute;
    case fields::kTableWeekday: return entry.ConvertWeek;
    default: return entry.ConvertSerial;
  }
}

}  // namespace

void SendCalendarField(DeviceContext& dc, const char* /*placeholder*/, std::size_t /*length*/) {
  settings::CalendarEntry& entry = dc.deviceFont.calendar;
  ENG_TIME_FIELDS now{};
  EngQueryLocalTime(&now);
  const fields::CalendarClock clock{now.usYear, now.usMonth, now.usDay, now.usHour, now.usMinute, now.usSecond};
  const fields::CalendarTextSettings settings{entry.CalendarDate, entry.CalendarFormat, entry.CalendarYear,
                                              entry.CalendarMonth, settings::GetCalendarDay(entry)};

  // Conversion tables live in TableDir; a missing table leaves the part as computed.
  auto lookup = [&](int table, std::string_view key, char* out, std::size_t outSize, std::size_t* outLen) {
    const std::string_view name = NameView(TableName(entry, table));
    WCHAR wideName[9];
    WCHAR path[fields::kTablePathCapacity];
    if (name.empty() || !AnsiToWide(name, wideName, std::size(wideName))) return false;
    if (fields::BuildTablePath(WideView(dc.calendarOpt.TableDir, std::size(dc.calendarOpt.TableDir)),
                               WideView(wideName, std::size(wideName)), table, path, std::size(path)) != ERROR_SUCCESS) {
      return false;
    }
    MappedFile file(path);
    return file.IsOpen() && fields::CopyTableValue(file.Bytes(), key, out, outSize, outLen);
  };
  char text[fields::kCalendarTextMax + 1];
  const auto textLength = fields::FormatCalendarText(settings, clock, lookup, text, sizeof text);
  if (!textLength) return;

  const bool jw7120 = fields::IsJw7120DeviceName(dc.devmode.dm.dmDeviceName, CCHDEVICENAME);
  const auto cell = fields::CalendarCellDots(entry.CalendarKind, static_cast<int>(dc.Model().DotsPerMm()), jw7120);
  const auto character = fields::CalendarKindChar(entry.CalendarKind);
  if (!cell || !character) return;

  const DeviceFontSlot& slot = dc.deviceFont;
  const Placement at = PlaceOnPage(dc, slot.rect.left, Baseline(slot.rect, slot.ascender, slot.descender),
                                   cell->width, cell->height, entry.CalendarRotate);
  entry.CalendarRotate = static_cast<BYTE>(at.rotation);
  if (!at.Valid()) return;

  Output out(dc.printer, dc.heap);
  if (dc.devmode.priv.PrintDevice == 1) {
    // "Same day of the month" for a month offset is spelled -999 to the terminal.
    if (entry.CalendarMonth != 0 && settings::GetCalendarDay(entry) == 0) {
      settings::SetCalendarDay(entry, kTerminalDayFromMonth);
    }
    SendTerminalCalendar(out, static_cast<std::int32_t>(at.x), static_cast<std::int32_t>(at.y), entry);
    return;
  }
  const Command field =
      CalendarFieldCommand({static_cast<std::uint32_t>(*textLength), at.x, at.y, *character, at.rotation,
                            entry.CalendarXMag + 1u, entry.CalendarYMag + 1u, entry.CalendarGap});
  if (Send(out, field)) SendDataCommand(out, 'C', text, *textLength);
}

}  // namespace render
