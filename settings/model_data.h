// The model data file: the driver's data file that describes one printer
// model (resolution, maximum label size, feature flags, named papers).
//
// Layout, little-endian, offsets in bytes:
//    0  file size (must equal the file's size)    4  not read
//    8  DotsPerMm      12 MaxWidth (0.1 mm)        16 MaxLength (0.1 mm)
//   20  HasCompression 24 HasRibbonSave 28 HasCut  32 HasYOffset
//   36  HasCutQuantity 40 HasPitch 44 HasErrorReprint 48 HasPattern
//   52  HasDivide      56 PaperCount
//   60 + 76*i  PaperEntry i: 4 bytes not read, 64-byte ANSI name, width, length
//  136  CompressionDefault (4 bytes)  140 PrintPosDefault (1 byte)
// The last two are read at their fixed offsets even where they fall inside
// the second paper entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace settings {

inline constexpr std::size_t kModelPaperOffset = 60;
inline constexpr std::size_t kModelPaperSize = 76;
inline constexpr std::size_t kModelPaperNameSize = 64;
inline constexpr std::size_t kModelCompressionDefaultOffset = 136;
inline constexpr std::size_t kModelPrintPosDefaultOffset = 140;

struct PaperEntry {
  const char* name;  // points into the file; not NUL-terminated when all 64 bytes are used
  std::uint32_t width;   // 0.1 mm
  std::uint32_t length;  // 0.1 mm
  std::string_view Name() const;  // up to the first NUL, at most 64 bytes
};

enum class ModelError {
  kNone,
  kTooShort,       // shorter than the fixed header (60 bytes)
  kSizeMismatch,   // first value differs from the file's size
  kPapersOutside,  // PaperCount needs more bytes than the file holds
};
std::string_view ModelErrorText(ModelError error);

// Checks a model file's bytes before anyone reads them.
ModelError CheckModelData(const std::uint8_t* bytes, std::size_t size);

// A read-only view of checked model data. Fields beyond the end of the
// bytes read as 0 (a file with one paper ends at offset 136); a field that
// only starts inside the bytes reads as 0 as a whole.
struct ModelData {
  const std::uint8_t* bytes = nullptr;
  std::size_t size = 0;

  std::uint32_t U32(std::size_t offset) const;
  std::uint8_t U8(std::size_t offset) const;

  std::uint32_t FileSize() const { return U32(0); }
  std::uint32_t DotsPerMm() const { return U32(8); }
  std::uint32_t MaxWidth() const { return U32(12); }
  std::uint32_t MaxLength() const { return U32(16); }
  std::uint32_t HasCompression() const { return U32(20); }
  std::uint32_t HasRibbonSave() const { return U32(24); }
  std::uint32_t HasCut() const { return U32(28); }
  std::uint32_t HasYOffset() const { return U32(32); }
  std::uint32_t HasCutQuantity() const { return U32(36); }
  std::uint32_t HasPitch() const { return U32(40); }
  std::uint32_t HasErrorReprint() const { return U32(44); }
  std::uint32_t HasPattern() const { return U32(48); }
  std::uint32_t HasDivide() const { return U32(52); }
  std::uint32_t PaperCount() const { return U32(56); }
  std::uint32_t CompressionDefault() const { return U32(kModelCompressionDefaultOffset); }
  std::uint8_t PrintPosDefault() const { return U8(kModelPrintPosDefaultOffset); }
  // Resolution in dots per inch: DotsPerMm * 254 / 10.
  std::uint32_t Dpi() const { return DotsPerMm() * 254 / 10; }
  // Paper i < PaperCount (the caller checks the index).
  PaperEntry Paper(std::uint32_t i) const;
};

}  // namespace settings
