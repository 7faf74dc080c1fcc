// The driver's exports DrvEnableDriver, DrvQueryDriverInfo and
// DrvDisableDriver (DllMain is the DLL's own, in dll/). Every other entry point reaches GDI through the
// function table below.
#include <cstring>
#include <iterator>

#include "platform/win.h"
#include "render/module.h"

namespace render {

Module& TheModule() {
  static Module module{};
  return module;
}

namespace {

// Casts an entry point to the table's generic function type. Going through
// void(*)() keeps the compiler from treating it as a call through a
// mismatched type: GDI casts it back before calling.
template <typename Fn>
PFN AsPfn(Fn* fn) {
  return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(fn));
}

// The hooked entry points, in the order GDI is given them.
const DRVFN kFunctionTable[] = {
    {INDEX_DrvEnablePDEV, AsPfn(&DrvEnablePDEV)},       {INDEX_DrvCompletePDEV, AsPfn(&DrvCompletePDEV)},
    {INDEX_DrvDisablePDEV, AsPfn(&DrvDisablePDEV)},     {INDEX_DrvEnableSurface, AsPfn(&DrvEnableSurface)},
    {INDEX_DrvDisableSurface, AsPfn(&DrvDisableSurface)}, {INDEX_DrvSendPage, AsPfn(&DrvSendPage)},
    {INDEX_DrvStartPage, AsPfn(&DrvStartPage)},         {INDEX_DrvStartDoc, AsPfn(&DrvStartDoc)},
    {INDEX_DrvEndDoc, AsPfn(&DrvEndDoc)},               {INDEX_DrvTextOut, AsPfn(&DrvTextOut)},
};

constexpr ULONG kMinEngineVersion = DDI_DRIVER_VERSION_NT4;
constexpr ULONG kMinEnableDataSize = 16;

}  // namespace
}  // namespace render

BOOL APIENTRY DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded) {
  if (dwMode != DRVQUERY_USERMODE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (pcbNeeded != nullptr) *pcbNeeded = sizeof(DWORD);
  if (pBuffer == nullptr || cbBuf < sizeof(DWORD)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const DWORD userMode = 1;
  std::memcpy(pBuffer, &userMode, sizeof userMode);
  return TRUE;
}

BOOL APIENTRY DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded) {
  if (iEngineVersion < render::kMinEngineVersion || cj < render::kMinEnableDataSize) {
    SetLastError(ERROR_BAD_DRIVER_LEVEL);
    return FALSE;
  }
  if (pded == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  pded->iDriverVersion = DDI_DRIVER_VERSION_NT4;
  pded->c = static_cast<ULONG>(std::size(render::kFunctionTable));
  pded->pdrvfn = const_cast<DRVFN*>(render::kFunctionTable);
  render::Module& module = render::TheModule();
  if (module.semaphore == nullptr) module.semaphore = EngCreateSemaphore();
  if (module.semaphore == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  return TRUE;
}

VOID APIENTRY DrvDisableDriver() {
  render::Module& module = render::TheModule();
  if (module.semaphore != nullptr) {
    EngDeleteSemaphore(module.semaphore);
    module.semaphore = nullptr;
  }
}
