// DEVMODEW and LOGFONTW for the host build, laid out as in the Windows SDK.
//
// The printer and display members that share storage in the SDK's unions
// are declared here by their printer names only; the offsets are the same.
#pragma once

#include "platform/host/base.h"

#define CCHDEVICENAME 32
#define CCHFORMNAME 32
#define LF_FACESIZE 32

#define DM_SPECVERSION 0x0401

#define DM_ORIENTATION 0x00000001UL
#define DM_PAPERSIZE 0x00000002UL
#define DM_PAPERLENGTH 0x00000004UL
#define DM_PAPERWIDTH 0x00000008UL
#define DM_SCALE 0x00000010UL
#define DM_POSITION 0x00000020UL
#define DM_NUP 0x00000040UL
#define DM_DISPLAYORIENTATION 0x00000080UL
#define DM_COPIES 0x00000100UL
#define DM_DEFAULTSOURCE 0x00000200UL
#define DM_PRINTQUALITY 0x00000400UL
#define DM_COLOR 0x00000800UL
#define DM_DUPLEX 0x00001000UL
#define DM_YRESOLUTION 0x00002000UL
#define DM_TTOPTION 0x00004000UL
#define DM_COLLATE 0x00008000UL
#define DM_FORMNAME 0x00010000UL
#define DM_LOGPIXELS 0x00020000UL
#define DM_BITSPERPEL 0x00040000UL
#define DM_PELSWIDTH 0x00080000UL
#define DM_PELSHEIGHT 0x00100000UL
#define DM_DISPLAYFLAGS 0x00200000UL
#define DM_DISPLAYFREQUENCY 0x00400000UL
#define DM_ICMMETHOD 0x00800000UL
#define DM_ICMINTENT 0x01000000UL
#define DM_MEDIATYPE 0x02000000UL
#define DM_DITHERTYPE 0x04000000UL

#define DMORIENT_PORTRAIT 1
#define DMORIENT_LANDSCAPE 2
#define DMBIN_FORMSOURCE 15
#define DMCOLOR_MONOCHROME 1
#define DMDUP_SIMPLEX 1
#define DMTT_SUBDEV 3
#define DMCOLLATE_FALSE 0

struct DEVMODEW {
  WCHAR dmDeviceName[CCHDEVICENAME];  // 0
  WORD dmSpecVersion;                 // 64
  WORD dmDriverVersion;               // 66
  WORD dmSize;                        // 68
  WORD dmDriverExtra;                 // 70
  DWORD dmFields;                     // 72
  SHORT dmOrientation;                // 76 (display: dmPosition.x)
  SHORT dmPaperSize;                  // 78
  SHORT dmPaperLength;                // 80 (display: dmPosition.y)
  SHORT dmPaperWidth;                 // 82
  SHORT dmScale;                      // 84 (display: dmDisplayOrientation)
  SHORT dmCopies;                     // 86
  SHORT dmDefaultSource;              // 88 (display: dmDisplayFixedOutput)
  SHORT dmPrintQuality;               // 90
  SHORT dmColor;                      // 92
  SHORT dmDuplex;                     // 94
  SHORT dmYResolution;                // 96
  SHORT dmTTOption;                   // 98
  SHORT dmCollate;                    // 100
  WCHAR dmFormName[CCHFORMNAME];      // 102
  WORD dmLogPixels;                   // 166
  DWORD dmBitsPerPel;                 // 168
  DWORD dmPelsWidth;                  // 172
  DWORD dmPelsHeight;                 // 176
  DWORD dmNup;                        // 180 (also dmDisplayFlags)
  DWORD dmDisplayFrequency;           // 184; a version 0x0320 record ends here (188)
  DWORD dmICMMethod;                  // 188
  DWORD dmICMIntent;                  // 192
  DWORD dmMediaType;                  // 196
  DWORD dmDitherType;                 // 200
  DWORD dmReserved1;                  // 204
  DWORD dmReserved2;                  // 208; a version 0x0400 record ends here (212)
  DWORD dmPanningWidth;               // 212
  DWORD dmPanningHeight;              // 216
};
using PDEVMODEW = DEVMODEW*;
using LPDEVMODEW = DEVMODEW*;

static_assert(sizeof(DEVMODEW) == 220);
static_assert(offsetof(DEVMODEW, dmSpecVersion) == 64);
static_assert(offsetof(DEVMODEW, dmFields) == 72);
static_assert(offsetof(DEVMODEW, dmOrientation) == 76);
static_assert(offsetof(DEVMODEW, dmCopies) == 86);
static_assert(offsetof(DEVMODEW, dmCollate) == 100);
static_assert(offsetof(DEVMODEW, dmFormName) == 102);
static_assert(offsetof(DEVMODEW, dmLogPixels) == 166);
static_assert(offsetof(DEVMODEW, dmBitsPerPel) == 168);
static_assert(offsetof(DEVMODEW, dmICMMethod) == 188);
static_assert(offsetof(DEVMODEW, dmPanningWidth) == 212);

struct LOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTW) == 92);
