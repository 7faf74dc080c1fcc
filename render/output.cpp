#include "render/output.h"

namespace render {

bool Output::Write(const void* data, std::size_t size) {
  if (size > 0xFFFFFFFFu) return false;
  DWORD written = 0;
  const auto count = static_cast<DWORD>(size);
  return WritePrinter(printer_, const_cast<void*>(data), count, &written) && written == count;
}

}  // namespace render
