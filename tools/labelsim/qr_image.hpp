#pragma once
// 2D codes drawn with libqrencode: cell_dots per module, the commanded error
// level, no quiet zone (the symbol's side is modules * cell). Model 1 symbols
// are drawn as model 2, with a note.

#include <cstdint>

#include "field_image.hpp"
#include "stream_model.hpp"

namespace labelsim {

FieldImage render_qr(const QrItem& item, std::uint64_t max_pixels);

}  // namespace labelsim
