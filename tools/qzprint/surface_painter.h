// What GDI itself draws into the driver's page surface: everything but
// text, since the surface hooks text output only. The surface is the
// driver's 24-bit bitmap (pixels blue, green, red); rows are reached
// through pvScan0 and lDelta, which for the bottom-up bitmap start at the
// top row and step backwards through memory.
#pragma once

#include "platform/win.h"
#include "tools/qzprint/job.h"

namespace qzprint {

// Fills the rectangle (right and bottom exclusive), clipped to the page.
void FillRect(SURFOBJ& surface, const RECTL& rect, Rgb color);

// Draws the image 1:1 with its top left corner at (x, y), clipped to the
// page, blending each pixel onto the page by its alpha value
// (out = (src * a + page * (255 - a)) / 255, rounded).
void DrawImage(SURFOBJ& surface, const RgbaImage& image, LONG x, LONG y);

}  // namespace qzprint
