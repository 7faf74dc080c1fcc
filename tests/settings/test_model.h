// Model data bytes for tests, laid out as the model data file: header
// fields, CompressionDefault at 136 and PrintPosDefault at 140, then the
// paper entries (whose bytes 0-3 are left as they are, so that from the
// second paper on, its name's first byte is what offset 140 reads).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "settings/little_endian.h"
#include "settings/model_data.h"

namespace settings_test {

struct TestPaper {
  std::string name;  // ANSI (code page 932) bytes, at most 64
  std::uint32_t width = 0;
  std::uint32_t length = 0;
};

struct TestModel {
  std::uint32_t dotsPerMm = 8;
  std::uint32_t maxWidth = 1040;
  std::uint32_t maxLength = 2000;
  std::uint32_t hasCompression = 0;
  std::uint32_t hasErrorReprint = 0;
  std::uint32_t compressionDefault = 0;
  std::uint8_t printPosDefault = 0;
  std::vector<TestPaper> papers;
  std::uint32_t paperCount = UINT32_MAX;  // UINT32_MAX: papers.size()
};

inline std::vector<std::uint8_t> ModelBytes(const TestModel& m) {
  const std::size_t end = settings::kModelPaperOffset + settings::kModelPaperSize * m.papers.size();
  std::vector<std::uint8_t> bytes(std::max<std::size_t>(end, settings::kModelPrintPosDefaultOffset + 1));
  auto put = [&bytes](std::size_t offset, std::uint32_t value) { settings::StoreLe32(&bytes[offset], value); };
  put(0, static_cast<std::uint32_t>(bytes.size()));
  put(8, m.dotsPerMm);
  put(12, m.maxWidth);
  put(16, m.maxLength);
  put(20, m.hasCompression);
  put(44, m.hasErrorReprint);
  put(56, m.paperCount == UINT32_MAX ? static_cast<std::uint32_t>(m.papers.size()) : m.paperCount);
  put(settings::kModelCompressionDefaultOffset, m.compressionDefault);
  bytes[settings::kModelPrintPosDefaultOffset] = m.printPosDefault;
  for (std::size_t i = 0; i < m.papers.size(); ++i) {
    const std::size_t base = settings::kModelPaperOffset + settings::kModelPaperSize * i;
    const TestPaper& paper = m.papers[i];
    std::memset(&bytes[base + 4], 0, settings::kModelPaperNameSize);
    std::memcpy(&bytes[base + 4], paper.name.data(),
                std::min(paper.name.size(), settings::kModelPaperNameSize));
    put(base + 68, paper.width);
    put(base + 72, paper.length);
  }
  return bytes;
}

// A view of bytes that the test keeps alive.
inline settings::ModelData View(const std::vector<std::uint8_t>& bytes) {
  return settings::ModelData{bytes.data(), bytes.size()};
}

}  // namespace settings_test
