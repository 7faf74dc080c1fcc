// What the host platform's source files share among themselves: handle
// values, the kernel object table behind CloseHandle, text helpers, the
// registry and printer snapshots used by the state files, the reset hooks
// and the host implementations that the system call table points at.
// Private to platform/host.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/host_state.h"
#include "platform/win.h"

namespace host::detail {

// ---- handles ----
// A fresh handle value, a multiple of four as on Windows. Values are never
// reused within a process, so a stale handle can never reach a newer object
// of any kind.
std::uintptr_t NextHandleValue();
template <typename H>
H NewHandle() {
  return reinterpret_cast<H>(NextHandleValue());
}

// Objects that CloseHandle releases (files, file mappings).
struct KernelObject {
  virtual ~KernelObject() = default;
};
HANDLE InsertKernelObject(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> FindKernelObject(HANDLE handle);
template <typename T>
std::shared_ptr<T> FindKernel(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(FindKernelObject(handle));
}
int KernelObjectCount();

// An open host file; the descriptor closes with the last reference (a file
// mapping keeps the file open after its handle is closed, as on Windows).
struct FileObject : KernelObject {
  FileObject(int descriptor, DWORD accessMask) : fd(descriptor), access(accessMask) {}
  ~FileObject() override;
  FileObject(const FileObject&) = delete;
  FileObject& operator=(const FileObject&) = delete;
  int fd;
  DWORD access;
};

// The Windows error for a failed host file operation; a missing file is
// ERROR_PATH_NOT_FOUND when its folder is missing too.
DWORD ErrnoToWin32(int error, const std::string& hostPath);

// ---- text ----
// UTF-8 <-> UTF-16; malformed input becomes U+FFFD and sets *invalid.
std::u16string Utf8ToUtf16(std::string_view utf8, bool* invalid);
std::string Utf16ToUtf8(std::u16string_view utf16, bool* invalid);
// Upper-case folding for the names Windows compares without case (registry
// keys and values, printer names, environments).
std::u16string FoldCase(std::u16string_view text);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
// Length of a NUL-terminated wide string; 0 for NULL.
std::size_t WideLength(const WCHAR* text);

// ---- paths ----
// ToHostPath, and for creating calls the drive folder made on the way
// (a Windows drive root always exists).
std::string MapPath(std::u16string_view windowsPath, bool ensureDriveRoot);

// ---- registry ----
std::optional<RegistryValue> RegistryRead(HKEY root, std::u16string_view keyPath,
                                          std::u16string_view valueName);
bool RegistryWrite(HKEY root, std::u16string_view keyPath, std::u16string_view valueName, DWORD type,
                   const BYTE* data, std::size_t size);
void RegistryCreateKey(HKEY root, std::u16string_view keyPath);
void RegistryDeleteTree(HKEY root, std::u16string_view keyPath);

struct SavedKey {
  HKEY root = nullptr;
  std::u16string path;  // empty for the root itself
  std::vector<std::pair<std::u16string, RegistryValue>> values;
};
// Every key, parents before children; values in their stored order.
std::vector<SavedKey> ExportRegistry();
// Replaces the whole registry.
void ImportRegistry(const std::vector<SavedKey>& keys);
// The predefined root keys with their names.
struct RootName {
  HKEY root;
  const char* name;
};
const std::vector<RootName>& RootNames();

// ---- printers ----
struct SavedPrinter {
  std::u16string name;
  DriverInfo driver;
};
std::vector<SavedPrinter> ExportPrinters();
// Replaces the printer list (the registry is left alone).
void ImportPrinters(const std::vector<SavedPrinter>& printers);

// ---- reset hooks ----
void ResetRegistry();
void ResetPrinters();
void ResetClock();

// ---- host implementations behind the system call table ----
HANDLE HeapCreateImpl(DWORD flOptions, SIZE_T dwInitialSize, SIZE_T dwMaximumSize);
LPVOID HeapAllocImpl(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes);
HANDLE CreateFileWImpl(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                       LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                       DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
HANDLE CreateFileMappingWImpl(HANDLE hFile, LPSECURITY_ATTRIBUTES lpAttributes, DWORD flProtect,
                              DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow, LPCWSTR lpName);
LPVOID MapViewOfFileImpl(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                         DWORD dwFileOffsetLow, SIZE_T dwNumberOfBytesToMap);
BOOL GetPrinterDriverWImpl(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                           LPDWORD pcbNeeded);
DWORD GetPrinterDataWImpl(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                          LPDWORD pcbNeeded);
DWORD SetPrinterDataWImpl(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData);
BOOL WritePrinterImpl(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten);
LSTATUS RegSetValueExWImpl(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                           DWORD cbData);
HBITMAP EngCreateBitmapImpl(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits);
HPALETTE EngCreatePaletteImpl(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed, FLONG flGreen,
                              FLONG flBlue);

}  // namespace host::detail
