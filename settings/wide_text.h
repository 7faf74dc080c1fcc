// Bounded copying of wide text between fixed-size fields of the records.
#pragma once

#include <cstddef>

#include "platform/win.h"

namespace settings {

// Copies src into the dstChars-character field dst: at most dstChars - 1
// characters, ending early at src's NUL or after srcChars characters (the
// source field need not be terminated), then NUL-fills the rest of dst.
inline void CopyWideText(WCHAR* dst, std::size_t dstChars, const WCHAR* src, std::size_t srcChars) {
  if (dstChars == 0) return;
  std::size_t n = 0;
  if (src != nullptr) {
    while (n + 1 < dstChars && n < srcChars && src[n] != 0) {
      dst[n] = src[n];
      ++n;
    }
  }
  for (; n < dstChars; ++n) dst[n] = 0;
}

}  // namespace settings
