// The table through which the host services listed in host_syscalls.h are
// called, so that a test can put a failing one in place.
#include "host_internal.h"
#include "platform/host_syscalls.h"

namespace host {

const Syscalls& DefaultSyscalls() {
  static const Syscalls table = {
      .HeapCreate = detail::HeapCreateImpl,
      .HeapAlloc = detail::HeapAllocImpl,
      .CreateFileW = detail::CreateFileWImpl,
      .CreateFileMappingW = detail::CreateFileMappingWImpl,
      .MapViewOfFile = detail::MapViewOfFileImpl,
      .GetPrinterDriverW = detail::GetPrinterDriverWImpl,
      .GetPrinterDataW = detail::GetPrinterDataWImpl,
      .SetPrinterDataW = detail::SetPrinterDataWImpl,
      .WritePrinter = detail::WritePrinterImpl,
      .RegSetValueExW = detail::RegSetValueExWImpl,
      .EngCreateBitmap = detail::EngCreateBitmapImpl,
      .EngCreatePalette = detail::EngCreatePaletteImpl,
  };
  return table;
}

Syscalls& Sys() {
  static Syscalls table = DefaultSyscalls();
  return table;
}

}  // namespace host
