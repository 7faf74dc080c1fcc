// The device description handed to GDI: GDIINFO and DEVINFO.
#pragma once

#include "platform/win.h"

namespace render {

struct DeviceContext;

// Fills GDIINFO from the page size of the current label and the model.
void FillGdiInfo(const DeviceContext& dc, GDIINFO* info);
// Fills DEVINFO; the palette is the caller's.
void FillDevInfo(HPALETTE palette, DEVINFO* info);

}  // namespace render
