// A host printer with a model of the test's choosing, and the driver
// enabled on it the way GDI does.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host_state.h"
#include "platform/win.h"

namespace qztest {

struct ModelPaper {
  std::string name;  // ANSI bytes
  std::uint32_t width;
  std::uint32_t length;
};

struct ModelSpec {
  std::uint32_t dotsPerMm = 8;
  std::uint32_t maxWidth = 1040;
  std::uint32_t maxLength = 1500;
  std::uint32_t hasCompression = 1;
  std::uint32_t hasRibbonSave = 0;
  std::uint32_t hasCut = 1;
  std::uint32_t hasYOffset = 1;
  std::uint32_t hasCutQuantity = 1;
  std::uint32_t hasPitch = 1;
  std::uint32_t hasErrorReprint = 0;
  std::uint32_t hasPattern = 1;
  std::uint32_t hasDivide = 0;
  std::vector<ModelPaper> papers{{"50x30", 500, 300}};
  // Written at offsets 136 and 140, extending a one-paper file to 141 bytes.
  bool withDefaults = false;
  std::uint32_t compressionDefault = 0;
  std::uint8_t printPosDefault = 0;
};

// The bytes of a model data file.
std::vector<std::uint8_t> BuildModel(const ModelSpec& model);

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the model into the test's folder and installs a printer whose
  // driver data file it is; opens the printer.
  void InstallPrinter(const ModelSpec& model);
  void InstallPrinterWithModelBytes(const std::vector<std::uint8_t>& bytes);

  // DrvEnableDriver + DrvEnablePDEV (+ DrvCompletePDEV on success).
  DHPDEV Enable(DEVMODEW* devmode = nullptr);
  // DrvEnableSurface, DrvStartDoc; the surface object.
  SURFOBJ* StartDocument();
  void DisableAll();

  std::vector<host::Bytes> Writes() const { return host::Writes(printerName_); }
  host::Bytes Written() const { return host::WrittenBytes(printerName_); }

  std::string dir_;
  std::u16string printerName_ = u"QZ Test Printer";
  HANDLE printer_ = nullptr;
  DHPDEV pdev_ = nullptr;
  HDEV hdev_ = nullptr;
  HSURF surface_ = nullptr;
  GDIINFO gdiInfo_{};
  DEVINFO devInfo_{};
};

// A string of bytes, for comparing streams in readable form.
std::string AsText(const host::Bytes& bytes);

}  // namespace qztest
