// What the compiler refuses, and that it says where.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/modeltool/model_image.h"
#include "tools/modeltool/model_text.h"

namespace {

using modeltool::Problem;

// Parses and, when that succeeds, builds: the problems of both steps.
std::vector<Problem> CompileProblems(const std::string& text) {
  const modeltool::ParseResult parsed = modeltool::ParseModelText(text);
  if (!parsed.problems.empty()) return parsed.problems;
  return modeltool::BuildModel(parsed.description).problems;
}

// Three lines that every case starts with; the case's own lines follow
// from line 4 on.
const std::string kHeader = "DotsPerMm = 8\nMaxWidth = 1040\nMaxLength = 10000\n";

struct ErrorCase {
  const char* what;
  std::string lines;  // after kHeader
  int line;           // of the reported problem, 0 for none
  const char* says;   // part of its message
};

const ErrorCase kErrorCases[] = {
    {"unknown key", "HasCutter = 1\n", 4, "unknown key \"HasCutter\""},
    {"key in the wrong case", "\n\nhascut = 1\n", 6, "did you mean HasCut?"},
    {"PaperCount is counted, not given", "PaperCount = 2\n", 4, "unknown key \"PaperCount\""},
    {"no equals sign", "HasCut 1\n", 4, "expected KEY = VALUE"},
    {"word for a number", "HasCut = yes\n", 4, "bad number \"yes\" for HasCut"},
    {"negative number", "HasCut = -1\n", 4, "bad number \"-1\""},
    {"number past 32 bits", "HasPitch = 4294967296\n", 4, "bad number \"4294967296\""},
    {"hex number past 32 bits", "HasPitch = 0x100000000\n", 4, "bad number \"0x100000000\""},
    {"trailing text after a number", "HasCut = 1 2\n", 4, "bad number \"1 2\""},
    {"empty value", "HasCut =\n", 4, "bad number \"\""},
    {"PrintPosDefault is one byte", "PrintPosDefault = 256\n", 4, "0 to 255"},
    {"key given twice", "# comment\nDotsPerMm = 12\n", 5, "DotsPerMm is given twice (first on line 1)"},
    {"paper without a length", "paper = A, 100\n", 4, "expected paper = NAME, WIDTH, LENGTH"},
    {"paper with a bad width", "paper = A, wide, 100\n", 4, "bad number \"wide\" for the paper width"},
    {"paper with a bad length", "paper = A, 100, 0x\n", 4, "bad number \"0x\" for the paper length"},
    {"name of 65 bytes", "paper = " + std::string(65, 'N') + ", 100, 100\n", 4, "65 bytes in code page 932"},
    // 33 kanji: 99 bytes of UTF-8 but 66 in the file.
    {"name of 33 kanji", "paper = \"" + [] {
       std::string s;
       for (int i = 0; i < 33; ++i) s += "札";
       return s;
     }() + "\", 100, 100\n",
     4, "66 bytes in code page 932"},
    {"name without its closing quote", "paper = \"ﾗﾍﾞﾙ, 100, 100\n", 4, "no closing quote"},
    {"unknown escape", "paper = \"a\\qb\", 100, 100\n", 4, "unknown escape"},
    {"escape with one hex digit", "paper = \"a\\x4\", 100, 100\n", 4, "unknown escape"},
    {"NUL inside a name", "paper = \"ab\\x00cd\", 100, 100\n", 4, "cannot hold a NUL"},
    {"character outside code page 932", "paper = \"한\", 100, 100\n", 4, "U+D55C"},
    {"bare name with a quote", "paper = a\"b, 100, 100\n", 4, "double quotes"},
    {"text after a quoted name", "paper = \"a\" b, 100, 100\n", 4, "expected paper = NAME, WIDTH, LENGTH"},
    {"patch with odd hex digits", "patch = 4, 123\n", 4, "pairs of hex digits"},
    {"patch with a non-hex byte", "patch = 4, 0G\n", 4, "pairs of hex digits"},
    {"patch without bytes", "patch = 4\n", 4, "expected patch = OFFSET, HEXBYTES"},
    // The build step, after a clean parse.
    {"PrintPosDefault against paper 2's name", "PrintPosDefault = 0\npaper = A, 1, 1\npaper = \"ﾗﾍﾞﾙ\", 1, 1\n",
     4, "conflicts with paper 2 (line 6)"},
    {"PrintPosDefault named with the byte it must be", "PrintPosDefault = 1\npaper = A, 1, 1\npaper = B, 1, 1\n",
     4, "write PrintPosDefault = 66"},
    {"size below the papers", "size = 135\npaper = A, 1, 1\n", 4, "smaller than the 136 bytes"},
    {"size cutting off CompressionDefault", "CompressionDefault = 1\nsize = 139\npaper = A, 1, 1\n", 5,
     "cuts off CompressionDefault"},
    {"size cutting off PrintPosDefault", "PrintPosDefault = 2\nsize = 140\npaper = A, 1, 1\n", 5,
     "cuts off PrintPosDefault"},
    {"patch past the given size", "size = 140\npaper = A, 1, 1\npatch = 138, 010203\n", 6, "beyond the end"},
    {"patch over the file size", "patch = 2, 00\n", 4, "covers the file size at offset 2"},
    {"patch over a header value", "patch = 10, 0000\n", 4, "covers DotsPerMm at offset 10"},
    {"patch over PaperCount", "patch = 56, 01\n", 4, "covers PaperCount"},
    {"patch over a name", "paper = AB, 1, 1\npatch = 65, 43\n", 5, "covers the name of paper 1 (line 4)"},
    {"patch over a name's NUL", "paper = AB, 1, 1\npatch = 66, 43\n", 5, "covers the name of paper 1"},
    {"patch over a width", "paper = AB, 1, 1\npatch = 130, 43\n", 5, "covers the width of paper 1"},
    {"patch over CompressionDefault", "paper = A, 1, 1\npatch = 136, 0100000000\n", 5, "covers CompressionDefault"},
};

TEST(CompileErrorsTest, EachIsReportedOnItsLine) {
  for (const ErrorCase& c : kErrorCases) {
    SCOPED_TRACE(c.what);
    const std::vector<Problem> problems = CompileProblems(kHeader + c.lines);
    std::string all;
    for (const Problem& p : problems) all += std::to_string(p.line) + ": " + p.message + "\n";
    ASSERT_EQ(problems.size(), 1u) << all;
    EXPECT_EQ(problems[0].line, c.line);
    EXPECT_NE(problems[0].message.find(c.says), std::string::npos) << problems[0].message;
  }
}

TEST(CompileErrorsTest, MissingDimensionsAreNamed) {
  const std::vector<Problem> problems = CompileProblems("HasCut = 1\nMaxWidth = 1040\n");
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].line, 0);
  EXPECT_EQ(problems[0].message, "DotsPerMm is missing");
  EXPECT_EQ(problems[1].message, "MaxLength is missing");
}

// Every bad line is reported, not only the first.
TEST(CompileErrorsTest, AllBadLinesAreReported) {
  const std::vector<Problem> problems = CompileProblems(kHeader + "Foo = 1\nHasCut = x\n\npaper = A\n");
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_EQ(problems[0].line, 4);
  EXPECT_EQ(problems[1].line, 5);
  EXPECT_EQ(problems[2].line, 7);
}

struct AcceptedCase {
  const char* what;
  std::string lines;
};

const AcceptedCase kAcceptedCases[] = {
    {"hex numbers", "HasCut = 0x1\nHasPitch = 0XfF\n"},
    {"largest values", "HasPitch = 4294967295\nPrintPosDefault = 255\n"},
    {"comments and blank lines", "# a comment\n\n   \nHasCut = 1   # after a value\n"},
    {"CR LF line ends", "HasCut = 1\r\npaper = A, 1, 2\r\n"},
    {"name of 64 bytes", "paper = " + std::string(64, 'N') + ", 100, 100\n"},
    {"name of 32 kanji", "paper = \"" + [] {
       std::string s;
       for (int i = 0; i < 32; ++i) s += "札";
       return s;
     }() + "\", 100, 100\n"},
    {"quoted name with a comma, a hash and escapes", "paper = \"a, #1 \\\"b\\\" \\\\ \\x81\", 1, 2\n"},
    {"PrintPosDefault that paper 2's name gives", "PrintPosDefault = 66\npaper = A, 1, 1\npaper = B, 1, 1\n"},
    {"empty quoted name", "paper = \"\", 1, 2\n"},
};

TEST(CompileErrorsTest, ValidDescriptionsBuild) {
  for (const AcceptedCase& c : kAcceptedCases) {
    SCOPED_TRACE(c.what);
    const std::vector<Problem> problems = CompileProblems(kHeader + c.lines);
    EXPECT_TRUE(problems.empty()) << problems[0].line << ": " << problems[0].message;
  }
}

TEST(CompileErrorsTest, UnlikelyValuesAreWarnedAbout) {
  const modeltool::ParseResult parsed =
      modeltool::ParseModelText("DotsPerMm = 80\nMaxWidth = 1040\nMaxLength = 1000\npaper = A, 1041, 100\n");
  ASSERT_TRUE(parsed.problems.empty());
  const modeltool::BuildResult built = modeltool::BuildModel(parsed.description);
  EXPECT_TRUE(built.problems.empty());
  EXPECT_FALSE(built.bytes.empty());
  ASSERT_EQ(built.warnings.size(), 2u);
  EXPECT_EQ(built.warnings[0].line, 1);
  EXPECT_EQ(built.warnings[1].line, 4);
}

}  // namespace
