// The second opinion on the driver's encoder: every example job printed
// through the driver by qzprint must decode cleanly, field by field.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "decode.hpp"

namespace {

namespace fs = std::filesystem;

// Prints an example job through the driver and returns the stream.
std::vector<std::uint8_t> PrintExample(const std::string& name) {
  const fs::path out = fs::temp_directory_path() / ("labelsim-driver-" + name + ".bin");
  const std::string command = std::string("\"") + QZPRINT_EXE + "\" \"" + QZ_EXAMPLES_DIR + "/" + name +
                              ".json\" -o \"" + out.string() + "\" > /dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return {};
  std::ifstream in(out, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  fs::remove(out);
  return bytes;
}

TEST(DriverStream, ShippingLabelDecodesToItsFields) {
  const std::vector<std::uint8_t> stream = PrintExample("shipping-label");
  ASSERT_FALSE(stream.empty());
  const labelsim::DecodeResult result = labelsim::decode_stream(stream);
  ASSERT_TRUE(result.ok()) << result.error->offset << ": " << result.error->message;
  EXPECT_TRUE(result.warnings.empty());
  ASSERT_EQ(result.pages.size(), 1u);
  const labelsim::Page& page = result.pages[0];
  EXPECT_TRUE(page.cut);
  EXPECT_EQ(page.copies, 1u);

  ASSERT_EQ(page.barcodes.size(), 1u);
  EXPECT_EQ(page.barcodes[0].x, 16);
  EXPECT_EQ(page.barcodes[0].y, 150);
  EXPECT_EQ(page.barcodes[0].kind, 8);
  EXPECT_EQ(page.barcodes[0].height_mm, 10u);
  EXPECT_EQ(page.barcodes[0].data, "QZ0123456789");

  ASSERT_EQ(page.qr_codes.size(), 1u);
  EXPECT_EQ(page.qr_codes[0].x, 600);
  EXPECT_EQ(page.qr_codes[0].y, 146);
  EXPECT_EQ(page.qr_codes[0].cell_dots, 4u);
  EXPECT_EQ(page.qr_codes[0].level, 'M');
  EXPECT_EQ(page.qr_codes[0].data, "https://example.com/t/QZ0123456789");

  ASSERT_EQ(page.texts.size(), 1u);
  EXPECT_EQ(page.texts[0].text, "2024/04/14");
  EXPECT_EQ(page.texts[0].x, 208);
  EXPECT_EQ(page.texts[0].y, 44);

  ASSERT_EQ(page.rasters.size(), 1u);
  EXPECT_TRUE(page.rasters[0].placed);
  EXPECT_EQ(page.rasters[0].x, 0);
}

TEST(DriverStream, TwoPageDocumentEndsAndCutsEachPage) {
  const std::vector<std::uint8_t> stream = PrintExample("two-page");
  ASSERT_FALSE(stream.empty());
  const labelsim::DecodeResult result = labelsim::decode_stream(stream);
  ASSERT_TRUE(result.ok()) << result.error->offset << ": " << result.error->message;
  ASSERT_EQ(result.pages.size(), 2u);
  for (const labelsim::Page& page : result.pages) {
    EXPECT_EQ(page.ended_by, labelsim::PageEndKind::page_end_command);
    EXPECT_TRUE(page.cut);
    EXPECT_EQ(page.rasters.size(), 1u);
  }
}

TEST(DriverStream, KeyboardTerminalJobIsARecordStream) {
  const std::vector<std::uint8_t> stream = PrintExample("keyboard-terminal");
  ASSERT_FALSE(stream.empty());
  const labelsim::DecodeResult result = labelsim::decode_stream(stream);
  ASSERT_TRUE(result.ok()) << result.error->offset << ": " << result.error->message;
  EXPECT_EQ(result.kind, labelsim::StreamKind::keyboard_terminal);
  EXPECT_TRUE(result.warnings.empty()) << result.warnings.front().message;
  ASSERT_FALSE(result.commands.empty());
  const auto* header = std::get_if<labelsim::KtHeaderRec>(&result.commands.front().body);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->file_name, "LABEL1");
  ASSERT_EQ(result.pages.size(), 1u);
  EXPECT_FALSE(result.pages[0].texts.empty()) << "the manual-input field";
}

}  // namespace
