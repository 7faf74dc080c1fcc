#pragma once
// Writes a one-bit image as a 1-bit greyscale PNG (black ink on white) with libpng.

#include <filesystem>
#include <string>

#include "bitmap.hpp"

namespace labelsim {

// Returns false with a reason in `error` when the file cannot be written or
// the image is empty.
bool write_png(const std::filesystem::path& path, const Bitmap& image, std::string& error);

}  // namespace labelsim
