// Contents of the barcode, calendar and variable-input blocks when none of
// the right size is stored. (The label block's default is the paper list
// made from the model data.)
#pragma once

#include "settings/records.h"

namespace settings {

// Every set-up unused, bar height 8 mm, human-readable characters shown.
void DefaultBarColorOpt(BarColorOpt* out);
// Character kind 2, spacing 2 dots, no tables, TableDir empty.
void DefaultCalendarOpt(CalendarOpt* out);
// Display lines of 16 blanks, character kind 3, spacing 2 dots.
void DefaultVariableOpt(VariableOpt* out);

}  // namespace settings
