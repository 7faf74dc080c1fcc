// Printer command stream decoding: every command kind to its fields, whole
// documents to pages, and malformed streams to errors with offsets.

#include <gtest/gtest.h>

#include "decode.hpp"
#include "json_output.hpp"
#include "test_streams.hpp"

namespace labelsim_test {
namespace {

using labelsim::decode_stream;
using labelsim::Json;

void expect_subset(const Json& actual, const char* expected_text, const std::string& label) {
    const Json expected = Json::parse(expected_text);
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        ASSERT_TRUE(actual.contains(it.key())) << label << ": missing " << it.key() << " in " << actual.dump();
        EXPECT_EQ(actual[it.key()], it.value()) << label << ": field " << it.key();
    }
}

struct CommandCase {
    const char* label;
    Bytes stream;
    std::size_t index;  // which command of the stream to check
    const char* expected;
};

Bytes raster_203x50() {
    Bytes data(203 * 50, 0);
    data[0] = 0x80;        // top-left dot
    data[10149] = 0x01;    // bottom-right dot
    return cat({raster_plain(203, 50, data), cmd("2" + kEsc + "IA00000000001600000500203")});
}

TEST(StreamDecoder, DecodesEveryCommandToItsFields) {
    const CommandCase cases[] = {
        {"Y offset 3 mm at 8 dots/mm", cmd("A00024"), 0, R"({"command":"y_offset","dots":24})"},
        {"cut quantity 5", cmd("ECN0501"), 0, R"({"command":"cut_quantity","labels":5})"},
        {"pitch of a 50.0 mm label", cmd("4040101"), 0, R"({"command":"pitch","dots":401})"},
        {"pitch of a 50.3 mm label", cmd("4040201"), 0, R"({"command":"pitch","dots":402})"},
        {"divide on", cmd("EDN2"), 0, R"({"command":"divide","divided":true})"},
        {"divide off", cmd("EDN1"), 0, R"({"command":"divide","divided":false})"},
        {"error reprint", cmd("ERP1"), 0, R"({"command":"error_reprint","enabled":true})"},
        {"ribbon saving", cmd("ERS0"), 0, R"({"command":"ribbon_saving","enabled":false})"},
        {"last page end", cmd("2" + kEsc + "P00122"), 0, R"({"command":"page_end","copies":12,"pattern":2})"},
        {"cut after page end", cat({page_end(1, 0), cmd("ECC0")}), 1, R"({"command":"cut","length":6})"},
        {"plain raster 203 x 50", raster_203x50(), 0,
         R"({"command":"raster_data","coding":"plain","rows":203,"bytes_per_row":50,"width_dots":400,
             "data_bytes":10150,"decoded_bytes":10150,"black_dots":2,"length":10161})"},
        {"raster placement at x 16", raster_203x50(), 1,
         R"({"command":"raster_placement","x":16,"bytes_per_row":50,"rows":203,"offset":10161})"},
        {"run-length raster of 300 zero bytes",
         cat({raster_rle(6, 50, {{255, 0}, {45, 0}, {0, 0}}), placement(0, 50, 6)}), 0,
         R"({"command":"raster_data","coding":"run_length","rows":6,"bytes_per_row":50,"data_bytes":6,
             "decoded_bytes":300,"run_pairs":2,"split_runs":0,"black_dots":0})"},
        {"barcode ratio", cat({cmd("EBR51020502050200"), barcode(0, 0, '5', 0, 1, 8, 'N', "ABC")}), 0,
         R"({"command":"barcode_ratio","kind":"5","kind_name":"CODE39","size":1,"narrow_bar":2,"wide_bar":5,
             "narrow_space":2,"wide_space":5,"bar_gap":2,"text_gap":0})"},
        {"barcode field", barcode(100, 190, 'B', 1, 2, 10, 'Y', "ABC12"), 0,
         R"({"command":"barcode_field","data_length":5,"x":100,"y":190,"kind":"B","kind_name":"CODE128",
             "rotation":1,"size":2,"height_mm":10,"human_readable":true})"},
        {"barcode data", barcode(100, 190, 'B', 1, 2, 10, 'Y', "ABC12"), 1,
         R"({"command":"barcode_data","data":"ABC12"})"},
        {"RSS Limited kind character", barcode(1, 2, 'I', 3, 0, 5, 'N', "1234567890123"), 0,
         R"({"kind":"I","kind_name":"RSS Limited","rotation":3,"human_readable":false})"},
        {"2D code field", qr(40, 60, 2, 4, 'M', 2, "12345"), 0,
         R"({"command":"qr_field","data_length":5,"x":40,"y":60,"rotation":2})"},
        {"2D code setup", qr(40, 60, 2, 4, 'M', 2, "12345"), 1,
         R"({"command":"qr_setup","cell_dots":4,"level":"M","model":2})"},
        {"2D code data with an ETX byte inside", qr(0, 0, 0, 3, 'H', 1, std::string("A\x03" "B", 3)), 2,
         R"({"command":"qr_data","data":"A\\x03B"})"},
        {"calendar field", calendar(10, 20, 'L', 0, 2, 1, 2, "26/03/05"), 0,
         R"({"command":"calendar_field","text_length":8,"x":10,"y":20,"type":"L","rotation":0,"x_mag":2,
             "y_mag":1,"gap":2})"},
        {"calendar text", calendar(10, 20, 'L', 0, 2, 1, 2, "26/03/05"), 1,
         R"({"command":"calendar_text","text":"26/03/05"})"},
    };
    for (const CommandCase& c : cases) {
        const auto result = decode_stream(c.stream);
        ASSERT_TRUE(result.ok()) << c.label << ": " << result.error->message;
        ASSERT_LT(c.index, result.commands.size()) << c.label;
        expect_subset(labelsim::command_json(result.commands[c.index]), c.expected, c.label);
    }
}

struct ErrorCase {
    const char* label;
    Bytes stream;
    std::size_t offset;
    const char* message_part;
};

TEST(StreamDecoder, ReportsMalformedStreamsWithOffsets) {
    const Bytes truncated_raster = {kStx, 'I', '0', '0', '0', '2', '0', '0', '3', 1, 2, 3, 4, 5};
    const Bytes field_then_short_data =
        cat({cmd("0" + kEsc + "B00005" "0010" "0020" "B0108Y"), cmd("1" + kEsc + "B000ABCD"), page_end(1, 0)});
    const ErrorCase cases[] = {
        {"truncated raster", truncated_raster, truncated_raster.size(), "stream ends while reading plain raster data"},
        {"letter in a number field", cmd("A00O24"), 4, "Y offset: expected 5 ASCII digits, found 0x4F 'O'"},
        {"missing ETX", cat({Bytes{kStx, 'E', 'R', 'P', '1'}, cmd("ERS0")}), 5,
         "expected ETX ending the error reprint command"},
        {"run-length pair past the block", raster_rle(1, 10, {{8, 0}, {5, 0xFF}, {0, 0}}), 11,
         "decodes past the block"},
        {"run-length end pair too early", raster_rle(1, 10, {{8, 0}, {0, 0}}), 11, "end pair after 8 of the block's 10"},
        {"run-length count 0 with a value", raster_rle(1, 10, {{0, 5}}), 9, "count 0"},
        {"run-length without end pair", Bytes{kStx, 'X', '0', '0', '0', '1', '0', '1', '0', 10, 0}, 11,
         "stream ends while reading a run-length pair"},
        {"raster block without its 'A' ETX", Bytes{kStx, 'I', '0', '0', '0', '1', '0', '0', '1', 0xFF, 'B', kEtx}, 10,
         "raster block end"},
        {"unknown command letter", cmd("ZZZ"), 1, "unknown command"},
        {"unknown E command", cmd("EXY1"), 1, "unknown command: body starts with \"EXY\""},
        {"bytes between commands", cat({cmd("ERS0"), Bytes{'x'}}), 6, "expected STX"},
        {"wrong constant in pitch", cmd("4040102"), 7, "pitch constant"},
        {"barcode data shorter than announced", field_then_short_data, 36, "expected ETX after the 5 data bytes"},
        {"barcode data without field", cmd("1" + kEsc + "B000ABC"), 0, "without the barcode field command"},
        {"barcode field without data", cat({cmd("0" + kEsc + "B00003" "0010" "0020" "B0108Y"), page_end(1, 0)}), 24,
         "expected the barcode data command to follow the command at offset 0"},
        {"2D code data without setup",
         cat({cmd("0" + kEsc + "Q0000003" "0000" "0000" "0" "0101000"), cmd("1" + kEsc + "Q000ABC")}), 28,
         "2D code data command without"},
        {"2D code setup without field", cmd("EQR04MA2"), 0, "without a 2D code field"},
        {"2D code model 3", qr(0, 0, 0, 4, 'M', 3, "1"), 36, "model must be 1 or 2"},
        {"rotation 4", barcode(0, 0, 'B', 4, 0, 10, 'N', "1"), 18, "rotation must be 0..3"},
        {"unknown barcode kind", barcode(0, 0, 'Z', 0, 0, 10, 'N', "1"), 17, "barcode kind character"},
        {"human-readable flag not Y or N", barcode(0, 0, 'B', 0, 0, 10, 'X', "1"), 22, "human-readable flag"},
        {"calendar type unknown", calendar(0, 0, 'Q', 0, 1, 1, 0, "1"), 17, "calendar character type"},
        {"placement names another size", cat({raster_plain(2, 3, Bytes(6, 0)), placement(0, 3, 3)}), 17,
         "raster placement names 3 rows"},
        {"placement without raster", placement(0, 3, 3), 0, "without a raster block"},
        {"stream ends before the calendar text", cmd("0" + kEsc + "C00002" "0000" "0000" "S011" "02"), 24,
         "stream ends before the calendar text command"},
        {"ESC missing after 2", cmd("2P00010"), 2, "ESC after '2'"},
    };
    for (const ErrorCase& c : cases) {
        const auto result = decode_stream(c.stream);
        ASSERT_FALSE(result.ok()) << c.label;
        EXPECT_EQ(result.error->offset, c.offset) << c.label << ": " << result.error->message;
        EXPECT_NE(result.error->message.find(c.message_part), std::string::npos)
            << c.label << ": " << result.error->message;
    }
}

TEST(StreamDecoder, SplitsADocumentIntoPages) {
    // Header, page 1 (ratio + barcode, calendar, raster), page end, cut;
    // page 2 (2D code, raster), last page end with pattern, cut.
    const Bytes stream = cat({cmd("A00024"), cmd("ECN0501"), cmd("4040101"), cmd("EDN1"), cmd("ERP1"), cmd("ERS0"),
                              cmd("EBRB1" "03" "00" "00" "00" "00" "02"), barcode(100, 190, 'B', 0, 1, 10, 'Y', "ABC12"),
                              calendar(30, 40, 'S', 0, 1, 1, 2, "26/03/05"), raster_plain(2, 2, Bytes{0xFF, 0, 0, 0x01}),
                              placement(16, 2, 2), page_end(12, 0), cmd("ECC0"), qr(50, 60, 1, 4, 'Q', 2, "HELLO"),
                              raster_rle(2, 2, {{4, 0}, {0, 0}}), placement(16, 2, 2), page_end(12, 2), cmd("ECC0")});
    const auto result = decode_stream(stream);
    ASSERT_TRUE(result.ok()) << result.error->message;
    EXPECT_TRUE(result.warnings.empty());
    ASSERT_EQ(result.pages.size(), 2u);

    const auto& p1 = result.pages[0];
    EXPECT_EQ(p1.copies, 12u);
    EXPECT_EQ(p1.pattern, 0u);
    EXPECT_TRUE(p1.cut);
    ASSERT_EQ(p1.barcodes.size(), 1u);
    EXPECT_EQ(p1.barcodes[0].kind, 8);
    EXPECT_EQ(p1.barcodes[0].data, "ABC12");
    ASSERT_TRUE(p1.barcodes[0].widths.has_value());
    EXPECT_EQ(p1.barcodes[0].widths->narrow_bar, 3u);
    ASSERT_EQ(p1.texts.size(), 1u);
    EXPECT_EQ(p1.texts[0].text, "26/03/05");
    ASSERT_EQ(p1.rasters.size(), 1u);
    EXPECT_EQ(p1.rasters[0].x, 16);
    EXPECT_TRUE(p1.rasters[0].placed);
    EXPECT_EQ(p1.rasters[0].image.bits, (Bytes{0xFF, 0, 0, 0x01}));

    const auto& p2 = result.pages[1];
    EXPECT_EQ(p2.pattern, 2u);
    EXPECT_TRUE(p2.cut);
    ASSERT_EQ(p2.qr_codes.size(), 1u);
    EXPECT_EQ(p2.qr_codes[0].level, 'Q');
    EXPECT_EQ(p2.qr_codes[0].rotation, 1u);
    EXPECT_TRUE(p2.barcodes.empty());
    ASSERT_EQ(p2.rasters.size(), 1u);
    EXPECT_EQ(p2.rasters[0].image.bits, Bytes(4, 0));
}

TEST(StreamDecoder, KeepsTrailingAndEmptyPages) {
    // A document without any page still ends with a page end.
    auto only_end = decode_stream(cat({page_end(1, 0), cmd("ECC0")}));
    ASSERT_TRUE(only_end.ok());
    ASSERT_EQ(only_end.pages.size(), 1u);
    EXPECT_FALSE(only_end.pages[0].has_content());
    EXPECT_TRUE(only_end.pages[0].cut);

    // Content after the last page end forms a trailing page without an end.
    auto trailing = decode_stream(cat({page_end(1, 0), barcode(0, 0, 'B', 0, 0, 5, 'N', "1")}));
    ASSERT_TRUE(trailing.ok());
    ASSERT_EQ(trailing.pages.size(), 2u);
    EXPECT_EQ(trailing.pages[1].ended_by, labelsim::PageEndKind::none);
    EXPECT_EQ(trailing.pages[1].barcodes.size(), 1u);
}

TEST(StreamDecoder, WarnsAboutDoubtfulButDecodableStreams) {
    // Raster without placement: kept at x 0 with a warning.
    auto unplaced = decode_stream(cat({raster_plain(1, 1, Bytes{0x80}), page_end(1, 0)}));
    ASSERT_TRUE(unplaced.ok());
    ASSERT_EQ(unplaced.pages.size(), 1u);
    ASSERT_EQ(unplaced.pages[0].rasters.size(), 1u);
    EXPECT_FALSE(unplaced.pages[0].rasters[0].placed);
    ASSERT_EQ(unplaced.warnings.size(), 1u);
    EXPECT_EQ(unplaced.warnings[0].offset, 0u);

    // Runs split below 255 although the value continues: a coder fault.
    auto split = decode_stream(cat({raster_rle(2, 100, {{100, 0}, {100, 0}, {0, 0}}), placement(0, 100, 2)}));
    ASSERT_TRUE(split.ok());
    ASSERT_EQ(split.warnings.size(), 1u);
    EXPECT_EQ(split.warnings[0].offset, 11u);

    // A cut that follows no page end.
    auto stray_cut = decode_stream(cmd("ECC0"));
    ASSERT_TRUE(stray_cut.ok());
    ASSERT_EQ(stray_cut.warnings.size(), 1u);
    EXPECT_NE(stray_cut.warnings[0].message.find("cut command"), std::string::npos);
}

}  // namespace
}  // namespace labelsim_test
