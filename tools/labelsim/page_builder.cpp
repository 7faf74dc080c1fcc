#include "page_builder.hpp"

namespace labelsim {

Page& PageBuilder::open(std::size_t offset) {
    if (!open_) {
        open_.emplace();
        open_->first_offset = offset;
        last_closed_end_.reset();
    }
    return *open_;
}

void PageBuilder::end_page(std::size_t offset, std::size_t end_offset, PageEndKind how,
                           std::optional<std::uint32_t> copies, std::optional<std::uint32_t> pattern) {
    Page& page = open(offset);
    page.end_offset = end_offset;
    page.ended_by = how;
    page.copies = copies;
    page.pattern = pattern;
    result_.pages.push_back(std::move(page));
    open_.reset();
    last_closed_end_ = end_offset;
}

bool PageBuilder::attach_page_end(std::size_t end_offset, std::uint32_t copies, std::uint32_t pattern) {
    if (open_ || !last_closed_end_ || result_.pages.empty()) return false;
    Page& last = result_.pages.back();
    if (last.copies || last.ended_by != PageEndKind::raster_image) return false;
    last.copies = copies;
    last.pattern = pattern;
    last.end_offset = end_offset;
    last_closed_end_ = end_offset;
    return true;
}

void PageBuilder::cut(std::size_t offset, std::size_t end_offset) {
    if (!open_ && last_closed_end_ && *last_closed_end_ == offset && !result_.pages.empty()) {
        Page& last = result_.pages.back();
        last.cut = true;
        last.end_offset = end_offset;
        last_closed_end_ = end_offset;
        return;
    }
    result_.warn(offset, "cut command not directly after a page end");
}

void PageBuilder::finish(std::size_t end_offset) {
    if (open_ && open_->has_content()) {
        open_->end_offset = end_offset;
        open_->ended_by = PageEndKind::none;
        result_.pages.push_back(std::move(*open_));
    }
    open_.reset();
}

}  // namespace labelsim
