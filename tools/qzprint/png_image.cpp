#include "tools/qzprint/png_image.h"

#include <png.h>

namespace qzprint {

bool ReadPng(const std::string& path, RgbaImage* out, std::string* error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
    *error = image.message;
    return false;
  }
  if (std::uint64_t{image.width} * image.height > kMaxImagePixels) {
    png_image_free(&image);
    *error = "image of " + std::to_string(image.width) + " x " + std::to_string(image.height) + " pixels is too large";
    return false;
  }
  // Every colour type, bit depth and transparency form ends up as RGBA.
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
    *error = image.message;
    png_image_free(&image);
    return false;
  }
  out->width = image.width;
  out->height = image.height;
  out->pixels = std::move(pixels);
  return true;
}

}  // namespace qzprint
