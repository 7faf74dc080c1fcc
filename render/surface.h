#pragma once

#include "platform/win.h"

namespace render {

// Bytes per scan line of a 24-bit bitmap of the given width: rounded up to
// a multiple of 4 bytes.
LONG SurfaceStride(LONG width);

}  // namespace render
