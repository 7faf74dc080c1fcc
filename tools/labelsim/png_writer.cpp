#include "png_writer.hpp"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace labelsim {
namespace {

// libpng reports errors by longjmp to the setjmp point in write_rows; this
// function holds only trivially destructible state so that the jump skips no
// destructor.
bool write_rows(std::FILE* file, const Bitmap& image, char* message, std::size_t message_size) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        std::snprintf(message, message_size, "libpng: cannot create write struct");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(message, message_size, "libpng: cannot create info struct");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::snprintf(message, message_size, "libpng: write failed");
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width(), image.height(), 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // Our bits say 1 = black; PNG greyscale says 0 = black.
    png_set_invert_mono(png);
    for (std::uint32_t y = 0; y < image.height(); ++y) {
        png_write_row(png, const_cast<png_bytep>(image.row(y)));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool write_png(const std::filesystem::path& path, const Bitmap& image, std::string& error) {
    if (image.empty()) {
        error = "empty image";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot open " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    char message[128] = {};
    const bool ok = write_rows(file, image, message, sizeof message);
    const bool closed = std::fclose(file) == 0;
    if (!ok) {
        error = message;
        return false;
    }
    if (!closed) {
        error = "cannot finish " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace labelsim
