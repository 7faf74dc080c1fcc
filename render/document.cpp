// Document and page calls: the job header at the start, the page end and
// cut owed by each page, and the end of the document.
#include <cstring>

#include "platform/win.h"
#include "render/commands.h"
#include "render/device_context.h"
#include "render/output.h"
#include "render/terminal_records.h"

namespace render {

namespace {

constexpr BYTE kToTerminal = 1;

bool ToTerminal(const DeviceContext& dc) { return dc.devmode.priv.PrintDevice == kToTerminal; }

// Products beyond 32 bits become a value that no number field takes.
std::uint32_t Clamp32(std::uint64_t value) {
  return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

// Label length in dots, one more when the length in 0.1 mm times the
// resolution is a whole number of dots (the printer's pitch convention).
std::uint32_t PitchDots(const DeviceContext& dc) {
  const std::uint64_t product = std::uint64_t{dc.label->LabelLength} * dc.Model().DotsPerMm();
  return Clamp32(product / 10 + (product % 10 == 0 ? 1 : 0));
}

bool WriteJobHeader(DeviceContext& dc, Output& out) {
  const settings::PrivateOpt& opt = dc.devmode.priv;
  const settings::ModelData model = dc.Model();
  if (opt.YOffset != 0 && !Send(out, YOffsetCommand(Clamp32(std::uint64_t{settings::GetYOffsetNum(opt)} * model.DotsPerMm())))) {
    return false;
  }
  if (opt.PrintCutqty != 0 && !Send(out, CutQuantityCommand(opt.PrintCutqtyNum))) return false;
  if (opt.PrintPitch != 0 && !Send(out, PitchCommand(PitchDots(dc)))) return false;
  // The model decides whether these are sent; the user's choice is their value.
  if (model.HasDivide() != 0 && !Send(out, DivideCommand(opt.Divide != 0))) return false;
  if (model.HasErrorReprint() != 0 && !Send(out, ErrorReprintCommand(opt.PrintError != 0))) return false;
  if (model.HasRibbonSave() != 0 && !Send(out, RibbonSaveCommand(opt.PrintRibbon != 0))) return false;
  return true;
}

// The page end (copies, pattern) and, when asked, the cut after it.
bool WritePageEnd(DeviceContext& dc, Output& out, std::uint32_t pattern, bool cut) {
  const auto copies = static_cast<std::uint32_t>(static_cast<std::uint16_t>(dc.devmode.dm.dmCopies));
  if (!Send(out, PageEndCommand(copies, pattern))) return false;
  return !cut || Send(out, CutCommand());
}

bool CutsAfterPages(const DeviceContext& dc) {
  return dc.Model().HasCut() != 0 && dc.devmode.priv.PrintCut != 0;
}

}  // namespace
}  // namespace render

BOOL APIENTRY DrvStartDoc(SURFOBJ* pso, LPWSTR /*pwszDocName*/, DWORD /*dwJobId*/) {
  using namespace render;
  DeviceContext* dc = CheckedDeviceContext(pso);
  if (dc == nullptr) return FALSE;
  Output out(dc->printer, dc->heap);
  const bool written = ToTerminal(*dc) ? SendTerminalHeader(out, dc->devmode.priv.FileName) : WriteJobHeader(*dc, out);
  if (!written) return FALSE;
  dc->pageStarted = 0;
  return TRUE;
}

BOOL APIENTRY DrvStartPage(SURFOBJ* pso) {
  using namespace render;
  DeviceContext* dc = CheckedDeviceContext(pso);
  if (dc == nullptr) return FALSE;
  if (dc->pageStarted != 0) {
    // The page end owed by the previous page. A keyboard terminal takes
    // records only, so its pages are not ended with printer commands.
    Output out(dc->printer, dc->heap);
    if (!ToTerminal(*dc) &&
        !WritePageEnd(*dc, out, 0, CutsAfterPages(*dc) && dc->devmode.priv.PrintLastCut == 0)) {
      return FALSE;
    }
  } else {
    dc->pageStarted = 1;
  }
  if (pso->pvBits != nullptr) std::memset(pso->pvBits, 0xFF, pso->cjBits);
  return TRUE;
}

BOOL APIENTRY DrvEndDoc(SURFOBJ* pso, FLONG /*fl*/) {
  using namespace render;
  DeviceContext* dc = CheckedDeviceContext(pso);
  if (dc == nullptr) return FALSE;
  if (ToTerminal(*dc)) return TRUE;
  // Written whether or not a page was started and whether or not the job
  // was aborted: the printer always gets its end of job.
  Output out(dc->printer, dc->heap);
  return WritePageEnd(*dc, out, dc->devmode.priv.PrintPattern, CutsAfterPages(*dc)) ? TRUE : FALSE;
}
