// The twenty field fonts and the ten barcode colours that turn drawn text
// into printer fields.
#pragma once

#include "platform/win.h"

namespace render {

// Field kind of a face name: 1..10 for "Calendar 1" … "Calendar10",
// 11..20 for "Manual 1" … "Manual10", 0 for any other name. Names match
// exactly, case and end included.
BYTE FieldKindOfFace(const WCHAR* faceName);

// Barcode colour number 1..10 of a solid colour (0xRRGGBB), 0 for others.
BYTE BarcodeColorNumber(ULONG color);

}  // namespace render
