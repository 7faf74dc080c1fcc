#include <cstring>
#include <string>

#include "host_fixture.h"
#include "platform/win.h"

namespace {

class FileMappingTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ASSERT_TRUE(CreateDirectoryW(u"c:\\PrinterDriver", nullptr));
    Write(u"c:\\PrinterDriver\\model.dat", std::string("\x10\x00\x00\x00model data!!", 16));
    Write(u"c:\\PrinterDriver\\empty.dat", "");
  }

  static void Write(const WCHAR* path, const std::string& bytes) {
    HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    CloseHandle(h);
  }

  static HANDLE OpenRead(const WCHAR* path, DWORD access = GENERIC_READ) {
    return CreateFileW(path, access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
};

TEST_F(FileMappingTest, ViewOutlivesItsHandles) {
  HANDLE file = OpenRead(u"c:\\PrinterDriver\\model.dat");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  const auto* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(std::memcmp(view, "\x10\x00\x00\x00model data!!", 16), 0);
  EXPECT_EQ(host::LiveViewCount(), 1);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_FALSE(UnmapViewOfFile(view));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
  EXPECT_EQ(host::LiveViewCount(), 0);
  EXPECT_EQ(host::LiveKernelHandleCount(), 0);
}

TEST_F(FileMappingTest, EmptyFileCannotBeMapped) {
  HANDLE file = OpenRead(u"c:\\PrinterDriver\\empty.dat");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SetLastError(0);
  EXPECT_EQ(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_INVALID));
  CloseHandle(file);
}

TEST_F(FileMappingTest, RefusedMappings) {
  HANDLE file = OpenRead(u"c:\\PrinterDriver\\model.dat");
  HANDLE writeOnly = OpenRead(u"c:\\PrinterDriver\\model.dat", GENERIC_WRITE);
  struct Case {
    const char* what;
    HANDLE file;
    DWORD protect;
    DWORD size;
    DWORD error;
  };
  const Case kCases[] = {
      {"larger than the file", file, PAGE_READONLY, 17, ERROR_NOT_ENOUGH_MEMORY},
      {"writable mapping", file, 0x04 /* PAGE_READWRITE */, 0, ERROR_INVALID_PARAMETER},
      {"file not open for reading", writeOnly, PAGE_READONLY, 0, ERROR_ACCESS_DENIED},
      {"not a file", reinterpret_cast<HANDLE>(0x999), PAGE_READONLY, 0, ERROR_INVALID_HANDLE},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_EQ(CreateFileMappingW(c.file, nullptr, c.protect, 0, c.size, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }

  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 4, 0), nullptr) << "offset off the allocation granularity";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MAPPED_ALIGNMENT));
  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 17), nullptr) << "more than the mapping";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(MapViewOfFile(file, FILE_MAP_READ, 0, 0, 0), nullptr) << "a file handle is not a mapping";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(mapping);
  CloseHandle(writeOnly);
  CloseHandle(file);
}

}  // namespace
