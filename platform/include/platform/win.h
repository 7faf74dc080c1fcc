// The one header through which the project reaches the Windows API.
//
// On Windows it is the SDK. On the host it is our own declarations of the
// subset the package uses, written from the documented layouts, with a host
// implementation behind them (platform/host/*.cpp).
#pragma once

#ifdef _WIN32
#  ifndef WIN32_LEAN_AND_MEAN
#    define WIN32_LEAN_AND_MEAN
#  endif
#  include <windows.h>
#  include <winspool.h>
#  include <winddi.h>
#  include "platform/win32/extras.h"
#else
#  include "platform/host/base.h"
#  include "platform/host/winerror.h"
#  include "platform/host/kernel.h"
#  include "platform/host/devmode.h"
#  include "platform/host/registry.h"
#  include "platform/host/spooler.h"
#  include "platform/host/winddi.h"
#endif
