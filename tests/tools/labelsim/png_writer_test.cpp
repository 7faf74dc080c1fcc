// PNG output read back with libpng.

#include <gtest/gtest.h>
#include <png.h>

#include <vector>

#include "png_writer.hpp"
#include "temp_dir.hpp"

namespace labelsim_test {
namespace {

TEST(PngWriter, WritesBlackDotsOnWhite) {
    TempDir dir;
    labelsim::Bitmap image(11, 3);  // a width that does not fill its last byte
    image.set(0, 0);
    image.set(10, 2);
    std::string error;
    ASSERT_TRUE(labelsim::write_png(dir / "page.png", image, error)) << error;

    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&read, (dir / "page.png").c_str()), 0) << read.message;
    EXPECT_EQ(read.width, 11u);
    EXPECT_EQ(read.height, 3u);
    read.format = PNG_FORMAT_GRAY;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(read));
    ASSERT_NE(png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr), 0) << read.message;
    EXPECT_EQ(pixels[0], 0);             // black
    EXPECT_EQ(pixels[1], 255);           // white
    EXPECT_EQ(pixels[2 * 11 + 10], 0);   // last dot of the last row
    EXPECT_EQ(pixels[2 * 11 + 9], 255);
}

TEST(PngWriter, RefusesEmptyImagesAndUnwritablePaths) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(labelsim::write_png(dir / "empty.png", labelsim::Bitmap(), error));
    EXPECT_FALSE(labelsim::write_png(dir / "missing" / "x.png", labelsim::Bitmap(1, 1), error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

}  // namespace
}  // namespace labelsim_test
