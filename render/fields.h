// Completing the pending fields: each field kind computes its size, is
// placed, and is sent as printer commands or keyboard-terminal records.
#pragma once

#include <cstddef>

#include "render/device_context.h"
#include "render/placement.h"

namespace render {

// Completes the pending barcode or 2D code field, if any, and empties the slot.
void CompleteBarcodeField(DeviceContext& dc);
// Completes the pending calendar or manual-input field, if any, and empties the slot.
void CompleteDeviceFontField(DeviceContext& dc);

// The placement of a field of this device context at an anchor on the page.
Placement PlaceOnPage(const DeviceContext& dc, std::int64_t anchorX, std::int64_t anchorY, std::int64_t along,
                      std::int64_t across, unsigned rotation);
// The baseline of a device-font run: bottom + (top - bottom) * descender /
// (ascender + descender), truncated toward zero.
std::int64_t Baseline(const RECTL& rect, FWORD ascender, FWORD descender);

// One function per field kind, each given the slot's text with its trailing
// spaces already handled.
void SendBarcodeField(DeviceContext& dc, const char* text, std::size_t length);
void SendQrField(DeviceContext& dc, const char* text, std::size_t length);
void SendCalendarField(DeviceContext& dc, const char* text, std::size_t length);
void SendManualField(DeviceContext& dc, const char* text, std::size_t length);

}  // namespace render
