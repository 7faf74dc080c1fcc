#include <string>

#include "host_fixture.h"
#include "platform/host_syscalls.h"
#include "platform/win.h"

namespace {

class SyscallsTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    host::AddPrinter(kPrinter, host::DriverInfo{});
  }
  static constexpr const char16_t* kPrinter = u"Fault Printer";
};

int gWriteCalls = 0;

// A spooler that takes two writes and then fails.
BOOL FailingThirdWrite(HANDLE h, LPVOID buf, DWORD size, LPDWORD written) {
  if (++gWriteCalls == 3) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  return host::DefaultSyscalls().WritePrinter(h, buf, size, written);
}

TEST_F(SyscallsTest, WritePrinterFailsOnItsThirdCall) {
  std::u16string name = kPrinter;
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(name.data(), &h, nullptr));
  gWriteCalls = 0;
  {
    host::ScopedSyscall fault(&host::Syscalls::WritePrinter, &FailingThirdWrite);
    char bytes[] = "abc";
    DWORD written = 0;
    EXPECT_TRUE(WritePrinter(h, bytes, 1, &written));
    EXPECT_TRUE(WritePrinter(h, bytes + 1, 1, &written));
    EXPECT_FALSE(WritePrinter(h, bytes + 2, 1, &written));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_FAULT));
  }
  EXPECT_EQ(host::WrittenBytes(kPrinter), (host::Bytes{'a', 'b'}));
  EXPECT_EQ(host::Sys().WritePrinter, host::DefaultSyscalls().WritePrinter) << "put back";
  ClosePrinter(h);
}

// Every public function of the table goes through it: with each entry
// replaced by a stub that counts, calling the public function reaches the stub.
int gStubCalls = 0;

TEST_F(SyscallsTest, EveryListedServiceDispatchesThroughTheTable) {
  using S = host::Syscalls;
  host::ScopedSyscall heapCreate(&S::HeapCreate, +[](DWORD, SIZE_T, SIZE_T) -> HANDLE { ++gStubCalls; return nullptr; });
  host::ScopedSyscall heapAlloc(&S::HeapAlloc, +[](HANDLE, DWORD, SIZE_T) -> LPVOID { ++gStubCalls; return nullptr; });
  host::ScopedSyscall createFile(&S::CreateFileW,
                                 +[](LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) -> HANDLE {
                                   ++gStubCalls; return INVALID_HANDLE_VALUE;
                                 });
  host::ScopedSyscall createMapping(
      &S::CreateFileMappingW,
      +[](HANDLE, LPSECURITY_ATTRIBUTES, DWORD, DWORD, DWORD, LPCWSTR) -> HANDLE { ++gStubCalls; return nullptr; });
  host::ScopedSyscall mapView(&S::MapViewOfFile,
                              +[](HANDLE, DWORD, DWORD, DWORD, SIZE_T) -> LPVOID { ++gStubCalls; return nullptr; });
  host::ScopedSyscall driver(&S::GetPrinterDriverW, +[](HANDLE, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD) -> BOOL {
    ++gStubCalls; return FALSE;
  });
  host::ScopedSyscall getData(&S::GetPrinterDataW, +[](HANDLE, LPWSTR, LPDWORD, LPBYTE, DWORD, LPDWORD) -> DWORD {
    ++gStubCalls; return ERROR_FILE_NOT_FOUND;
  });
  host::ScopedSyscall setData(&S::SetPrinterDataW, +[](HANDLE, LPWSTR, DWORD, LPBYTE, DWORD) -> DWORD {
    ++gStubCalls; return ERROR_ACCESS_DENIED;
  });
  host::ScopedSyscall write(&S::WritePrinter, +[](HANDLE, LPVOID, DWORD, LPDWORD) -> BOOL { ++gStubCalls; return FALSE; });
  host::ScopedSyscall regSet(&S::RegSetValueExW, +[](HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD) -> LSTATUS {
    ++gStubCalls; return ERROR_ACCESS_DENIED;
  });
  host::ScopedSyscall bitmap(&S::EngCreateBitmap,
                             +[](SIZEL, LONG, ULONG, FLONG, PVOID) -> HBITMAP { ++gStubCalls; return nullptr; });
  host::ScopedSyscall palette(&S::EngCreatePalette, +[](ULONG, ULONG, ULONG*, FLONG, FLONG, FLONG) -> HPALETTE {
    ++gStubCalls; return nullptr;
  });

  gStubCalls = 0;
  WCHAR name[] = u"x";
  BYTE byte = 0;
  DWORD dword = 0;
  EXPECT_EQ(HeapCreate(0, 0, 0), nullptr);
  EXPECT_EQ(HeapAlloc(GetProcessHeap(), 0, 8), nullptr);
  EXPECT_EQ(CreateFileW(u"c:\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileMappingW(nullptr, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
  EXPECT_EQ(MapViewOfFile(nullptr, FILE_MAP_READ, 0, 0, 0), nullptr);
  EXPECT_FALSE(GetPrinterDriverW(nullptr, nullptr, 2, nullptr, 0, &dword));
  EXPECT_EQ(GetPrinterDataW(nullptr, name, nullptr, nullptr, 0, &dword), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(SetPrinterDataW(nullptr, name, REG_BINARY, &byte, 1), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(WritePrinter(nullptr, &byte, 1, &dword));
  EXPECT_EQ(RegSetValueExW(HKEY_CURRENT_USER, name, 0, REG_BINARY, &byte, 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(EngCreateBitmap(SIZEL{1, 1}, 0, BMF_24BPP, 0, nullptr), nullptr);
  EXPECT_EQ(EngCreatePalette(PAL_BGR, 0, nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(gStubCalls, 12);
}

TEST_F(SyscallsTest, HeapThatRunsOut) {
  HANDLE heap = HeapCreate(0, 0, 0);
  {
    host::ScopedSyscall outOfMemory(&host::Syscalls::HeapAlloc, +[](HANDLE, DWORD, SIZE_T) -> LPVOID {
      return nullptr;
    });
    EXPECT_EQ(HeapAlloc(heap, 0, 16), nullptr);
  }
  void* block = HeapAlloc(heap, 0, 16);
  EXPECT_NE(block, nullptr);
  HeapDestroy(heap);
}

}  // namespace
