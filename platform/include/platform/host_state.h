// The host platform's own controls: what a test or a host tool uses to set
// up and inspect the simulated Windows around the driver (printers, driver
// information, printer data, registry, clock, captured writes) and to keep
// that state in a folder between runs. Host build only.
#pragma once

#ifdef _WIN32
#error "host_state.h belongs to the host build"
#endif

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win.h"

namespace host {

using Bytes = std::vector<std::uint8_t>;

// ---- strings ----
std::u16string Widen(std::string_view utf8);
std::string Narrow(std::u16string_view utf16);

// ---- paths ----
// Windows-looking paths on the host: "c:\dir\file" lives in the state
// folder under "c/dir/file"; "\dir\file" is the host path "/dir/file".
// Backslashes and slashes are both separators.
void SetStateFolder(const std::string& dir);
std::string StateFolder();
std::string ToHostPath(std::u16string_view windowsPath);
std::u16string ToWindowsPath(const std::string& hostPath);

// ---- whole state ----
// Forgets printers, registry, captured writes, the clock setting and any
// replaced system call; objects still alive (heaps, surfaces) are kept.
void Reset();
// The registry and the printers, as text files in the folder.
bool SaveState(const std::string& dir);
bool LoadState(const std::string& dir);

// ---- printers ----
struct DriverInfo {
  std::u16string name;         // driver name
  std::u16string environment;  // "Windows x64"
  std::u16string driverPath;
  std::u16string dataFile;  // the model data file, a Windows-looking path
  std::u16string configFile;
  DWORD version = 3;
};
void AddPrinter(std::u16string_view printerName, const DriverInfo& driver);
void RemovePrinter(std::u16string_view printerName);
bool HasPrinter(std::u16string_view printerName);

// Each WritePrinter call on a handle of the printer, in order.
std::vector<Bytes> Writes(std::u16string_view printerName);
// All written bytes of the printer concatenated.
Bytes WrittenBytes(std::u16string_view printerName);
void ClearWrites(std::u16string_view printerName);

// The registry key that holds a printer's driver data (its option blocks).
// The path is under HKEY_LOCAL_MACHINE.
std::u16string PrinterDataKey(std::u16string_view printerName);

// ---- registry ----
void RegistrySet(HKEY root, std::u16string_view keyPath, std::u16string_view valueName, DWORD type,
                 const Bytes& data);
struct RegistryValue {
  DWORD type = REG_NONE;
  Bytes data;
};
std::optional<RegistryValue> RegistryGet(HKEY root, std::u16string_view keyPath,
                                         std::u16string_view valueName);
bool RegistryKeyExists(HKEY root, std::u16string_view keyPath);

// ---- clock ----
// What EngQueryLocalTime reports; by default the system's local time.
void SetClock(const ENG_TIME_FIELDS& localTime);
void UseSystemClock();

// ---- GDI side ----
// The device handle GDI gives the driver for one of its PDEVs; surfaces
// associated with it report that PDEV as their dhpdev.
HDEV CreateGdiDevice(DHPDEV dhpdev);
void DeleteGdiDevice(HDEV hdev);
// The surface object of a bitmap or surface handle (nullptr when unknown).
SURFOBJ* SurfaceOf(HSURF hsurf);
// The hooks given with EngAssociateSurface.
FLONG SurfaceHooks(HSURF hsurf);
// The mode of a live palette, or 0 when the handle is not a live palette.
ULONG PaletteMode(HPALETTE hpal);

// Live objects, for tests that check nothing is leaked.
int LiveHeapCount();
int LiveSurfaceCount();
int LivePaletteCount();
int LiveSemaphoreCount();
// Open file and file-mapping handles, mapped views, open registry keys
// (the predefined roots not counted) and open printer handles.
int LiveKernelHandleCount();
int LiveViewCount();
int LiveKeyHandleCount();
int LivePrinterHandleCount();

// ---- text runs ----
// A run of text as GDI hands it to DrvTextOut, owning its objects:
// - str(): cGlyphs = the length of the text, rclBkGround = the box,
//   pwszOrg = the UTF-16 text (NUL-terminated), pgp = glyph positions spread
//   evenly over the box on its bottom edge;
// - font(): a font made by the host; FONTOBJ_pifi gives its IFIMETRICS with
//   the face name (at dpwszFaceName, also the family and unique name),
//   fwdWinAscender and fwdWinDescender;
// - brush(): a solid brush of the colour, 0xRRGGBB (red in the high byte).
// The objects stay at their addresses while the run lives, also when it is
// moved; tests may change their fields (say cGlyphs) before passing them.
class TextRun {
 public:
  TextRun(std::u16string_view text, const RECTL& box, std::u16string_view faceName, ULONG color = 0x000000,
          FWORD ascender = 800, FWORD descender = 200);
  ~TextRun();
  TextRun(TextRun&& other) noexcept;
  TextRun& operator=(TextRun&& other) noexcept;
  TextRun(const TextRun&) = delete;
  TextRun& operator=(const TextRun&) = delete;

  STROBJ* str();
  FONTOBJ* font();
  BRUSHOBJ* brush();
  IFIMETRICS* metrics();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace host
