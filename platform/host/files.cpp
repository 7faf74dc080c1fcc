// Files: CreateFileW and friends over host file descriptors, with the path
// mapping of paths.cpp.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "host_internal.h"
#include "platform/host_syscalls.h"

namespace host::detail {

namespace {

struct ErrnoMapping {
  int error;
  DWORD win32;
};
constexpr ErrnoMapping kErrnoMap[] = {
    {EACCES, ERROR_ACCESS_DENIED}, {EPERM, ERROR_ACCESS_DENIED},      {EROFS, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED}, {EEXIST, ERROR_FILE_EXISTS},       {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {ENAMETOOLONG, ERROR_INVALID_NAME}, {EINVAL, ERROR_INVALID_PARAMETER}, {EBADF, ERROR_INVALID_HANDLE},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY}, {ENOSPC, ERROR_DISK_FULL},   {EIO, ERROR_READ_FAULT},
};

std::shared_ptr<FileObject> FindFile(HANDLE handle) {
  auto file = FindKernel<FileObject>(handle);
  if (file == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

struct Disposition {
  DWORD value;
  int flags;
  bool creates;  // may create the file (and so needs the drive root)
};
constexpr Disposition kDispositions[] = {
    {CREATE_NEW, O_CREAT | O_EXCL, true},     {CREATE_ALWAYS, O_CREAT | O_TRUNC, true},
    {OPEN_EXISTING, 0, false},                {OPEN_ALWAYS, O_CREAT, true},
    {TRUNCATE_EXISTING, O_TRUNC, false},
};

std::string Mapped(LPCWSTR path, bool ensureDriveRoot) {
  return MapPath(std::u16string_view(path), ensureDriveRoot);
}

}  // namespace

DWORD ErrnoToWin32(int error, const std::string& hostPath) {
  if (error == ENOENT) {
    std::error_code ec;
    const auto parent = std::filesystem::path(hostPath).parent_path();
    // A drive root exists on Windows even before its folder is made here.
    const bool driveRoot = parent.parent_path() == StateFolder() && parent.filename().string().size() == 1;
    const bool folderExists = parent.empty() || driveRoot || std::filesystem::is_directory(parent, ec);
    return folderExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  }
  for (const ErrnoMapping& m : kErrnoMap) {
    if (m.error == error) return m.win32;
  }
  return ERROR_ACCESS_DENIED;
}

// Sharing modes are not enforced: the package writes its files whole and
// never locks them.
HANDLE CreateFileWImpl(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD /*dwShareMode*/,
                       LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, DWORD dwCreationDisposition,
                       DWORD /*dwFlagsAndAttributes*/, HANDLE /*hTemplateFile*/) {
  if (lpFileName == nullptr || *lpFileName == 0) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const Disposition* disposition = nullptr;
  for (const Disposition& d : kDispositions) {
    if (d.value == dwCreationDisposition) disposition = &d;
  }
  const bool wantRead = (dwDesiredAccess & GENERIC_READ) != 0;
  const bool wantWrite = (dwDesiredAccess & GENERIC_WRITE) != 0;
  if (disposition == nullptr || (dwCreationDisposition == TRUNCATE_EXISTING && !wantWrite)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string path = Mapped(lpFileName, disposition->creates);

  // Whether the file was there before decides the ERROR_ALREADY_EXISTS
  // note of CREATE_ALWAYS and OPEN_ALWAYS.
  struct stat before {};
  const bool existed = ::stat(path.c_str(), &before) == 0;
  if (existed && S_ISDIR(before.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }

  const int mode = wantRead && wantWrite ? O_RDWR : wantWrite ? O_WRONLY : O_RDONLY;
  const int fd = ::open(path.c_str(), mode | disposition->flags | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetLastError(ErrnoToWin32(errno, path));
    return INVALID_HANDLE_VALUE;
  }
  const HANDLE handle = InsertKernelObject(std::make_shared<FileObject>(fd, dwDesiredAccess));
  const bool notesExisting = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
  SetLastError(notesExisting && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

}  // namespace host::detail

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
  return host::Sys().CreateFileW(lpFileName, dwDesiredAccess, dwShareMode, lpSecurityAttributes,
                                 dwCreationDisposition, dwFlagsAndAttributes, hTemplateFile);
}

// Overlapped (asynchronous) transfers are not offered; a caller that passes
// an OVERLAPPED is refused rather than silently served synchronously.
BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              void* lpOverlapped) {
  if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = 0;
  const auto file = host::detail::FindFile(hFile);
  if (file == nullptr) return FALSE;
  if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToRead > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if ((file->access & GENERIC_READ) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  auto* out = static_cast<char*>(lpBuffer);
  DWORD total = 0;
  while (total < nNumberOfBytesToRead) {
    const ssize_t n = ::read(file->fd, out + total, nNumberOfBytesToRead - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetLastError(ERROR_READ_FAULT);
      return FALSE;
    }
    if (n == 0) break;  // end of file: success with fewer bytes
    total += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = total;
  return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               void* lpOverlapped) {
  if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = 0;
  const auto file = host::detail::FindFile(hFile);
  if (file == nullptr) return FALSE;
  if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToWrite > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if ((file->access & GENERIC_WRITE) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  const auto* in = static_cast<const char*>(lpBuffer);
  DWORD total = 0;
  while (total < nNumberOfBytesToWrite) {
    const ssize_t n = ::write(file->fd, in + total, nNumberOfBytesToWrite - total);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = total;
      SetLastError(n < 0 ? host::detail::ErrnoToWin32(errno, {}) : ERROR_WRITE_FAULT);
      return FALSE;
    }
    total += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = total;
  return TRUE;
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  const auto file = host::detail::FindFile(hFile);
  if (file == nullptr) return INVALID_FILE_SIZE;
  struct stat st {};
  if (::fstat(file->fd, &st) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (lpFileSizeHigh != nullptr) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
  const auto low = static_cast<DWORD>(size);
  // A low part that equals INVALID_FILE_SIZE is told apart by the last error.
  if (low == INVALID_FILE_SIZE) SetLastError(NO_ERROR);
  return low;
}

BOOL DeleteFileW(LPCWSTR lpFileName) {
  if (lpFileName == nullptr || *lpFileName == 0) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  const std::string path = host::detail::Mapped(lpFileName, false);
  // Folders and read-only files are not deleted, as on Windows.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (::unlink(path.c_str()) != 0) {
    SetLastError(host::detail::ErrnoToWin32(errno, path));
    return FALSE;
  }
  return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR lpFileName) {
  if (lpFileName == nullptr || *lpFileName == 0) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  const std::string path = host::detail::Mapped(lpFileName, false);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    SetLastError(host::detail::ErrnoToWin32(errno, path));
    return INVALID_FILE_ATTRIBUTES;
  }
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  // A file nobody may write is what Windows calls read-only.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return FILE_ATTRIBUTE_READONLY;
  return FILE_ATTRIBUTE_NORMAL;
}

BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/) {
  if (lpPathName == nullptr || *lpPathName == 0) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  const std::string path = host::detail::Mapped(lpPathName, true);
  if (::mkdir(path.c_str(), 0777) != 0) {
    const int error = errno;
    SetLastError(error == EEXIST ? ERROR_ALREADY_EXISTS : host::detail::ErrnoToWin32(error, path));
    return FALSE;
  }
  return TRUE;
}
