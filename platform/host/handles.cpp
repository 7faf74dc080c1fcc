// Handle values and the table of kernel objects that CloseHandle releases.
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <unordered_map>

#include "host_internal.h"

namespace host::detail {

namespace {

struct KernelTable {
  std::mutex mutex;
  std::unordered_map<HANDLE, std::shared_ptr<KernelObject>> objects;
};

KernelTable& Kernel() {
  static KernelTable table;
  return table;
}

}  // namespace

std::uintptr_t NextHandleValue() {
  // Far from NULL and from the predefined registry keys (0x80000000...).
  static std::atomic<std::uintptr_t> next{0x1000};
  return next.fetch_add(4);
}

HANDLE InsertKernelObject(std::shared_ptr<KernelObject> object) {
  const HANDLE handle = NewHandle<HANDLE>();
  KernelTable& table = Kernel();
  const std::lock_guard lock(table.mutex);
  table.objects.emplace(handle, std::move(object));
  return handle;
}

std::shared_ptr<KernelObject> FindKernelObject(HANDLE handle) {
  KernelTable& table = Kernel();
  const std::lock_guard lock(table.mutex);
  const auto it = table.objects.find(handle);
  return it == table.objects.end() ? nullptr : it->second;
}

int KernelObjectCount() {
  KernelTable& table = Kernel();
  const std::lock_guard lock(table.mutex);
  return static_cast<int>(table.objects.size());
}

FileObject::~FileObject() { ::close(fd); }

}  // namespace host::detail

BOOL CloseHandle(HANDLE hObject) {
  std::shared_ptr<host::detail::KernelObject> released;  // destroyed outside the lock
  {
    auto& table = host::detail::Kernel();
    const std::lock_guard lock(table.mutex);
    const auto it = table.objects.find(hObject);
    if (it == table.objects.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    released = std::move(it->second);
    table.objects.erase(it);
  }
  return TRUE;
}

namespace host {

int LiveKernelHandleCount() { return detail::KernelObjectCount(); }

}  // namespace host
