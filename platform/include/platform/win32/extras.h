// What the package needs beyond the mingw-w64 SDK headers on Windows.
#pragma once

// Wide string literal in the platform's wide character type.
#define WSTR(s) L##s

#ifndef DDI_DRIVER_VERSION_NT4
#define DDI_DRIVER_VERSION_NT4 0x00020000
#endif
