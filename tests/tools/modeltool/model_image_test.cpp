// The files the compiler writes, and dump's description of any file.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/model_data.h"
#include "tools/modeltool/model_image.h"
#include "tools/modeltool/model_text.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Compile(const std::string& text) {
  const modeltool::ParseResult parsed = modeltool::ParseModelText(text);
  for (const modeltool::Problem& p : parsed.problems) ADD_FAILURE() << p.line << ": " << p.message;
  const modeltool::BuildResult built = modeltool::BuildModel(parsed.description);
  for (const modeltool::Problem& p : built.problems) ADD_FAILURE() << p.line << ": " << p.message;
  return built.bytes;
}

// The text that dump prints, or "" with a failure when the file is refused.
std::string Dump(const Bytes& bytes) {
  const modeltool::ReadResult read = modeltool::ReadModel(bytes.data(), bytes.size());
  if (!read.error.empty()) {
    ADD_FAILURE() << read.error;
    return {};
  }
  return modeltool::FormatModelText(read.description);
}

std::uint32_t U32(const Bytes& bytes, std::size_t offset) {
  return settings::ModelData{bytes.data(), bytes.size()}.U32(offset);
}

void Put32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

const std::string kHeader = "DotsPerMm = 8\nMaxWidth = 1040\nMaxLength = 10000\n";

TEST(ModelImageTest, HeaderValuesLandAtTheirOffsets) {
  const Bytes bytes = Compile(
      "DotsPerMm = 12\nMaxWidth = 1040\nMaxLength = 0x1388\nHasCompression = 1\nHasRibbonSave = 2\n"
      "HasCut = 3\nHasYOffset = 4\nHasCutQuantity = 5\nHasPitch = 6\nHasErrorReprint = 7\nHasPattern = 8\n"
      "HasDivide = 9\n");
  ASSERT_EQ(bytes.size(), 60u);
  const std::uint32_t expected[] = {60, 0, 12, 1040, 5000, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
  for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(U32(bytes, 4 * i), expected[i]) << 4 * i;
}

struct SizeCase {
  const char* what;
  std::string lines;
  std::size_t size;
  std::uint32_t compressionDefault;
  std::uint8_t printPosDefault;
};

const SizeCase kSizeCases[] = {
    {"no papers", "", 60, 0, 0},
    {"no papers, CompressionDefault set", "CompressionDefault = 1\n", 141, 1, 0},
    {"one paper", "paper = A, 500, 300\n", 136, 0, 0},
    {"one paper, CompressionDefault set", "CompressionDefault = 1\npaper = A, 500, 300\n", 141, 1, 0},
    {"one paper, PrintPosDefault set", "PrintPosDefault = 2\npaper = A, 500, 300\n", 141, 0, 2},
    {"one paper, size given", "CompressionDefault = 1\nsize = 140\npaper = A, 500, 300\n", 140, 1, 0},
    {"two papers", "CompressionDefault = 1\npaper = A, 500, 300\npaper = B, 400, 200\n", 212, 1, 'B'},
    {"three papers", "paper = A, 500, 300\npaper = \"ﾗﾍﾞﾙ\", 400, 200\npaper = C, 1, 1\n", 288, 0, 0xD7},
    {"two papers, paper 2 unnamed", "CompressionDefault = 7\npaper = A, 1, 1\npaper = \"\", 1, 1\n", 212, 7, 0},
};

TEST(ModelImageTest, FileSizeAndFixedOffsetDefaults) {
  for (const SizeCase& c : kSizeCases) {
    SCOPED_TRACE(c.what);
    const Bytes bytes = Compile(kHeader + c.lines);
    ASSERT_EQ(bytes.size(), c.size);
    const settings::ModelData model{bytes.data(), bytes.size()};
    ASSERT_EQ(settings::CheckModelData(bytes.data(), bytes.size()), settings::ModelError::kNone);
    EXPECT_EQ(model.CompressionDefault(), c.compressionDefault);
    EXPECT_EQ(model.PrintPosDefault(), c.printPosDefault);
  }
}

TEST(ModelImageTest, PapersAreWrittenInCodePage932) {
  const Bytes bytes = Compile(kHeader + "CompressionDefault = 1\n"
                                        "paper = ﾗﾍﾞﾙ 50x30, 500, 300\n"
                                        "paper = \"値札 40x25\", 400, 250\n"
                                        "paper = \"\\x81\\x40 \\\"q\\\" \\\\\", 1, 2\n");
  const settings::ModelData model{bytes.data(), bytes.size()};
  ASSERT_EQ(model.PaperCount(), 3u);
  EXPECT_EQ(model.Paper(0).Name(), "\xD7\xCD\xDE\xD9 50x30");
  EXPECT_EQ(model.Paper(0).width, 500u);
  EXPECT_EQ(model.Paper(0).length, 300u);
  EXPECT_EQ(model.Paper(1).Name(), "\x92\x6C\x8E\x44 40x25");
  EXPECT_EQ(model.Paper(2).Name(), "\x81\x40 \"q\" \\");
  // Nothing but CompressionDefault in the bytes no reader looks at.
  EXPECT_EQ(U32(bytes, 4), 0u);
  EXPECT_EQ(U32(bytes, 60), 0u);
  EXPECT_EQ(U32(bytes, 136), 1u);
  EXPECT_EQ(U32(bytes, 212), 0u);
  // Names are NUL-padded.
  for (std::size_t i = 64 + 11; i < 128; ++i) EXPECT_EQ(bytes[i], 0) << i;
}

TEST(ModelImageTest, PatchesFillUnreadBytes) {
  const Bytes bytes = Compile(kHeader + "paper = AB, 1, 1\npatch = 4, 0102\npatch = 67, FF\npatch = 150, 09\n");
  ASSERT_EQ(bytes.size(), 151u);  // long enough for the last patch
  EXPECT_EQ(bytes[4], 1);
  EXPECT_EQ(bytes[5], 2);
  EXPECT_EQ(bytes[67], 0xFF);  // after the name's NUL
  EXPECT_EQ(bytes[150], 9);
  EXPECT_EQ(U32(bytes, 0), 151u);
}

// A three-paper model as the samples have it.
Bytes ThreePaperModel() {
  return Compile(kHeader +
                 "HasCompression = 1\nHasCut = 1\nCompressionDefault = 1\n"
                 "paper = \"ﾗﾍﾞﾙ 50x30\", 500, 300\npaper = \"ﾗﾍﾞﾙ 100x50\", 1000, 500\n"
                 "paper = \"値札 40x25\", 400, 250\n");
}

TEST(ModelImageTest, DumpOfACompiledModelIsPlain) {
  const std::string text = Dump(ThreePaperModel());
  EXPECT_NE(text.find("DotsPerMm = 8\n"), std::string::npos) << text;
  EXPECT_NE(text.find("PrintPosDefault = 215"), std::string::npos) << text;
  EXPECT_NE(text.find("paper = \"ﾗﾍﾞﾙ 100x50\", 1000, 500\n"), std::string::npos) << text;
  EXPECT_NE(text.find("paper = \"値札 40x25\", 400, 250\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("patch"), std::string::npos) << text;
  EXPECT_EQ(text.find("size"), std::string::npos) << text;
}

// Bytes no field describes come back as size and patch lines, so that any
// valid file survives dump and compile unchanged.
struct OddFileCase {
  const char* what;
  std::size_t papers;   // of the compiled base (1 or 3)
  std::size_t resize;   // new file size (size field follows), 0 to keep
  std::size_t offset;   // where `bytes` go
  std::string bytes;
};

const OddFileCase kOddFiles[] = {
    {"offset 4 used", 3, 0, 4, "\x12\x34\x56\x78"},
    {"bytes 0-3 of paper 1 used", 3, 0, 60, "\x01\x02"},
    {"bytes after a name's NUL", 3, 0, 64 + 20, "junk"},
    {"64-byte name without NUL", 3, 0, 64, std::string(64, 'X')},
    {"name bytes that code page 932 cannot show", 3, 0, 64, std::string("\x01\x81\x20\xFD\xA0\x7F\x22\x5C\x85\x40", 10)},
    {"name with a lone lead byte at its end", 3, 0, 64, std::string(63, 'a') + "\x82"},
    {"name of two-byte pairs that share a character", 3, 0, 64, "\xED\x40\xFA\x5C\x87\x90\x81\xE0"},
    {"bytes after the last paper", 3, 300, 290, std::string("\x00\x07", 2)},
    {"one paper, 138 bytes", 1, 138, 136, "\xAA\xBB"},
    {"one paper, 140 bytes, CompressionDefault", 1, 140, 136, std::string("\x05\x00\x00\x00", 4)},
    {"one paper, 141 zero bytes", 1, 141, 136, std::string(5, '\0')},
    {"one paper, 141 bytes, both defaults", 1, 141, 136, std::string("\x01\x00\x00\x00\x02", 5)},
    {"one paper, PrintPosDefault only", 1, 141, 140, "\x03"},
};

TEST(ModelImageTest, AnyValidFileRoundTrips) {
  const Bytes three = ThreePaperModel();
  const Bytes one = Compile(kHeader + "paper = \"ﾗﾍﾞﾙ 50x30\", 500, 300\n");
  ASSERT_EQ(one.size(), 136u);
  for (const OddFileCase& c : kOddFiles) {
    SCOPED_TRACE(c.what);
    Bytes file = c.papers == 1 ? one : three;
    if (c.resize != 0) {
      file.resize(c.resize, 0);
      Put32(file, 0, static_cast<std::uint32_t>(c.resize));
    }
    std::copy(c.bytes.begin(), c.bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(c.offset));
    ASSERT_EQ(settings::CheckModelData(file.data(), file.size()), settings::ModelError::kNone);
    const std::string text = Dump(file);
    EXPECT_EQ(Compile(text), file) << text;
  }
}

// Every single byte of a three-paper file changed: the file is either
// refused or described exactly.
TEST(ModelImageTest, EveryByteChangedRoundTripsOrIsRefused) {
  const Bytes base = ThreePaperModel();
  for (std::uint8_t value : {0x00, 0x01, 0x8A, 0xFF}) {
    for (std::size_t at = 0; at < base.size(); ++at) {
      Bytes file = base;
      file[at] = value;
      const modeltool::ReadResult read = modeltool::ReadModel(file.data(), file.size());
      if (settings::CheckModelData(file.data(), file.size()) != settings::ModelError::kNone) {
        EXPECT_FALSE(read.error.empty()) << at;
        continue;
      }
      ASSERT_TRUE(read.error.empty()) << at << ": " << read.error;
      const std::string text = modeltool::FormatModelText(read.description);
      ASSERT_EQ(Compile(text), file) << "byte " << at << " = " << int{value} << "\n" << text;
    }
  }
}

struct MalformedCase {
  const char* what;
  std::size_t size;           // file size
  std::uint32_t sizeField;    // at offset 0 (when the file has 4 bytes)
  std::uint32_t paperCount;   // at offset 56 (when the file has 60 bytes)
  const char* says;
};

const MalformedCase kMalformed[] = {
    {"empty", 0, 0, 0, "shorter than its 60-byte header: the file ends at offset 0"},
    {"59 bytes", 59, 59, 0, "the file ends at offset 59"},
    {"size field one less", 136, 135, 1, "offset 0 holds 135, the file is 136 bytes"},
    {"PaperCount too large", 136, 136, 2, "PaperCount at offset 56 is 2, whose entries (76 bytes each from offset 60) "
                                          "would end at offset 212, beyond the file's end at offset 136"},
    {"PaperCount 0xFFFFFFFF", 136, 136, 0xFFFFFFFF, "would end at offset 326417514480"},
};

TEST(ModelImageTest, MalformedFilesAreRefusedWithTheOffset) {
  for (const MalformedCase& c : kMalformed) {
    SCOPED_TRACE(c.what);
    Bytes file(c.size, 0);
    if (c.size >= 4) Put32(file, 0, c.sizeField);
    if (c.size >= 60) Put32(file, 56, c.paperCount);
    const modeltool::ReadResult read = modeltool::ReadModel(file.data(), file.size());
    EXPECT_NE(read.error.find(c.says), std::string::npos) << read.error;
  }
}

}  // namespace
