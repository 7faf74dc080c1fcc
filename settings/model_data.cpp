#include "settings/model_data.h"

#include <cstring>
#include <iterator>

#include "settings/little_endian.h"

namespace settings {

namespace {

constexpr std::size_t kPaperCountOffset = 56;
constexpr std::size_t kPaperNameOffset = 4;     // inside a paper entry
constexpr std::size_t kPaperWidthOffset = 68;   // inside a paper entry
constexpr std::size_t kPaperLengthOffset = 72;  // inside a paper entry

// Indexed by ModelError.
constexpr std::string_view kErrorTexts[] = {
    "model data is valid",
    "model data is shorter than its 60-byte header",
    "the size at offset 0 differs from the model data's size",
    "PaperCount at offset 56 names more papers than the model data holds",
};

// Stands in for the name of a paper entry that lies outside the bytes, so
// that Name() never reads past the copy even for an unchecked index.
constexpr char kNoName[kModelPaperNameSize] = {};

}  // namespace

std::string_view PaperEntry::Name() const {
  if (name == nullptr) return {};
  const void* nul = std::memchr(name, 0, kModelPaperNameSize);
  const std::size_t length =
      nul == nullptr ? kModelPaperNameSize : static_cast<std::size_t>(static_cast<const char*>(nul) - name);
  return {name, length};
}

std::string_view ModelErrorText(ModelError error) {
  const auto index = static_cast<std::size_t>(error);
  if (index >= std::size(kErrorTexts)) return "unknown model data error";
  return kErrorTexts[index];
}

ModelError CheckModelData(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr || size < kModelPaperOffset) return ModelError::kTooShort;
  const ModelData model{bytes, size};
  if (model.FileSize() != size) return ModelError::kSizeMismatch;
  // Every reader indexes paper entries by PaperCount alone, so a count that
  // runs past the end would make it read beyond its copy. Dividing instead
  // of multiplying keeps a huge count from wrapping around.
  const std::size_t room = (size - kModelPaperOffset) / kModelPaperSize;
  if (model.U32(kPaperCountOffset) > room) return ModelError::kPapersOutside;
  return ModelError::kNone;
}

std::uint32_t ModelData::U32(std::size_t offset) const {
  // A field that does not lie wholly inside the bytes reads as 0: a file with
  // one paper ends at 136, before CompressionDefault and PrintPosDefault.
  if (bytes == nullptr || offset > size || size - offset < 4) return 0;
  return LoadLe32(bytes + offset);
}

std::uint8_t ModelData::U8(std::size_t offset) const {
  if (bytes == nullptr || offset >= size) return 0;
  return bytes[offset];
}

PaperEntry ModelData::Paper(std::uint32_t i) const {
  // 64-bit arithmetic: i * 76 cannot wrap even where size_t is 32 bits wide.
  const std::uint64_t base = kModelPaperOffset + std::uint64_t{i} * kModelPaperSize;
  if (bytes == nullptr || base > size || size - base < kModelPaperSize) return {kNoName, 0, 0};
  const auto at = static_cast<std::size_t>(base);
  return {reinterpret_cast<const char*>(bytes + at + kPaperNameOffset), U32(at + kPaperWidthOffset),
          U32(at + kPaperLengthOffset)};
}

}  // namespace settings
