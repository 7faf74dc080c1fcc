#include <gtest/gtest.h>

#include <string>

#include "render/commands.h"

namespace {

using render::Command;

std::string Bytes(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '{') out += '\x02';
    else if (c == '}') out += '\x03';
    else if (c == '~') out += '\x1B';
    else out += c;
  }
  return out;
}

struct Case {
  const char* name;
  Command command;
  const char* expected;  // { STX, } ETX, ~ ESC; nullptr: the command is refused
};

TEST(Commands, ExactBytes) {
  static const Case kCases[] = {
      {"Y offset 3 mm at 8 dots/mm", render::YOffsetCommand(24), "{A00024}"},
      {"Y offset too big", render::YOffsetCommand(100000), nullptr},
      {"cut quantity 5", render::CutQuantityCommand(5), "{ECN0501}"},
      {"cut quantity 100", render::CutQuantityCommand(100), nullptr},
      {"pitch 401", render::PitchCommand(401), "{4040101}"},
      {"pitch 402", render::PitchCommand(402), "{4040201}"},
      {"pitch 10000", render::PitchCommand(10000), nullptr},
      {"divide", render::DivideCommand(true), "{EDN2}"},
      {"no divide", render::DivideCommand(false), "{EDN1}"},
      {"error reprint", render::ErrorReprintCommand(true), "{ERP1}"},
      {"no error reprint", render::ErrorReprintCommand(false), "{ERP0}"},
      {"ribbon saving", render::RibbonSaveCommand(true), "{ERS1}"},
      {"page end 12 copies, pattern 2", render::PageEndCommand(12, 2), "{2~P00122}"},
      {"page end 12 copies", render::PageEndCommand(12, 0), "{2~P00120}"},
      {"page end 10000 copies", render::PageEndCommand(10000, 0), nullptr},
      {"cut", render::CutCommand(), "{ECC0}"},
      {"plain raster header", render::RasterHeaderCommand(false, 203, 50), "{I0203050"},
      {"run-length raster header", render::RasterHeaderCommand(true, 1, 999), "{X0001999"},
      {"raster with 10000 rows", render::RasterHeaderCommand(false, 10000, 50), nullptr},
      {"raster 1000 bytes wide", render::RasterHeaderCommand(false, 1, 1000), nullptr},
      {"raster end", render::RasterEndCommand(), "A}"},
      {"placement at 16", render::RasterPlacementCommand(16, 50, 203), "{2~IA00000000001600000500203}"},
      {"placement at -1", render::RasterPlacementCommand(-1, 50, 203), nullptr},
      {"placement at 10000", render::RasterPlacementCommand(10000, 50, 203), nullptr},
      {"barcode ratio", render::BarcodeRatioCommand({'5', 1, 2, 5, 2, 5, 2, 3}), "{EBR51020502050203}"},
      {"barcode field",
       render::BarcodeFieldCommand({12, 100, 190, 'B', 1, 2, 10, true}),
       "{0~B0001201000190B1210Y}"},
      {"barcode field without text", render::BarcodeFieldCommand({5, 0, 0, '0', 0, 0, 8, false}),
       "{0~B000050000000000008N}"},
      {"barcode with 100 bytes", render::BarcodeFieldCommand({100, 0, 0, '0', 0, 0, 8, false}), nullptr},
      {"barcode at negative y", render::BarcodeFieldCommand({5, 0, -1, '0', 0, 0, 8, false}), nullptr},
      {"2D code field", render::QrFieldCommand(120, 30, 40, 3), "{0~Q00001200030004030101000}"},
      {"2D code setup", render::QrSetupCommand(6, 'M', 2), "{EQR06MA2}"},
      {"calendar field", render::CalendarFieldCommand({8, 16, 200, 'L', 0, 1, 2, 2}),
       "{0~C0000800160200L01202}"},
      {"calendar at x 10000", render::CalendarFieldCommand({8, 10000, 200, 'L', 0, 1, 1, 2}), nullptr},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    if (c.expected == nullptr) {
      EXPECT_FALSE(c.command.ok);
    } else {
      ASSERT_TRUE(c.command.ok);
      EXPECT_EQ(std::string(c.command.View()), Bytes(c.expected));
    }
  }
}

TEST(Commands, NumberFieldsAreUnsignedAndExact) {
  static const struct {
    std::int64_t value;
    int digits;
    bool fits;
  } kCases[] = {{0, 1, true}, {9, 1, true}, {10, 1, false}, {99999, 5, true}, {100000, 5, false}, {-1, 4, false}};
  for (const auto& c : kCases) EXPECT_EQ(render::FitsDigits(c.value, c.digits), c.fits) << c.value;
}

}  // namespace
