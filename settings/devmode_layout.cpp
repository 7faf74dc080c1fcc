// Conversion between DEVMODE layouts: ConvertDevmode and CopyDevmodeOut.
#include <algorithm>
#include <cstring>
#include <optional>

#include "settings/devmode.h"

namespace settings {
namespace {

// The public layouts this driver knows by their size, and the version each
// stands for.
struct KnownLayout {
  WORD size;
  WORD specVersion;
};
constexpr KnownLayout kKnownLayouts[] = {
    {188, 0x0320},
    {212, 0x0400},
    {220, 0x0401},
};

std::optional<WORD> KnownVersion(WORD size) {
  for (const KnownLayout& layout : kKnownLayouts) {
    if (layout.size == size) return layout.specVersion;
  }
  return std::nullopt;
}

// The version a target of this size is given; 0 means none can be.
WORD TargetVersion(WORD size, WORD ownVersion) { return KnownVersion(size).value_or(ownVersion); }

// The record's header is readable and its own size claim fits its buffer.
bool FitsBuffer(const DEVMODEW* dm, std::size_t bytes) {
  return bytes >= kDevmodeHeaderBytes &&
         static_cast<std::size_t>(dm->dmSize) + dm->dmDriverExtra <= bytes;
}

int Refuse() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return -1;
}

bool RefuseBool() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

}  // namespace

int ConvertDevmode(const DEVMODEW* source, std::size_t sourceBytes, DEVMODEW* target,
                   std::size_t targetBytes) {
  if (source == nullptr || !FitsBuffer(source, sourceBytes)) return Refuse();
  if (!KnownVersion(source->dmSize) && source->dmSpecVersion == 0) return Refuse();
  // A target shorter than its own header would get its private part written
  // over the size fields just restored.
  if (target == nullptr || !FitsBuffer(target, targetBytes) || target->dmSize < kDevmodeHeaderBytes) {
    return Refuse();
  }
  const WORD specVersion = TargetVersion(target->dmSize, target->dmSpecVersion);
  if (specVersion == 0) return Refuse();

  // Read everything needed from both headers first: source and target may
  // be the same buffer.
  const WORD driverVersion = target->dmDriverVersion;
  const WORD size = target->dmSize;
  const WORD driverExtra = target->dmDriverExtra;
  const WORD sourceSize = source->dmSize;
  const WORD sourceExtra = source->dmDriverExtra;

  const std::size_t publicBytes = std::min(sourceSize, size);
  std::memmove(target, source, publicBytes);
  target->dmSpecVersion = specVersion;
  target->dmDriverVersion = driverVersion;
  target->dmSize = size;
  target->dmDriverExtra = driverExtra;

  const std::size_t privateBytes = std::min(sourceExtra, driverExtra);
  std::memmove(reinterpret_cast<BYTE*>(target) + size, reinterpret_cast<const BYTE*>(source) + sourceSize,
               privateBytes);
  return static_cast<int>(publicBytes + privateBytes);
}

bool CopyDevmodeOut(const LabelDevmode& current, const DEVMODEW* callerIn, std::size_t callerInBytes,
                    DEVMODEW* out, std::size_t outBytes) {
  if (out == nullptr || !FitsBuffer(&current.dm, sizeof(LabelDevmode))) return RefuseBool();
  const DEVMODEW& dm = current.dm;

  if (callerIn == nullptr) {
    const std::size_t whole = static_cast<std::size_t>(dm.dmSize) + dm.dmDriverExtra;
    if (whole > outBytes) return RefuseBool();
    std::memmove(out, &current, whole);
    return true;
  }

  if (!FitsBuffer(callerIn, callerInBytes)) return RefuseBool();
  // The output takes the smaller public part and, independently, the
  // smaller private part; the caller's wins only when strictly smaller.
  const bool callerPublic = callerIn->dmSize < dm.dmSize;
  const bool callerPrivate = callerIn->dmDriverExtra < dm.dmDriverExtra;
  const WORD specVersion = callerPublic ? callerIn->dmSpecVersion : dm.dmSpecVersion;
  const WORD size = callerPublic ? callerIn->dmSize : dm.dmSize;
  const WORD driverVersion = callerPrivate ? callerIn->dmDriverVersion : dm.dmDriverVersion;
  const WORD driverExtra = callerPrivate ? callerIn->dmDriverExtra : dm.dmDriverExtra;

  // Everything ConvertDevmode would refuse about the output is settled
  // before its header is stamped, so a refusal leaves it untouched.
  if (outBytes < kDevmodeHeaderBytes || size < kDevmodeHeaderBytes ||
      static_cast<std::size_t>(size) + driverExtra > outBytes || TargetVersion(size, specVersion) == 0) {
    return RefuseBool();
  }
  out->dmSpecVersion = specVersion;
  out->dmSize = size;
  out->dmDriverVersion = driverVersion;
  out->dmDriverExtra = driverExtra;
  return ConvertDevmode(&dm, sizeof(LabelDevmode), out, outBytes) > 0;
}

}  // namespace settings
