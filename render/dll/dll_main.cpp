// The DLL entry point; only the driver DLL has it, the tests link the
// driver's code without it.
#include "platform/win.h"
#include "render/module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) render::TheModule().handle = module;
  return TRUE;
}
