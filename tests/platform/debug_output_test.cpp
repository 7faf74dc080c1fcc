#include <stdlib.h>

#include <string>

#include "host_fixture.h"
#include "platform/win.h"

namespace {

class DebugOutputTest : public HostTest {
 protected:
  void TearDown() override {
    ::unsetenv("QZ_DEBUG");
    HostTest::TearDown();
  }
};

TEST_F(DebugOutputTest, GoesToStandardErrorOnlyWhenAskedFor) {
  ::unsetenv("QZ_DEBUG");
  testing::internal::CaptureStderr();
  OutputDebugStringW(u"silent\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  ::setenv("QZ_DEBUG", "1", 1);
  testing::internal::CaptureStderr();
  OutputDebugStringW(u"port ﾗﾍﾞﾙ\n");
  OutputDebugStringA("ansi \xD7\xCD\xDE\xD9\n");  // code page 932 text
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "port ﾗﾍﾞﾙ\nansi ﾗﾍﾞﾙ\n");
}

}  // namespace
