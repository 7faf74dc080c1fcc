#include "summary.hpp"

#include <cstdio>
#include <string>
#include <vector>

namespace labelsim {
namespace {

std::string offset_text(std::size_t offset) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "@%06zu", offset);
    return buf;
}

std::string fields_text(const Json& j) {
    std::string out;
    for (auto it = j.begin(); it != j.end(); ++it) {
        if (it.key() == "offset" || it.key() == "length" || it.key() == "command") continue;
        out += ' ';
        out += it.key();
        out += '=';
        out += it.value().is_string() ? it.value().get<std::string>() : it.value().dump();
    }
    return out;
}

std::string page_text(const Page& page, std::size_t number, const PageOutput* out) {
    std::vector<std::string> parts;
    if (page.copies) parts.push_back("copies " + std::to_string(*page.copies));
    if (page.pattern) parts.push_back("pattern " + std::to_string(*page.pattern));
    if (page.cut) parts.push_back("cut");
    if (page.ended_by == PageEndKind::none) parts.push_back("no page end");
    for (const RasterItem& r : page.rasters) {
        parts.push_back("raster " + std::to_string(r.image.width_dots()) + "x" + std::to_string(r.image.rows) +
                        " at x " + std::to_string(r.x));
    }
    if (!page.barcodes.empty()) parts.push_back(std::to_string(page.barcodes.size()) + " barcode(s)");
    if (!page.qr_codes.empty()) parts.push_back(std::to_string(page.qr_codes.size()) + " 2D code(s)");
    if (!page.texts.empty()) parts.push_back(std::to_string(page.texts.size()) + " text field(s)");
    std::string s = "page " + std::to_string(number) + ":";
    for (std::size_t i = 0; i < parts.size(); ++i) s += (i == 0 ? " " : ", ") + parts[i];
    if (parts.empty()) s += " empty";
    if (out != nullptr && !out->png.empty()) s += " -> " + out->png;
    if (out != nullptr && out->preview != nullptr) {
        for (const std::string& n : out->preview->notes) s += " [" + n + "]";
    }
    return s;
}

}  // namespace

void write_summary(std::ostream& out, const DecodeResult& result, const std::vector<PageOutput>& pages) {
    out << (result.kind == StreamKind::printer ? "printer command stream" : "keyboard-terminal stream") << ", "
        << result.byte_count << " bytes, " << result.commands.size()
        << (result.kind == StreamKind::printer ? " commands, " : " records, ") << result.pages.size() << " page(s)\n";
    for (std::size_t i = 0; i < result.commands.size(); ++i) {
        const Command& c = result.commands[i];
        if (std::holds_alternative<KtRasterRowRec>(c.body)) {
            std::size_t j = i;
            while (j + 1 < result.commands.size() && std::holds_alternative<KtRasterRowRec>(result.commands[j + 1].body)) ++j;
            const auto& first = std::get<KtRasterRowRec>(c.body);
            out << offset_text(c.offset) << "  terminal_raster_row x" << (j - i + 1) << " rows=" << first.row << ".."
                << std::get<KtRasterRowRec>(result.commands[j].body).row << " bytes=" << first.bytes << '\n';
            i = j;
            continue;
        }
        const Json j = command_json(c);
        out << offset_text(c.offset) << "  " << command_name(c.body) << fields_text(j) << '\n';
    }
    for (std::size_t i = 0; i < result.pages.size(); ++i) {
        out << page_text(result.pages[i], i + 1, i < pages.size() ? &pages[i] : nullptr) << '\n';
    }
    for (const Diagnostic& d : result.warnings) out << "warning at offset " << d.offset << ": " << d.message << '\n';
    if (result.warnings_dropped > 0) out << "(" << result.warnings_dropped << " more warnings)\n";
    if (result.error) {
        out << "error at offset " << result.error->offset << ": " << result.error->message << '\n';
    } else {
        out << "stream OK\n";
    }
}

}  // namespace labelsim
