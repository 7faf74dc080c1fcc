// What GDI draws into the page surface comes out where it was drawn: the
// page raster's rows are the page's rows from the top, its bits the pixels
// from the left. The DEVMODE decides the page's size.
#include <png.h>

#include <ostream>

#include <gtest/gtest.h>

#include "tests/tools/qzprint/qzprint_runner.h"

namespace qzprint_test {
namespace {

// Label 1 of the QZ-408 model: 50 x 30 mm at 8 dots/mm.
constexpr int kRows = 240;
constexpr int kBytesPerRow = 50;

Raster OnlyRaster(const JobRunner& runner, const Json& job) {
  const std::vector<Raster> rasters = Rasters(PrintedCommands(runner, job));
  EXPECT_EQ(rasters.size(), 1u);
  return rasters.empty() ? Raster{} : rasters[0];
}

TEST(PageImageTest, FillsLandWhereGdiDrewThem) {
  JobRunner runner;
  Json job = JobRunner::BaseJob();
  // Top left and bottom right corners of the 400 x 240 page.
  job["pages"] = Json::array({Json::array({Json{{"fill", {0, 0, 8, 4}}, {"color", {0, 0, 0}}},
                                           Json{{"fill", {392, 236, 400, 240}}, {"color", {0, 0, 0}}}})});
  const Raster raster = OnlyRaster(runner, job);
  ASSERT_EQ(raster.rows, kRows);
  ASSERT_EQ(raster.bytesPerRow, kBytesPerRow);
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kBytesPerRow; ++column) {
      const bool inked = (row < 4 && column == 0) || (row >= 236 && column == kBytesPerRow - 1);
      ASSERT_EQ(raster.Byte(row, column), inked ? 0xFF : 0x00) << "row " << row << ", byte " << column;
    }
  }
}

TEST(PageImageTest, FillsAreClippedToThePage) {
  JobRunner runner;
  Json job = JobRunner::BaseJob();
  const Json offPage = Json{{"fill", {400, 0, 900, 240}}};
  const Json overPage = Json{{"fill", {-1000, -1000, 1000, 1000}}};
  job["pages"] = Json::array({Json::array({offPage}), Json::array({overPage})});
  const std::vector<Raster> rasters = Rasters(PrintedCommands(runner, job));
  ASSERT_EQ(rasters.size(), 2u);
  EXPECT_FALSE(rasters[0].AnyDot());
  for (std::uint8_t byte : rasters[1].bits) ASSERT_EQ(byte, 0xFF);
}

// A 24 x 1 RGBA image: 8 opaque black pixels, 8 fully transparent black
// pixels, 8 black pixels at half alpha.
void WriteTestImage(const std::filesystem::path& path) {
  std::vector<std::uint8_t> pixels(24 * 4, 0);
  for (int x = 0; x < 24; ++x) pixels[static_cast<std::size_t>(4 * x + 3)] = x < 8 ? 255 : x < 16 ? 0 : 128;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = 24;
  image.height = 1;
  image.format = PNG_FORMAT_RGBA;
  ASSERT_NE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr), 0) << image.message;
}

TEST(PageImageTest, ImagesAreBlendedOntoThePageByAlpha) {
  JobRunner runner;
  WriteTestImage(runner.Dir() / "mark.png");
  Json job = JobRunner::BaseJob();
  job["pages"] = Json::array({Json::array({Json{{"image", "mark.png"}, {"at", {8, 2}}}})});
  const Raster raster = OnlyRaster(runner, job);
  ASSERT_EQ(raster.rows, kRows);
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kBytesPerRow; ++column) {
      // Opaque: printed; transparent: the white page; half alpha: grey, printed.
      const bool inked = row == 2 && (column == 1 || column == 3);
      ASSERT_EQ(raster.Byte(row, column), inked ? 0xFF : 0x00) << "row " << row << ", byte " << column;
    }
  }
}

struct PageSizeCase {
  const char* name;
  const char* devmode;  // JSON object, or nullptr for no DEVMODE
  int rows;
  int bytesPerRow;
};

void PrintTo(const PageSizeCase& c, std::ostream* os) { *os << c.name; }

const PageSizeCase kPageSizeCases[] = {
    {"NoDevmodeUsesLabel1", nullptr, 240, 50},
    {"CustomSize40x30mm", R"({"dmPaperWidth": 400, "dmPaperLength": 300})", 240, 40},
    {"CustomSizeInA188ByteDevmode", R"({"dmSize": 188, "dmPaperWidth": 400, "dmPaperLength": 300})", 240, 40},
    {"CustomSizeInA212ByteDevmode", R"({"dmSize": 212, "dmPaperWidth": 400, "dmPaperLength": 300})", 240, 40},
    {"PaperSizeSelectsLabel3", R"({"dmPaperSize": 317})", 200, 40},
    {"FieldsWithoutTheirFlagsAreIgnored", R"({"dmPaperSize": 317, "dmFields": 0})", 240, 50},
};

class PageSizeTest : public testing::TestWithParam<PageSizeCase> {};

TEST_P(PageSizeTest, RasterHasThePageSize) {
  const PageSizeCase& c = GetParam();
  JobRunner runner;
  Json job = JobRunner::BaseJob();
  if (c.devmode != nullptr) job["devmode"] = Json::parse(c.devmode);
  job["pages"] = Json::array({Json::array()});
  const Raster raster = OnlyRaster(runner, job);
  EXPECT_EQ(raster.rows, c.rows);
  EXPECT_EQ(raster.bytesPerRow, c.bytesPerRow);
}

INSTANTIATE_TEST_SUITE_P(Devmodes, PageSizeTest, testing::ValuesIn(kPageSizeCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qzprint_test
