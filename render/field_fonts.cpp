#include "render/field_fonts.h"

namespace render {

namespace {

struct FieldFont {
  const WCHAR* face;
  BYTE kind;
};

// One-digit names have a space before the digit; the tenth names have none.
const FieldFont kFieldFonts[] = {
    {WSTR("Calendar 1"), 1}, {WSTR("Calendar 2"), 2}, {WSTR("Calendar 3"), 3}, {WSTR("Calendar 4"), 4},
    {WSTR("Calendar 5"), 5}, {WSTR("Calendar 6"), 6}, {WSTR("Calendar 7"), 7}, {WSTR("Calendar 8"), 8},
    {WSTR("Calendar 9"), 9}, {WSTR("Calendar10"), 10}, {WSTR("Manual 1"), 11},  {WSTR("Manual 2"), 12},
    {WSTR("Manual 3"), 13},  {WSTR("Manual 4"), 14},  {WSTR("Manual 5"), 15},  {WSTR("Manual 6"), 16},
    {WSTR("Manual 7"), 17},  {WSTR("Manual 8"), 18},  {WSTR("Manual 9"), 19},  {WSTR("Manual10"), 20},
};

// Colour number i + 1 is the value at index i (red in the high byte).
const ULONG kBarcodeColors[] = {
    0xFF0000, 0x00FF00, 0x0000FF, 0x00FFFF, 0xFF00FF, 0x800000, 0x008000, 0x000080, 0x008080, 0x800080,
};

bool SameName(const WCHAR* a, const WCHAR* b) {
  while (*a != 0 && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

}  // namespace

BYTE FieldKindOfFace(const WCHAR* faceName) {
  if (faceName == nullptr) return 0;
  for (const FieldFont& font : kFieldFonts) {
    if (SameName(font.face, faceName)) return font.kind;
  }
  return 0;
}

BYTE BarcodeColorNumber(ULONG color) {
  for (BYTE i = 0; i < 10; ++i) {
    if (kBarcodeColors[i] == color) return static_cast<BYTE>(i + 1);
  }
  return 0;
}

}  // namespace render
