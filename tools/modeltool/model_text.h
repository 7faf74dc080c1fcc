// The readable description of a model data file and its text form.
//
//   # comment (also after a value, outside quotes)
//   DotsPerMm = 8             header values: decimal or 0x hex
//   HasCut = 1
//   CompressionDefault = 1
//   paper = "ﾗﾍﾞﾙ 50x30", 500, 300     one line per paper, in file order
//   size = 212                only where the file is longer than needed
//   patch = 4, 01000000       raw bytes the fields above do not describe
//
// `size` and `patch` exist so that every model file, including bytes that
// no reader looks at, can be described exactly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace modeltool {

// A message about a description or a model file; line 0 when it belongs to
// no single line.
struct Problem {
  int line = 0;
  std::string message;
};

// The header values that have a key of their own, in file order.
struct FieldSpec {
  std::string_view key;
  std::size_t offset;
  bool byte;      // one byte wide, else four
  bool required;  // no sensible default
};
inline constexpr FieldSpec kFields[] = {
    {"DotsPerMm", 8, false, true},        {"MaxWidth", 12, false, true},
    {"MaxLength", 16, false, true},       {"HasCompression", 20, false, false},
    {"HasRibbonSave", 24, false, false},  {"HasCut", 28, false, false},
    {"HasYOffset", 32, false, false},     {"HasCutQuantity", 36, false, false},
    {"HasPitch", 40, false, false},       {"HasErrorReprint", 44, false, false},
    {"HasPattern", 48, false, false},     {"HasDivide", 52, false, false},
    {"CompressionDefault", 136, false, false}, {"PrintPosDefault", 140, true, false},
};
inline constexpr std::size_t kFieldCount = std::size(kFields);
inline constexpr std::size_t kDotsPerMmField = 0;
inline constexpr std::size_t kMaxWidthField = 1;
inline constexpr std::size_t kMaxLengthField = 2;
inline constexpr std::size_t kCompressionDefaultField = 12;
inline constexpr std::size_t kPrintPosDefaultField = 13;
static_assert(kFields[kCompressionDefaultField].offset == 136 && kFields[kPrintPosDefaultField].offset == 140);

struct Setting {
  std::uint32_t value = 0;
  bool given = false;
  int line = 0;
};

struct PaperLine {
  std::string name;  // code page 932 bytes, at most 64, no NUL
  std::uint32_t width = 0;
  std::uint32_t length = 0;
  int line = 0;
};

struct PatchLine {
  std::uint32_t offset = 0;
  std::vector<std::uint8_t> bytes;
  int line = 0;
};

struct ModelDescription {
  std::array<Setting, kFieldCount> fields{};
  std::vector<PaperLine> papers;
  Setting size;
  std::vector<PatchLine> patches;
};

struct ParseResult {
  ModelDescription description;
  std::vector<Problem> problems;  // empty when the text is a valid description
};
ParseResult ParseModelText(std::string_view text);

// The text of a description; every field is written out.
std::string FormatModelText(const ModelDescription& description);

}  // namespace modeltool
