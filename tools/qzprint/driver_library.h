// The printer graphics driver as GDI reaches it: a shared library loaded at
// run time, its exported DrvEnableDriver, and the function table that call
// returns. Nothing else of the driver is linked or called.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/win.h"

namespace qzprint {

using DrvEnableDriverFn = BOOL (*)(ULONG, ULONG, DRVENABLEDATA*);
using DrvDisableDriverFn = VOID (*)();

class DriverLibrary {
 public:
  // Loads the library and finds its exports; nothing on failure, with the
  // reason in *error.
  static std::optional<DriverLibrary> Load(const std::string& path, std::string* error);

  DrvEnableDriverFn EnableDriver() const { return enableDriver_; }
  // DrvDisableDriver, or nullptr when the library does not export it.
  DrvDisableDriverFn DisableDriver() const { return disableDriver_; }

 private:
  struct Closer {
    void operator()(void* handle) const;
  };
  std::unique_ptr<void, Closer> handle_;
  DrvEnableDriverFn enableDriver_ = nullptr;
  DrvDisableDriverFn disableDriver_ = nullptr;
};

// The function table the driver gave in DRVENABLEDATA, by DDI index.
class DriverFunctions {
 public:
  explicit DriverFunctions(const DRVENABLEDATA& data) : data_(data) {}

  // The driver's function of that index cast to its type, or nullptr.
  template <typename Fn>
  Fn Get(ULONG index) const {
    const PFN pfn = Find(index);
    return pfn == nullptr ? nullptr : reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(pfn));
  }

 private:
  PFN Find(ULONG index) const;
  DRVENABLEDATA data_;
};

}  // namespace qzprint
