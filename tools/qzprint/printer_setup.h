// The simulated Windows around the job: the printer with its driver and
// model data file, its option blocks, and the clock.
#pragma once

#include <filesystem>
#include <string>

#include "platform/win.h"
#include "tools/qzprint/job.h"

namespace qzprint {

// An open handle of the job's printer; closed with the object.
class OpenedPrinter {
 public:
  OpenedPrinter() = default;
  explicit OpenedPrinter(HANDLE handle) : handle_(handle) {}
  ~OpenedPrinter();
  OpenedPrinter(OpenedPrinter&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  OpenedPrinter& operator=(OpenedPrinter&& other) noexcept;
  OpenedPrinter(const OpenedPrinter&) = delete;
  OpenedPrinter& operator=(const OpenedPrinter&) = delete;

  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

// Adds the printer (driver data file = the job's model), opens it, stores
// the job's option blocks as its printer data, clears its captured writes
// and sets the clock. False with the reason in *error.
bool SetUpPrinter(const Job& job, const std::filesystem::path& driverPath, OpenedPrinter* out, std::string* error);

}  // namespace qzprint
