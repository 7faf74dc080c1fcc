#include "driver_fixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace qztest {

namespace {

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  if (bytes.size() < offset + 4) bytes.resize(offset + 4);
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string TestFolder() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return (std::filesystem::temp_directory_path() / "qz-render-tests" / name).string();
}

}  // namespace

std::vector<std::uint8_t> BuildModel(const ModelSpec& model) {
  std::vector<std::uint8_t> bytes(60 + 76 * model.papers.size(), 0);
  PutU32(bytes, 8, model.dotsPerMm);
  PutU32(bytes, 12, model.maxWidth);
  PutU32(bytes, 16, model.maxLength);
  const std::uint32_t flags[] = {model.hasCompression, model.hasRibbonSave, model.hasCut,     model.hasYOffset,
                                 model.hasCutQuantity, model.hasPitch,      model.hasErrorReprint, model.hasPattern,
                                 model.hasDivide};
  for (std::size_t i = 0; i < std::size(flags); ++i) PutU32(bytes, 20 + 4 * i, flags[i]);
  PutU32(bytes, 56, static_cast<std::uint32_t>(model.papers.size()));
  for (std::size_t i = 0; i < model.papers.size(); ++i) {
    const std::size_t at = 60 + 76 * i;
    std::memcpy(bytes.data() + at + 4, model.papers[i].name.data(), std::min<std::size_t>(64, model.papers[i].name.size()));
    PutU32(bytes, at + 68, model.papers[i].width);
    PutU32(bytes, at + 72, model.papers[i].length);
  }
  if (model.withDefaults) {
    if (bytes.size() < 141) bytes.resize(141, 0);
    PutU32(bytes, 136, model.compressionDefault);
    bytes[140] = model.printPosDefault;
  }
  PutU32(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
  return bytes;
}

void DriverTest::SetUp() {
  host::Reset();
  dir_ = TestFolder();
  std::filesystem::remove_all(dir_);
  std::filesystem::create_directories(dir_);
  host::SetStateFolder(dir_ + "/state");
}

void DriverTest::TearDown() {
  DisableAll();
  host::Reset();
}

void DriverTest::InstallPrinter(const ModelSpec& model) { InstallPrinterWithModelBytes(BuildModel(model)); }

void DriverTest::InstallPrinterWithModelBytes(const std::vector<std::uint8_t>& bytes) {
  const std::string path = dir_ + "/MODEL.QZM";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  host::DriverInfo driver;
  driver.name = u"QZ Label Driver";
  driver.environment = u"Windows x64";
  driver.driverPath = host::ToWindowsPath(dir_ + "/qzrender.dll");
  driver.dataFile = host::ToWindowsPath(path);
  driver.configFile = host::ToWindowsPath(dir_ + "/qzui.dll");
  host::AddPrinter(printerName_, driver);
  std::u16string name = printerName_;
  ASSERT_TRUE(OpenPrinterW(name.data(), &printer_, nullptr));
}

DHPDEV DriverTest::Enable(DEVMODEW* devmode) {
  DRVENABLEDATA data{};
  EXPECT_TRUE(DrvEnableDriver(DDI_DRIVER_VERSION_NT4, sizeof data, &data));
  std::u16string name = printerName_;
  HSURF patterns[4] = {};
  pdev_ = DrvEnablePDEV(devmode, nullptr, 4, patterns, sizeof gdiInfo_, reinterpret_cast<ULONG*>(&gdiInfo_),
                        sizeof devInfo_, &devInfo_, nullptr, name.data(), printer_);
  if (pdev_ != nullptr) {
    hdev_ = host::CreateGdiDevice(pdev_);
    DrvCompletePDEV(pdev_, hdev_);
  }
  return pdev_;
}

SURFOBJ* DriverTest::StartDocument() {
  surface_ = DrvEnableSurface(pdev_);
  if (surface_ == nullptr) return nullptr;
  SURFOBJ* so = host::SurfaceOf(surface_);
  if (so == nullptr || !DrvStartDoc(so, nullptr, 1)) return nullptr;
  return so;
}

void DriverTest::DisableAll() {
  if (surface_ != nullptr) DrvDisableSurface(pdev_);
  surface_ = nullptr;
  if (pdev_ != nullptr) DrvDisablePDEV(pdev_);
  pdev_ = nullptr;
  if (hdev_ != nullptr) host::DeleteGdiDevice(hdev_);
  hdev_ = nullptr;
  DrvDisableDriver();
  if (printer_ != nullptr) ClosePrinter(printer_);
  printer_ = nullptr;
}

std::string AsText(const host::Bytes& bytes) {
  std::string text;
  for (std::uint8_t b : bytes) {
    switch (b) {
      case 0x02: text += "<STX>"; break;
      case 0x03: text += "<ETX>"; break;
      case 0x1B: text += "<ESC>"; break;
      default:
        if (b >= 0x20 && b < 0x7F) {
          text += static_cast<char>(b);
        } else {
          char hex[8];
          std::snprintf(hex, sizeof hex, "<%02X>", b);
          text += hex;
        }
    }
  }
  return text;
}

}  // namespace qztest
