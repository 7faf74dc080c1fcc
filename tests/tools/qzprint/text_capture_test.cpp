// Which text the driver takes as a field (nothing of it reaches the page
// image) and which it hands back to GDI to draw (its raster shows dots).
// Each job has one page whose only drawing is the text run.
#include <algorithm>
#include <cctype>

#include <ostream>

#include <gtest/gtest.h>

#include "tests/tools/qzprint/qzprint_runner.h"

namespace qzprint_test {
namespace {

// Whether the page's raster has any dot.
bool PageShowsInk(const JobRunner& runner, const Json& job) {
  const std::vector<Raster> rasters = Rasters(PrintedCommands(runner, job));
  EXPECT_EQ(rasters.size(), 1u);
  return !rasters.empty() && rasters[0].AnyDot();
}

struct FaceCase {
  const char* font;
  bool drawn;
};

void PrintTo(const FaceCase& c, std::ostream* os) { *os << '"' << c.font << '"'; }

// Field fonts match exactly, case and end of the name included.
const FaceCase kFaceCases[] = {
    {"Calendar 1", false},
    {"Calendar10", false},
    {"Calendar 01", true},
    {"calendar 1", true},
    {"Calendar1", true},
    {"Calendar 1 Bold", true},
    {"Arial", true},
    // Manual fields exist only on the keyboard terminal: printed as text.
    {"Manual 3", true},
};

class FaceNameTest : public testing::TestWithParam<FaceCase> {};

TEST_P(FaceNameTest, TextIsTakenOnlyInAFieldFont) {
  JobRunner runner;
  Json job = JobRunner::BaseJob();
  job["clock"] = "2024-03-15T10:20:30";
  job["pages"] = Json::array({TextPage("240315", GetParam().font, 0, 0, 0)});
  EXPECT_EQ(PageShowsInk(runner, job), GetParam().drawn) << GetParam().font;
}

INSTANTIATE_TEST_SUITE_P(Fonts, FaceNameTest, testing::ValuesIn(kFaceCases), [](const auto& info) {
  std::string name;
  for (const char* c = info.param.font; *c != '\0'; ++c) {
    name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
  }
  return name;
});

struct ColorCase {
  const char* name;
  int r, g, b;
  const char* barColorOpt;  // JSON array of BarColorEntry objects, or nullptr
  bool drawn;
};

void PrintTo(const ColorCase& c, std::ostream* os) { *os << c.name; }

const ColorCase kColorCases[] = {
    {"RedWithAnEntryForColour1", 255, 0, 0, R"([{"BarCodeColor": 1, "BarCodeKind": 8}])", false},
    {"DarkRedIsColour6", 128, 0, 0, R"([{"BarCodeColor": 6, "BarCodeKind": 8}])", false},
    {"DarkRedIsNoShadeOfColour1", 128, 0, 0, R"([{"BarCodeColor": 1, "BarCodeKind": 8}])", true},
    {"AlmostRedIsNoBarcodeColour", 254, 0, 0, R"([{"BarCodeColor": 1, "BarCodeKind": 8}])", true},
    {"RedWithoutAnEntryIsText", 255, 0, 0, nullptr, true},
    {"EntryFiveNamesColour1", 255, 0, 0, R"([{}, {}, {}, {}, {"BarCodeColor": 1, "BarCodeKind": 8}])", false},
};

class BarcodeColorTest : public testing::TestWithParam<ColorCase> {};

TEST_P(BarcodeColorTest, TextIsTakenOnlyInAConfiguredBarcodeColour) {
  const ColorCase& c = GetParam();
  JobRunner runner;
  Json job = JobRunner::BaseJob();
  if (c.barColorOpt != nullptr) job["options"]["BarColorOpt"] = Json::parse(c.barColorOpt);
  job["pages"] = Json::array({TextPage("12345678", "Arial", c.r, c.g, c.b)});
  EXPECT_EQ(PageShowsInk(runner, job), c.drawn);
}

INSTANTIATE_TEST_SUITE_P(Colours, BarcodeColorTest, testing::ValuesIn(kColorCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The clock and the option blocks of the job reach the fields: the calendar
// text is made from the job's clock with the stored CalendarEntry, the
// barcode takes the stored BarColorEntry.
TEST(FieldSettingsTest, FieldsCarryTheJobsClockAndOptionBlocks) {
  JobRunner runner;
  Json job = JobRunner::BaseJob();
  job["clock"] = "2024-03-15T10:20:30";
  job["options"]["CalendarOpt"]["entries"] = Json::array({Json{{"CalendarFormat", 14}, {"CalendarDay", 30}}});
  job["options"]["BarColorOpt"] = Json::array({Json{{"BarCodeColor", 1}, {"BarCodeKind", 8}, {"BarCodeLength", 10}}});
  job["pages"] = Json::array({Json::array({
      Json{{"text", "ABC123"}, {"color", {255, 0, 0}}, {"box", {16, 16, 176, 56}}},
      Json{{"text", "2000/01/01"}, {"font", "Calendar 1"}, {"box", {16, 100, 176, 140}}},
  })});
  const std::vector<std::string> bodies = Bodies(PrintedCommands(runner, job));

  const auto barcode = std::find_if(bodies.begin(), bodies.end(), [](const std::string& body) {
    return body.rfind(std::string("0") + kEsc + "B", 0) == 0;
  });
  ASSERT_NE(barcode, bodies.end());
  // ... m:2 x:4 y:4, then the kind character ('B': CODE128) and after the
  // rotation and size the bar height in mm.
  ASSERT_GE(barcode->size(), 21u);
  EXPECT_EQ((*barcode)[16], 'B');
  EXPECT_EQ(barcode->substr(19, 2), "10");
  EXPECT_NE(std::find(bodies.begin(), bodies.end(), std::string("1") + kEsc + "B000ABC123"), bodies.end());
  EXPECT_NE(std::find(bodies.begin(), bodies.end(), std::string("1") + kEsc + "C0002024/04/14"), bodies.end());
}

}  // namespace
}  // namespace qzprint_test
