// Read-only file mapping over mmap. A mapping keeps its file open after the
// file handle is closed, and a view stays valid after the mapping handle is
// closed, as on Windows.
#include <sys/mman.h>
#include <sys/stat.h>

#include <map>
#include <mutex>

#include "host_internal.h"
#include "platform/host_syscalls.h"

namespace host::detail {

namespace {

// Views start at multiples of the Windows allocation granularity.
constexpr std::uint64_t kAllocationGranularity = 65536;

struct MappingObject : KernelObject {
  std::shared_ptr<FileObject> file;
  std::uint64_t size = 0;
};

struct ViewTable {
  std::mutex mutex;
  std::map<const void*, std::size_t> views;  // start address -> length
};

ViewTable& Views() {
  static ViewTable table;
  return table;
}

std::uint64_t Combine(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

}  // namespace

// Named and page-file-backed mappings are not offered.
HANDLE CreateFileMappingWImpl(HANDLE hFile, LPSECURITY_ATTRIBUTES /*lpAttributes*/, DWORD flProtect,
                              DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow, LPCWSTR /*lpName*/) {
  const auto file = FindKernel<FileObject>(hFile);
  if (file == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (flProtect != PAGE_READONLY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if ((file->access & GENERIC_READ) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(file->fd, &st) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const auto fileSize = static_cast<std::uint64_t>(st.st_size);
  std::uint64_t size = Combine(dwMaximumSizeHigh, dwMaximumSizeLow);
  if (size == 0) {
    // Windows refuses to map an empty file at its own size.
    if (fileSize == 0) {
      SetLastError(ERROR_FILE_INVALID);
      return nullptr;
    }
    size = fileSize;
  } else if (size > fileSize) {
    // A read-only mapping cannot grow the file.
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto mapping = std::make_shared<MappingObject>();
  mapping->file = file;
  mapping->size = size;
  return InsertKernelObject(std::move(mapping));
}

LPVOID MapViewOfFileImpl(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                         DWORD dwFileOffsetLow, SIZE_T dwNumberOfBytesToMap) {
  const auto mapping = FindKernel<MappingObject>(hFileMappingObject);
  if (mapping == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (dwDesiredAccess != FILE_MAP_READ) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  const std::uint64_t offset = Combine(dwFileOffsetHigh, dwFileOffsetLow);
  if (offset % kAllocationGranularity != 0) {
    SetLastError(ERROR_MAPPED_ALIGNMENT);
    return nullptr;
  }
  if (offset >= mapping->size || dwNumberOfBytesToMap > mapping->size - offset) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  const std::size_t length =
      dwNumberOfBytesToMap != 0 ? dwNumberOfBytesToMap : static_cast<std::size_t>(mapping->size - offset);
  void* view = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, mapping->file->fd, static_cast<off_t>(offset));
  if (view == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  ViewTable& table = Views();
  const std::lock_guard lock(table.mutex);
  table.views.emplace(view, length);
  return view;
}

}  // namespace host::detail

HANDLE CreateFileMappingW(HANDLE hFile, LPSECURITY_ATTRIBUTES lpAttributes, DWORD flProtect, DWORD dwMaximumSizeHigh,
                          DWORD dwMaximumSizeLow, LPCWSTR lpName) {
  return host::Sys().CreateFileMappingW(hFile, lpAttributes, flProtect, dwMaximumSizeHigh, dwMaximumSizeLow, lpName);
}

LPVOID MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh, DWORD dwFileOffsetLow,
                     SIZE_T dwNumberOfBytesToMap) {
  return host::Sys().MapViewOfFile(hFileMappingObject, dwDesiredAccess, dwFileOffsetHigh, dwFileOffsetLow,
                                   dwNumberOfBytesToMap);
}

BOOL UnmapViewOfFile(LPCVOID lpBaseAddress) {
  std::size_t length = 0;
  {
    auto& table = host::detail::Views();
    const std::lock_guard lock(table.mutex);
    const auto it = table.views.find(lpBaseAddress);
    if (it == table.views.end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    length = it->second;
    table.views.erase(it);
  }
  ::munmap(const_cast<void*>(lpBaseAddress), length);
  return TRUE;
}

namespace host {

int LiveViewCount() {
  auto& table = detail::Views();
  const std::lock_guard lock(table.mutex);
  return static_cast<int>(table.views.size());
}

}  // namespace host
