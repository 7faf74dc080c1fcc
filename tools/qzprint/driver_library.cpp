#include "tools/qzprint/driver_library.h"

#include <dlfcn.h>

namespace qzprint {

namespace {

// The exports are found by their plain names, as GetProcAddress finds them
// on Windows.
template <typename Fn>
Fn FindExport(void* handle, const char* name) {
  return reinterpret_cast<Fn>(dlsym(handle, name));
}

}  // namespace

void DriverLibrary::Closer::operator()(void* handle) const {
  if (handle != nullptr) dlclose(handle);
}

std::optional<DriverLibrary> DriverLibrary::Load(const std::string& path, std::string* error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    *error = "cannot load the driver " + path + ": " + (reason != nullptr ? reason : "unknown reason");
    return std::nullopt;
  }
  DriverLibrary library;
  library.handle_.reset(handle);
  library.enableDriver_ = FindExport<DrvEnableDriverFn>(handle, "DrvEnableDriver");
  library.disableDriver_ = FindExport<DrvDisableDriverFn>(handle, "DrvDisableDriver");
  if (library.enableDriver_ == nullptr) {
    *error = "the driver " + path + " exports no DrvEnableDriver";
    return std::nullopt;
  }
  return library;
}

PFN DriverFunctions::Find(ULONG index) const {
  if (data_.pdrvfn == nullptr) return nullptr;
  for (ULONG i = 0; i < data_.c; ++i) {
    if (data_.pdrvfn[i].iFunc == index) return data_.pdrvfn[i].pfn;
  }
  return nullptr;
}

}  // namespace qzprint
