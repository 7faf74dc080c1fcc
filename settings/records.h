// The driver's settings records, shared byte for byte by the rendering
// driver and the UI: the job's DEVMODE with its private part, and the four
// per-printer option blocks kept under the printer's PrinterDriverData key.
//
// Every record is packed and little-endian. Multi-byte fields that fall on
// an odd offset are declared as byte arrays and go through the accessors at
// the end of this file, so no code ever forms a misaligned pointer to them.
// The records that hold wide text or DWORDs at naturally aligned offsets are
// additionally given their natural alignment, so that a pointer to one of
// those fields (a PaperName handed to a string routine, the DEVMODEW head
// handed to the spooler) is always properly aligned. Field names are the
// keys under which the settings file stores them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win.h"
#include "settings/little_endian.h"

namespace settings {

inline constexpr int kLabelCount = 10;    // labels, barcode set-ups, calendar and manual fields
inline constexpr DWORD kFirstPaperId = 315;  // dmPaperSize of label 1; label i+1 is 315 + i
inline constexpr std::size_t kPaperNameChars = 64;
inline constexpr std::size_t kTableDirChars = MAX_PATH;
inline constexpr BYTE kSignature[4] = {'M', 'D', 'Z', 'Q'};

#pragma pack(push, 1)

// Per-label print direction inside PrivateOpt.
struct LabelDirection {
  BYTE Orientation;  // preferred direction: 0 portrait, 1 landscape
  BYTE Rotate;       // 180 degree rotation: 0 no, 1 yes
};

// The DEVMODE's private part: per-job print options (52 bytes).
struct PrivateOpt {
  BYTE Signature[4];    // 'M','D','Z','Q'
  BYTE PrintDevice;     // 0 printer, 1 keyboard terminal
  CHAR FileName[9];     // ANSI job file name for the terminal, 8 characters and NUL
  BYTE PrintCut;
  BYTE PrintLastCut;
  BYTE PrintCutqty;
  BYTE PrintCutqtyNum;
  BYTE PrintPitch;
  BYTE PrintError;
  BYTE PrintRibbon;
  BYTE PrintPattern;
  BYTE Divide;
  BYTE PrintPos;        // 0 centre, 1 right-aligned, 2 at PrintPosNum
  BYTE PrintPosNum[4];  // unaligned DWORD, 0.1 mm: GetPrintPosNum/SetPrintPosNum
  BYTE YOffset;
  BYTE YOffsetNum[2];   // unaligned WORD: GetYOffsetNum/SetYOffsetNum
  BYTE Compression;
  LabelDirection Label[kLabelCount];
};

// The job's DEVMODE as this driver keeps it: the public part in the current
// 220-byte layout, then the private part at offset dmSize.
struct alignas(4) LabelDevmode {
  DEVMODEW dm;
  PrivateOpt priv;
};

// One label size; entry i describes label i+1 (140 bytes).
struct alignas(4) LabelEntry {
  WCHAR PaperName[kPaperNameChars];  // form name shown to applications
  DWORD PaperId;                     // 315 + i
  DWORD LabelWidth;                  // 0.1 mm
  DWORD LabelLength;                 // 0.1 mm
};

// One barcode set-up, selected by the colour of the drawn text (16 bytes).
struct BarColorEntry {
  BYTE BarCodeColor;  // 0 unused, 1..10 one of the ten barcode colours
  BYTE BarCodeKind;
  BYTE BarCodeSize;
  BYTE BarCodeLength;  // bar height, mm
  BYTE BarCodeNumShow;
  BYTE BarCodeRotate;
  BYTE BarCodeQrCellSize;
  BYTE BarCodeQrErrLevel;
  BYTE BarCodeQrModel;
  BYTE BarCodeEnableEBR;
  BYTE BarCodeEBRnarrowBar;
  BYTE BarCodeEBRwideBar;
  BYTE BarCodeEBRnarrowSpace;
  BYTE BarCodeEBRwideSpace;
  BYTE BarCodeEBRbarGap;
  BYTE BarCodeEBRhreadGap;
};

// One calendar field (76 bytes). The seven table names are ANSI base names
// of 8 characters and NUL; table n (1..7) is "<TableDir>\<name>.TB<n>".
struct CalendarEntry {
  BYTE CalendarKind;
  BYTE CalendarYMag;
  BYTE CalendarXMag;
  BYTE CalendarRotate;
  BYTE CalendarGap;
  BYTE CalendarDate;
  BYTE CalendarFormat;
  BYTE CalendarYear;
  BYTE CalendarMonth;
  BYTE CalendarDay[4];  // unaligned signed 32-bit: GetCalendarDay/SetCalendarDay
  CHAR ConvertYear[9];
  CHAR ConvertMonth[9];
  CHAR ConvertDay[9];
  CHAR ConvertHour[9];
  CHAR ConvertMinute[9];
  CHAR ConvertWeek[9];
  CHAR ConvertSerial[9];
};

// One variable-input field of the keyboard terminal (41 bytes).
struct VariableEntry {
  CHAR DisplayLine1[17];  // ANSI, 16 characters and NUL
  CHAR DisplayLine2[17];
  BYTE DisplayInPos;
  BYTE DisplayCharaNo;
  BYTE ManualKind;
  BYTE ManualYMag;
  BYTE ManualXMag;
  BYTE ManualRotate;
  BYTE ManualGap;
};

// The option blocks as stored under PrinterDriverData.
struct alignas(4) PaperOpt {
  LabelEntry Entry[kLabelCount];
};

struct BarColorOpt {
  BarColorEntry Entry[kLabelCount];
};

struct alignas(4) CalendarOpt {
  CalendarEntry Entry[kLabelCount];
  WCHAR TableDir[kTableDirChars];  // folder of the conversion tables
};

struct VariableOpt {
  VariableEntry Entry[kLabelCount];
};

#pragma pack(pop)

// ---- layouts ----
static_assert(sizeof(DEVMODEW) == 220);
static_assert(offsetof(DEVMODEW, dmSpecVersion) == 64 && offsetof(DEVMODEW, dmDriverExtra) == 70);
static_assert(offsetof(DEVMODEW, dmFields) == 72 && offsetof(DEVMODEW, dmFormName) == 102);

static_assert(sizeof(LabelDirection) == 2);
static_assert(sizeof(PrivateOpt) == 52);
static_assert(offsetof(PrivateOpt, PrintDevice) == 4);
static_assert(offsetof(PrivateOpt, FileName) == 5);
static_assert(offsetof(PrivateOpt, PrintCut) == 14);
static_assert(offsetof(PrivateOpt, PrintCutqtyNum) == 17);
static_assert(offsetof(PrivateOpt, PrintError) == 19);
static_assert(offsetof(PrivateOpt, PrintPattern) == 21);
static_assert(offsetof(PrivateOpt, PrintPos) == 23);
static_assert(offsetof(PrivateOpt, PrintPosNum) == 24);
static_assert(offsetof(PrivateOpt, YOffset) == 28);
static_assert(offsetof(PrivateOpt, YOffsetNum) == 29);
static_assert(offsetof(PrivateOpt, Compression) == 31);
static_assert(offsetof(PrivateOpt, Label) == 32);

static_assert(sizeof(LabelDevmode) == 272);
static_assert(offsetof(LabelDevmode, priv) == 220);

static_assert(sizeof(LabelEntry) == 140);
static_assert(offsetof(LabelEntry, PaperId) == 128);
static_assert(offsetof(LabelEntry, LabelWidth) == 132);
static_assert(offsetof(LabelEntry, LabelLength) == 136);

static_assert(sizeof(BarColorEntry) == 16);
static_assert(offsetof(BarColorEntry, BarCodeEnableEBR) == 9);
static_assert(offsetof(BarColorEntry, BarCodeEBRhreadGap) == 15);

static_assert(sizeof(CalendarEntry) == 76);
static_assert(offsetof(CalendarEntry, CalendarDay) == 9);
static_assert(offsetof(CalendarEntry, ConvertYear) == 13);
static_assert(offsetof(CalendarEntry, ConvertWeek) == 58);
static_assert(offsetof(CalendarEntry, ConvertSerial) == 67);

static_assert(sizeof(VariableEntry) == 41);
static_assert(offsetof(VariableEntry, DisplayLine2) == 17);
static_assert(offsetof(VariableEntry, DisplayInPos) == 34);
static_assert(offsetof(VariableEntry, ManualKind) == 36);
static_assert(offsetof(VariableEntry, ManualGap) == 40);

static_assert(sizeof(PaperOpt) == 1400);
static_assert(sizeof(BarColorOpt) == 160);
static_assert(sizeof(CalendarOpt) == 1280);
static_assert(offsetof(CalendarOpt, TableDir) == 760);
static_assert(sizeof(VariableOpt) == 410);

// ---- unaligned fields ----
inline DWORD GetPrintPosNum(const PrivateOpt& opt) { return LoadLe32(opt.PrintPosNum); }
inline void SetPrintPosNum(PrivateOpt& opt, DWORD value) { StoreLe32(opt.PrintPosNum, value); }

inline WORD GetYOffsetNum(const PrivateOpt& opt) { return LoadLe16(opt.YOffsetNum); }
inline void SetYOffsetNum(PrivateOpt& opt, WORD value) { StoreLe16(opt.YOffsetNum, value); }

inline LONG GetCalendarDay(const CalendarEntry& entry) {
  return static_cast<LONG>(LoadLe32(entry.CalendarDay));
}
inline void SetCalendarDay(CalendarEntry& entry, LONG value) {
  StoreLe32(entry.CalendarDay, static_cast<std::uint32_t>(value));
}

inline bool HasSignature(const PrivateOpt& opt) {
  return opt.Signature[0] == kSignature[0] && opt.Signature[1] == kSignature[1] &&
         opt.Signature[2] == kSignature[2] && opt.Signature[3] == kSignature[3];
}

}  // namespace settings
