// Private heaps. Each block is a separate allocation of the host's C heap so
// that AddressSanitizer sees overruns of a single block; the heap records
// its blocks so that HeapDestroy can free whatever is left, as Windows does.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "host_internal.h"
#include "platform/host_syscalls.h"

namespace host::detail {

namespace {

constexpr DWORD kReallocInPlaceOnly = 0x00000010;  // HEAP_REALLOC_IN_PLACE_ONLY
constexpr SIZE_T kPageSize = 4096;
// Larger requests fail as on a heap that ran out, rather than asking the C
// heap for absurd sizes.
constexpr SIZE_T kLargestBlock = SIZE_T{1} << 31;

struct Heap {
  SIZE_T maximum = 0;  // 0: grows as needed
  SIZE_T used = 0;
  std::unordered_map<void*, SIZE_T> blocks;
};

struct HeapTable {
  std::mutex mutex;
  std::unordered_map<HANDLE, std::unique_ptr<Heap>> heaps;
  HANDLE processHeap = nullptr;
};

HeapTable& Heaps() {
  static HeapTable table;
  return table;
}

Heap* FindHeap(HeapTable& table, HANDLE handle) {
  const auto it = table.heaps.find(handle);
  return it == table.heaps.end() ? nullptr : it->second.get();
}

bool Fits(const Heap& heap, SIZE_T bytes) {
  if (bytes > kLargestBlock) return false;
  return heap.maximum == 0 || bytes <= heap.maximum - heap.used;
}

// Zero-filled, and never NULL for a zero-byte request.
void* NewBlock(SIZE_T bytes) { return std::calloc(1, bytes == 0 ? 1 : bytes); }

}  // namespace

HANDLE HeapCreateImpl(DWORD /*flOptions*/, SIZE_T dwInitialSize, SIZE_T dwMaximumSize) {
  auto heap = std::make_unique<Heap>();
  if (dwMaximumSize != 0) {
    if (dwInitialSize > dwMaximumSize || dwMaximumSize > kLargestBlock) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    // Windows rounds the maximum up to whole pages.
    heap->maximum = (dwMaximumSize + kPageSize - 1) / kPageSize * kPageSize;
  }
  const HANDLE handle = NewHandle<HANDLE>();
  HeapTable& table = Heaps();
  const std::lock_guard lock(table.mutex);
  table.heaps.emplace(handle, std::move(heap));
  return handle;
}

// Like Windows, a failed allocation does not set the last error.
LPVOID HeapAllocImpl(HANDLE hHeap, DWORD /*dwFlags*/, SIZE_T dwBytes) {
  HeapTable& table = Heaps();
  const std::lock_guard lock(table.mutex);
  Heap* heap = FindHeap(table, hHeap);
  if (heap == nullptr || !Fits(*heap, dwBytes)) return nullptr;
  void* block = NewBlock(dwBytes);
  if (block == nullptr) return nullptr;
  heap->blocks.emplace(block, dwBytes);
  heap->used += dwBytes;
  return block;
}

}  // namespace host::detail

using host::detail::Heaps;

HANDLE HeapCreate(DWORD flOptions, SIZE_T dwInitialSize, SIZE_T dwMaximumSize) {
  return host::Sys().HeapCreate(flOptions, dwInitialSize, dwMaximumSize);
}

LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes) { return host::Sys().HeapAlloc(hHeap, dwFlags, dwBytes); }

BOOL HeapDestroy(HANDLE hHeap) {
  std::unique_ptr<host::detail::Heap> heap;
  {
    auto& table = Heaps();
    const std::lock_guard lock(table.mutex);
    const auto it = table.heaps.find(hHeap);
    // The process heap lives as long as the process.
    if (it == table.heaps.end() || hHeap == table.processHeap) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    heap = std::move(it->second);
    table.heaps.erase(it);
  }
  for (const auto& [block, size] : heap->blocks) std::free(block);
  return TRUE;
}

// Grown blocks are zero-filled beyond the old size, like every block here.
// As on Windows, a failure does not set the last error.
LPVOID HeapReAlloc(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes) {
  auto& table = Heaps();
  const std::lock_guard lock(table.mutex);
  host::detail::Heap* heap = host::detail::FindHeap(table, hHeap);
  if (heap == nullptr) return nullptr;
  const auto it = heap->blocks.find(lpMem);
  if (it == heap->blocks.end()) return nullptr;
  const SIZE_T oldSize = it->second;
  if ((dwFlags & host::detail::kReallocInPlaceOnly) != 0 && dwBytes > oldSize) return nullptr;
  const SIZE_T othersUsed = heap->used - oldSize;
  if (dwBytes > host::detail::kLargestBlock || (heap->maximum != 0 && dwBytes > heap->maximum - othersUsed)) {
    return nullptr;
  }
  void* block = host::detail::NewBlock(dwBytes);
  if (block == nullptr) return nullptr;
  std::memcpy(block, lpMem, oldSize < dwBytes ? oldSize : dwBytes);
  std::free(lpMem);
  heap->blocks.erase(it);
  heap->blocks.emplace(block, dwBytes);
  heap->used = othersUsed + dwBytes;
  return block;
}

BOOL HeapFree(HANDLE hHeap, DWORD /*dwFlags*/, LPVOID lpMem) {
  if (lpMem == nullptr) return TRUE;
  auto& table = Heaps();
  const std::lock_guard lock(table.mutex);
  host::detail::Heap* heap = host::detail::FindHeap(table, hHeap);
  if (heap == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // A block of another heap, or one already freed: refused, where Windows
  // would corrupt the heap.
  const auto it = heap->blocks.find(lpMem);
  if (it == heap->blocks.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  heap->used -= it->second;
  std::free(it->first);
  heap->blocks.erase(it);
  return TRUE;
}

SIZE_T HeapSize(HANDLE hHeap, DWORD /*dwFlags*/, LPCVOID lpMem) {
  auto& table = Heaps();
  const std::lock_guard lock(table.mutex);
  host::detail::Heap* heap = host::detail::FindHeap(table, hHeap);
  if (heap == nullptr) return static_cast<SIZE_T>(-1);
  const auto it = heap->blocks.find(const_cast<LPVOID>(lpMem));
  return it == heap->blocks.end() ? static_cast<SIZE_T>(-1) : it->second;
}

HANDLE GetProcessHeap() {
  auto& table = Heaps();
  const std::lock_guard lock(table.mutex);
  if (table.processHeap == nullptr) {
    table.processHeap = host::detail::NewHandle<HANDLE>();
    table.heaps.emplace(table.processHeap, std::make_unique<host::detail::Heap>());
  }
  return table.processHeap;
}

namespace host {

int LiveHeapCount() {
  auto& table = detail::Heaps();
  const std::lock_guard lock(table.mutex);
  const int all = static_cast<int>(table.heaps.size());
  return table.processHeap == nullptr ? all : all - 1;
}

}  // namespace host
