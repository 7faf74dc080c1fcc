#include "tools/qzprint/printer_setup.h"

#include "platform/host_state.h"
#include "settings/opt_block.h"

namespace qzprint {

namespace {

constexpr char16_t kDriverName[] = u"QZ Label Printer Driver";
constexpr char16_t kEnvironment[] = u"Windows x64";

template <typename Block>
bool StoreBlock(HANDLE printer, const std::u16string& printerName, settings::OptBlock which,
                const std::optional<Block>& block, std::string* error) {
  if (!block) return true;
  const auto* bytes = reinterpret_cast<const BYTE*>(&*block);
  if (settings::WriteOptBlock(printer, printerName.c_str(), which, bytes, sizeof(Block))) return true;
  *error = "cannot store the option block " + host::Narrow(settings::OptBlockInfoOf(which).dataValue) +
           " (GetLastError() = " + std::to_string(GetLastError()) + ")";
  return false;
}

}  // namespace

OpenedPrinter::~OpenedPrinter() {
  if (handle_ != nullptr) ClosePrinter(handle_);
}

OpenedPrinter& OpenedPrinter::operator=(OpenedPrinter&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) ClosePrinter(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

bool SetUpPrinter(const Job& job, const std::filesystem::path& driverPath, OpenedPrinter* out, std::string* error) {
  host::DriverInfo driver;
  driver.name = kDriverName;
  driver.environment = kEnvironment;
  driver.driverPath = host::ToWindowsPath(driverPath.string());
  driver.dataFile = host::ToWindowsPath(job.model.string());
  host::AddPrinter(job.printer, driver);

  std::u16string name = job.printer;
  HANDLE handle = nullptr;
  if (!OpenPrinterW(name.data(), &handle, nullptr)) {
    *error = "OpenPrinterW failed (GetLastError() = " + std::to_string(GetLastError()) + ")";
    return false;
  }
  OpenedPrinter printer(handle);
  host::ClearWrites(job.printer);

  const OptionBlocks& blocks = job.options;
  if (!StoreBlock(handle, name, settings::OptBlock::kPaperOpt, blocks.paper, error) ||
      !StoreBlock(handle, name, settings::OptBlock::kBarColorOpt, blocks.barColor, error) ||
      !StoreBlock(handle, name, settings::OptBlock::kCalendarOpt, blocks.calendar, error) ||
      !StoreBlock(handle, name, settings::OptBlock::kVariableOpt, blocks.variable, error)) {
    return false;
  }
  if (job.clock) {
    host::SetClock(*job.clock);
  } else {
    host::UseSystemClock();
  }
  *out = std::move(printer);
  return true;
}

}  // namespace qzprint
