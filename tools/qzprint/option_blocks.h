// The job file's "options": the four option blocks to store for the
// printer before the job, each entry starting from the block's default.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "settings/records.h"
#include "tools/qzprint/json_reader.h"

namespace qzprint {

struct OptionBlocks {
  std::optional<settings::PaperOpt> paper;
  std::optional<settings::BarColorOpt> barColor;
  std::optional<settings::CalendarOpt> calendar;
  std::optional<settings::VariableOpt> variable;
};

// `paperDefaults` is the paper list the driver would make from the model;
// relative TableDir folders are taken from `jobFolder`.
bool ReadOptionBlocks(Reader& reader, const Json& value, const std::string& path,
                      const settings::PaperOpt& paperDefaults, const std::filesystem::path& jobFolder,
                      OptionBlocks* out);

}  // namespace qzprint
