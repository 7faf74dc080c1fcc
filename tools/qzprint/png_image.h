// PNG images for the job's "image" operations, decoded to 8-bit RGBA.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qzprint {

struct RgbaImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> pixels;  // rows top first, 4 bytes a pixel: R, G, B, A
};

// Largest image accepted, in pixels: far beyond any label (a 104 mm x 1 m
// label at 24 dots/mm has 60 million), small enough to decode in memory.
inline constexpr std::uint64_t kMaxImagePixels = 64ull * 1024 * 1024;

// Decodes the file; on failure returns false with the reason in *error.
bool ReadPng(const std::string& path, RgbaImage* out, std::string* error);

}  // namespace qzprint
