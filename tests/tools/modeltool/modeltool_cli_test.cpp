// The modeltool program itself, and the sample models it builds.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/model_data.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

class ModeltoolCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("modeltool_cli_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs modeltool with the arguments; returns its exit code and keeps its
  // standard error in err_.
  int Run(const std::string& arguments) {
    const fs::path errPath = dir_ / "stderr.txt";
    const std::string command = std::string("'") + QZ_MODELTOOL + "' " + arguments + " >'" +
                                (dir_ / "stdout.txt").string() + "' 2>'" + errPath.string() + "'";
    const int status = std::system(command.c_str());
    err_ = ReadAll(errPath);
    out_ = ReadAll(dir_ / "stdout.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Path(const std::string& name) const { return "'" + (dir_ / name).string() + "'"; }

  fs::path dir_;
  std::string err_;
  std::string out_;
};

TEST_F(ModeltoolCliTest, CompilesAndDumps) {
  WriteAll(dir_ / "m.txt", "DotsPerMm = 8\nMaxWidth = 1040\nMaxLength = 10000\npaper = \"ﾗﾍﾞﾙ 50x30\", 500, 300\n");
  ASSERT_EQ(Run("compile " + Path("m.txt") + " -o " + Path("m.qzm")), 0) << err_;
  const std::string bytes = ReadAll(dir_ / "m.qzm");
  ASSERT_EQ(bytes.size(), 136u);
  EXPECT_EQ(bytes.substr(64, 11), std::string("\xD7\xCD\xDE\xD9 50x30\0", 11));

  ASSERT_EQ(Run("dump " + Path("m.qzm")), 0) << err_;
  EXPECT_NE(out_.find("paper = \"ﾗﾍﾞﾙ 50x30\", 500, 300\n"), std::string::npos) << out_;
  const std::string printed = out_;
  ASSERT_EQ(Run("dump " + Path("m.qzm") + " -o " + Path("again.txt")), 0) << err_;
  EXPECT_EQ(ReadAll(dir_ / "again.txt"), printed);
  EXPECT_TRUE(out_.empty()) << out_;
}

TEST_F(ModeltoolCliTest, BadDescriptionNamesFileAndLineAndWritesNothing) {
  WriteAll(dir_ / "bad.txt", "DotsPerMm = 8\nMaxWidth = 1040\nMaxLength = 10000\nHasCutter = 1\nHasCut = on\n");
  EXPECT_EQ(Run("compile " + Path("bad.txt") + " -o " + Path("bad.qzm")), 1);
  EXPECT_NE(err_.find("bad.txt:4: unknown key \"HasCutter\""), std::string::npos) << err_;
  EXPECT_NE(err_.find("bad.txt:5: bad number \"on\""), std::string::npos) << err_;
  EXPECT_FALSE(fs::exists(dir_ / "bad.qzm"));
}

struct MalformedFile {
  const char* what;
  std::string bytes;
  const char* says;
};

TEST_F(ModeltoolCliTest, DumpRefusesMalformedFiles) {
  std::string oneLess(136, '\0');
  oneLess[0] = static_cast<char>(135);
  std::string overrun(136, '\0');
  overrun[0] = static_cast<char>(136);
  overrun[56] = 2;
  const MalformedFile files[] = {
      {"too short", std::string("\x3C\x00\x00\x00", 4), "shorter than its 60-byte header: the file ends at offset 4"},
      {"size one less", oneLess, "offset 0 holds 135, the file is 136 bytes"},
      {"papers outside", overrun, "PaperCount at offset 56 is 2"},
  };
  for (const MalformedFile& f : files) {
    SCOPED_TRACE(f.what);
    WriteAll(dir_ / "x.qzm", f.bytes);
    EXPECT_EQ(Run("dump " + Path("x.qzm")), 1);
    EXPECT_NE(err_.find("x.qzm: not a valid model data file: "), std::string::npos) << err_;
    EXPECT_NE(err_.find(f.says), std::string::npos) << err_;
    EXPECT_TRUE(out_.empty()) << out_;
  }
}

TEST_F(ModeltoolCliTest, MissingFilesAndWrongCommandLines) {
  EXPECT_EQ(Run("dump " + Path("none.qzm")), 1);
  EXPECT_NE(err_.find("cannot read"), std::string::npos) << err_;
  EXPECT_EQ(Run("compile " + Path("none.txt") + " -o " + Path("x.qzm")), 1);
  const char* const kWrong[] = {"", "dump", "compile x.txt", "frobnicate x", "dump a b", "dump a -o", "dump a -o b -o c"};
  for (const char* arguments : kWrong) EXPECT_EQ(Run(arguments), 2) << arguments;
}

// What the sample models say; docs/models.md describes the same.
struct SampleModel {
  const char* name;
  std::uint32_t size;
  std::uint32_t dotsPerMm, maxWidth, maxLength;
  std::uint32_t compression, ribbonSave, cut, yOffset, cutQuantity, pitch, errorReprint, pattern, divide;
  std::uint32_t compressionDefault;
  std::uint8_t printPosDefault;
  std::vector<std::string> names;  // code page 932
};

const SampleModel kSamples[] = {
    {"QZ-408", 288, 8, 1040, 10000, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0xD7,
     {"\xD7\xCD\xDE\xD9 50x30", "\xD7\xCD\xDE\xD9 100x50", "\x92\x6C\x8E\x44 40x25"}},
    {"QZ-412", 141, 12, 1040, 5000, 0, 0, 1, 0, 1, 1, 1, 0, 0, 0, 1,
     {"\x8F\x6F\x89\xD7\xD7\xCD\xDE\xD9 100x150"}},
    {"QZ-424", 212, 24, 540, 3000, 1, 0, 0, 1, 0, 1, 1, 0, 0, 1, 0x95,
     {"\xD7\xCD\xDE\xD9 25x10", "\x95\x94\x95\x69\xD7\xCD\xDE\xD9 50x20"}},
};

TEST(SampleModelsTest, HoldWhatTheirDescriptionsSay) {
  for (const SampleModel& s : kSamples) {
    SCOPED_TRACE(s.name);
    const std::string file = ReadAll(fs::path(QZ_MODELS_DIR) / (std::string(s.name) + ".qzm"));
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    ASSERT_EQ(settings::CheckModelData(bytes, file.size()), settings::ModelError::kNone);
    const settings::ModelData m{bytes, file.size()};
    EXPECT_EQ(m.FileSize(), s.size);
    const std::uint32_t got[] = {m.DotsPerMm(),      m.MaxWidth(),       m.MaxLength(),     m.HasCompression(),
                                 m.HasRibbonSave(),  m.HasCut(),         m.HasYOffset(),    m.HasCutQuantity(),
                                 m.HasPitch(),       m.HasErrorReprint(), m.HasPattern(),   m.HasDivide(),
                                 m.CompressionDefault()};
    const std::uint32_t want[] = {s.dotsPerMm,   s.maxWidth,     s.maxLength, s.compression, s.ribbonSave,
                                  s.cut,         s.yOffset,      s.cutQuantity, s.pitch,     s.errorReprint,
                                  s.pattern,     s.divide,       s.compressionDefault};
    for (std::size_t i = 0; i < std::size(want); ++i) EXPECT_EQ(got[i], want[i]) << "value " << i;
    EXPECT_EQ(m.PrintPosDefault(), s.printPosDefault);
    ASSERT_EQ(m.PaperCount(), s.names.size());
    for (std::uint32_t i = 0; i < s.names.size(); ++i) EXPECT_EQ(m.Paper(i).Name(), s.names[i]) << i;
  }
}

}  // namespace
