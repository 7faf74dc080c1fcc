// Block defaults.
#include "settings/block_defaults.h"

#include <cstring>

namespace settings {
namespace {

constexpr CHAR kBlankLine[] = "                ";  // 16 blanks
static_assert(sizeof(kBlankLine) == sizeof(VariableEntry::DisplayLine1));

}  // namespace

void DefaultBarColorOpt(BarColorOpt* out) {
  if (out == nullptr) return;
  std::memset(out, 0, sizeof(*out));
  for (BarColorEntry& entry : out->Entry) {
    entry.BarCodeLength = 8;
    entry.BarCodeNumShow = 1;
  }
}

void DefaultCalendarOpt(CalendarOpt* out) {
  if (out == nullptr) return;
  std::memset(out, 0, sizeof(*out));
  for (CalendarEntry& entry : out->Entry) {
    entry.CalendarKind = 2;
    entry.CalendarGap = 2;
  }
}

void DefaultVariableOpt(VariableOpt* out) {
  if (out == nullptr) return;
  std::memset(out, 0, sizeof(*out));
  for (VariableEntry& entry : out->Entry) {
    std::memcpy(entry.DisplayLine1, kBlankLine, sizeof(kBlankLine));
    std::memcpy(entry.DisplayLine2, kBlankLine, sizeof(kBlankLine));
    entry.ManualKind = 3;
    entry.ManualGap = 2;
  }
}

}  // namespace settings
