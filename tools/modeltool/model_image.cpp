#include "tools/modeltool/model_image.h"

#include <algorithm>
#include <cstdio>

#include "settings/model_data.h"

namespace modeltool {

namespace {

using settings::kModelCompressionDefaultOffset;
using settings::kModelPaperNameSize;
using settings::kModelPaperOffset;
using settings::kModelPaperSize;
using settings::kModelPrintPosDefaultOffset;

constexpr std::size_t kPaperCountOffset = 56;
// The file must reach these ends for the two fixed-offset values to be read.
constexpr std::size_t kCompressionDefaultEnd = kModelCompressionDefaultOffset + 4;
constexpr std::size_t kPrintPosDefaultEnd = kModelPrintPosDefaultOffset + 1;
// Longest run of bytes on one patch line that ReadModel writes.
constexpr std::size_t kPatchChunk = 16;

std::uint64_t PapersEnd(std::size_t count) { return kModelPaperOffset + std::uint64_t{count} * kModelPaperSize; }

std::string Hex8(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

std::string PaperWhat(std::size_t i, const PaperLine& paper) {
  std::string what = "paper " + std::to_string(i + 1);
  if (paper.line > 0) what += " (line " + std::to_string(paper.line) + ")";
  return what;
}

// The size of the file when the description does not give one: the header
// and the papers, long enough for CompressionDefault and PrintPosDefault to
// be read when either is set, and long enough for every patch.
std::uint64_t DefaultSize(const ModelDescription& d, std::uint8_t printPosDefault) {
  std::uint64_t size = PapersEnd(d.papers.size());
  if (d.fields[kCompressionDefaultField].value != 0 || printPosDefault != 0) {
    size = std::max<std::uint64_t>(size, kPrintPosDefaultEnd);
  }
  for (const PatchLine& patch : d.patches) size = std::max<std::uint64_t>(size, patch.offset + std::uint64_t{patch.bytes.size()});
  return size;
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Which bytes of the built file some reader looks at, and as what. A patch
// may only change the others, so that the fields say what the file does.
class Meaning {
 public:
  explicit Meaning(std::size_t size) : owner_(size, -1) {}
  void Mark(std::size_t begin, std::size_t end, std::string what) {
    for (std::size_t i = begin; i < end && i < owner_.size(); ++i) owner_[i] = static_cast<int>(names_.size());
    names_.push_back(std::move(what));
  }
  const std::string* At(std::size_t offset) const {
    return owner_[offset] < 0 ? nullptr : &names_[static_cast<std::size_t>(owner_[offset])];
  }

 private:
  std::vector<int> owner_;
  std::vector<std::string> names_;
};

// Fails when the built bytes do not read back, through the drivers' own
// reader, as the description says; guards the two routes against each other.
std::string ReadBackMismatch(const std::vector<std::uint8_t>& bytes, const ModelDescription& d,
                             std::uint8_t printPosDefault) {
  if (settings::CheckModelData(bytes.data(), bytes.size()) != settings::ModelError::kNone) return "the check";
  const settings::ModelData model{bytes.data(), bytes.size()};
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    const std::uint32_t read = kFields[i].byte ? model.U8(kFields[i].offset) : model.U32(kFields[i].offset);
    const std::uint32_t want = i == kPrintPosDefaultField ? printPosDefault : d.fields[i].value;
    if (read != want) return std::string(kFields[i].key);
  }
  if (model.PaperCount() != d.papers.size()) return "PaperCount";
  for (std::uint32_t i = 0; i < d.papers.size(); ++i) {
    const settings::PaperEntry entry = model.Paper(i);
    if (entry.Name() != d.papers[i].name || entry.width != d.papers[i].width ||
        entry.length != d.papers[i].length) {
      return "paper " + std::to_string(i + 1);
    }
  }
  return {};
}

void Warn(BuildResult& result, const ModelDescription& d) {
  const Setting& dots = d.fields[kDotsPerMmField];
  if (dots.value != 8 && dots.value != 12 && dots.value != 24) {
    result.warnings.push_back({dots.line, "DotsPerMm = " + std::to_string(dots.value) +
                                              "; the printers have 8, 12 or 24 dots per millimetre"});
  }
  const std::uint32_t maxWidth = d.fields[kMaxWidthField].value;
  const std::uint32_t maxLength = d.fields[kMaxLengthField].value;
  for (std::size_t i = 0; i < d.papers.size(); ++i) {
    const PaperLine& paper = d.papers[i];
    if (paper.width > maxWidth || paper.length > maxLength) {
      result.warnings.push_back({paper.line, PaperWhat(i, paper) + " is larger than MaxWidth x MaxLength (" +
                                                 std::to_string(maxWidth) + " x " + std::to_string(maxLength) + ")"});
    }
  }
}

}  // namespace

BuildResult BuildModel(const ModelDescription& d) {
  BuildResult result;
  auto fail = [&result](int line, std::string message) { result.problems.push_back({line, std::move(message)}); };
  const std::size_t count = d.papers.size();
  const std::uint64_t papersEnd = PapersEnd(count);
  if (papersEnd > kMaxModelFileSize) {
    fail(0, std::to_string(count) + " papers need more than the 64 MiB that modeltool handles");
    return result;
  }

  const Setting& compression = d.fields[kCompressionDefaultField];
  const Setting& printPos = d.fields[kPrintPosDefaultField];
  auto printPosDefault = static_cast<std::uint8_t>(printPos.value);
  if (count >= 2) {
    // Offset 140 is the first name byte of paper 2, and every reader takes
    // PrintPosDefault from there: the value is the name's to give.
    const PaperLine& second = d.papers[1];
    const auto nameByte = static_cast<std::uint8_t>(second.name.empty() ? 0 : second.name[0]);
    if (printPos.given && printPosDefault != nameByte) {
      fail(printPos.line, "PrintPosDefault = " + std::to_string(printPosDefault) + " conflicts with " +
                              PaperWhat(1, second) +
                              ": with two or more papers offset 140 is the first byte of paper 2's name, here " +
                              Hex8(nameByte) + " (" + std::to_string(nameByte) + "); write PrintPosDefault = " +
                              std::to_string(nameByte) + " or leave it out");
    }
    printPosDefault = nameByte;
  }

  std::uint64_t size = DefaultSize(d, printPosDefault);
  if (d.size.given) {
    size = d.size.value;
    const std::string given = "size = " + std::to_string(size);
    if (size < papersEnd) {
      fail(d.size.line, given + " is smaller than the " + std::to_string(papersEnd) + " bytes that the header and " +
                            std::to_string(count) + " papers take");
    }
    if (compression.value != 0 && size < kCompressionDefaultEnd) {
      fail(d.size.line, given + " cuts off CompressionDefault at offset 136 (the file must be at least 140 bytes)");
    }
    if (printPosDefault != 0 && size < kPrintPosDefaultEnd) {
      fail(d.size.line, given + " cuts off PrintPosDefault at offset 140 (the file must be at least 141 bytes)");
    }
  }
  if (size > kMaxModelFileSize) {
    fail(d.size.line, "the file would be " + std::to_string(size) + " bytes, more than the 64 MiB modeltool handles");
  }
  for (const PatchLine& patch : d.patches) {
    if (patch.offset + std::uint64_t{patch.bytes.size()} > size) {
      fail(patch.line, "patch ends at offset " + std::to_string(patch.offset + std::uint64_t{patch.bytes.size()}) +
                           ", beyond the end of the file (size " + std::to_string(size) + ")");
    }
  }
  if (!result.problems.empty()) return result;

  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size), 0);
  Meaning meaning(bytes.size());
  Put32(bytes, 0, static_cast<std::uint32_t>(size));
  meaning.Mark(0, 4, "the file size");
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if (kFields[i].offset >= kModelPaperOffset) continue;
    Put32(bytes, kFields[i].offset, d.fields[i].value);
    meaning.Mark(kFields[i].offset, kFields[i].offset + 4, std::string(kFields[i].key));
  }
  Put32(bytes, kPaperCountOffset, static_cast<std::uint32_t>(count));
  meaning.Mark(kPaperCountOffset, kPaperCountOffset + 4, "PaperCount");
  for (std::size_t i = 0; i < count; ++i) {
    const PaperLine& paper = d.papers[i];
    const std::size_t base = kModelPaperOffset + i * kModelPaperSize;
    std::copy(paper.name.begin(), paper.name.end(), bytes.begin() + static_cast<std::ptrdiff_t>(base + 4));
    Put32(bytes, base + 68, paper.width);
    Put32(bytes, base + 72, paper.length);
    // The name and its terminating NUL, when it has one, are read.
    const std::size_t nameEnd = base + 4 + std::min(paper.name.size() + 1, kModelPaperNameSize);
    meaning.Mark(base + 4, nameEnd, "the name of " + PaperWhat(i, paper));
    meaning.Mark(base + 68, base + 72, "the width of " + PaperWhat(i, paper));
    meaning.Mark(base + 72, base + 76, "the length of " + PaperWhat(i, paper));
  }
  // With two or more papers CompressionDefault fills bytes 0-3 of paper 2,
  // which nothing else reads.
  if (size >= kCompressionDefaultEnd) {
    Put32(bytes, kModelCompressionDefaultOffset, compression.value);
    meaning.Mark(kModelCompressionDefaultOffset, kCompressionDefaultEnd, "CompressionDefault");
  }
  if (count <= 1 && size >= kPrintPosDefaultEnd) {
    bytes[kModelPrintPosDefaultOffset] = printPosDefault;
    meaning.Mark(kModelPrintPosDefaultOffset, kPrintPosDefaultEnd, "PrintPosDefault");
  }

  for (const PatchLine& patch : d.patches) {
    for (std::size_t k = 0; k < patch.bytes.size(); ++k) {
      const std::size_t at = patch.offset + k;
      if (const std::string* what = meaning.At(at)) {
        fail(patch.line, "patch covers " + *what + " at offset " + std::to_string(at) +
                             "; patches may only change bytes that no reader looks at");
        break;
      }
      bytes[at] = patch.bytes[k];
    }
  }
  if (!result.problems.empty()) return result;

  if (const std::string field = ReadBackMismatch(bytes, d, printPosDefault); !field.empty()) {
    fail(0, "internal error: the built file does not read back as described (" + field + ")");
    return result;
  }
  Warn(result, d);
  result.bytes = std::move(bytes);
  return result;
}

ReadResult ReadModel(const std::uint8_t* bytes, std::size_t size) {
  ReadResult result;
  if (size > kMaxModelFileSize) {
    result.error = "the file is " + std::to_string(size) + " bytes; modeltool handles model files up to 64 MiB";
    return result;
  }
  const settings::ModelData model{bytes, size};
  const settings::ModelError check = settings::CheckModelData(bytes, size);
  const std::string text(settings::ModelErrorText(check));
  switch (check) {
    case settings::ModelError::kNone:
      break;
    case settings::ModelError::kTooShort:
      result.error = text + ": the file ends at offset " + std::to_string(size);
      return result;
    case settings::ModelError::kSizeMismatch:
      result.error = text + ": offset 0 holds " + std::to_string(model.FileSize()) + ", the file is " +
                     std::to_string(size) + " bytes";
      return result;
    case settings::ModelError::kPapersOutside:
      result.error = text + ": PaperCount at offset 56 is " + std::to_string(model.PaperCount()) +
                     ", whose entries (76 bytes each from offset 60) would end at offset " +
                     std::to_string(PapersEnd(model.PaperCount())) + ", beyond the file's end at offset " +
                     std::to_string(size);
      return result;
  }

  ModelDescription& d = result.description;
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    d.fields[i].value = kFields[i].byte ? model.U8(kFields[i].offset) : model.U32(kFields[i].offset);
    d.fields[i].given = true;
  }
  for (std::uint32_t i = 0; i < model.PaperCount(); ++i) {
    const settings::PaperEntry entry = model.Paper(i);
    d.papers.push_back({std::string(entry.Name()), entry.width, entry.length, 0});
  }
  const auto printPosDefault = static_cast<std::uint8_t>(d.fields[kPrintPosDefaultField].value);
  if (DefaultSize(d, printPosDefault) != size) d.size = {static_cast<std::uint32_t>(size), true, 0};

  // Whatever the fields do not account for becomes patches.
  BuildResult built = BuildModel(d);
  if (!built.problems.empty() || built.bytes.size() != size) {
    result.error = "internal error: cannot describe this file";
    return result;
  }
  for (std::size_t at = 0; at < size;) {
    if (built.bytes[at] == bytes[at]) {
      ++at;
      continue;
    }
    PatchLine patch{static_cast<std::uint32_t>(at), {}, 0};
    while (at < size && built.bytes[at] != bytes[at] && patch.bytes.size() < kPatchChunk) patch.bytes.push_back(bytes[at++]);
    d.patches.push_back(std::move(patch));
  }
  built = BuildModel(d);
  if (!built.problems.empty() || !std::equal(built.bytes.begin(), built.bytes.end(), bytes, bytes + size)) {
    result.error = "internal error: cannot describe this file";
  }
  return result;
}

}  // namespace modeltool
