#include <cstring>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "platform/win.h"

namespace {

const std::u16string kPrinter = u"QZ Label 203";
const std::u16string kOther = u"QZ Label 304";

host::DriverInfo Driver() {
  host::DriverInfo d;
  d.name = u"QZ Label Driver";
  d.environment = u"Windows x64";
  d.driverPath = u"C:\\Windows\\System32\\spool\\DRIVERS\\x64\\3\\qzrender.dll";
  d.dataFile = u"C:\\Windows\\System32\\spool\\DRIVERS\\x64\\3\\QZ203.DAT";
  d.configFile = u"C:\\Windows\\System32\\spool\\DRIVERS\\x64\\3\\qzui.dll";
  return d;
}

class SpoolerTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    host::AddPrinter(kPrinter, Driver());
    host::AddPrinter(kOther, Driver());
  }

  HANDLE Open(const std::u16string& name) {
    std::u16string copy = name;
    HANDLE h = nullptr;
    EXPECT_TRUE(OpenPrinterW(copy.data(), &h, nullptr));
    return h;
  }

  static DWORD SetData(HANDLE h, const WCHAR* name, const std::vector<BYTE>& data) {
    std::u16string n = name;
    std::vector<BYTE> copy = data;
    return SetPrinterDataW(h, n.data(), REG_BINARY, copy.data(), static_cast<DWORD>(copy.size()));
  }

  static DWORD GetData(HANDLE h, const WCHAR* name, BYTE* buffer, DWORD size, DWORD* needed) {
    std::u16string n = name;
    DWORD type = 0;
    return GetPrinterDataW(h, n.data(), &type, buffer, size, needed);
  }
};

TEST_F(SpoolerTest, OpenPrinterByNameIgnoringCase) {
  std::u16string unknown = u"No Such Printer";
  HANDLE h = reinterpret_cast<HANDLE>(1);
  EXPECT_FALSE(OpenPrinterW(unknown.data(), &h, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
  EXPECT_EQ(h, nullptr);

  h = Open(u"qz label 203");
  EXPECT_EQ(host::LivePrinterHandleCount(), 1);
  EXPECT_TRUE(ClosePrinter(h));
  EXPECT_FALSE(ClosePrinter(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(host::LivePrinterHandleCount(), 0);
}

TEST_F(SpoolerTest, DriverInfoIsPackedIntoTheCallersBuffer) {
  HANDLE h = Open(kPrinter);
  const host::DriverInfo d = Driver();
  const DWORD expected = static_cast<DWORD>(
      sizeof(DRIVER_INFO_2W) + 2 * (d.name.size() + d.environment.size() + d.driverPath.size() +
                                    d.dataFile.size() + d.configFile.size() + 5));

  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterDriverW(h, nullptr, 2, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(needed, expected);

  std::vector<BYTE> buffer(needed + 16, 0xEE);
  needed = 0;
  EXPECT_FALSE(GetPrinterDriverW(h, nullptr, 2, buffer.data(), expected - 1, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(needed, expected);

  ASSERT_TRUE(GetPrinterDriverW(h, nullptr, 2, buffer.data(), expected, &needed));
  const auto* info = reinterpret_cast<const DRIVER_INFO_2W*>(buffer.data());
  EXPECT_EQ(info->cVersion, 3u);
  EXPECT_EQ(std::u16string(info->pName), d.name);
  EXPECT_EQ(std::u16string(info->pEnvironment), d.environment);
  EXPECT_EQ(std::u16string(info->pDriverPath), d.driverPath);
  EXPECT_EQ(std::u16string(info->pDataFile), d.dataFile);
  EXPECT_EQ(std::u16string(info->pConfigFile), d.configFile);
  for (const WCHAR* p : {info->pName, info->pDataFile, info->pConfigFile}) {
    const auto* bytes = reinterpret_cast<const BYTE*>(p);
    EXPECT_GE(bytes, buffer.data() + sizeof(DRIVER_INFO_2W));
    EXPECT_LT(bytes, buffer.data() + expected);
  }
  EXPECT_EQ(buffer[expected], 0xEE) << "nothing written past the needed size";
  ClosePrinter(h);
}

TEST_F(SpoolerTest, DriverInfoRefusals) {
  HANDLE h = Open(kPrinter);
  struct Case {
    const char* what;
    const char16_t* environment;
    DWORD level;
    DWORD error;
  };
  static const Case kCases[] = {
      {"level 1", nullptr, 1, ERROR_INVALID_LEVEL},
      {"level 3", nullptr, 3, ERROR_INVALID_LEVEL},
      {"a known environment without this driver", u"Windows NT x86", 2, ERROR_UNKNOWN_PRINTER_DRIVER},
      {"an unknown environment", u"Plan 9", 2, ERROR_INVALID_ENVIRONMENT},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    std::u16string environment = c.environment == nullptr ? u"" : c.environment;
    DWORD needed = 0;
    EXPECT_FALSE(GetPrinterDriverW(h, c.environment == nullptr ? nullptr : environment.data(), c.level, nullptr, 0,
                                   &needed));
    EXPECT_EQ(GetLastError(), c.error);
  }
  std::u16string sameEnvironment = u"WINDOWS X64";
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterDriverW(h, sameEnvironment.data(), 2, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) << "the driver's own environment";
  ClosePrinter(h);
}

TEST_F(SpoolerTest, PrinterDataSizesAndMissingValues) {
  HANDLE h = Open(kPrinter);
  const std::vector<BYTE> block(160, 0x5A);
  ASSERT_EQ(SetData(h, u"BarColorOpt", block), static_cast<DWORD>(ERROR_SUCCESS));

  DWORD needed = 0;
  EXPECT_EQ(GetData(h, u"BarColorOpt", nullptr, 0, &needed), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(needed, 160u);

  std::vector<BYTE> buffer(200, 0);
  needed = 0;
  EXPECT_EQ(GetData(h, u"BarColorOpt", buffer.data(), 159, &needed), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(needed, 160u);
  EXPECT_EQ(buffer[0], 0) << "a short buffer is left alone";

  EXPECT_EQ(GetData(h, u"barcoloropt", buffer.data(), 200, &needed), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(needed, 160u);
  EXPECT_EQ(std::vector<BYTE>(buffer.begin(), buffer.begin() + 160), block);

  EXPECT_EQ(GetData(h, u"PaperOptSize", buffer.data(), 4, &needed), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ClosePrinter(h);
}

TEST_F(SpoolerTest, PrinterDataLivesUnderThePrinterDriverDataKey) {
  EXPECT_EQ(host::PrinterDataKey(kPrinter),
            u"System\\CurrentControlSet\\Control\\Print\\Printers\\QZ Label 203\\PrinterDriverData");
  EXPECT_TRUE(host::RegistryKeyExists(HKEY_LOCAL_MACHINE, host::PrinterDataKey(kPrinter)));

  HANDLE h = Open(kPrinter);
  ASSERT_EQ(SetData(h, u"PaperOptSize", {0x78, 0x05, 0, 0}), static_cast<DWORD>(ERROR_SUCCESS));
  const auto stored = host::RegistryGet(HKEY_LOCAL_MACHINE, host::PrinterDataKey(kPrinter), u"PaperOptSize");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->data, (host::Bytes{0x78, 0x05, 0, 0}));

  // A direct registry write (the driver's fallback) is read back as printer data.
  const std::u16string keyPath = host::PrinterDataKey(kPrinter);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  const DWORD size = 410;
  ASSERT_EQ(RegSetValueExW(key, u"VariableOptSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&size), 4),
            ERROR_SUCCESS);
  RegCloseKey(key);
  DWORD value = 0;
  DWORD needed = 0;
  EXPECT_EQ(GetData(h, u"VariableOptSize", reinterpret_cast<BYTE*>(&value), 4, &needed),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(value, 410u);

  // Another printer has its own data.
  HANDLE other = Open(kOther);
  EXPECT_EQ(GetData(other, u"PaperOptSize", nullptr, 0, &needed), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ClosePrinter(other);
  ClosePrinter(h);
}

TEST_F(SpoolerTest, WritesAreCapturedPerPrinterInOrder) {
  HANDLE first = Open(kPrinter);
  HANDLE second = Open(kOther);
  auto write = [](HANDLE h, std::string text) {
    DWORD written = 0;
    EXPECT_TRUE(WritePrinter(h, text.data(), static_cast<DWORD>(text.size()), &written));
    EXPECT_EQ(written, text.size());
  };
  write(first, "AB");
  write(second, "zz");
  write(first, "C");
  write(first, "");

  const auto writes = host::Writes(kPrinter);
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0], (host::Bytes{'A', 'B'}));
  EXPECT_EQ(writes[1], (host::Bytes{'C'}));
  EXPECT_TRUE(writes[2].empty());
  EXPECT_EQ(host::WrittenBytes(kPrinter), (host::Bytes{'A', 'B', 'C'}));
  EXPECT_EQ(host::WrittenBytes(kOther), (host::Bytes{'z', 'z'}));

  host::ClearWrites(kPrinter);
  EXPECT_TRUE(host::Writes(kPrinter).empty());
  EXPECT_EQ(host::Writes(kOther).size(), 1u);
  ClosePrinter(first);
  ClosePrinter(second);
}

TEST_F(SpoolerTest, InvalidHandlesAreRefused) {
  HANDLE closed = Open(kPrinter);
  ClosePrinter(closed);
  HANDLE removed = Open(kOther);
  host::RemovePrinter(kOther);
  EXPECT_FALSE(host::HasPrinter(kOther));
  EXPECT_FALSE(host::RegistryKeyExists(HKEY_LOCAL_MACHINE, host::PrinterDataKey(kOther)));

  for (HANDLE h : {static_cast<HANDLE>(nullptr), reinterpret_cast<HANDLE>(0x1234), closed, removed}) {
    SetLastError(0);
    DWORD needed = 0;
    EXPECT_FALSE(GetPrinterDriverW(h, nullptr, 2, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetData(h, u"x", nullptr, 0, &needed), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(SetData(h, u"x", {1}), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    char byte = 'x';
    DWORD written = 0;
    EXPECT_FALSE(WritePrinter(h, &byte, 1, &written));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
  EXPECT_TRUE(ClosePrinter(removed)) << "a handle of a removed printer can still be closed";
}

}  // namespace
