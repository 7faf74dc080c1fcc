// Keyboard-terminal record streams: header, every record type, page
// boundaries, and malformed records.

#include <gtest/gtest.h>

#include "decode.hpp"
#include "json_output.hpp"
#include "test_streams.hpp"

namespace labelsim_test {
namespace {

using labelsim::decode_stream;
using labelsim::StreamKind;

// color, kind, size, length, numshow, rotate, qr cell, qr level, qr model, ebr, nb, wb, ns, ws, bg, hg
const Bytes kCode128Entry = {1, 8, 1, 10, 1, 0, 0, 0, 0, 1, 3, 0, 0, 0, 0, 2};
const Bytes kQrEntry = {2, 10, 0, 0, 0, 1, 2, 3, 1, 0, 0, 0, 0, 0, 0, 0};

TEST(KeyboardTerminal, HeaderCarriesTheFileName) {
    const Bytes stream = kt_header("LABEL1");
    // "KT", 0E 00 00 00, 00, "LABEL1", 00, then the two last bytes of the record.
    ASSERT_EQ(stream.size(), 16u);
    EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 14),
              (Bytes{'K', 'T', 0x0E, 0, 0, 0, 0, 'L', 'A', 'B', 'E', 'L', '1', 0}));
    const auto result = decode_stream(stream);
    ASSERT_TRUE(result.ok()) << result.error->message;
    EXPECT_EQ(result.kind, StreamKind::keyboard_terminal);
    ASSERT_EQ(result.commands.size(), 1u);
    EXPECT_EQ(std::get<labelsim::KtHeaderRec>(result.commands[0].body).file_name, "LABEL1");
    EXPECT_TRUE(result.pages.empty());
}

TEST(KeyboardTerminal, DecodesEveryRecordTypeIntoPages) {
    const Bytes calendar_entry = {1, 0, 1, 0, 2, 0, 6, 0, 0};  // kind M, 2x wide, date format 6
    const Bytes stream = cat({kt_header("LABEL1"), kt_barcode(100, 190, kCode128Entry, "ABC12"),
                              kt_barcode(10, 20, kQrEntry, "HELLO"), kt_calendar(30, 40, calendar_entry),
                              kt_manual(50, 60, variable_entry("Qty:", 0, 0, 0, 0, 2), "00000"),
                              kt_raster_header(16, 2, 2), kt_row(Bytes{0xFF, 0x00}), kt_row(Bytes{0x00, 0x01}),
                              kt_manual(5, 6, variable_entry("", 3, 0, 0, 0, 2), "LOT")});
    const auto result = decode_stream(stream);
    ASSERT_TRUE(result.ok()) << result.error->message;
    EXPECT_TRUE(result.warnings.empty());
    ASSERT_EQ(result.commands.size(), 9u);

    const auto barcode_json = labelsim::command_json(result.commands[1]);
    EXPECT_EQ(barcode_json["command"], "terminal_barcode");
    EXPECT_EQ(barcode_json["offset"], 16);
    EXPECT_EQ(barcode_json["length"], 7119);
    EXPECT_EQ(barcode_json["settings"]["kind_name"], "CODE128");
    EXPECT_EQ(labelsim::command_json(result.commands[2])["command"], "terminal_qr_code");
    const auto manual_json = labelsim::command_json(result.commands[4]);
    EXPECT_EQ(manual_json["settings"]["display_line2"], "Qty:            ");
    EXPECT_EQ(manual_json["text"], "00000");

    // The image completes page 1; the last manual field forms a trailing page.
    ASSERT_EQ(result.pages.size(), 2u);
    const auto& page = result.pages[0];
    EXPECT_EQ(page.ended_by, labelsim::PageEndKind::raster_image);
    ASSERT_EQ(page.barcodes.size(), 1u);
    EXPECT_EQ(page.barcodes[0].kind, 8);
    ASSERT_TRUE(page.barcodes[0].widths.has_value());
    EXPECT_EQ(page.barcodes[0].widths->narrow_bar, 3u);
    ASSERT_EQ(page.qr_codes.size(), 1u);
    EXPECT_EQ(page.qr_codes[0].cell_dots, 4u);
    EXPECT_EQ(page.qr_codes[0].level, 'H');
    EXPECT_EQ(page.qr_codes[0].model, 2u);
    EXPECT_EQ(page.qr_codes[0].rotation, 1u);
    ASSERT_EQ(page.texts.size(), 2u);
    EXPECT_EQ(page.texts[0].text, "YY/MM/DD");  // the calendar's format stands in for the date
    EXPECT_EQ(page.texts[0].x_mag, 2u);
    EXPECT_EQ(page.texts[1].text, "00000");
    EXPECT_EQ(page.texts[1].source, labelsim::TextSource::manual);
    ASSERT_EQ(page.rasters.size(), 1u);
    EXPECT_EQ(page.rasters[0].x, 16);
    EXPECT_EQ(page.rasters[0].image.bits, (Bytes{0xFF, 0x00, 0x00, 0x01}));
    EXPECT_EQ(result.pages[1].ended_by, labelsim::PageEndKind::none);
    EXPECT_EQ(result.pages[1].texts.size(), 1u);
}

TEST(KeyboardTerminal, AcceptsPageEndAndCutBetweenPages) {
    const Bytes stream = cat({kt_header("A"), kt_raster_header(0, 1, 1), kt_row(Bytes{0x80}), page_end(3, 0),
                              cmd("ECC0"), kt_raster_header(0, 1, 1), kt_row(Bytes{0x01})});
    const auto result = decode_stream(stream);
    ASSERT_TRUE(result.ok()) << result.error->message;
    ASSERT_EQ(result.pages.size(), 2u);
    EXPECT_EQ(result.pages[0].copies, 3u);
    EXPECT_TRUE(result.pages[0].cut);
    EXPECT_FALSE(result.pages[1].copies.has_value());
    EXPECT_EQ(result.warnings.size(), 2u);  // both commands are reported
}

TEST(KeyboardTerminal, RowRecordStartingWithStxIsStillARecord) {
    // A 249-byte row makes a record length of 258 = 02 01 00 00: first byte STX.
    const Bytes row(249, 0x0F);
    const auto result = decode_stream(cat({kt_header("A"), kt_raster_header(0, 249, 1), kt_row(row)}));
    ASSERT_TRUE(result.ok()) << result.error->message;
    ASSERT_EQ(result.pages.size(), 1u);
    EXPECT_EQ(result.pages[0].rasters[0].image.bits, row);
}

struct ErrorCase {
    const char* label;
    Bytes stream;
    std::size_t offset;
    const char* message_part;
};

TEST(KeyboardTerminal, ReportsMalformedRecords) {
    Bytes bad_header_length = kt_header("A");
    bad_header_length[2] = 15;
    Bytes long_name = kt_header("ABCDEFGH");
    long_name[15] = 'X';  // no NUL within the 9-byte name
    Bytes row_length_mismatch = kt_row(Bytes{1, 2});
    row_length_mismatch[5] = 3;  // row byte count says 3 in an 11-byte record
    Bytes truncated_field = kt_barcode(0, 0, kCode128Entry, "1");
    truncated_field.resize(100);
    const Bytes no_nul_data = [] {
        Bytes r = kt_barcode(0, 0, kCode128Entry, "");
        std::fill(r.begin() + 29, r.end(), 'A');
        return r;
    }();
    const ErrorCase cases[] = {
        {"header length not 14", bad_header_length, 2, "terminal header length must be 14"},
        {"file name without NUL", long_name, 7, "file name: no NUL"},
        {"unknown record type", cat({kt_header("A"), kt_record(10, 9, Bytes{})}), 20, "unknown keyboard-terminal record type 9"},
        {"field record of wrong length", cat({kt_header("A"), kt_record(7000, 1, Bytes{})}), 16,
         "must be 7119 bytes long"},
        {"truncated field record", cat({kt_header("A"), truncated_field}), 116,
         "stream ends while reading barcode/2D code record"},
        {"barcode data without NUL", cat({kt_header("A"), no_nul_data}), 45, "barcode data: no NUL"},
        {"row record without raster header", cat({kt_header("A"), kt_row(Bytes{1})}), 16, "without a raster header"},
        {"row of another width", cat({kt_header("A"), kt_raster_header(0, 2, 1), kt_row(Bytes{1})}), 42,
         "raster row of 1 bytes"},
        {"row byte count against record length", cat({kt_header("A"), kt_raster_header(0, 2, 1), row_length_mismatch}),
         42, "length must be bytes + 9"},
        {"too few rows before the next record",
         cat({kt_header("A"), kt_raster_header(0, 1, 2), kt_row(Bytes{1}), kt_calendar(0, 0, Bytes(9, 0))}), 47,
         "announced 2 row records, only 1 came"},
        {"stream ends inside an image", cat({kt_header("A"), kt_raster_header(0, 1, 2), kt_row(Bytes{1})}), 47,
         "stream ends after 1 of the 2 row records"},
        {"manual kind out of range", cat({kt_header("A"), kt_manual(0, 0, variable_entry("", 11, 0, 0, 0, 0), "X")}),
         16 + 13 + 36, "manual input character kind 11"},
        {"calendar rotation out of range",
         cat({kt_header("A"), kt_calendar(0, 0, Bytes{0, 0, 0, 4, 0, 0, 0, 0, 0})}), 16 + 13 + 3,
         "calendar rotation must be 0..3"},
        {"printer command other than page end or cut", cat({kt_header("A"), cmd("ERS0")}), 17,
         "only page end and cut commands"},
    };
    for (const ErrorCase& c : cases) {
        const auto result = decode_stream(c.stream);
        ASSERT_FALSE(result.ok()) << c.label;
        EXPECT_EQ(result.error->offset, c.offset) << c.label << ": " << result.error->message;
        EXPECT_NE(result.error->message.find(c.message_part), std::string::npos)
            << c.label << ": " << result.error->message;
    }
}

}  // namespace
}  // namespace labelsim_test
