// The paper list: the stored block when it has the right size, else the
// model's papers followed by generic labels at the model's maximum size.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "printer_fixture.h"
#include "settings/opt_block.h"
#include "settings/paper_list.h"
#include "test_model.h"

namespace settings {
namespace {

using settings_test::ModelBytes;
using settings_test::TestModel;
using settings_test::TestPaper;
using settings_test::View;

class PaperListTest : public settings_test::PrinterFixture {
 protected:
  void StoreBlock(DWORD sizeValue, const host::Bytes& data) {
    StoreSize(u"PaperOptSize", sizeValue);
    Store(u"PaperOpt", REG_BINARY, data);
  }
};

constexpr std::uint32_t kMaxWidth = 1040;
constexpr std::uint32_t kMaxLength = 2000;

TestModel ThreePapers() {
  TestModel model;
  model.maxWidth = kMaxWidth;
  model.maxLength = kMaxLength;
  model.papers = {
      {"\xD7\xCD\xDE\xD9" "A", 800, 400},               // half-width katakana bytes
      {"Label 50x30", 500, 300},                          //
      {"\x83\x89\x83\x78\x83\x8B", 1000, 1500},          // double-byte katakana
  };
  return model;
}

std::u16string Name(const LabelEntry& entry) {
  std::u16string name(entry.PaperName, kPaperNameChars);
  return name.substr(0, name.find(u'\0'));
}

struct ExpectedLabel {
  std::u16string name;
  DWORD width;
  DWORD length;
};

const ExpectedLabel kThreePaperList[kLabelCount] = {
    {u"\uFF97\uFF8D\uFF9E\uFF99A", 800, 400},
    {u"Label 50x30", 500, 300},
    {u"\u30E9\u30D9\u30EB", 1000, 1500},
    {u"\uFF97\uFF8D\uFF9E\uFF994", kMaxWidth, kMaxLength},
    {u"\uFF97\uFF8D\uFF9E\uFF995", kMaxWidth, kMaxLength},
    {u"\uFF97\uFF8D\uFF9E\uFF996", kMaxWidth, kMaxLength},
    {u"\uFF97\uFF8D\uFF9E\uFF997", kMaxWidth, kMaxLength},
    {u"\uFF97\uFF8D\uFF9E\uFF998", kMaxWidth, kMaxLength},
    {u"\uFF97\uFF8D\uFF9E\uFF999", kMaxWidth, kMaxLength},
    {u"\uFF97\uFF8D\uFF9E\uFF9910", kMaxWidth, kMaxLength},
};

void ExpectThreePaperList(const PaperOpt& list) {
  for (int i = 0; i < kLabelCount; ++i) {
    SCOPED_TRACE(i);
    const LabelEntry& entry = list.Entry[i];
    EXPECT_EQ(Name(entry), kThreePaperList[i].name);
    EXPECT_EQ(entry.PaperId, 315u + static_cast<DWORD>(i));
    EXPECT_EQ(entry.LabelWidth, kThreePaperList[i].width);
    EXPECT_EQ(entry.LabelLength, kThreePaperList[i].length);
  }
}

TEST_F(PaperListTest, ModelPapersThenGenericLabels) {
  const auto bytes = ModelBytes(ThreePapers());
  const ModelData model = View(bytes);
  PaperOpt list;
  std::memset(&list, 0xAA, sizeof(list));
  ASSERT_TRUE(BuildPaperList(printer_, &model, &list));
  ExpectThreePaperList(list);
  // Everything past each name is zero, and nothing is stored.
  for (const LabelEntry& entry : list.Entry) {
    for (std::size_t c = Name(entry).size(); c < kPaperNameChars; ++c) ASSERT_EQ(entry.PaperName[c], 0);
  }
  EXPECT_FALSE(Stored(u"PaperOpt").has_value());
}

struct StoredCase {
  const char* name;
  DWORD sizeValue;
  std::size_t dataBytes;
  bool storedUsed;
};

const StoredCase kStoredCases[] = {
    {"1400 bytes: used", 1400, 1400, true},
    {"1399 bytes: rebuilt from the model", 1399, 1399, false},
    {"1401 bytes: rebuilt from the model", 1401, 1401, false},
    {"size value 1400 over 1399 data bytes: rebuilt", 1400, 1399, false},
};

TEST_F(PaperListTest, StoredListIsUsedOnlyAtItsExactSize) {
  const auto bytes = ModelBytes(ThreePapers());
  const ModelData model = View(bytes);
  for (const StoredCase& c : kStoredCases) {
    SCOPED_TRACE(c.name);
    Restart();
    host::Bytes stored(c.dataBytes);
    for (std::size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<std::uint8_t>(i * 31 + 5);
    StoreBlock(c.sizeValue, stored);
    PaperOpt list;
    ASSERT_TRUE(BuildPaperList(printer_, &model, &list));
    if (c.storedUsed) {
      EXPECT_EQ(std::memcmp(&list, stored.data(), sizeof(list)), 0);
    } else {
      ExpectThreePaperList(list);
    }
  }
}

TEST_F(PaperListTest, WithoutModelOnlyAStoredListServes) {
  PaperOpt list;
  EXPECT_FALSE(BuildPaperList(printer_, nullptr, &list));
  const host::Bytes stored(1400, 0x21);
  StoreBlock(1400, stored);
  ASSERT_TRUE(BuildPaperList(printer_, nullptr, &list));
  EXPECT_EQ(std::memcmp(&list, stored.data(), sizeof(list)), 0);
}

TEST_F(PaperListTest, NamesAreCutToSixtyThreeCharacters) {
  TestModel model;
  model.papers = {{std::string(64, 'N'), 100, 100},  // all 64 bytes used, no NUL
                  {std::string(62, 'M'), 100, 100}};
  const auto bytes = ModelBytes(model);
  const ModelData view = View(bytes);
  PaperOpt list;
  ASSERT_TRUE(BuildPaperList(printer_, &view, &list));
  EXPECT_EQ(Name(list.Entry[0]), std::u16string(63, u'N'));
  EXPECT_EQ(Name(list.Entry[1]), std::u16string(62, u'M'));
}

TEST_F(PaperListTest, AtMostTenOfTheModelsPapers) {
  TestModel model;
  for (int i = 0; i < 12; ++i) model.papers.push_back({"P" + std::to_string(i + 1), 100u + i, 200u + i});
  const auto bytes = ModelBytes(model);
  const ModelData view = View(bytes);
  PaperOpt list;
  ASSERT_TRUE(BuildPaperList(printer_, &view, &list));
  EXPECT_EQ(Name(list.Entry[9]), u"P10");
  EXPECT_EQ(list.Entry[9].LabelWidth, 109u);
  EXPECT_EQ(list.Entry[9].PaperId, 324u);
}

TEST_F(PaperListTest, PapersBeyondUncheckedModelBytesBecomeGenericLabels) {
  // PaperCount claims 5 papers; the bytes hold one.
  TestModel model;
  model.papers = {{"Only", 300, 300}};
  model.paperCount = 5;
  const auto bytes = ModelBytes(model);
  const ModelData view = View(bytes);
  PaperOpt list;
  ASSERT_TRUE(BuildPaperList(printer_, &view, &list));
  EXPECT_EQ(Name(list.Entry[0]), u"Only");
  EXPECT_EQ(Name(list.Entry[1]), u"\uFF97\uFF8D\uFF9E\uFF992");
  EXPECT_EQ(list.Entry[1].LabelWidth, model.maxWidth);
}

}  // namespace
}  // namespace settings
