#pragma once
// Human-readable listing of a decoded job: one line per command (runs of
// keyboard-terminal row records folded into one line), then one line per page
// and the diagnostics.

#include <ostream>
#include <vector>

#include "json_output.hpp"
#include "stream_model.hpp"

namespace labelsim {

void write_summary(std::ostream& out, const DecodeResult& result, const std::vector<PageOutput>& pages);

}  // namespace labelsim
