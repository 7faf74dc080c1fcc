#include <filesystem>
#include <fstream>
#include <string>

#include "host_fixture.h"
#include "platform/host_syscalls.h"
#include "platform/win.h"

namespace {

class StateTest : public HostTest {
 protected:
  static host::DriverInfo Driver() {
    host::DriverInfo d;
    d.name = u"QZ Label Driver";
    d.environment = u"Windows x64";
    d.driverPath = u"C:\\drivers\\qzrender.dll";
    d.dataFile = u"c:\\PrinterDriver\\QZ%203.DAT";
    d.configFile = u"C:\\drivers\\qzui.dll";
    d.version = 4;
    return d;
  }

  // A registry and printer set with the awkward cases: names with tabs,
  // percent signs, Japanese, the default value, an empty key, binary data
  // with every byte value and no data at all.
  static void Populate() {
    host::AddPrinter(u"QZ ﾗﾍﾞﾙ\tprinter", Driver());
    const std::u16string data = host::PrinterDataKey(u"QZ ﾗﾍﾞﾙ\tprinter");
    host::Bytes all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
    host::RegistrySet(HKEY_LOCAL_MACHINE, data, u"PaperOpt", REG_BINARY, all);
    host::RegistrySet(HKEY_LOCAL_MACHINE, data, u"100%\nsure", REG_DWORD, {1, 0, 0, 0});
    host::RegistrySet(HKEY_CURRENT_USER, u"Software\\Maker", u"", REG_SZ, {'a', 0, 0, 0});
    host::RegistrySet(HKEY_USERS, u"Empty\\Value", u"none", REG_NONE, {});
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Only\\A\\Key", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegCloseKey(key);
  }
};

TEST_F(StateTest, SaveAndLoadRoundTrip) {
  Populate();
  const std::string folder = dir() + "/saved";
  ASSERT_TRUE(host::SaveState(folder));
  const std::string registryText = [&] {
    std::ifstream in(folder + "/registry.txt");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();

  host::Reset();
  EXPECT_FALSE(host::HasPrinter(u"QZ ﾗﾍﾞﾙ\tprinter"));
  ASSERT_TRUE(host::LoadState(folder));

  ASSERT_TRUE(host::HasPrinter(u"QZ ﾗﾍﾞﾙ\tprinter"));
  std::u16string name = u"QZ ﾗﾍﾞﾙ\tprinter";
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(name.data(), &h, nullptr));
  DWORD needed = 0;
  GetPrinterDriverW(h, nullptr, 2, nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed);
  ASSERT_TRUE(GetPrinterDriverW(h, nullptr, 2, buffer.data(), needed, &needed));
  const auto* info = reinterpret_cast<const DRIVER_INFO_2W*>(buffer.data());
  EXPECT_EQ(std::u16string(info->pDataFile), Driver().dataFile);
  EXPECT_EQ(info->cVersion, 4u);
  ClosePrinter(h);

  const std::u16string data = host::PrinterDataKey(u"QZ ﾗﾍﾞﾙ\tprinter");
  const auto block = host::RegistryGet(HKEY_LOCAL_MACHINE, data, u"PaperOpt");
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(block->data.size(), 256u);
  EXPECT_EQ(block->data[0x0A], 0x0A);
  EXPECT_EQ(block->type, static_cast<DWORD>(REG_BINARY));
  EXPECT_TRUE(host::RegistryGet(HKEY_LOCAL_MACHINE, data, u"100%\nsure").has_value());
  EXPECT_EQ(host::RegistryGet(HKEY_CURRENT_USER, u"Software\\Maker", u"")->type, static_cast<DWORD>(REG_SZ));
  EXPECT_TRUE(host::RegistryGet(HKEY_USERS, u"Empty\\Value", u"none")->data.empty());
  EXPECT_TRUE(host::RegistryKeyExists(HKEY_CLASSES_ROOT, u"Only\\A\\Key"));

  // Saving again gives the same text: nothing was lost or reordered.
  const std::string again = dir() + "/again";
  ASSERT_TRUE(host::SaveState(again));
  std::ifstream in(again + "/registry.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), registryText);
}

TEST_F(StateTest, BrokenFilesLeaveTheStateAlone) {
  Populate();
  const std::string folder = dir() + "/broken";
  ASSERT_TRUE(host::SaveState(folder));
  std::ofstream(folder + "/printers.txt", std::ios::app) << "printer\tonly-two-fields\n";
  host::AddPrinter(u"Kept", Driver());

  EXPECT_FALSE(host::LoadState(folder));
  EXPECT_TRUE(host::HasPrinter(u"Kept"));
  EXPECT_FALSE(host::LoadState(dir() + "/nothing-here"));
  EXPECT_TRUE(host::HasPrinter(u"Kept"));
}

LPVOID NoMemory(HANDLE, DWORD, SIZE_T) { return nullptr; }

TEST_F(StateTest, ResetForgetsSettingsButKeepsLiveObjects) {
  Populate();
  host::SetClock(ENG_TIME_FIELDS{2000, 1, 1, 0, 0, 0, 0, 6});
  HANDLE heap = HeapCreate(0, 0, 0);
  void* block = HeapAlloc(heap, 0, 8);
  host::Sys().HeapAlloc = NoMemory;

  host::Reset();
  EXPECT_FALSE(host::HasPrinter(u"QZ ﾗﾍﾞﾙ\tprinter"));
  EXPECT_FALSE(host::RegistryKeyExists(HKEY_CURRENT_USER, u"Software\\Maker"));
  ENG_TIME_FIELDS now{};
  EngQueryLocalTime(&now);
  EXPECT_NE(now.usYear, 2000);
  EXPECT_NE(HeapAlloc(heap, 0, 8), nullptr) << "the system call table is back to the host's own";
  EXPECT_EQ(HeapSize(heap, 0, block), 8u) << "the heap survived";
  HeapDestroy(heap);
}

}  // namespace
