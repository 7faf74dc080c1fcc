// The job's "clock": the local time that EngQueryLocalTime reports to the
// driver while the job plays, written "YYYY-MM-DDTHH:MM:SS".
#pragma once

#include <optional>
#include <string_view>

#include "platform/win.h"

namespace qzprint {

// The time fields, weekday included (0 Sunday .. 6 Saturday), or nothing
// when the text is not exactly of that form or names no real date or time.
std::optional<ENG_TIME_FIELDS> ParseLocalTime(std::string_view text);

}  // namespace qzprint
