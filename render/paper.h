// Which label a device context prints on and how big its page is.
#pragma once

#include "platform/win.h"
#include "settings/records.h"

namespace render {

struct DeviceContext;

// The label chosen by dmPaperSize: codes 315..324 select entries 0..9,
// any other code entry 0.
settings::LabelEntry* SelectLabel(DeviceContext& dc);
// Index of the current label in PaperOpt (its PaperId - 315).
unsigned CurrentLabelIndex(const DeviceContext& dc);

// Label size in 0.1 mm as printed: the DEVMODE's custom size when both
// values are nonzero, else the current label's; swapped in landscape.
struct LabelSize {
  ULONG width;   // across the page as GDI draws it
  ULONG length;  // down the page
};
LabelSize PageSizeTenthsMm(const DeviceContext& dc);
// The same in pixels: size * DotsPerMm / 10, truncated.
SIZEL PageSizePixels(const DeviceContext& dc);
bool IsLandscape(const DeviceContext& dc);

}  // namespace render
