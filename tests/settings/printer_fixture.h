// A host printer with an open handle, and access to its printer data as
// stored in the registry.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/host_state.h"
#include "platform/win.h"

namespace settings_test {

inline constexpr char16_t kPrinterName[] = u"Label P1";

class PrinterFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Reset();
    host::DriverInfo driver;
    driver.name = u"QZ Label";
    driver.environment = u"Windows x64";
    driver.driverPath = u"c:\\driver\\qzrender.dll";
    driver.dataFile = u"c:\\driver\\model.dat";
    driver.configFile = u"c:\\driver\\qzui.dll";
    host::AddPrinter(kPrinterName, driver);
    std::u16string name = kPrinterName;
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer_, nullptr));
  }

  void TearDown() override {
    if (printer_ != nullptr) ClosePrinter(printer_);
    host::Reset();
  }

  // A fresh host with the printer alone, for each row of a table.
  void Restart() {
    TearDown();
    printer_ = nullptr;
    SetUp();
  }

  static std::u16string DataKey() { return host::PrinterDataKey(kPrinterName); }

  static void Store(std::u16string_view value, DWORD type, const host::Bytes& data) {
    host::RegistrySet(HKEY_LOCAL_MACHINE, DataKey(), value, type, data);
  }

  static void StoreSize(std::u16string_view value, DWORD size) {
    Store(value, REG_DWORD,
          {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
           static_cast<std::uint8_t>(size >> 16), static_cast<std::uint8_t>(size >> 24)});
  }

  static std::optional<host::RegistryValue> Stored(std::u16string_view value) {
    return host::RegistryGet(HKEY_LOCAL_MACHINE, DataKey(), value);
  }

  HANDLE printer_ = nullptr;
};

}  // namespace settings_test
