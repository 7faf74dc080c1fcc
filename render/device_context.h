// The rendering driver's per-printer state: one DeviceContext per enabled
// printer device context, allocated from the private heap it owns, so that
// destroying that heap frees it together with every page buffer.
#pragma once

#include <cstdint>

#include "platform/win.h"
#include "settings/model_data.h"
#include "settings/records.h"

namespace render {

// The bytes 'D','D','Z','Q' read as a little-endian 32-bit value.
inline constexpr DWORD kSignature = 0x515A4444;

inline constexpr std::size_t kBarcodeTextMax = 3000;
inline constexpr std::size_t kDeviceFontTextMax = 1023;

// Field kinds of the device-font slot.
inline constexpr BYTE kKindNone = 0;
inline constexpr BYTE kKindCalendarFirst = 1;
inline constexpr BYTE kKindCalendarLast = 10;
inline constexpr BYTE kKindManualFirst = 11;
inline constexpr BYTE kKindManualLast = 20;

// Text drawn in a barcode colour, gathered until the field is complete.
// BarCodeColor of the entry copy nonzero marks the slot as pending.
struct BarcodeSlot {
  RECTL rect;
  settings::BarColorEntry entry;
  DWORD length;  // bytes of text
  char text[kBarcodeTextMax + 1];
};

// Text drawn in a calendar or manual field font.
struct DeviceFontSlot {
  RECTL rect;
  BYTE kind;  // kKindNone, 1..10 calendar, 11..20 manual
  FWORD ascender;
  FWORD descender;
  settings::CalendarEntry calendar;
  DWORD length;  // bytes of text
  char text[kDeviceFontTextMax + 1];
  settings::VariableEntry variable;
};

struct DeviceContext {
  DWORD signature;
  settings::LabelDevmode devmode;
  HANDLE heap;
  BYTE* modelBytes;  // the model data copy, from the heap
  DWORD modelSize;
  settings::LabelEntry* label;  // the current label, an entry of paperOpt
  settings::PaperOpt paperOpt;
  settings::BarColorOpt barColorOpt;
  settings::CalendarOpt calendarOpt;
  settings::VariableOpt variableOpt;
  HANDLE printer;
  HDEV hdev;
  HSURF surface;
  HPALETTE palette;
  BarcodeSlot barcode;
  DeviceFontSlot deviceFont;
  DWORD pageStarted;
  DWORD signature2;
  WCHAR driverFolder[MAX_PATH];  // ends in a backslash

  settings::ModelData Model() const { return {modelBytes, modelSize}; }
};

// The device context of a handle when both signatures are intact; otherwise
// nullptr with ERROR_INVALID_PARAMETER as the thread's last error.
DeviceContext* CheckedDeviceContext(DHPDEV dhpdev);
DeviceContext* CheckedDeviceContext(const SURFOBJ* pso);

}  // namespace render
