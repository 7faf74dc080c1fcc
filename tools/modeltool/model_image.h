// A model description turned into the bytes of a model data file, and a
// model data file read back into a description.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/modeltool/model_text.h"

namespace modeltool {

// Larger than any model file needs by far; keeps a typing slip in `size`
// or a stray huge file from taking the machine's memory.
inline constexpr std::size_t kMaxModelFileSize = 64u << 20;

struct BuildResult {
  std::vector<std::uint8_t> bytes;  // empty when there are problems
  std::vector<Problem> problems;
  std::vector<Problem> warnings;  // legal but most likely a slip
};
BuildResult BuildModel(const ModelDescription& description);

struct ReadResult {
  ModelDescription description;
  std::string error;  // names the problem and its offset; empty when read
};
// The description that BuildModel turns back into exactly these bytes.
ReadResult ReadModel(const std::uint8_t* bytes, std::size_t size);

}  // namespace modeltool
