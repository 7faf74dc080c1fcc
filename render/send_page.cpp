// DrvSendPage: the end of a page. The pending fields go out first, then the
// page GDI drew, as one raster block with its placement or, for the
// keyboard terminal, as raster records.
//
// The page is read where GDI holds it and turned into printer rows in one
// pass (render/raster.h). The page's one heap block holds the printer rows,
// in landscape a little scratch, and with run-length coding room for the
// code, which is made in place over the rows. It comes from the device
// context's heap and is freed before returning.
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "platform/win.h"
#include "render/commands.h"
#include "render/device_context.h"
#include "render/fields.h"
#include "render/output.h"
#include "render/paper.h"
#include "render/raster.h"
#include "render/terminal_records.h"

namespace render {

namespace {

constexpr BYTE kToTerminal = 1;
constexpr BYTE kRunLengthOn = 1;
constexpr std::uint64_t kBytesPerPixel = 3;

// A block of the device context's heap for the length of one page.
class PageBlock {
 public:
  PageBlock(HANDLE heap, std::uint64_t size)
      : heap_(heap),
        bytes_(size > std::numeric_limits<SIZE_T>::max()
                   ? nullptr
                   : static_cast<std::uint8_t*>(HeapAlloc(heap, 0, static_cast<SIZE_T>(size)))) {}
  ~PageBlock() {
    if (bytes_ != nullptr) HeapFree(heap_, 0, bytes_);
  }
  PageBlock(const PageBlock&) = delete;
  PageBlock& operator=(const PageBlock&) = delete;

  std::uint8_t* Get() const { return bytes_; }

 private:
  HANDLE heap_;
  std::uint8_t* bytes_;
};

// Where the page's pieces lie in its one heap block. With run-length
// coding the rows sit in the upper part of a block of the code's worst-case
// size and are coded in place from its start.
struct PageLayout {
  std::uint64_t blockSize;
  std::size_t rowsAt;
  std::size_t scratchAt;
};

PageLayout LayOut(const RasterShape& shape, std::size_t scratch, bool runLength) {
  const std::size_t rows = shape.Bytes();
  const std::size_t rowsEnd = runLength ? RunLengthBound(rows) : rows;
  return {std::uint64_t{rowsEnd} + scratch, rowsEnd - rows, rowsEnd};
}

// Header, data and "A" ETX, one write each.
bool SendRasterBlock(Output& out, bool runLength, const RasterShape& shape, std::uint8_t* block,
                     const std::uint8_t* rows) {
  const Command header = RasterHeaderCommand(runLength, shape.rows, shape.bytesPerRow);
  if (!header.ok) return false;
  const std::uint8_t* data = rows;
  std::size_t size = shape.Bytes();
  if (runLength) {
    size = RunLengthEncode(rows, size, block);
    data = block;
  }
  return Send(out, header) && out.Write(data, size) && Send(out, RasterEndCommand());
}

// The terminal's offset field is signed 32-bit; an offset beyond it is cut
// to the nearest value the field holds rather than wrapped around.
std::int32_t TerminalOffset(std::int64_t x) {
  constexpr std::int64_t kLow = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kHigh = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(x < kLow ? kLow : (x > kHigh ? kHigh : x));
}

// The surface as a page view, or false when its description cannot be a
// 24-bit page (no bits, or rows shorter than their pixels).
bool ViewSurface(const SURFOBJ& surface, PageBits* page) {
  const std::uint64_t width = static_cast<std::uint32_t>(surface.sizlBitmap.cx);
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(std::llabs(std::int64_t{surface.lDelta}));
  if (surface.pvScan0 == nullptr || rowBytes < width * kBytesPerPixel) return false;
  *page = {static_cast<const std::uint8_t*>(surface.pvScan0), surface.lDelta,
           static_cast<std::uint32_t>(surface.sizlBitmap.cx), static_cast<std::uint32_t>(surface.sizlBitmap.cy)};
  return true;
}

}  // namespace
}  // namespace render

BOOL APIENTRY DrvSendPage(SURFOBJ* pso) {
  using namespace render;
  DeviceContext* dc = CheckedDeviceContext(pso);
  if (dc == nullptr) return FALSE;
  // A page's fields precede its image.
  CompleteBarcodeField(*dc);
  CompleteDeviceFontField(*dc);
  if (pso->iBitmapFormat != BMF_24BPP) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // A page without pixels has nothing to print.
  if (pso->sizlBitmap.cx <= 0 || pso->sizlBitmap.cy <= 0) return TRUE;
  PageBits page{};
  if (!ViewSurface(*pso, &page)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }

  const settings::PrivateOpt& opt = dc->devmode.priv;
  const settings::ModelData model = dc->Model();
  const PageTurn turn{IsLandscape(*dc), opt.Label[CurrentLabelIndex(*dc)].Rotate != 0};
  const RasterShape shape = ShapeOf(page.width, page.height, turn);
  const bool toTerminal = opt.PrintDevice == kToTerminal;
  const bool runLength = model.HasCompression() != 0 && opt.Compression == kRunLengthOn;
  // Rows or bytes per row beyond the raster header's fields: nothing of the
  // image can be sent, so none of it is made.
  if (!toTerminal && !RasterHeaderCommand(runLength, shape.rows, shape.bytesPerRow).ok) return TRUE;

  const PageLayout layout = LayOut(shape, RasterScratchSize(page.width, turn), runLength && !toTerminal);
  PageBlock block(dc->heap, layout.blockSize);
  if (block.Get() == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  std::uint8_t* rows = block.Get() + layout.rowsAt;
  MakePrinterRows(page, turn, rows, block.Get() + layout.scratchAt);

  const std::int64_t x = PrintPositionOffset(opt.PrintPos, settings::GetPrintPosNum(opt), model.DotsPerMm(),
                                             model.MaxWidth(), shape.width);
  // What the writes did is not the page's outcome: a refused write or an
  // offset the placement cannot carry leaves the page, or its placement,
  // unsent, and the page still counts as processed.
  Output out(dc->printer, dc->heap);
  if (toTerminal) {
    SendTerminalRaster(out, TerminalOffset(x), rows, shape.rows, shape.bytesPerRow);
  } else if (SendRasterBlock(out, runLength, shape, block.Get(), rows)) {
    Send(out, RasterPlacementCommand(x, shape.bytesPerRow, shape.rows));
  }
  return TRUE;
}
