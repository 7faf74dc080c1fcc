#include "render/fields/qr_data_choice.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace render::fields {
namespace {

TEST(QrDataChoice, ShortTextsNameAFile) {
  EXPECT_TRUE(QrTextNamesDataFile("LOT42"));
  EXPECT_TRUE(QrTextNamesDataFile(std::string(30, 'N')));
  EXPECT_FALSE(QrTextNamesDataFile(std::string(31, 'N')));
  EXPECT_FALSE(QrTextNamesDataFile(""));
  EXPECT_TRUE(QrFileReplacesData(3000));
  EXPECT_FALSE(QrFileReplacesData(3001));
}

TEST(QrDataChoice, FileContentReplacesTheText) {
  using namespace std::string_view_literals;
  const std::string file120(120, 'd');
  const std::string file3000(3000, 'e');
  const std::string file3001(3001, 'f');
  const std::string name30(30, 'N');
  const std::string name31(31, 'N');
  struct Case {
    const char* name;
    std::string_view text;
    std::optional<std::string_view> file;
    std::string_view expected;
  };
  const Case kCases[] = {
      {"named file", "LOT42", file120, file120},
      {"no file", "LOT42", std::nullopt, "LOT42"},
      {"file of 3000 bytes", "LOT42", file3000, file3000},
      {"file of 3001 bytes", "LOT42", file3001, "LOT42"},
      {"30-byte name", name30, file120, file120},
      {"31-byte text is the data", name31, file120, name31},
      {"a zero byte ends the file's data", "LOT42", "AB\0CD"sv, "AB"},
      {"an empty file leaves the text", "LOT42", ""sv, "LOT42"},
      {"a file starting with zero leaves the text", "LOT42", "\0AB"sv, "LOT42"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(ChooseQrData(c.text, c.file), c.expected) << c.name;
  }
}

TEST(QrDataChoice, DataFilePath) {
  std::array<WCHAR, kQrDataPathCapacity + 4> out;
  out.fill(u'#');
  ASSERT_EQ(BuildQrDataPath(u"C:\\Drivers\\qz\\", u"LOT42", out.data(), kQrDataPathCapacity),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(std::u16string(out.data()), u"C:\\Drivers\\qz\\LOT42.C2D");

  // A full-length folder and a 30-character name do not fit MAX_PATH.
  const std::u16string folder(250, u'd');
  const std::u16string name(30, u'n');
  out.fill(u'#');
  EXPECT_EQ(BuildQrDataPath(folder, name, out.data(), kQrDataPathCapacity),
            static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(out[0], 0);
  for (std::size_t i = kQrDataPathCapacity; i < out.size(); ++i) EXPECT_EQ(out[i], u'#');

  // 255 + ".C2D" = 259 characters is the longest path.
  EXPECT_EQ(BuildQrDataPath(std::u16string(225, u'd'), name, out.data(), kQrDataPathCapacity),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(std::u16string(out.data()).size(), kQrDataPathCapacity - 1);
  EXPECT_EQ(BuildQrDataPath(std::u16string(226, u'd'), name, out.data(), kQrDataPathCapacity),
            static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(BuildQrDataPath(u"C:\\", u"", out.data(), kQrDataPathCapacity), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
}  // namespace render::fields
