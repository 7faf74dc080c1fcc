#pragma once
// Calendar texts and manual-input placeholders in the printer's character
// cells: cell = the character type's cell size at the resolution, times the
// magnifications, with `gap` dots between cells. Drawn with the built-in font.

#include <cstdint>

#include "field_image.hpp"
#include "stream_model.hpp"

namespace labelsim {

FieldImage render_text(const TextItem& item, unsigned dots_per_mm, std::uint64_t max_pixels);

}  // namespace labelsim
