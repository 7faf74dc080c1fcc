#include <cstring>
#include <vector>

#include "host_fixture.h"
#include "platform/win.h"

namespace {

class HeapTest : public HostTest {};

bool AllZero(const void* p, std::size_t n) {
  const auto* bytes = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < n; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

TEST_F(HeapTest, DestroyFreesEveryBlockStillAllocated) {
  const int before = host::LiveHeapCount();
  HANDLE heap = HeapCreate(0, 8192, 0);
  ASSERT_NE(heap, nullptr);
  EXPECT_EQ(host::LiveHeapCount(), before + 1);
  for (int i = 0; i < 50; ++i) ASSERT_NE(HeapAlloc(heap, 0, 1000 + i), nullptr);
  // The leak checker of the sanitizer build would report any block left.
  EXPECT_TRUE(HeapDestroy(heap));
  EXPECT_EQ(host::LiveHeapCount(), before);
  EXPECT_FALSE(HeapDestroy(heap));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(HeapAlloc(heap, 0, 16), nullptr);
}

TEST_F(HeapTest, BlocksAreZeroFilledAlsoWhenGrown) {
  HANDLE heap = HeapCreate(0, 0, 0);
  auto* block = static_cast<unsigned char*>(HeapAlloc(heap, 0, 64));
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(AllZero(block, 64));
  EXPECT_EQ(HeapSize(heap, 0, block), 64u);
  std::memset(block, 0xAB, 64);

  auto* grown = static_cast<unsigned char*>(HeapReAlloc(heap, 0, block, 256));
  ASSERT_NE(grown, nullptr);
  EXPECT_EQ(grown[63], 0xAB) << "contents kept";
  EXPECT_TRUE(AllZero(grown + 64, 192)) << "the new part is zero";
  EXPECT_EQ(HeapSize(heap, 0, grown), 256u);
  EXPECT_TRUE(HeapFree(heap, 0, grown));
  HeapDestroy(heap);
}

TEST_F(HeapTest, NonzeroMaximumIsEnforced) {
  HANDLE heap = HeapCreate(0, 0, 8192);
  ASSERT_NE(heap, nullptr);
  void* big = HeapAlloc(heap, 0, 8000);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(HeapAlloc(heap, 0, 500), nullptr) << "past the maximum";
  EXPECT_EQ(HeapReAlloc(heap, 0, big, 9000), nullptr);
  EXPECT_EQ(HeapSize(heap, 0, big), 8000u) << "a failed reallocation keeps the block";
  EXPECT_TRUE(HeapFree(heap, 0, big));
  EXPECT_NE(HeapAlloc(heap, 0, 500), nullptr) << "room again after the free";
  HeapDestroy(heap);

  SetLastError(0);
  EXPECT_EQ(HeapCreate(0, 16384, 8192), nullptr) << "initial size above the maximum";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(HeapTest, FreeingForeignOrFreedBlocksIsRefused) {
  HANDLE a = HeapCreate(0, 0, 0);
  HANDLE b = HeapCreate(0, 0, 0);
  void* block = HeapAlloc(a, 0, 32);
  EXPECT_FALSE(HeapFree(b, 0, block)) << "block of another heap";
  EXPECT_EQ(HeapSize(b, 0, block), static_cast<SIZE_T>(-1));
  EXPECT_TRUE(HeapFree(a, 0, block));
  EXPECT_FALSE(HeapFree(a, 0, block)) << "freed twice";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(HeapFree(a, 0, nullptr));
  HeapDestroy(a);
  HeapDestroy(b);
}

TEST_F(HeapTest, ProcessHeapIsOneLastingHeap) {
  const int before = host::LiveHeapCount();
  HANDLE process = GetProcessHeap();
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(GetProcessHeap(), process);
  EXPECT_EQ(host::LiveHeapCount(), before) << "not counted as a private heap";
  void* block = HeapAlloc(process, 0, 10);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(HeapFree(process, 0, block));
  EXPECT_FALSE(HeapDestroy(process));
}

}  // namespace
