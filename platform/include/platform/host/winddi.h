// Printer graphics driver interface (GDI DDI) for the host build: the
// structures GDI and the driver exchange, the driver function indexes, and
// the engine services (Eng...) the driver calls back.
#pragma once

#include "platform/host/base.h"
#include "platform/host/devmode.h"

using HSURF = struct HSURF__*;
using DHSURF = struct DHSURF__*;
using DHPDEV = struct DHPDEV__*;
using HDEV = struct HDEV__*;
using HBITMAP = struct HBITMAP__*;
using HPALETTE = struct HPALETTE__*;
using HSEMAPHORE = struct HSEMAPHORE__*;
using HGLYPH = ULONG;
using MIX = ULONG;
using PFN = LONG_PTR (*)();
using LDECI4 = LONG;

// ---- driver entry ----
#define DDI_DRIVER_VERSION_NT4 0x00020000
#define GDI_DRIVER_VERSION 0x4000
#define DRVQUERY_USERMODE 0x00000001

#define INDEX_DrvEnablePDEV 0L
#define INDEX_DrvCompletePDEV 1L
#define INDEX_DrvDisablePDEV 2L
#define INDEX_DrvEnableSurface 3L
#define INDEX_DrvDisableSurface 4L
#define INDEX_DrvTextOut 23L
#define INDEX_DrvSendPage 32L
#define INDEX_DrvStartPage 33L
#define INDEX_DrvEndDoc 34L
#define INDEX_DrvStartDoc 35L

struct DRVFN {
  ULONG iFunc;
  PFN pfn;
};
using PDRVFN = DRVFN*;

struct DRVENABLEDATA {
  ULONG iDriverVersion;
  ULONG c;
  DRVFN* pdrvfn;
};
using PDRVENABLEDATA = DRVENABLEDATA*;
static_assert(sizeof(DRVENABLEDATA) == 16);

// ---- device description ----
struct CIECHROMA {
  LDECI4 x;
  LDECI4 y;
  LDECI4 Y;
};
struct COLORINFO {
  CIECHROMA Red, Green, Blue, Cyan, Magenta, Yellow, AlignmentWhite;
  LDECI4 RedGamma, GreenGamma, BlueGamma;
  LDECI4 MagentaInCyanDye, YellowInCyanDye, CyanInMagentaDye;
  LDECI4 YellowInMagentaDye, CyanInYellowDye, MagentaInYellowDye;
};
static_assert(sizeof(COLORINFO) == 120);

#define DT_RASPRINTER 2

struct GDIINFO {
  ULONG ulVersion;
  ULONG ulTechnology;
  ULONG ulHorzSize;
  ULONG ulVertSize;
  ULONG ulHorzRes;
  ULONG ulVertRes;
  ULONG cBitsPixel;
  ULONG cPlanes;
  ULONG ulNumColors;
  ULONG flRaster;
  ULONG ulLogPixelsX;
  ULONG ulLogPixelsY;
  ULONG flTextCaps;
  ULONG ulDACRed;
  ULONG ulDACGreen;
  ULONG ulDACBlue;
  ULONG ulAspectX;
  ULONG ulAspectY;
  ULONG ulAspectXY;
  LONG xStyleStep;
  LONG yStyleStep;
  LONG denStyleStep;
  POINTL ptlPhysOffset;
  SIZEL szlPhysSize;
  ULONG ulNumPalReg;
  COLORINFO ciDevice;
  ULONG ulDevicePelsDPI;
  ULONG ulPrimaryOrder;
  ULONG ulHTPatternSize;
  ULONG ulHTOutputFormat;
  ULONG flHTFlags;
  ULONG ulVRefresh;
  ULONG ulBltAlignment;
  ULONG ulPanningHorzRes;
  ULONG ulPanningVertRes;
  ULONG xPanningAlignment;
  ULONG yPanningAlignment;
  ULONG cxHTPat;
  ULONG cyHTPat;
  LPBYTE pHTPatA;
  LPBYTE pHTPatB;
  LPBYTE pHTPatC;
  ULONG flShadeBlend;
  ULONG ulPhysicalPixelCharacteristics;
  ULONG ulPhysicalPixelGamma;
};
static_assert(sizeof(GDIINFO) == 320);
static_assert(offsetof(GDIINFO, ptlPhysOffset) == 88);
static_assert(offsetof(GDIINFO, ciDevice) == 108);
static_assert(offsetof(GDIINFO, pHTPatA) == 280);

struct DEVINFO {
  FLONG flGraphicsCaps;
  LOGFONTW lfDefaultFont;
  LOGFONTW lfAnsiVarFont;
  LOGFONTW lfAnsiFixFont;
  ULONG cFonts;
  ULONG iDitherFormat;
  USHORT cxDither;
  USHORT cyDither;
  HPALETTE hpalDefault;
  FLONG flGraphicsCaps2;
};
static_assert(sizeof(DEVINFO) == 312);
static_assert(offsetof(DEVINFO, hpalDefault) == 296);

// ---- surfaces, bitmaps, palettes ----
#define BMF_1BPP 1L
#define BMF_4BPP 2L
#define BMF_8BPP 3L
#define BMF_16BPP 4L
#define BMF_24BPP 5L
#define BMF_32BPP 6L

#define BMF_TOPDOWN 0x0001
#define BMF_NOZEROINIT 0x0002

#define STYPE_BITMAP 0L
#define STYPE_DEVICE 1L

#define HOOK_BITBLT 0x00000001
#define HOOK_STRETCHBLT 0x00000002
#define HOOK_PLGBLT 0x00000004
#define HOOK_TEXTOUT 0x00000008

#define PAL_INDEXED 0x00000001
#define PAL_BITFIELDS 0x00000002
#define PAL_RGB 0x00000004
#define PAL_BGR 0x00000008

struct SURFOBJ {
  DHSURF dhsurf;
  HSURF hsurf;
  DHPDEV dhpdev;
  HDEV hdev;
  SIZEL sizlBitmap;
  ULONG cjBits;
  PVOID pvBits;
  PVOID pvScan0;
  LONG lDelta;
  ULONG iUniq;
  ULONG iBitmapFormat;
  USHORT iType;
  USHORT fjBitmap;
};
static_assert(sizeof(SURFOBJ) == 80);
static_assert(offsetof(SURFOBJ, pvScan0) == 56);

// ---- text output ----
struct GLYPHDEF;
struct GLYPHPOS {
  HGLYPH hg;
  GLYPHDEF* pgdf;
  POINTL ptl;
};

struct STROBJ {
  ULONG cGlyphs;
  FLONG flAccel;
  ULONG ulCharInc;
  RECTL rclBkGround;
  GLYPHPOS* pgp;
  LPWSTR pwszOrg;
};

struct FONTOBJ {
  ULONG iUniq;
  ULONG iFace;
  ULONG cxMax;
  FLONG flFontType;
  ULONG_PTR iTTUniq;
  ULONG_PTR iFile;
  SIZE sizLogResPpi;
  ULONG ulStyleSize;
  PVOID pvConsumer;
  PVOID pvProducer;
};

struct BRUSHOBJ {
  ULONG iSolidColor;
  PVOID pvRbrush;
  FLONG flColorType;
};

struct CLIPOBJ {
  ULONG iUniq;
  RECTL rclBounds;
  BYTE iDComplexity;
  BYTE iFComplexity;
  BYTE iMode;
  BYTE fjOptions;
};

#define DC_TRIVIAL 0
#define DC_RECT 1
#define DC_COMPLEX 3

struct PANOSE {
  BYTE bFamilyType;
  BYTE bSerifStyle;
  BYTE bWeight;
  BYTE bProportion;
  BYTE bContrast;
  BYTE bStrokeVariation;
  BYTE bArmStyle;
  BYTE bLetterform;
  BYTE bMidline;
  BYTE bXHeight;
};

// Font metrics; the strings (face name and so on) follow the structure at
// the byte offsets the dpwsz... members give, counted from its start.
struct IFIMETRICS {
  ULONG cjThis;
  ULONG cjIfiExtra;
  PTRDIFF dpwszFamilyName;
  PTRDIFF dpwszStyleName;
  PTRDIFF dpwszFaceName;
  PTRDIFF dpwszUniqueName;
  PTRDIFF dpFontSim;
  LONG lEmbedId;
  LONG lItalicAngle;
  LONG lCharBias;
  PTRDIFF dpCharSets;
  BYTE jWinCharSet;
  BYTE jWinPitchAndFamily;
  USHORT usWinWeight;
  ULONG flInfo;
  USHORT fsSelection;
  USHORT fsType;
  FWORD fwdUnitsPerEm;
  FWORD fwdLowestPPEm;
  FWORD fwdWinAscender;
  FWORD fwdWinDescender;
  FWORD fwdMacAscender;
  FWORD fwdMacDescender;
  FWORD fwdMacLineGap;
  FWORD fwdTypoAscender;
  FWORD fwdTypoDescender;
  FWORD fwdTypoLineGap;
  FWORD fwdAveCharWidth;
  FWORD fwdMaxCharInc;
  FWORD fwdCapHeight;
  FWORD fwdXHeight;
  FWORD fwdSubscriptXSize;
  FWORD fwdSubscriptYSize;
  FWORD fwdSubscriptXOffset;
  FWORD fwdSubscriptYOffset;
  FWORD fwdSuperscriptXSize;
  FWORD fwdSuperscriptYSize;
  FWORD fwdSuperscriptXOffset;
  FWORD fwdSuperscriptYOffset;
  FWORD fwdUnderscoreSize;
  FWORD fwdUnderscorePosition;
  FWORD fwdStrikeoutSize;
  FWORD fwdStrikeoutPosition;
  BYTE chFirstChar;
  BYTE chLastChar;
  BYTE chDefaultChar;
  BYTE chBreakChar;
  WCHAR wcFirstChar;
  WCHAR wcLastChar;
  WCHAR wcDefaultChar;
  WCHAR wcBreakChar;
  POINTL ptlBaseline;
  POINTL ptlAspect;
  POINTL ptlCaret;
  RECTL rclFontBox;
  BYTE achVendId[4];
  ULONG cKerningPairs;
  ULONG ulPanoseCulture;
  PANOSE panose;
  PVOID Align;
};
static_assert(offsetof(IFIMETRICS, dpwszFaceName) == 16);
static_assert(offsetof(IFIMETRICS, fwdWinAscender) == 60);

#define R2_COPYPEN 13

// ---- time ----
struct ENG_TIME_FIELDS {
  USHORT usYear;
  USHORT usMonth;
  USHORT usDay;
  USHORT usHour;
  USHORT usMinute;
  USHORT usSecond;
  USHORT usMilliseconds;
  USHORT usWeekday;
};
using PENG_TIME_FIELDS = ENG_TIME_FIELDS*;

// ---- engine services ----
HSEMAPHORE EngCreateSemaphore();
VOID EngAcquireSemaphore(HSEMAPHORE hsem);
VOID EngReleaseSemaphore(HSEMAPHORE hsem);
VOID EngDeleteSemaphore(HSEMAPHORE hsem);

HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits);
BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks);
BOOL EngDeleteSurface(HSURF hsurf);
SURFOBJ* EngLockSurface(HSURF hsurf);
VOID EngUnlockSurface(SURFOBJ* pso);

HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed, FLONG flGreen,
                          FLONG flBlue);
BOOL EngDeletePalette(HPALETTE hpal);

VOID EngQueryLocalTime(PENG_TIME_FIELDS ptf);

BOOL EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix);
IFIMETRICS* FONTOBJ_pifi(FONTOBJ* pfo);

// ---- driver functions (implemented by the driver, called by GDI) ----
// C linkage, as on Windows, so that a loader finds them by their plain names.
extern "C" {
BOOL DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded);
BOOL DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded);
VOID DrvDisableDriver();
DHPDEV DrvEnablePDEV(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns, ULONG cjCaps,
                     ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev, LPWSTR pwszDeviceName,
                     HANDLE hDriver);
VOID DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev);
VOID DrvDisablePDEV(DHPDEV dhpdev);
HSURF DrvEnableSurface(DHPDEV dhpdev);
VOID DrvDisableSurface(DHPDEV dhpdev);
BOOL DrvStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId);
BOOL DrvEndDoc(SURFOBJ* pso, FLONG fl);
BOOL DrvStartPage(SURFOBJ* pso);
BOOL DrvSendPage(SURFOBJ* pso);
BOOL DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix);
}

#define ED_ABORTDOC 0x00000001
