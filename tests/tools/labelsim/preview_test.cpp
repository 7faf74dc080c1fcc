// Page previews: where the raster and the fields land, what module and cell
// sizes they get, and the symbols drawn by zint and libqrencode.

#include <gtest/gtest.h>

#include "decode.hpp"
#include "preview.hpp"
#include "test_streams.hpp"

namespace labelsim_test {
namespace {

using labelsim::Bitmap;
using labelsim::DrawnItem;
using labelsim::PagePreview;
using labelsim::PreviewOptions;
using labelsim::Rect;

PagePreview preview_of(const Bytes& stream, unsigned dpmm = 8, std::uint64_t max_pixels = std::uint64_t{1} << 26) {
    const auto result = labelsim::decode_stream(stream);
    EXPECT_TRUE(result.ok()) << result.error->message;
    EXPECT_FALSE(result.pages.empty());
    if (result.pages.empty()) return {};
    PreviewOptions options;
    options.dots_per_mm = dpmm;
    options.max_pixels = max_pixels;
    return labelsim::render_page(result.pages[0], options);
}

// Canvas rectangle of a printer-coordinate box.
Rect canvas_rect(const Bitmap& canvas, const DrawnItem& d) {
    return Rect{d.left, static_cast<std::int64_t>(canvas.height()) - d.bottom - d.height, d.width, d.height};
}

// A blank 203-row page, 50 bytes wide, at x 0.
Bytes blank_page() { return cat({raster_plain(203, 50, Bytes(203 * 50, 0)), placement(0, 50, 203)}); }

TEST(Preview, PlacesTheRasterFromTheBottomAtItsX) {
    const auto p = preview_of(cat({raster_plain(2, 1, Bytes{0x80, 0x01}), placement(16, 1, 2), page_end(1, 0)}));
    ASSERT_EQ(p.canvas.width(), 24u);
    ASSERT_EQ(p.canvas.height(), 2u);
    EXPECT_TRUE(p.canvas.get(16, 0));   // top row, leftmost dot = most significant bit
    EXPECT_TRUE(p.canvas.get(23, 1));   // bottom row, last dot
    EXPECT_EQ(p.canvas.count_black(), 2u);
}

TEST(Preview, TextFieldFillsItsCellsAboveItsBaseline) {
    // Type 'S' at 8 dots/mm is a 14 x 16 cell; magnified 2 x 1 with a 3-dot gap.
    const auto p = preview_of(cat({calendar(100, 50, 'S', 0, 2, 1, 3, "11"), blank_page()}));
    ASSERT_EQ(p.items.size(), 2u);
    const DrawnItem& text = p.items[1];
    EXPECT_EQ(text.kind, "calendar");
    EXPECT_EQ(text.left, 100);
    EXPECT_EQ(text.bottom, 50);
    EXPECT_EQ(text.width, 2 * 28 + 3);
    EXPECT_EQ(text.height, 16);
    const Rect box = canvas_rect(p.canvas, text);
    EXPECT_EQ(box.y, 203 - 50 - 16);
    EXPECT_GT(p.canvas.count_black(box), 0u);
    EXPECT_EQ(p.canvas.count_black(box), p.canvas.count_black());  // nothing outside its box
}

TEST(Preview, RotationTurnsAFieldCounterclockwiseAboutItsLowerLeftCorner) {
    // "1 ": only the first cell has ink, so the inked quarter shows the turn.
    struct Case {
        unsigned rotation;
        std::int64_t width, height;
        Rect inked;  // relative to the box, canvas orientation (y down)
    };
    const Case cases[] = {
        {0, 28, 16, {0, 0, 14, 16}},   // text runs to the right: ink on the left
        {1, 16, 28, {0, 14, 16, 14}},  // runs upwards: ink at the bottom
        {2, 28, 16, {14, 0, 14, 16}},  // upside down: ink on the right
        {3, 16, 28, {0, 0, 16, 14}},   // runs downwards: ink at the top
    };
    for (const Case& c : cases) {
        const auto p = preview_of(cat({calendar(60, 40, 'S', c.rotation, 1, 1, 0, "1 "), blank_page()}));
        const DrawnItem& d = p.items[1];
        EXPECT_EQ(d.left, 60) << c.rotation;
        EXPECT_EQ(d.bottom, 40) << c.rotation;
        ASSERT_EQ(d.width, c.width) << c.rotation;
        ASSERT_EQ(d.height, c.height) << c.rotation;
        const Rect box = canvas_rect(p.canvas, d);
        const Rect inked{box.x + c.inked.x, box.y + c.inked.y, c.inked.w, c.inked.h};
        EXPECT_GT(p.canvas.count_black(inked), 0u) << c.rotation;
        EXPECT_EQ(p.canvas.count_black(inked), p.canvas.count_black()) << c.rotation;
    }
}

TEST(Preview, BarcodeBarsStartAtTheFieldPosition) {
    // CODE128 size 1 at 8 dots/mm: 2-dot modules, bars 10 mm = 80 dots high.
    const auto p = preview_of(cat({barcode(40, 30, 'B', 0, 1, 10, 'N', "ABC12"), blank_page()}));
    const DrawnItem& d = p.items[1];
    EXPECT_EQ(d.kind, "barcode");
    EXPECT_EQ(d.left, 40);
    EXPECT_EQ(d.bottom, 30);
    EXPECT_EQ(d.height, 80);
    EXPECT_EQ(d.width % 2, 0);
    const Rect box = canvas_rect(p.canvas, d);
    const auto black = p.canvas.count_black(box);
    EXPECT_GT(black, static_cast<std::size_t>(box.w * box.h / 3));
    EXPECT_EQ(black, p.canvas.count_black());
    EXPECT_TRUE(p.canvas.get(40, box.y + box.h - 1));  // a start bar on the bottom-left dot
}

TEST(Preview, ModuleComesFromElementWidthsWhenGiven) {
    const auto standard = preview_of(cat({barcode(0, 0, 'B', 0, 1, 5, 'N', "HELLO")}));
    const auto widths =
        preview_of(cat({cmd("EBRB1" "03" "00" "00" "00" "00" "00"), barcode(0, 0, 'B', 0, 1, 5, 'N', "HELLO")}));
    ASSERT_EQ(standard.items.size(), 1u);
    ASSERT_EQ(widths.items.size(), 1u);
    EXPECT_EQ(widths.items[0].width * 2, standard.items[0].width * 3);  // 3-dot against 2-dot modules
}

TEST(Preview, HumanReadableLineHangsBelowTheBars) {
    const auto p = preview_of(cat({barcode(20, 100, '0', 0, 0, 10, 'Y', "490123456789"), blank_page()}));
    const DrawnItem& d = p.items[1];
    EXPECT_LT(d.bottom, 100);  // the text (and guard bars) lie below the position
    const std::int64_t row_below = static_cast<std::int64_t>(p.canvas.height()) - 100;  // y = 99
    const Rect below{0, row_below, p.canvas.width(), 100};
    EXPECT_GT(p.canvas.count_black(below), 0u);
}

TEST(Preview, QrSymbolIsModulesTimesCellWithFinderPatterns) {
    const auto p = preview_of(qr(10, 20, 0, 4, 'L', 2, "HELLO"));
    ASSERT_EQ(p.items.size(), 1u);
    const DrawnItem& d = p.items[0];
    EXPECT_EQ(d.width, 21 * 4);  // version 1
    EXPECT_EQ(d.height, 21 * 4);
    EXPECT_EQ(p.canvas.width(), 10u + 84u);
    EXPECT_EQ(p.canvas.height(), 20u + 84u);
    const Rect box = canvas_rect(p.canvas, d);
    // Finder patterns: 7 x 7 modules with a black outer ring, at three corners.
    for (const auto& [mx, my] : {std::pair{0, 0}, std::pair{14, 0}, std::pair{0, 14}}) {
        EXPECT_TRUE(p.canvas.get(box.x + mx * 4, box.y + my * 4)) << mx << "," << my;
        EXPECT_TRUE(p.canvas.get(box.x + (mx + 3) * 4 + 1, box.y + (my + 3) * 4 + 1)) << "centre " << mx << "," << my;
        EXPECT_FALSE(p.canvas.get(box.x + (mx + 1) * 4 + 1, box.y + (my + 1) * 4 + 1)) << "ring " << mx << "," << my;
    }
}

TEST(Preview, NotesWhatCannotBeDrawnFaithfully) {
    const auto model1 = preview_of(qr(0, 0, 0, 3, 'M', 1, "12345"));
    ASSERT_EQ(model1.items.size(), 1u);
    ASSERT_FALSE(model1.items[0].notes.empty());
    EXPECT_EQ(model1.items[0].notes[0], "model 1 drawn as model 2");

    // Letters cannot be JAN-13: a placeholder box with zint's reason.
    const auto bad = preview_of(barcode(0, 0, '0', 0, 0, 5, 'N', "ABC"));
    ASSERT_EQ(bad.items.size(), 1u);
    ASSERT_FALSE(bad.items[0].notes.empty());
    EXPECT_EQ(bad.items[0].notes[0].rfind("zint:", 0), 0u) << bad.items[0].notes[0];
    EXPECT_GT(bad.canvas.count_black(), 0u);

    const auto huge = preview_of(blank_page(), 8, 1000);
    EXPECT_TRUE(huge.canvas.empty());
    EXPECT_FALSE(huge.items.empty());
}

TEST(Preview, ManualInputPlaceholderUsesTheTerminalCell) {
    // Manual kind 0 at 8 dots/mm is a 7 x 9 cell.
    const auto p = preview_of(
        cat({kt_header("A"), kt_manual(5, 6, variable_entry("", 0, 0, 0, 0, 2), "00000")}));
    ASSERT_EQ(p.items.size(), 1u);
    EXPECT_EQ(p.items[0].kind, "manual");
    EXPECT_EQ(p.items[0].width, 5 * 7 + 4 * 2);
    EXPECT_EQ(p.items[0].height, 9);
    EXPECT_GT(p.canvas.count_black(), 0u);
}

}  // namespace
}  // namespace labelsim_test
