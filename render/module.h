// What the driver keeps for the whole module: its handle and the semaphore
// that serialises reading the driver information and option blocks.
#pragma once

#include "platform/win.h"

namespace render {

struct Module {
  HMODULE handle;
  HSEMAPHORE semaphore;
};

Module& TheModule();

}  // namespace render
