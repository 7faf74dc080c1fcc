#pragma once
// Groups decoded items into pages. A page opens with its first field or
// image and closes at a page end (or, in keyboard-terminal streams, when its
// image is complete); a cut directly after a page end belongs to that page;
// a trailing page with content but no end is kept as well.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "stream_model.hpp"

namespace labelsim {

class PageBuilder {
public:
    explicit PageBuilder(DecodeResult& result) : result_(result) {}

    // The open page, opened at `offset` when none is open.
    Page& open(std::size_t offset);
    bool is_open() const { return open_.has_value(); }

    void add_raster(std::size_t offset, RasterItem item) { open(offset).rasters.push_back(std::move(item)); }
    void add_barcode(std::size_t offset, BarcodeItem item) { open(offset).barcodes.push_back(std::move(item)); }
    void add_qr(std::size_t offset, QrItem item) { open(offset).qr_codes.push_back(std::move(item)); }
    void add_text(std::size_t offset, TextItem item) { open(offset).texts.push_back(std::move(item)); }

    // Closes the open page (an empty one when none is open) at end_offset.
    void end_page(std::size_t offset, std::size_t end_offset, PageEndKind how,
                  std::optional<std::uint32_t> copies = std::nullopt,
                  std::optional<std::uint32_t> pattern = std::nullopt);

    // A page end command that follows a page already closed by its image
    // (keyboard-terminal streams): gives that page its copies and pattern.
    // Returns false when there is no such page to take them.
    bool attach_page_end(std::size_t end_offset, std::uint32_t copies, std::uint32_t pattern);

    // A cut command spanning [offset, end_offset).
    void cut(std::size_t offset, std::size_t end_offset);

    // Keeps a trailing page that has content.
    void finish(std::size_t end_offset);

private:
    DecodeResult& result_;
    std::optional<Page> open_;
    // End offset of the last closed page, when nothing came after it yet.
    std::optional<std::size_t> last_closed_end_;
};

}  // namespace labelsim
