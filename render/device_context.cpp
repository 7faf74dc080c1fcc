#include "render/device_context.h"

namespace render {

DeviceContext* CheckedDeviceContext(DHPDEV dhpdev) {
  auto* dc = reinterpret_cast<DeviceContext*>(dhpdev);
  if (dc == nullptr || dc->signature != kSignature || dc->signature2 != kSignature) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return dc;
}

DeviceContext* CheckedDeviceContext(const SURFOBJ* pso) {
  if (pso == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CheckedDeviceContext(pso->dhpdev);
}

}  // namespace render
