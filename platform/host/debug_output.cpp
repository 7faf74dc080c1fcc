// Debugger output: with no debugger on the host, the text goes to standard
// error when QZ_DEBUG is set and nowhere otherwise.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host_internal.h"

namespace {

bool DebugOutputEnabled() {
  const char* value = std::getenv("QZ_DEBUG");
  return value != nullptr && *value != '\0';
}

void Emit(const std::string& utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

void OutputDebugStringW(LPCWSTR lpOutputString) {
  if (lpOutputString == nullptr || !DebugOutputEnabled()) return;
  Emit(host::Narrow(lpOutputString));
}

// The narrow form carries text in the ANSI code page.
void OutputDebugStringA(LPCSTR lpOutputString) {
  if (lpOutputString == nullptr || !DebugOutputEnabled() || *lpOutputString == '\0') return;
  const int n = MultiByteToWideChar(CP_ACP, 0, lpOutputString, static_cast<int>(std::strlen(lpOutputString)),
                                    nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, lpOutputString, static_cast<int>(std::strlen(lpOutputString)), wide.data(), n);
  Emit(host::Narrow(wide));
}
