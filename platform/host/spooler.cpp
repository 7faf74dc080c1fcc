// The print spooler: the printers a test or tool installs, their driver
// information, their printer data (kept in the registry under the printer's
// PrinterDriverData key, where a direct registry write lands too) and the
// bytes written to them.
//
// Printer handles grant every access; the access asked for in
// PRINTER_DEFAULTSW is not checked.
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <unordered_map>

#include "host_internal.h"
#include "platform/host_syscalls.h"

namespace host::detail {

namespace {

constexpr DWORD kDriverInfoLevel = 2;
const std::u16string kPrintersKey = u"System\\CurrentControlSet\\Control\\Print\\Printers";

// Environments the spooler knows; asking for another one is an invalid
// environment, asking for a known one the driver is not built for finds no
// driver.
constexpr std::u16string_view kEnvironments[] = {
    u"Windows x64", u"Windows NT x86", u"Windows ARM64", u"Windows IA64", u"Windows 4.0",
};

struct Printer {
  std::u16string name;
  DriverInfo driver;
  std::vector<Bytes> writes;
};

struct Spooler {
  std::mutex mutex;
  std::map<std::u16string, Printer> printers;          // by folded name
  std::unordered_map<HANDLE, std::u16string> handles;  // handle -> folded printer name
};

Spooler& Spool() {
  static Spooler spooler;
  return spooler;
}

// The registry stores a printer name with its backslashes (those of a
// "\\server\printer" connection) as commas.
std::u16string RegistryName(std::u16string_view printerName) {
  std::u16string name(printerName);
  for (char16_t& c : name) {
    if (c == u'\\') c = u',';
  }
  return name;
}

// The printer a handle refers to, under the spooler lock; nullptr for an
// unknown handle or a printer removed since it was opened.
Printer* PrinterOf(Spooler& spooler, HANDLE handle) {
  const auto it = spooler.handles.find(handle);
  if (it == spooler.handles.end()) return nullptr;
  const auto printer = spooler.printers.find(it->second);
  return printer == spooler.printers.end() ? nullptr : &printer->second;
}

// The name of the printer behind a handle, or nothing.
std::optional<std::u16string> PrinterNameOf(HANDLE handle) {
  Spooler& spooler = Spool();
  const std::lock_guard lock(spooler.mutex);
  const Printer* printer = PrinterOf(spooler, handle);
  if (printer == nullptr) return std::nullopt;
  return printer->name;
}

}  // namespace

std::vector<SavedPrinter> ExportPrinters() {
  Spooler& spooler = Spool();
  const std::lock_guard lock(spooler.mutex);
  std::vector<SavedPrinter> out;
  for (const auto& [folded, printer] : spooler.printers) out.push_back(SavedPrinter{printer.name, printer.driver});
  return out;
}

void ImportPrinters(const std::vector<SavedPrinter>& printers) {
  Spooler& spooler = Spool();
  const std::lock_guard lock(spooler.mutex);
  spooler.printers.clear();
  for (const SavedPrinter& saved : printers) {
    spooler.printers[FoldCase(saved.name)] = Printer{saved.name, saved.driver, {}};
  }
}

// Open printer handles stay valid to close; they no longer reach a printer.
void ResetPrinters() {
  Spooler& spooler = Spool();
  const std::lock_guard lock(spooler.mutex);
  spooler.printers.clear();
}

BOOL GetPrinterDriverWImpl(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                           LPDWORD pcbNeeded) {
  DriverInfo driver;
  {
    Spooler& spooler = Spool();
    const std::lock_guard lock(spooler.mutex);
    const Printer* printer = PrinterOf(spooler, hPrinter);
    if (printer == nullptr) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    driver = printer->driver;
  }
  if (Level != kDriverInfoLevel) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  if (pEnvironment != nullptr && !EqualsNoCase(pEnvironment, driver.environment)) {
    bool known = false;
    for (const std::u16string_view environment : kEnvironments) known = known || EqualsNoCase(pEnvironment, environment);
    SetLastError(known ? ERROR_UNKNOWN_PRINTER_DRIVER : ERROR_INVALID_ENVIRONMENT);
    return FALSE;
  }
  if (pcbNeeded == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }

  // The structure, then its strings one after the other in the same buffer.
  const std::u16string* strings[] = {&driver.name, &driver.environment, &driver.driverPath, &driver.dataFile,
                                     &driver.configFile};
  std::size_t needed = sizeof(DRIVER_INFO_2W);
  for (const std::u16string* s : strings) needed += (s->size() + 1) * sizeof(WCHAR);
  *pcbNeeded = static_cast<DWORD>(needed);
  if (pDriverInfo == nullptr || cbBuf < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }

  LPWSTR pointers[std::size(strings)] = {};
  std::size_t offset = sizeof(DRIVER_INFO_2W);
  for (std::size_t i = 0; i < std::size(strings); ++i) {
    const std::size_t bytes = (strings[i]->size() + 1) * sizeof(WCHAR);
    std::memcpy(pDriverInfo + offset, strings[i]->c_str(), bytes);
    pointers[i] = reinterpret_cast<LPWSTR>(pDriverInfo + offset);
    offset += bytes;
  }
  const DRIVER_INFO_2W info = {driver.version, pointers[0], pointers[1], pointers[2], pointers[3], pointers[4]};
  std::memcpy(pDriverInfo, &info, sizeof info);
  return TRUE;
}

DWORD GetPrinterDataWImpl(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                          LPDWORD pcbNeeded) {
  const auto name = PrinterNameOf(hPrinter);
  if (!name) return ERROR_INVALID_HANDLE;
  if (pValueName == nullptr || pcbNeeded == nullptr) return ERROR_INVALID_PARAMETER;
  const auto value = RegistryRead(HKEY_LOCAL_MACHINE, PrinterDataKey(*name), pValueName);
  if (!value) return ERROR_FILE_NOT_FOUND;
  const auto size = static_cast<DWORD>(value->data.size());
  *pcbNeeded = size;
  if (pType != nullptr) *pType = value->type;
  if (nSize < size || (pData == nullptr && size != 0)) return ERROR_MORE_DATA;
  if (size != 0) std::memcpy(pData, value->data.data(), size);
  return ERROR_SUCCESS;
}

DWORD SetPrinterDataWImpl(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData) {
  const auto name = PrinterNameOf(hPrinter);
  if (!name) return ERROR_INVALID_HANDLE;
  if (pValueName == nullptr || (pData == nullptr && cbData != 0)) return ERROR_INVALID_PARAMETER;
  RegistryWrite(HKEY_LOCAL_MACHINE, PrinterDataKey(*name), pValueName, Type, pData, cbData);
  return ERROR_SUCCESS;
}

BOOL WritePrinterImpl(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  if (pcWritten != nullptr) *pcWritten = 0;
  Spooler& spooler = Spool();
  const std::lock_guard lock(spooler.mutex);
  Printer* printer = PrinterOf(spooler, hPrinter);
  if (printer == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (pcWritten == nullptr || (pBuf == nullptr && cbBuf != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(pBuf);
  printer->writes.emplace_back(bytes, bytes + cbBuf);
  *pcWritten = cbBuf;
  return TRUE;
}

}  // namespace host::detail

using host::detail::Spool;
using host::detail::Spooler;

BOOL OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW /*pDefault*/) {
  if (phPrinter == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *phPrinter = nullptr;
  // No print server handle (a NULL name) is offered.
  if (pPrinterName == nullptr) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return FALSE;
  }
  const std::u16string folded = host::detail::FoldCase(pPrinterName);
  Spooler& spooler = Spool();
  const std::lock_guard lock(spooler.mutex);
  if (spooler.printers.count(folded) == 0) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return FALSE;
  }
  const HANDLE handle = host::detail::NewHandle<HANDLE>();
  spooler.handles.emplace(handle, folded);
  *phPrinter = handle;
  return TRUE;
}

BOOL ClosePrinter(HANDLE hPrinter) {
  Spooler& spooler = Spool();
  const std::lock_guard lock(spooler.mutex);
  if (spooler.handles.erase(hPrinter) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL GetPrinterDriverW(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                       LPDWORD pcbNeeded) {
  return host::Sys().GetPrinterDriverW(hPrinter, pEnvironment, Level, pDriverInfo, cbBuf, pcbNeeded);
}

DWORD GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                      LPDWORD pcbNeeded) {
  return host::Sys().GetPrinterDataW(hPrinter, pValueName, pType, pData, nSize, pcbNeeded);
}

DWORD SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData) {
  return host::Sys().SetPrinterDataW(hPrinter, pValueName, Type, pData, cbData);
}

BOOL WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  return host::Sys().WritePrinter(hPrinter, pBuf, cbBuf, pcWritten);
}

namespace host {

// An installed printer has its PrinterDriverData key; replacing a printer
// starts it afresh (no captured writes) but keeps its printer data.
void AddPrinter(std::u16string_view printerName, const DriverInfo& driver) {
  {
    Spooler& spooler = Spool();
    const std::lock_guard lock(spooler.mutex);
    spooler.printers[detail::FoldCase(printerName)] = detail::Printer{std::u16string(printerName), driver, {}};
  }
  detail::RegistryCreateKey(HKEY_LOCAL_MACHINE, PrinterDataKey(printerName));
}

// Removing a printer removes its registry key with everything below it.
void RemovePrinter(std::u16string_view printerName) {
  {
    Spooler& spooler = Spool();
    const std::lock_guard lock(spooler.mutex);
    spooler.printers.erase(detail::FoldCase(printerName));
  }
  detail::RegistryDeleteTree(HKEY_LOCAL_MACHINE,
                             detail::kPrintersKey + u"\\" + detail::RegistryName(printerName));
}

bool HasPrinter(std::u16string_view printerName) {
  Spooler& spooler = Spool();
  const std::lock_guard lock(spooler.mutex);
  return spooler.printers.count(detail::FoldCase(printerName)) != 0;
}

std::vector<Bytes> Writes(std::u16string_view printerName) {
  Spooler& spooler = Spool();
  const std::lock_guard lock(spooler.mutex);
  const auto it = spooler.printers.find(detail::FoldCase(printerName));
  return it == spooler.printers.end() ? std::vector<Bytes>() : it->second.writes;
}

Bytes WrittenBytes(std::u16string_view printerName) {
  Bytes all;
  for (const Bytes& write : Writes(printerName)) all.insert(all.end(), write.begin(), write.end());
  return all;
}

void ClearWrites(std::u16string_view printerName) {
  Spooler& spooler = Spool();
  const std::lock_guard lock(spooler.mutex);
  const auto it = spooler.printers.find(detail::FoldCase(printerName));
  if (it != spooler.printers.end()) it->second.writes.clear();
}

std::u16string PrinterDataKey(std::u16string_view printerName) {
  return detail::kPrintersKey + u"\\" + detail::RegistryName(printerName) + u"\\PrinterDriverData";
}

int LivePrinterHandleCount() {
  Spooler& spooler = Spool();
  const std::lock_guard lock(spooler.mutex);
  return static_cast<int>(spooler.handles.size());
}

}  // namespace host
