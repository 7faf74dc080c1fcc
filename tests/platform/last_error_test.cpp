#include <thread>

#include "host_fixture.h"
#include "platform/win.h"

namespace {

class LastErrorTest : public HostTest {};

TEST_F(LastErrorTest, EachThreadHasItsOwn) {
  SetLastError(ERROR_INVALID_HANDLE);
  DWORD seenByOther = 1;
  std::thread other([&] {
    seenByOther = GetLastError();
    SetLastError(ERROR_MORE_DATA);
  });
  other.join();
  EXPECT_EQ(seenByOther, static_cast<DWORD>(ERROR_SUCCESS)) << "a new thread starts clean";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
