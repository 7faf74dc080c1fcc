#pragma once
// What a decoded job looks like: the commands (or keyboard-terminal records)
// in stream order with their fields, and the pages assembled from them as
// drawable items for the preview.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "raster.hpp"
#include "terminal_records.hpp"

namespace labelsim {

enum class StreamKind { printer, keyboard_terminal };

struct Diagnostic {
    std::size_t offset = 0;
    std::string message;
};

// ---- Printer commands -------------------------------------------------------

struct YOffsetCmd { std::uint32_t dots = 0; };
struct CutQuantityCmd { std::uint32_t labels = 0; };
struct PitchCmd { std::uint32_t dots = 0; };
struct DivideCmd { bool divided = false; };
struct ErrorReprintCmd { bool enabled = false; };
struct RibbonSavingCmd { bool enabled = false; };
struct PageEndCmd {
    std::uint32_t copies = 0;
    std::uint32_t pattern = 0;
};
struct CutCmd {};
struct RasterDataCmd {
    bool run_length = false;
    std::uint32_t rows = 0;
    std::uint32_t bytes_per_row = 0;
    std::size_t data_bytes = 0;  // bytes of the data part in the stream
    std::size_t run_pairs = 0;   // run-length pairs, without the end pair
    std::size_t split_runs = 0;  // see RunLengthResult
    std::size_t black_dots = 0;
};
struct RasterPlacementCmd {
    std::uint32_t x = 0;
    std::uint32_t bytes_per_row = 0;
    std::uint32_t rows = 0;
};
struct ElementWidths {
    std::uint32_t narrow_bar = 0;
    std::uint32_t wide_bar = 0;
    std::uint32_t narrow_space = 0;
    std::uint32_t wide_space = 0;
    std::uint32_t bar_gap = 0;
    std::uint32_t text_gap = 0;
};
struct BarcodeRatioCmd {
    char kind_char = '0';
    int kind = 0;
    std::uint32_t size = 0;
    ElementWidths widths;
};
struct BarcodeFieldCmd {
    std::uint32_t data_length = 0;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    char kind_char = '0';
    int kind = 0;
    std::uint32_t rotation = 0;
    std::uint32_t size = 0;
    std::uint32_t height_mm = 0;
    bool human_readable = false;
};
struct BarcodeDataCmd { std::string data; };
struct QrFieldCmd {
    std::uint32_t data_length = 0;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t rotation = 0;
};
struct QrSetupCmd {
    std::uint32_t cell_dots = 0;
    char level = 'L';
    std::uint32_t model = 2;
};
struct QrDataCmd { std::string data; };
struct CalendarFieldCmd {
    std::uint32_t text_length = 0;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    char type_char = 'S';
    unsigned type = 0;
    std::uint32_t rotation = 0;
    std::uint32_t x_mag = 1;
    std::uint32_t y_mag = 1;
    std::uint32_t gap = 0;
};
struct CalendarTextCmd { std::string text; };

// ---- Keyboard-terminal records -----------------------------------------------

struct KtHeaderRec { std::string file_name; };
struct KtFieldRec {  // type 1: barcode or 2D code
    std::int32_t x = 0;
    std::int32_t y = 0;
    BarColorEntry entry;
    std::string data;
};
struct KtRasterHeaderRec {  // type 2
    std::int32_t x = 0;
    std::uint32_t reserved = 0;
    std::uint32_t bytes_per_row = 0;
    std::uint32_t rows = 0;
};
struct KtRasterRowRec {  // type 3
    std::uint32_t row = 0;  // 0-based index within its raster
    std::uint32_t bytes = 0;
    std::size_t black_dots = 0;
};
struct KtCalendarRec {  // type 4
    std::int32_t x = 0;
    std::int32_t y = 0;
    CalendarEntry entry;
};
struct KtManualRec {  // type 5
    std::int32_t x = 0;
    std::int32_t y = 0;
    VariableEntry entry;
    std::string text;
};

using CommandBody =
    std::variant<YOffsetCmd, CutQuantityCmd, PitchCmd, DivideCmd, ErrorReprintCmd, RibbonSavingCmd, PageEndCmd,
                 CutCmd, RasterDataCmd, RasterPlacementCmd, BarcodeRatioCmd, BarcodeFieldCmd, BarcodeDataCmd,
                 QrFieldCmd, QrSetupCmd, QrDataCmd, CalendarFieldCmd, CalendarTextCmd, KtHeaderRec, KtFieldRec,
                 KtRasterHeaderRec, KtRasterRowRec, KtCalendarRec, KtManualRec>;

struct Command {
    std::size_t offset = 0;  // of its STX (or of the record's length field)
    std::size_t length = 0;  // bytes, framing included
    CommandBody body;
};

// ---- Drawable page items --------------------------------------------------------
// Coordinates are printer dots: x from the left edge of the print area, y from
// the bottom edge of the page. Rotation 0..3 = 0, 90, 180, 270 degrees
// counterclockwise as seen on the printed label.

struct RasterItem {
    std::size_t offset = 0;
    std::int64_t x = 0;
    bool placed = false;  // false: no placement command followed, drawn at x
    RasterImage image;
};

struct BarcodeItem {
    std::size_t offset = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;
    unsigned rotation = 0;
    int kind = 0;  // 0..9, 11..15
    unsigned size = 0;
    unsigned height_mm = 0;
    bool human_readable = false;
    std::string data;
    std::optional<ElementWidths> widths;  // element widths given with the field
};

struct QrItem {
    std::size_t offset = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;
    unsigned rotation = 0;
    unsigned cell_dots = 0;
    char level = 'L';
    unsigned model = 2;
    std::string data;
};

enum class TextSource { calendar, manual };

struct TextItem {
    std::size_t offset = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;
    unsigned rotation = 0;
    TextSource source = TextSource::calendar;
    unsigned char_type = 0;  // calendar type 0..9 or manual kind 0..10
    unsigned x_mag = 1;
    unsigned y_mag = 1;
    unsigned gap = 0;
    std::string text;
    bool placeholder = false;  // text stands in for what the device fills in
};

enum class PageEndKind { none, page_end_command, raster_image };

struct Page {
    std::size_t first_offset = 0;
    std::size_t end_offset = 0;  // one past the page's last byte
    PageEndKind ended_by = PageEndKind::none;
    std::optional<std::uint32_t> copies;
    std::optional<std::uint32_t> pattern;
    bool cut = false;
    std::vector<RasterItem> rasters;
    std::vector<BarcodeItem> barcodes;
    std::vector<QrItem> qr_codes;
    std::vector<TextItem> texts;

    bool has_content() const {
        return !rasters.empty() || !barcodes.empty() || !qr_codes.empty() || !texts.empty();
    }
};

struct DecodeResult {
    StreamKind kind = StreamKind::printer;
    std::size_t byte_count = 0;
    std::vector<Command> commands;
    std::vector<Page> pages;
    std::optional<Diagnostic> error;  // decoding stops at the first error
    std::vector<Diagnostic> warnings;
    std::size_t warnings_dropped = 0;  // beyond kMaxWarnings

    static constexpr std::size_t kMaxWarnings = 100;

    bool ok() const { return !error.has_value(); }
    void warn(std::size_t offset, std::string message) {
        if (warnings.size() < kMaxWarnings) {
            warnings.push_back(Diagnostic{offset, std::move(message)});
        } else {
            ++warnings_dropped;
        }
    }
};

}  // namespace labelsim
