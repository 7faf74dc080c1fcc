// Every byte the driver produces goes to the spooler through this: one
// WritePrinter per command or raster part, counted as done only when the
// spooler took every byte.
#pragma once

#include <cstddef>

#include "platform/win.h"

namespace render {

class Output {
 public:
  Output(HANDLE printer, HANDLE heap) : printer_(printer), heap_(heap) {}

  bool Write(const void* data, std::size_t size);
  HANDLE Heap() const { return heap_; }

 private:
  HANDLE printer_;
  HANDLE heap_;
};

}  // namespace render
