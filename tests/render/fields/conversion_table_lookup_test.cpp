#include "render/fields/conversion_table_lookup.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>


namespace render::fields {
namespace {

struct LookupCase {
  const char* name;
  std::string_view table;
  const char* key;
  std::optional<std::string_view> expected;
};

TEST(ConversionTableLookup, FindsTheFirstLineBeginningWithTheKey) {
  using namespace std::string_view_literals;
  static const LookupCase kCases[] = {
      {"middle line", "01,JAN\r\n02,FEB\r\n03,MAR\r\n04,APR\r\n", "03", "MAR"},
      {"first line", "01,JAN\r\n02,FEB\r\n", "01", "JAN"},
      {"last line", "01,JAN\r\n12,DEC\r\n", "12", "DEC"},
      {"month-day key", "0304,A\r\n0305,SPRING\r\n", "0305", "SPRING"},
      {"text keeps later commas", "05,1,5\r\n", "05", "1,5"},
      {"text keeps spaces", "01, a b \r\n", "01", " a b "},
      {"first match decides", "03,ONE\r\n03,TWO\r\n", "03", "ONE"},
      {"no CR LF after the match", "03,March", "03", std::nullopt},
      {"no CR LF after the last line", "01,JAN\r\n03,March", "03", std::nullopt},
      {"empty value", "03,\r\n", "03", std::nullopt},
      {"an empty first match hides a later line", "03,\r\n03,X\r\n", "03", std::nullopt},
      {"no comma on the matching line", "03\r\n04,X\r\n", "03", std::nullopt},
      {"a lone LF does not end a line", "01,A\n03,B\r\n", "03", std::nullopt},
      {"a lone CR does not end a line", "01,A\r03,B\r\n", "03", std::nullopt},
      {"the value ends at the first CR LF", "03,A\rB\r\n04,C\r\n", "03", "A\rB"},
      {"missing key", "01,JAN\r\n02,FEB\r\n", "00", std::nullopt},
      {"key inside a line is no match", "01,03\r\n", "03", std::nullopt},
      {"empty table", "", "01", std::nullopt},
      {"empty key", "01,JAN\r\n", "", std::nullopt},
      {"zero bytes are ordinary", "01,A\0B\r\n"sv, "01", "A\0B"sv},
  };
  for (const LookupCase& c : kCases) {
    EXPECT_EQ(LookUpTableValue(c.table, c.key), c.expected) << c.name;
  }
}

TEST(ConversionTableLookup, CopyReportsTheFullLengthAndCopiesWhatFits) {
  const std::string_view table = "06,FRIDAY\r\n";
  std::array<char, 4> out{'-', '-', '-', '-'};
  std::size_t length = 0;
  ASSERT_TRUE(CopyTableValue(table, "06", out.data(), 3, &length));
  EXPECT_EQ(length, 6u);
  EXPECT_EQ(std::string_view(out.data(), 4), "FRI-");

  length = 99;
  EXPECT_FALSE(CopyTableValue(table, "07", out.data(), out.size(), &length));
  EXPECT_EQ(length, 99u);  // untouched without a value
}

std::u16string Path(std::u16string_view dir, std::u16string_view name, int kind, DWORD expected,
                    std::size_t outSize = kTablePathCapacity) {
  std::array<WCHAR, kTablePathCapacity + 8> out;
  out.fill(u'#');
  EXPECT_EQ(BuildTablePath(dir, name, kind, out.data(), outSize), expected);
  // Nothing past the given size is touched.
  for (std::size_t i = outSize; i < out.size(); ++i) EXPECT_EQ(out[i], u'#') << i;
  return std::u16string(out.data());
}

TEST(ConversionTablePath, JoinsFolderNameAndKind) {
  EXPECT_EQ(Path(u"C:\\Drivers\\qz", u"ABC", 3, ERROR_SUCCESS), u"C:\\Drivers\\qz\\ABC.TB3");
  EXPECT_EQ(Path(u"C:\\Drivers\\qz", u"\uFF76\uFF85", 7, ERROR_SUCCESS), u"C:\\Drivers\\qz\\\uFF76\uFF85.TB7");
  // A folder never applied in the UI leaves a path in the drive's root.
  EXPECT_EQ(Path(u"", u"WEEK", 6, ERROR_SUCCESS), u"\\WEEK.TB6");
}

TEST(ConversionTablePath, RefusesBadArguments) {
  EXPECT_EQ(Path(u"C:\\T", u"ABC", 0, ERROR_INVALID_PARAMETER), u"");
  EXPECT_EQ(Path(u"C:\\T", u"ABC", 8, ERROR_INVALID_PARAMETER), u"");
  EXPECT_EQ(Path(u"C:\\T", u"", 1, ERROR_INVALID_PARAMETER), u"");
  EXPECT_EQ(BuildTablePath(u"C:\\T", u"ABC", 1, nullptr, 10), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(ConversionTablePath, FailsInsteadOfOverflowingALongFolder) {
  // "\" + "ABCDEFGH" + ".TB1" is 13 characters.
  const std::u16string fits(kTablePathCapacity - 1 - 13, u'd');
  EXPECT_EQ(Path(fits, u"ABCDEFGH", 1, ERROR_SUCCESS).size(), kTablePathCapacity - 1);
  const std::u16string tooLong(kTablePathCapacity - 13, u'd');
  EXPECT_EQ(Path(tooLong, u"ABCDEFGH", 1, ERROR_INSUFFICIENT_BUFFER), u"");
  // A folder that fills the whole stored field.
  const std::u16string full(kTablePathCapacity, u'd');
  EXPECT_EQ(Path(full, u"A", 1, ERROR_INSUFFICIENT_BUFFER), u"");
  // A caller buffer smaller than MAX_PATH bounds the path as well.
  EXPECT_EQ(Path(u"C:\\T", u"ABC", 1, ERROR_INSUFFICIENT_BUFFER, 12), u"");
  EXPECT_EQ(Path(u"C:\\T", u"ABC", 1, ERROR_SUCCESS, 13), u"C:\\T\\ABC.TB1");
}

}  // namespace
}  // namespace render::fields
