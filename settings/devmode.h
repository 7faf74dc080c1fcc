// Operations on the job's DEVMODE, shared by the rendering driver and the
// UI so that both build the default record and judge incoming records the
// same way.
//
// Every DEVMODE handed in comes with the number of bytes the caller can
// actually read or write at it. A record whose own dmSize + dmDriverExtra
// claims more than that, or that is too short to hold its own size fields,
// is refused with ERROR_INVALID_PARAMETER instead of being read or written
// past its end.
#pragma once

#include <cstddef>

#include "platform/win.h"
#include "settings/model_data.h"
#include "settings/records.h"

namespace settings {

// Bytes of a DEVMODE up to and including dmDriverExtra: what must be
// readable before dmSize and dmDriverExtra can be trusted at all.
inline constexpr std::size_t kDevmodeHeaderBytes = offsetof(DEVMODEW, dmFields);

// dmFields of the default record: orientation, paper size, copies, default
// source, print quality, TrueType option and form name.
inline constexpr DWORD kDefaultDevmodeFields = 0x14703;

// Fills *target with the driver's defaults for this model; the paper size
// and form name come from label 1 of `papers`. A null deviceName leaves
// dmDeviceName empty.
void MakeDefaultDevmode(LabelDevmode* target, const WCHAR* deviceName, const ModelData& model,
                        const PaperOpt& papers);

// Takes the valid fields of `incoming` (any layout ConvertDevmode accepts)
// into *current. A null incoming succeeds and changes nothing; a refused
// one changes nothing and returns false with the thread's last error set.
// incomingBytes: the bytes readable at incoming (a caller that does not know
// passes incoming->dmSize + incoming->dmDriverExtra).
bool MergeDevmode(LabelDevmode* current, const DEVMODEW* incoming, std::size_t incomingBytes,
                  const ModelData& model);

// Copies a DEVMODE of one layout into one of another: the common public
// bytes, then the common private bytes; the target keeps its own dmSize,
// dmDriverExtra and dmDriverVersion and gets the dmSpecVersion of its size.
// Returns the public plus private bytes copied, or -1 (ERROR_INVALID_PARAMETER)
// for an unknown source layout, a target of unknown version, or a record
// that claims more bytes than its buffer holds.
int ConvertDevmode(const DEVMODEW* source, std::size_t sourceBytes, DEVMODEW* target,
                   std::size_t targetBytes);

// Writes `current` into `out` in the layout of the caller's input DEVMODE
// (the smaller public part and the smaller private part of the two); with no
// input DEVMODE, copies `current` whole. On failure `out` is left untouched.
bool CopyDevmodeOut(const LabelDevmode& current, const DEVMODEW* callerIn, std::size_t callerInBytes,
                    DEVMODEW* out, std::size_t outBytes);

}  // namespace settings
