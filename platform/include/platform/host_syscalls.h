// Host build only. Every service of the host platform is reached through one table, so that
// a test can swap a single entry to inject a fault (a WritePrinter that
// fails on its third call, a heap that runs out) and put it back after.
#pragma once

#include "platform/win.h"

namespace host {

struct Syscalls {
  decltype(&::HeapCreate) HeapCreate;
  decltype(&::HeapAlloc) HeapAlloc;
  decltype(&::CreateFileW) CreateFileW;
  decltype(&::CreateFileMappingW) CreateFileMappingW;
  decltype(&::MapViewOfFile) MapViewOfFile;
  decltype(&::GetPrinterDriverW) GetPrinterDriverW;
  decltype(&::GetPrinterDataW) GetPrinterDataW;
  decltype(&::SetPrinterDataW) SetPrinterDataW;
  decltype(&::WritePrinter) WritePrinter;
  decltype(&::RegSetValueExW) RegSetValueExW;
  decltype(&::EngCreateBitmap) EngCreateBitmap;
  decltype(&::EngCreatePalette) EngCreatePalette;
};

// The table in force; tests may assign single entries.
Syscalls& Sys();
// The host's own implementations.
const Syscalls& DefaultSyscalls();

// Replaces one entry for the lifetime of the object.
template <typename Fn>
class ScopedSyscall {
 public:
  ScopedSyscall(Fn Syscalls::*entry, Fn replacement) : entry_(entry), saved_(Sys().*entry) {
    Sys().*entry = replacement;
  }
  ~ScopedSyscall() { Sys().*entry_ = saved_; }
  ScopedSyscall(const ScopedSyscall&) = delete;
  ScopedSyscall& operator=(const ScopedSyscall&) = delete;

 private:
  Fn Syscalls::*entry_;
  Fn saved_;
};

}  // namespace host
