#include <gtest/gtest.h>

#include "platform/win.h"

namespace {

TEST(DrvQueryDriverInfo, ReportsUserModeDriver) {
  DWORD value = 0;
  DWORD needed = 0;
  EXPECT_TRUE(DrvQueryDriverInfo(DRVQUERY_USERMODE, &value, sizeof value, &needed));
  EXPECT_EQ(value, 1u);
  EXPECT_EQ(needed, 4u);
}

TEST(DrvQueryDriverInfo, Errors) {
  struct Case {
    DWORD mode;
    DWORD bufferSize;
    DWORD error;
  };
  static const Case kCases[] = {
      {DRVQUERY_USERMODE, 3, ERROR_INSUFFICIENT_BUFFER},
      {DRVQUERY_USERMODE, 0, ERROR_INSUFFICIENT_BUFFER},
      {2, 4, ERROR_INVALID_PARAMETER},
      {0, 4, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : kCases) {
    DWORD value = 0;
    DWORD needed = 0;
    SetLastError(0);
    EXPECT_FALSE(DrvQueryDriverInfo(c.mode, &value, c.bufferSize, &needed)) << c.mode << " " << c.bufferSize;
    EXPECT_EQ(GetLastError(), c.error);
    if (c.mode == DRVQUERY_USERMODE) {
      EXPECT_EQ(needed, 4u) << "the needed size is reported all the same";
    }
  }
}

TEST(DrvEnableDriver, FunctionTableInGdiOrder) {
  DRVENABLEDATA data{};
  ASSERT_TRUE(DrvEnableDriver(0x20000, sizeof data, &data));
  EXPECT_EQ(data.iDriverVersion, 0x20000u);
  ASSERT_EQ(data.c, 10u);
  static const ULONG kOrder[] = {0, 1, 2, 3, 4, 32, 33, 35, 34, 23};
  for (ULONG i = 0; i < data.c; ++i) {
    EXPECT_EQ(data.pdrvfn[i].iFunc, kOrder[i]) << "entry " << i;
    EXPECT_NE(data.pdrvfn[i].pfn, nullptr);
  }
  EXPECT_EQ(reinterpret_cast<void (*)()>(data.pdrvfn[0].pfn), reinterpret_cast<void (*)()>(&DrvEnablePDEV));
  EXPECT_EQ(reinterpret_cast<void (*)()>(data.pdrvfn[9].pfn), reinterpret_cast<void (*)()>(&DrvTextOut));
  DrvDisableDriver();
}

TEST(DrvEnableDriver, RefusesOldEngineAndShortData) {
  struct Case {
    ULONG engine;
    ULONG size;
  };
  static const Case kCases[] = {{0x1FFFF, 16}, {0x20000, 15}, {0, 0}};
  for (const Case& c : kCases) {
    DRVENABLEDATA data{};
    SetLastError(0);
    EXPECT_FALSE(DrvEnableDriver(c.engine, c.size, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_DRIVER_LEVEL));
  }
}

}  // namespace
