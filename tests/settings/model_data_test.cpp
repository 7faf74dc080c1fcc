#include "settings/model_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using settings::CheckModelData;
using settings::ModelData;
using settings::ModelError;

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A model file with `papers` entries named "P1", "P2", ... of 100 + i by
// 200 + i, its size field right and the file exactly as long as the papers
// need.
Bytes MakeModel(std::uint32_t papers) {
  Bytes bytes(60 + 76 * std::size_t{papers}, 0);
  Put32(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
  Put32(bytes, 8, 8);
  Put32(bytes, 12, 1040);
  Put32(bytes, 16, 10000);
  Put32(bytes, 56, papers);
  for (std::uint32_t i = 0; i < papers; ++i) {
    const std::size_t base = 60 + 76 * std::size_t{i};
    const std::string name = "P" + std::to_string(i + 1);
    std::copy(name.begin(), name.end(), bytes.begin() + static_cast<std::ptrdiff_t>(base + 4));
    Put32(bytes, base + 68, 100 + i);
    Put32(bytes, base + 72, 200 + i);
  }
  return bytes;
}

struct CheckCase {
  const char* what;
  std::uint32_t papers;        // MakeModel's papers
  std::int64_t sizeChange;     // bytes added to (or cut from) the file, size field following
  std::int64_t sizeFieldDelta; // then added to the size field only
  std::int64_t paperCount;     // written to PaperCount when >= 0
  ModelError expected;
};

const CheckCase kCheckCases[] = {
    {"no papers", 0, 0, 0, -1, ModelError::kNone},
    {"one paper", 1, 0, 0, -1, ModelError::kNone},
    {"two papers", 2, 0, 0, -1, ModelError::kNone},
    {"three papers", 3, 0, 0, -1, ModelError::kNone},
    {"one paper, 141 bytes", 1, 5, 0, -1, ModelError::kNone},
    {"bytes after the last paper", 3, 10, 0, -1, ModelError::kNone},
    {"size field one less than the size", 1, 0, -1, -1, ModelError::kSizeMismatch},
    {"size field one more than the size", 1, 0, +1, -1, ModelError::kSizeMismatch},
    {"one byte short of the header", 0, -1, 0, -1, ModelError::kTooShort},
    {"PaperCount one more than the file holds", 2, 0, 0, 3, ModelError::kPapersOutside},
    {"last paper cut by one byte", 2, -1, 0, -1, ModelError::kPapersOutside},
    {"PaperCount 0xFFFFFFFF", 1, 0, 0, 0xFFFFFFFF, ModelError::kPapersOutside},
    // 60 + 76 * 56512728 is 92 in 32-bit arithmetic: a count that only
    // looks small after wrapping around.
    {"PaperCount wrapping in 32 bits", 1, 0, 0, 56512728, ModelError::kPapersOutside},
};

TEST(ModelDataTest, CheckRejectsWhatReadersCannotUse) {
  for (const CheckCase& c : kCheckCases) {
    SCOPED_TRACE(c.what);
    Bytes bytes = MakeModel(c.papers);
    bytes.resize(static_cast<std::size_t>(static_cast<std::int64_t>(bytes.size()) + c.sizeChange), 0);
    if (bytes.size() >= 4) {
      Put32(bytes, 0, static_cast<std::uint32_t>(static_cast<std::int64_t>(bytes.size()) + c.sizeFieldDelta));
    }
    if (c.paperCount >= 0 && bytes.size() >= 60) Put32(bytes, 56, static_cast<std::uint32_t>(c.paperCount));
    EXPECT_EQ(CheckModelData(bytes.data(), bytes.size()), c.expected);
  }
}

TEST(ModelDataTest, CheckRejectsNothingAtAll) {
  EXPECT_EQ(CheckModelData(nullptr, 0), ModelError::kTooShort);
  const Bytes empty;
  EXPECT_EQ(CheckModelData(empty.data(), 0), ModelError::kTooShort);
}

TEST(ModelDataTest, ErrorTextsAreDistinct) {
  const ModelError errors[] = {ModelError::kNone, ModelError::kTooShort, ModelError::kSizeMismatch,
                               ModelError::kPapersOutside};
  for (ModelError a : errors) {
    EXPECT_FALSE(settings::ModelErrorText(a).empty());
    for (ModelError b : errors) {
      if (a != b) {
        EXPECT_NE(settings::ModelErrorText(a), settings::ModelErrorText(b));
      }
    }
  }
  EXPECT_FALSE(settings::ModelErrorText(static_cast<ModelError>(99)).empty());
}

TEST(ModelDataTest, ReadsLittleEndianAtAnyOffset) {
  Bytes bytes = MakeModel(0);
  Put32(bytes, 8, 0x04030201);
  Put32(bytes, 21, 0xA1B2C3D4);  // odd offset: no aligned load may be used
  const ModelData model{bytes.data(), bytes.size()};
  EXPECT_EQ(model.DotsPerMm(), 0x04030201u);
  EXPECT_EQ(model.U32(21), 0xA1B2C3D4u);
  EXPECT_EQ(model.U8(8), 0x01);
  EXPECT_EQ(model.U8(11), 0x04);
  EXPECT_EQ(model.FileSize(), 60u);
}

struct HeaderCase {
  std::size_t offset;
  std::uint32_t (ModelData::*field)() const;
};

const HeaderCase kHeaderCases[] = {
    {8, &ModelData::DotsPerMm},        {12, &ModelData::MaxWidth},       {16, &ModelData::MaxLength},
    {20, &ModelData::HasCompression},  {24, &ModelData::HasRibbonSave},  {28, &ModelData::HasCut},
    {32, &ModelData::HasYOffset},      {36, &ModelData::HasCutQuantity}, {40, &ModelData::HasPitch},
    {44, &ModelData::HasErrorReprint}, {48, &ModelData::HasPattern},     {52, &ModelData::HasDivide},
    {56, &ModelData::PaperCount},      {136, &ModelData::CompressionDefault},
};

TEST(ModelDataTest, EachFieldReadsItsOwnOffset) {
  Bytes bytes = MakeModel(2);
  for (std::size_t i = 0; i < std::size(kHeaderCases); ++i) Put32(bytes, kHeaderCases[i].offset, 1000 + i);
  const ModelData model{bytes.data(), bytes.size()};
  for (std::size_t i = 0; i < std::size(kHeaderCases); ++i) {
    SCOPED_TRACE(kHeaderCases[i].offset);
    EXPECT_EQ((model.*kHeaderCases[i].field)(), 1000 + i);
  }
}

TEST(ModelDataTest, DpiFollowsDotsPerMm) {
  const std::uint32_t kDots[][2] = {{8, 203}, {12, 304}, {24, 609}};
  Bytes bytes = MakeModel(0);
  for (const auto& row : kDots) {
    Put32(bytes, 8, row[0]);
    EXPECT_EQ((ModelData{bytes.data(), bytes.size()}.Dpi()), row[1]);
  }
}

// A one-paper file ends at 136, right where CompressionDefault would start.
// The bytes after the file (here 0xFF in the same buffer) must not be read.
TEST(ModelDataTest, OnePaperFileReadsZeroBeyondItsEnd) {
  Bytes buffer = MakeModel(1);
  ASSERT_EQ(buffer.size(), 136u);
  buffer.resize(150, 0xFF);
  const ModelData model{buffer.data(), 136};
  ASSERT_EQ(CheckModelData(model.bytes, model.size), ModelError::kNone);
  EXPECT_EQ(model.CompressionDefault(), 0u);
  EXPECT_EQ(model.PrintPosDefault(), 0);
  EXPECT_EQ(model.U32(134), 0u);  // starts inside, ends outside
  EXPECT_EQ(model.U8(135), 0);
  EXPECT_EQ(model.U32(~std::size_t{0} - 1), 0u);  // offset + 4 wraps around
}

TEST(ModelDataTest, OnePaperFileOf141BytesHasBothDefaults) {
  Bytes bytes = MakeModel(1);
  bytes.resize(141, 0);
  Put32(bytes, 0, 141);
  Put32(bytes, 136, 1);
  bytes[140] = 2;
  const ModelData model{bytes.data(), bytes.size()};
  ASSERT_EQ(CheckModelData(model.bytes, model.size), ModelError::kNone);
  EXPECT_EQ(model.CompressionDefault(), 1u);
  EXPECT_EQ(model.PrintPosDefault(), 2);
}

// With two or more papers the two fixed offsets lie in paper 2: bytes 0-3
// and the first byte of its name.
TEST(ModelDataTest, DefaultsOverlapTheSecondPaper) {
  Bytes bytes = MakeModel(3);
  Put32(bytes, 136, 1);
  const ModelData model{bytes.data(), bytes.size()};
  EXPECT_EQ(model.CompressionDefault(), 1u);
  EXPECT_EQ(model.PrintPosDefault(), 'P');
  EXPECT_EQ(model.Paper(1).Name(), "P2");
}

TEST(ModelDataTest, PapersReadTheirEntries) {
  const Bytes bytes = MakeModel(3);
  const ModelData model{bytes.data(), bytes.size()};
  for (std::uint32_t i = 0; i < 3; ++i) {
    const settings::PaperEntry paper = model.Paper(i);
    EXPECT_EQ(paper.Name(), "P" + std::to_string(i + 1));
    EXPECT_EQ(paper.width, 100 + i);
    EXPECT_EQ(paper.length, 200 + i);
    EXPECT_EQ(paper.name, reinterpret_cast<const char*>(bytes.data() + 60 + 76 * i + 4));
  }
}

struct NameCase {
  const char* what;
  std::string stored;  // the 64 name bytes, NUL-padded when shorter
  std::string expected;
};

const NameCase kNameCases[] = {
    {"empty", "", ""},
    {"NUL-padded", "ABC", "ABC"},
    {"bytes after a NUL are not part of the name", std::string("ABC\0XYZ", 7), "ABC"},
    {"half-width katakana and kanji bytes", "\xD7\xCD\xDE\xD9 \x92\x6C\x8E\x44", "\xD7\xCD\xDE\xD9 \x92\x6C\x8E\x44"},
    {"all 64 bytes used, no NUL", std::string(64, 'N'), std::string(64, 'N')},
    {"NUL as the last of 64 bytes", std::string(63, 'N') + '\0', std::string(63, 'N')},
};

TEST(ModelDataTest, NameEndsAtNulOrAfter64Bytes) {
  for (const NameCase& c : kNameCases) {
    SCOPED_TRACE(c.what);
    Bytes bytes = MakeModel(1);
    std::fill(bytes.begin() + 64, bytes.begin() + 128, 0);
    std::copy(c.stored.begin(), c.stored.end(), bytes.begin() + 64);
    Put32(bytes, 128, 0x31313131);  // the width right after the name: not NUL
    const ModelData model{bytes.data(), bytes.size()};
    EXPECT_EQ(model.Paper(0).Name(), c.expected);
  }
}

TEST(ModelDataTest, PaperOutsideTheBytesIsEmpty) {
  const Bytes bytes = MakeModel(1);
  const ModelData model{bytes.data(), bytes.size()};
  for (std::uint32_t i : {1u, 0xFFFFFFFFu}) {
    const settings::PaperEntry paper = model.Paper(i);
    EXPECT_EQ(paper.Name(), "");
    EXPECT_EQ(paper.width, 0u);
    EXPECT_EQ(paper.length, 0u);
  }
  EXPECT_EQ((ModelData{}.Paper(0).Name()), "");
  EXPECT_EQ(settings::PaperEntry{}.Name(), "");
}

}  // namespace
