// Plays a job through the driver's entry points in the order GDI calls
// them for one printer device context and one document:
//
//   DrvEnableDriver, DrvEnablePDEV, DrvCompletePDEV, DrvEnableSurface,
//   DrvStartDoc, per page (DrvStartPage, the drawing, DrvSendPage),
//   DrvEndDoc, DrvDisableSurface, DrvDisablePDEV, DrvDisableDriver.
//
// GDI draws fills and images into the surface itself; text goes to the
// driver's DrvTextOut when the surface hooks text output, else GDI draws
// it with EngTextOut. When an entry point fails the document is ended as
// an application would end it (DrvEndDoc with ED_ABORTDOC once the
// document has started) and the device context and driver are torn down.
#pragma once

#include <string>
#include <vector>

#include "platform/win.h"
#include "tools/qzprint/driver_library.h"
#include "tools/qzprint/job.h"

namespace qzprint {

struct PlayResult {
  bool ok = true;
  std::string failure;  // the first failed entry point and its error value
  // Objects the driver created and did not delete by the end ("2 surfaces").
  std::vector<std::string> leaks;
};

// `printer` is the job's printer, opened with OpenPrinterW.
PlayResult PlayJob(const Job& job, HANDLE printer, const DriverLibrary& driver);

}  // namespace qzprint
