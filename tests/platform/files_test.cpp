#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host_fixture.h"
#include "platform/win.h"

namespace {

class FilesTest : public HostTest {
 protected:
  static HANDLE Open(const WCHAR* path, DWORD access, DWORD disposition) {
    return CreateFileW(path, access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  static bool WriteAll(HANDLE h, const std::string& text) {
    DWORD written = 0;
    return WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
  }
};

TEST_F(FilesTest, PathMapping) {
  struct Case {
    const char* what;
    std::u16string windows;
    std::string host;  // "@" stands for the state folder
  };
  const Case kCases[] = {
      {"drive path", u"c:\\PrinterDriver\\x", "@/c/PrinterDriver/x"},
      {"upper-case drive and slashes", u"C:/PrinterDriver/x.tb1", "@/c/PrinterDriver/x.tb1"},
      {"drive root", u"d:\\", "@/d"},
      {"dots resolved and kept inside the drive", u"c:\\a\\.\\..\\..\\..\\b", "@/c/b"},
      {"long-path prefix", u"\\\\?\\c:\\x", "@/c/x"},
      {"leading backslash is a host path", u"\\tmp\\qz\\file", "/tmp/qz/file"},
      {"relative path", u"tables\\a.tb1", "tables/a.tb1"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    std::string expected = c.host;
    if (expected[0] == '@') expected = state() + expected.substr(1);
    EXPECT_EQ(host::ToHostPath(c.windows), expected);
  }
  EXPECT_FALSE(std::filesystem::exists(state())) << "mapping a path creates no folder";
}

TEST_F(FilesTest, WindowsPathsOfHostPaths) {
  EXPECT_EQ(host::ToWindowsPath("/a/b"), u"\\a\\b");
  EXPECT_EQ(host::ToWindowsPath(state() + "/c/PrinterDriver/QZ.DAT"), u"c:\\PrinterDriver\\QZ.DAT");
  EXPECT_EQ(host::ToHostPath(host::ToWindowsPath(state() + "/c/x")), state() + "/c/x");
}

TEST_F(FilesTest, WriteReadAndSize) {
  ASSERT_TRUE(CreateDirectoryW(u"c:\\PrinterDriver", nullptr));
  HANDLE h = Open(u"c:\\PrinterDriver\\note.txt", GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(WriteAll(h, "hello label"));
  char buffer[4];
  DWORD read = 9;
  EXPECT_FALSE(ReadFile(h, buffer, 4, &read, nullptr)) << "opened for writing only";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(read, 0u);
  EXPECT_TRUE(CloseHandle(h));

  // Names ignore case, as on Windows.
  h = Open(u"C:\\printerdriver\\NOTE.TXT", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(h, &high), 11u);
  EXPECT_EQ(high, 0u);
  std::string text(32, '\0');
  ASSERT_TRUE(ReadFile(h, text.data(), 32, &read, nullptr));
  EXPECT_EQ(text.substr(0, read), "hello label");
  ASSERT_TRUE(ReadFile(h, text.data(), 32, &read, nullptr));
  EXPECT_EQ(read, 0u) << "end of file";
  EXPECT_EQ(host::LiveKernelHandleCount(), 1);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(host::LiveKernelHandleCount(), 0);
}

TEST_F(FilesTest, CreationDispositions) {
  ASSERT_TRUE(CreateDirectoryW(u"c:\\d", nullptr));
  HANDLE h = Open(u"c:\\d\\f", GENERIC_WRITE, CREATE_NEW);
  ASSERT_TRUE(WriteAll(h, "old contents"));
  CloseHandle(h);

  struct Case {
    const char* what;
    const char16_t* path;
    DWORD disposition;
    bool opens;
    DWORD error;  // the last error afterwards
  };
  static const Case kCases[] = {
      {"CREATE_NEW on an existing file", u"c:\\d\\f", CREATE_NEW, false, ERROR_FILE_EXISTS},
      {"OPEN_EXISTING on a missing file", u"c:\\d\\missing", OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND},
      {"OPEN_EXISTING in a missing folder", u"c:\\nofolder\\f", OPEN_EXISTING, false, ERROR_PATH_NOT_FOUND},
      {"CREATE_ALWAYS in a missing folder", u"c:\\nofolder\\f", CREATE_ALWAYS, false, ERROR_PATH_NOT_FOUND},
      {"OPEN_ALWAYS on a new file", u"c:\\d\\g", OPEN_ALWAYS, true, ERROR_SUCCESS},
      {"OPEN_ALWAYS on an existing file", u"c:\\d\\g", OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS},
      {"a folder is not a file", u"c:\\d", OPEN_EXISTING, false, ERROR_ACCESS_DENIED},
      {"CREATE_ALWAYS on an existing file", u"c:\\d\\f", CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    SetLastError(12345);
    h = Open(c.path, GENERIC_READ | GENERIC_WRITE, c.disposition);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens);
    EXPECT_EQ(GetLastError(), c.error);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  h = Open(u"c:\\d\\f", GENERIC_READ, OPEN_EXISTING);
  EXPECT_EQ(GetFileSize(h, nullptr), 0u) << "CREATE_ALWAYS truncated the file";
  CloseHandle(h);
}

TEST_F(FilesTest, AttributesDeleteAndDirectories) {
  EXPECT_EQ(GetFileAttributesW(u"c:\\PrinterDriver"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(std::filesystem::exists(state())) << "asking creates nothing";

  EXPECT_FALSE(CreateDirectoryW(u"c:\\a\\b", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  ASSERT_TRUE(CreateDirectoryW(u"c:\\a", nullptr));
  EXPECT_FALSE(CreateDirectoryW(u"c:\\A", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(GetFileAttributesW(u"c:\\a"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));

  HANDLE h = Open(u"c:\\a\\f.c2d", GENERIC_WRITE, CREATE_NEW);
  CloseHandle(h);
  EXPECT_EQ(GetFileAttributesW(u"c:\\a\\f.c2d"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  ::chmod((state() + "/c/a/f.c2d").c_str(), 0444);
  EXPECT_EQ(GetFileAttributesW(u"c:\\a\\f.c2d"), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));

  EXPECT_FALSE(DeleteFileW(u"c:\\a\\f.c2d")) << "read-only";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ::chmod((state() + "/c/a/f.c2d").c_str(), 0644);
  EXPECT_FALSE(DeleteFileW(u"c:\\a")) << "a folder";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(DeleteFileW(u"c:\\a\\F.C2D"));
  EXPECT_FALSE(DeleteFileW(u"c:\\a\\f.c2d"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FilesTest, HostAbsolutePathsReachHostFiles) {
  const std::string hostFile = dir() + "/plain.bin";
  std::ofstream(hostFile) << "xyz";
  const std::u16string windows = host::ToWindowsPath(hostFile);
  HANDLE h = Open(windows.c_str(), GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(h, nullptr), 3u);
  CloseHandle(h);
}

}  // namespace
