// The DEVMODE an application hands to GDI for the job, built from the job
// file's "devmode" object: the public part in one of the three layouts
// (188, 212 or 220 bytes), then the driver's private part.
#pragma once

#include <string>
#include <vector>

#include "platform/win.h"
#include "settings/model_data.h"
#include "settings/records.h"
#include "tools/qzprint/json_reader.h"

namespace qzprint {

struct DevmodeDefaults {
  std::u16string deviceName;      // goes into dmDeviceName
  settings::ModelData model;      // for the default private part
  const settings::PaperOpt* papers;  // for the default private part
};

// The record's bytes: dmSize + dmDriverExtra of them. The buffer is
// allocated whole, so that a reader going past dmSize + dmDriverExtra runs
// off its end.
bool BuildDevmode(Reader& reader, const Json& value, const std::string& path, const DevmodeDefaults& defaults,
                  std::vector<BYTE>* out);

}  // namespace qzprint
