// Basic Windows types for the host build.
//
// Sizes follow the LLP64 model of 64-bit Windows: LONG and ULONG are 32-bit
// even though the host's long is 64-bit, and wide characters are UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define APIENTRY
#define CALLBACK
#define WINAPIV
#define CONST const

using BYTE = std::uint8_t;
using UCHAR = std::uint8_t;
using CHAR = char;
using WORD = std::uint16_t;
using USHORT = std::uint16_t;
using SHORT = std::int16_t;
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using INT = int;
using UINT = unsigned int;
using BOOL = int;
using FLONG = ULONG;
using FWORD = SHORT;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using ULONG_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using DWORD_PTR = ULONG_PTR;
using SIZE_T = std::size_t;
using PTRDIFF = LONG;  // the DDI keeps byte offsets in 32 bits
using WCHAR = char16_t;
using VOID = void;

using PVOID = void*;
using LPVOID = void*;
using LPCVOID = const void*;
using PBYTE = BYTE*;
using LPBYTE = BYTE*;
using PDWORD = DWORD*;
using LPDWORD = DWORD*;
using PULONG = ULONG*;
using LPBOOL = BOOL*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPCCH = const char*;
using PWSTR = WCHAR*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPCWCH = const WCHAR*;

using HANDLE = void*;
using LPHANDLE = HANDLE*;
using HMODULE = struct HINSTANCE__*;
using HINSTANCE = HMODULE;
using HWND = struct HWND__*;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))

// Wide string literal in the platform's wide character type.
#define WSTR(s) u##s

struct POINTL {
  LONG x;
  LONG y;
};
struct SIZEL {
  LONG cx;
  LONG cy;
};
using SIZE = SIZEL;
struct RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using PRECTL = RECTL*;
using PPOINTL = POINTL*;

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

static_assert(sizeof(WCHAR) == 2);
static_assert(sizeof(LONG) == 4 && sizeof(ULONG) == 4);
static_assert(sizeof(RECTL) == 16 && sizeof(POINTL) == 8);
