// The job file and the command line: what qzprint refuses before playing
// anything, how a failing driver is reported, the host state kept between
// runs, and the example jobs.
#include <filesystem>
#include <fstream>
#include <ostream>

#include <gtest/gtest.h>

#include "tests/tools/qzprint/qzprint_runner.h"

namespace qzprint_test {
namespace {

namespace fs = std::filesystem;

constexpr int kExitDriverFailed = 1;
constexpr int kExitNotPlayed = 2;

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

struct InvalidJobCase {
  const char* name;
  const char* job;      // "$MODEL" stands for the sample model's path
  const char* message;  // what the message says after "job.json: "
};

void PrintTo(const InvalidJobCase& c, std::ostream* os) { *os << c.name; }

const InvalidJobCase kInvalidJobCases[] = {
    {"BadJson", R"({"model": "$MODEL",)", "not valid JSON at line 1"},
    {"UnknownKey", R"({"model": "$MODEL", "colour": 1})", "colour: unknown key"},
    {"KeyGivenTwice",
     R"({"model": "$MODEL", "pages": [[], [{"fill": [0, 0, 1, 1]}, {"fill": [0, 0, 1, 1], "fill": [1, 1, 2, 2]}]]})",
     "pages[1][1].fill: key given twice"},
    {"NoModel", R"({"pages": []})", "model: missing"},
    {"ModelFileMissing", R"({"model": "no-such-model.qzm"})", "model: model data file not found"},
    {"ColourOfWrongType", R"({"model": "$MODEL", "pages": [[], [{"fill": [0, 0, 1, 1], "color": "red"}]]})",
     "pages[1][0].color: expected an array"},
    {"ColourOutOfRange", R"({"model": "$MODEL", "pages": [[{"fill": [0, 0, 1, 1], "color": [0, 0, 256]}]]})",
     "pages[0][0].color[2]: value 256 is out of range 0..255"},
    {"CopiesOutOfRange", R"({"model": "$MODEL", "devmode": {"dmCopies": 40000}})", "devmode.dmCopies: value 40000"},
    {"FractionalNumber", R"({"model": "$MODEL", "devmode": {"dmCopies": 1.5}})",
     "devmode.dmCopies: expected an integer"},
    {"UnknownPrivateField", R"({"model": "$MODEL", "devmode": {"private": {"Cut": 1}}})",
     "devmode.private.Cut: unknown key"},
    {"FileNameTooLong", R"({"model": "$MODEL", "devmode": {"private": {"FileName": "LABEL1234"}}})",
     "devmode.private.FileName: text is 9 bytes"},
    {"FileNameOutsideTheCodePage", R"({"model": "$MODEL", "devmode": {"private": {"FileName": "A\u00e9"}}})",
     "devmode.private.FileName: text has characters"},
    {"RotateTooLong", R"({"model": "$MODEL", "devmode": {"private": {"Rotate": [0,0,0,0,0,0,0,0,0,0,1]}}})",
     "devmode.private.Rotate: has 11 elements"},
    {"UnknownDevmodeSize", R"({"model": "$MODEL", "devmode": {"dmSize": 200}})",
     "devmode.dmSize: must be 188, 212 or 220"},
    {"FieldOutsideTheLayout", R"({"model": "$MODEL", "devmode": {"dmSize": 188, "dmICMMethod": 1}})",
     "devmode.dmICMMethod: is not part of a 188-byte DEVMODE"},
    {"PrivatePartWithoutRoom", R"({"model": "$MODEL", "devmode": {"dmDriverExtra": 0, "private": {}}})",
     "devmode.private: the DEVMODE has no private part"},
    {"TooManyLabels", R"({"model": "$MODEL", "options": {"PaperOpt": [{},{},{},{},{},{},{},{},{},{},{}]}})",
     "options.PaperOpt: has 11 elements"},
    {"EntryFieldOutOfRange", R"({"model": "$MODEL", "options": {"BarColorOpt": [{}, {}, {"BarCodeColor": 256}]}})",
     "options.BarColorOpt[2].BarCodeColor: value 256"},
    {"PaperNameTooLong", R"({"model": "$MODEL", "options": {"PaperOpt": [{"PaperName":
      "0123456789012345678901234567890123456789012345678901234567890123"}]}})",
     "options.PaperOpt[0].PaperName: text is 64 UTF-16 characters"},
    {"CalendarOptKeyMisspelt", R"({"model": "$MODEL", "options": {"CalendarOpt": {"Entries": []}}})",
     "options.CalendarOpt.Entries: unknown key"},
    {"NoSuchDay", R"({"model": "$MODEL", "clock": "2023-02-29T10:00:00"})", "clock: expected a real local time"},
    {"ClockWithoutT", R"({"model": "$MODEL", "clock": "2024-03-15 10:20:30"})", "clock: expected a real local time"},
    {"TwoOperationsInOne", R"({"model": "$MODEL", "pages": [[{"fill": [0, 0, 1, 1], "text": "A"}]]})",
     "pages[0][0]: an operation has exactly one of the keys"},
    {"TextWithoutBox", R"({"model": "$MODEL", "pages": [[{"text": "A"}]]})", "pages[0][0].box: missing"},
    {"BoxTurnedOver", R"({"model": "$MODEL", "pages": [[{"text": "A", "box": [10, 0, 5, 5]}]]})",
     "pages[0][0].box: left must not exceed right"},
    {"EmptyText", R"({"model": "$MODEL", "pages": [[{"text": "", "box": [0, 0, 5, 5]}]]})",
     "pages[0][0].text: must not be empty"},
    {"ImageMissing", R"({"model": "$MODEL", "pages": [[{"image": "nothing.png"}]]})",
     "pages[0][0].image: image file not found"},
    {"ImageNotPng", R"({"model": "$MODEL", "pages": [[{"image": "job.json"}]]})",
     "pages[0][0].image: cannot read PNG"},
    {"PageNotAnArray", R"({"model": "$MODEL", "pages": [{}]})", "pages[0]: expected an array"},
};

class InvalidJobTest : public testing::TestWithParam<InvalidJobCase> {};

TEST_P(InvalidJobTest, IsRefusedNamingTheFieldAndWritesNothing) {
  const InvalidJobCase& c = GetParam();
  JobRunner runner;
  const RunResult run = runner.RunText(Replace(c.job, "$MODEL", ModelFile("QZ-408").string()));
  EXPECT_EQ(run.exitCode, kExitNotPlayed);
  EXPECT_NE(run.err.find(std::string("job.json: ") + c.message), std::string::npos) << run.err;
  EXPECT_FALSE(run.wroteOutput);
}

INSTANTIATE_TEST_SUITE_P(Jobs, InvalidJobTest, testing::ValuesIn(kInvalidJobCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineTest, PortIsNotAvailableYet) {
  JobRunner runner;
  const RunResult run = runner.Run(JobRunner::BaseJob(), {"--port", "LAN_192.168.0.10"});
  EXPECT_EQ(run.exitCode, kExitNotPlayed);
  EXPECT_NE(run.err.find("not available"), std::string::npos) << run.err;
  EXPECT_FALSE(run.wroteOutput);
}

TEST(CommandLineTest, UnknownOptionIsRefused) {
  JobRunner runner;
  const RunResult run = runner.Run(JobRunner::BaseJob(), {"--colour"});
  EXPECT_EQ(run.exitCode, kExitNotPlayed);
  EXPECT_NE(run.err.find("unknown option --colour"), std::string::npos) << run.err;
  EXPECT_FALSE(run.wroteOutput);
}

// A model file whose first value is one less than its size: the driver
// refuses it in DrvEnablePDEV, before anything is written.
TEST(DriverFailureTest, FailedEntryPointIsNamedWithItsErrorAndTheOutputStillWritten) {
  JobRunner runner;
  std::ifstream in(ModelFile("QZ-408"), std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 4u);
  bytes[0] = static_cast<char>(bytes[0] - 1);
  std::ofstream(runner.Dir() / "broken.qzm", std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

  Json job = JobRunner::BaseJob();
  job["model"] = "broken.qzm";
  job["pages"] = Json::array({Json::array()});
  const RunResult run = runner.Run(job);
  EXPECT_EQ(run.exitCode, kExitDriverFailed);
  EXPECT_NE(run.err.find("DrvEnablePDEV failed: GetLastError() = "), std::string::npos) << run.err;
  EXPECT_TRUE(run.wroteOutput);
  EXPECT_TRUE(run.output.empty());
  EXPECT_EQ(run.err.find(" alive"), std::string::npos) << "nothing the driver made may stay alive: " << run.err;
}

// Option blocks stored in one run stay with the printer in the state folder;
// without a state folder every run starts with an empty registry.
TEST(HostStateTest, StoredOptionBlocksAreKeptInTheStateFolder) {
  JobRunner runner;
  const std::string state = (runner.Dir() / "state").string();
  Json store = JobRunner::BaseJob();
  store["options"]["PaperOpt"] = Json::array({Json{{"LabelLength", 503}}});
  ASSERT_EQ(runner.Run(store, {"--state", state}).exitCode, 0);

  Json pitch = JobRunner::BaseJob();
  pitch["devmode"]["private"]["PrintPitch"] = 1;
  const RunResult kept = runner.Run(pitch, {"--state", state});
  ASSERT_EQ(kept.exitCode, 0) << kept.err;
  std::vector<Command> commands;
  ASSERT_TRUE(ParsePrinterStream(kept.output, &commands));
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands[0].body, "4040201");

  // Label 1 of the model is 30.0 mm long: 240 dots and one more.
  const RunResult fresh = runner.Run(pitch);
  ASSERT_EQ(fresh.exitCode, 0) << fresh.err;
  ASSERT_TRUE(ParsePrinterStream(fresh.output, &commands));
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands[0].body, "4024101");
}

struct ExampleCase {
  const char* file;
  std::size_t pages;
  bool cutAtTheEnd;
};

void PrintTo(const ExampleCase& c, std::ostream* os) { *os << c.file; }

const ExampleCase kExampleCases[] = {
    {"shipping-label.json", 1, true},
    {"two-page.json", 2, true},
};

class ExampleTest : public testing::TestWithParam<ExampleCase> {};

TEST_P(ExampleTest, PrintsItsPages) {
  const ExampleCase& c = GetParam();
  JobRunner runner;
  const RunResult run = runner.RunFile(ExamplesFolder() / c.file);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::vector<Command> commands;
  ASSERT_TRUE(ParsePrinterStream(run.output, &commands));
  const std::vector<std::string> sequence = PageSequence(commands);
  EXPECT_EQ(Rasters(commands).size(), c.pages);
  ASSERT_FALSE(sequence.empty());
  EXPECT_EQ(sequence.back() == kCut, c.cutAtTheEnd);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleTest, testing::ValuesIn(kExampleCases), [](const auto& info) {
  std::string name = info.param.file;
  return name.substr(0, name.find('-')) + "_" + std::to_string(info.index);
});

// The shipping label on the 8 dots/mm sample model: the model's header
// commands, the barcode standing on its text box (x 16, y 400 - 250), the
// 2D code at its box's bottom left (y 400 - 254), the calendar date at the
// baseline of its box (y 400 - 356) computed from the job's clock plus 30
// days, the page as a run-length raster of 400 rows of 100 bytes placed at
// x 0 (the model's default print position is a position from the left edge),
// then page end and cut.
TEST(ShippingLabelExampleTest, SendsExactlyTheseCommands) {
  JobRunner runner;
  const RunResult run = runner.RunFile(ExamplesFolder() / "shipping-label.json");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::vector<Command> commands;
  ASSERT_TRUE(ParsePrinterStream(run.output, &commands));
  const std::string esc(1, kEsc);
  const std::vector<std::string> expected = {
      "EDN1",
      "ERP1",
      "ERS0",
      "0" + esc + "B0001200160150B0210Y",
      "1" + esc + "B000QZ0123456789",
      "0" + esc + "Q00000340600014600101000",
      "EQR04MA2",
      "1" + esc + "Q000https://example.com/t/QZ0123456789",
      "0" + esc + "C0001002080044L01102",
      "1" + esc + "C0002024/04/14",
      "raster",
      "2" + esc + "IA00000000000000001000400",
      PageEnd(1, 0),
      kCut,
  };
  EXPECT_EQ(Bodies(commands), expected);
  const std::vector<Raster> rasters = Rasters(commands);
  ASSERT_EQ(rasters.size(), 1u);
  EXPECT_EQ(rasters[0].coding, 'X');
  EXPECT_EQ(rasters[0].rows, 400);
  EXPECT_EQ(rasters[0].bytesPerRow, 100);
  EXPECT_TRUE(rasters[0].AnyDot());
}

TEST(KeyboardTerminalExampleTest, StreamStartsWithTheTerminalHeader) {
  JobRunner runner;
  const RunResult run = runner.RunFile(ExamplesFolder() / "keyboard-terminal.json");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::uint8_t> start = {'K', 'T', 0x0E, 0, 0, 0, 0, 'L', 'A', 'B', 'E', 'L', '1', 0};
  ASSERT_GE(run.output.size(), start.size());
  EXPECT_EQ(std::vector<std::uint8_t>(run.output.begin(), run.output.begin() + 14), start);
}

}  // namespace
}  // namespace qzprint_test
