// The ten labels of a printer: the stored PaperOpt block, or the list made
// from the model data when no block of the right size is stored.
#pragma once

#include "platform/win.h"
#include "settings/model_data.h"
#include "settings/records.h"

namespace settings {

// Fills *out with the stored PaperOpt when it is exactly 1400 bytes;
// otherwise, given model data, builds the list: labels 1..PaperCount carry
// the model's names (ANSI code page, at most 63 characters) and sizes, the
// others are named "ﾗﾍﾞﾙ<n>" and sized MaxWidth x MaxLength; paper size codes
// are 315 + i. False when neither is available. A list built from the model
// is not stored here.
bool BuildPaperList(HANDLE printer, const ModelData* model, PaperOpt* out);

}  // namespace settings
