// The document's frame as the printer receives it: the job header from the
// print options and the model's features, the page ends and cuts, and the
// keyboard terminal's header.
#include <ostream>

#include <gtest/gtest.h>

#include "tests/tools/qzprint/qzprint_runner.h"

namespace qzprint_test {
namespace {

// A document without pages: the whole stream is the job header followed by
// the document end.
struct HeaderCase {
  const char* name;
  const char* model;
  const char* privateOpt;  // JSON object of PrivateOpt fields
  const char* paperOpt;    // JSON array of LabelEntry objects, or nullptr
  std::vector<std::string> stream;
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

const std::string kEnd = PageEnd(1, 0);

// QZ-408 has divide, error reprint (PrintError defaults to 1) and ribbon
// saving, so those three commands always follow the user's options.
const HeaderCase kHeaderCases[] = {
    {"Defaults", "QZ-408", "{}", nullptr, {"EDN1", "ERP1", "ERS0", kEnd}},
    {"YOffset3mmAt8DotsPerMm", "QZ-408", R"({"YOffset": 1, "YOffsetNum": 3})", nullptr,
     {"A00024", "EDN1", "ERP1", "ERS0", kEnd}},
    {"CutQuantity5", "QZ-408", R"({"PrintCutqty": 1, "PrintCutqtyNum": 5})", nullptr,
     {"ECN0501", "EDN1", "ERP1", "ERS0", kEnd}},
    {"PitchOf500IsOneDotLonger", "QZ-408", R"({"PrintPitch": 1})", R"([{"LabelLength": 500}])",
     {"4040101", "EDN1", "ERP1", "ERS0", kEnd}},
    {"PitchOf503", "QZ-408", R"({"PrintPitch": 1})", R"([{"LabelLength": 503}])",
     {"4040201", "EDN1", "ERP1", "ERS0", kEnd}},
    {"AllHeaderOptionsInOrder", "QZ-408",
     R"({"YOffset": 1, "YOffsetNum": 3, "PrintCutqty": 1, "PrintCutqtyNum": 5, "PrintPitch": 1})",
     R"([{"LabelLength": 500}])", {"A00024", "ECN0501", "4040101", "EDN1", "ERP1", "ERS0", kEnd}},
    {"ModelCommandsCarryTheUsersChoice", "QZ-408", R"({"Divide": 1, "PrintError": 0, "PrintRibbon": 1})", nullptr,
     {"EDN2", "ERP0", "ERS1", kEnd}},
    {"NoPageStillEndsWithPageEndAndCut", "QZ-408", R"({"PrintCut": 1})", nullptr,
     {"EDN1", "ERP1", "ERS0", kEnd, kCut}},
    {"LastCutOnlyStillCutsAtTheEnd", "QZ-408", R"({"PrintCut": 1, "PrintLastCut": 1})", nullptr,
     {"EDN1", "ERP1", "ERS0", kEnd, kCut}},
    {"ModelWithoutDivideAndRibbonSaving", "QZ-412", "{}", nullptr, {"ERP1", kEnd}},
    {"ModelWithoutCutterNeverCuts", "QZ-424", R"({"PrintCut": 1})", nullptr, {"ERP1", kEnd}},
};

class HeaderTest : public testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderTest, StreamOfADocumentWithoutPages) {
  const HeaderCase& c = GetParam();
  JobRunner runner;
  Json job = JobRunner::BaseJob(c.model);
  job["devmode"]["private"] = Json::parse(c.privateOpt);
  if (c.paperOpt != nullptr) job["options"]["PaperOpt"] = Json::parse(c.paperOpt);
  job["pages"] = Json::array();
  EXPECT_EQ(Bodies(PrintedCommands(runner, job)), c.stream);
}

INSTANTIATE_TEST_SUITE_P(Options, HeaderTest, testing::ValuesIn(kHeaderCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Two pages, each with a mark so that its raster shows; what ends each page.
struct PageEndCase {
  const char* name;
  const char* privateOpt;
  int copies;  // 0: no dmCopies in the DEVMODE
  std::vector<std::string> sequence;
};

void PrintTo(const PageEndCase& c, std::ostream* os) { *os << c.name; }

const PageEndCase kPageEndCases[] = {
    {"CutPerPage", R"({"PrintCut": 1, "PrintLastCut": 0})", 0,
     {"raster", PageEnd(1, 0), kCut, "raster", PageEnd(1, 0), kCut}},
    {"LastCutOnly", R"({"PrintCut": 1, "PrintLastCut": 1})", 0,
     {"raster", PageEnd(1, 0), "raster", PageEnd(1, 0), kCut}},
    {"NoCut", R"({"PrintCut": 0})", 0, {"raster", PageEnd(1, 0), "raster", PageEnd(1, 0)}},
    {"CopiesAndPatternOnTheLastPageOnly", R"({"PrintPattern": 2})", 12,
     {"raster", PageEnd(12, 0), "raster", PageEnd(12, 2)}},
};

class PageEndTest : public testing::TestWithParam<PageEndCase> {};

TEST_P(PageEndTest, TwoPageDocument) {
  const PageEndCase& c = GetParam();
  JobRunner runner;
  Json job = JobRunner::BaseJob();
  job["devmode"]["private"] = Json::parse(c.privateOpt);
  if (c.copies != 0) job["devmode"]["dmCopies"] = c.copies;
  const Json mark = Json{{"fill", {0, 0, 8, 8}}};
  job["pages"] = Json::array({Json::array({mark}), Json::array({mark})});
  EXPECT_EQ(PageSequence(PrintedCommands(runner, job)), c.sequence);
}

INSTANTIATE_TEST_SUITE_P(Options, PageEndTest, testing::ValuesIn(kPageEndCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KeyboardTerminalTest, DocumentStartsWithTheTerminalHeaderAndEndsWithoutPrinterCommands) {
  JobRunner runner;
  Json job = JobRunner::BaseJob();
  job["devmode"]["private"] = Json{{"PrintDevice", 1}, {"FileName", "LABEL1"}, {"PrintCut", 1}};
  job["pages"] = Json::array();
  const RunResult run = runner.Run(job);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // "KT", the record length 14, type 0, "LABEL1" and its NUL; the record's
  // last two bytes carry no meaning.
  const std::vector<std::uint8_t> start = {'K', 'T', 0x0E, 0, 0, 0, 0, 'L', 'A', 'B', 'E', 'L', '1', 0};
  ASSERT_EQ(run.output.size(), 16u);
  EXPECT_EQ(std::vector<std::uint8_t>(run.output.begin(), run.output.begin() + 14), start);
}

}  // namespace
}  // namespace qzprint_test
