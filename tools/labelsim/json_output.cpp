#include "json_output.hpp"

#include <cstdio>

#include "barcode_image.hpp"
#include "printer_tables.hpp"

namespace labelsim {
namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

Json bar_color_json(const BarColorEntry& e) {
    Json j;
    j["color"] = e.color;
    j["kind"] = e.kind;
    j["kind_name"] = barcode_kind_name(e.kind);
    j["size"] = e.size;
    j["length_mm"] = e.length_mm;
    j["num_show"] = e.num_show;
    j["rotate"] = e.rotate;
    j["qr_cell"] = e.qr_cell;
    j["qr_level"] = e.qr_level;
    j["qr_model"] = e.qr_model;
    j["enable_ebr"] = e.enable_ebr;
    j["narrow_bar"] = e.narrow_bar;
    j["wide_bar"] = e.wide_bar;
    j["narrow_space"] = e.narrow_space;
    j["wide_space"] = e.wide_space;
    j["bar_gap"] = e.bar_gap;
    j["text_gap"] = e.text_gap;
    return j;
}

Json calendar_json(const CalendarEntry& e) {
    static constexpr const char* kTableKeys[7] = {"convert_year", "convert_month", "convert_day", "convert_hour",
                                                  "convert_minute", "convert_week", "convert_serial"};
    Json j;
    j["kind"] = e.kind;
    j["y_mag"] = e.y_mag;
    j["x_mag"] = e.x_mag;
    j["rotate"] = e.rotate;
    j["gap"] = e.gap;
    j["date"] = e.date;
    j["format"] = e.format;
    j["add_years"] = e.add_years;
    j["add_months"] = e.add_months;
    j["add_days"] = e.add_days;
    for (std::size_t i = 0; i < e.tables.size(); ++i) j[kTableKeys[i]] = escape_bytes(e.tables[i]);
    return j;
}

Json variable_json(const VariableEntry& e) {
    Json j;
    j["display_line1"] = escape_bytes(e.line1);
    j["display_line2"] = escape_bytes(e.line2);
    j["display_in_pos"] = e.in_pos;
    j["display_chara_no"] = e.chara_no;
    j["kind"] = e.kind;
    j["y_mag"] = e.y_mag;
    j["x_mag"] = e.x_mag;
    j["rotate"] = e.rotate;
    j["gap"] = e.gap;
    return j;
}

void add_fields(Json& j, const CommandBody& body) {
    std::visit(Overloaded{
                   [&](const YOffsetCmd& c) { j["dots"] = c.dots; },
                   [&](const CutQuantityCmd& c) { j["labels"] = c.labels; },
                   [&](const PitchCmd& c) { j["dots"] = c.dots; },
                   [&](const DivideCmd& c) { j["divided"] = c.divided; },
                   [&](const ErrorReprintCmd& c) { j["enabled"] = c.enabled; },
                   [&](const RibbonSavingCmd& c) { j["enabled"] = c.enabled; },
                   [&](const PageEndCmd& c) {
                       j["copies"] = c.copies;
                       j["pattern"] = c.pattern;
                   },
                   [&](const CutCmd&) {},
                   [&](const RasterDataCmd& c) {
                       j["coding"] = c.run_length ? "run_length" : "plain";
                       j["rows"] = c.rows;
                       j["bytes_per_row"] = c.bytes_per_row;
                       j["width_dots"] = std::uint64_t{c.bytes_per_row} * 8;
                       j["data_bytes"] = c.data_bytes;
                       j["decoded_bytes"] = std::uint64_t{c.rows} * c.bytes_per_row;
                       if (c.run_length) {
                           j["run_pairs"] = c.run_pairs;
                           j["split_runs"] = c.split_runs;
                       }
                       j["black_dots"] = c.black_dots;
                   },
                   [&](const RasterPlacementCmd& c) {
                       j["x"] = c.x;
                       j["bytes_per_row"] = c.bytes_per_row;
                       j["rows"] = c.rows;
                   },
                   [&](const BarcodeRatioCmd& c) {
                       j["kind"] = std::string(1, c.kind_char);
                       j["kind_name"] = barcode_kind_name(c.kind);
                       j["size"] = c.size;
                       j["narrow_bar"] = c.widths.narrow_bar;
                       j["wide_bar"] = c.widths.wide_bar;
                       j["narrow_space"] = c.widths.narrow_space;
                       j["wide_space"] = c.widths.wide_space;
                       j["bar_gap"] = c.widths.bar_gap;
                       j["text_gap"] = c.widths.text_gap;
                   },
                   [&](const BarcodeFieldCmd& c) {
                       j["data_length"] = c.data_length;
                       j["x"] = c.x;
                       j["y"] = c.y;
                       j["kind"] = std::string(1, c.kind_char);
                       j["kind_name"] = barcode_kind_name(c.kind);
                       j["rotation"] = c.rotation;
                       j["size"] = c.size;
                       j["height_mm"] = c.height_mm;
                       j["human_readable"] = c.human_readable;
                   },
                   [&](const BarcodeDataCmd& c) { j["data"] = escape_bytes(c.data); },
                   [&](const QrFieldCmd& c) {
                       j["data_length"] = c.data_length;
                       j["x"] = c.x;
                       j["y"] = c.y;
                       j["rotation"] = c.rotation;
                   },
                   [&](const QrSetupCmd& c) {
                       j["cell_dots"] = c.cell_dots;
                       j["level"] = std::string(1, c.level);
                       j["model"] = c.model;
                   },
                   [&](const QrDataCmd& c) { j["data"] = escape_bytes(c.data); },
                   [&](const CalendarFieldCmd& c) {
                       j["text_length"] = c.text_length;
                       j["x"] = c.x;
                       j["y"] = c.y;
                       j["type"] = std::string(1, c.type_char);
                       j["rotation"] = c.rotation;
                       j["x_mag"] = c.x_mag;
                       j["y_mag"] = c.y_mag;
                       j["gap"] = c.gap;
                   },
                   [&](const CalendarTextCmd& c) { j["text"] = escape_bytes(c.text); },
                   [&](const KtHeaderRec& c) { j["file_name"] = escape_bytes(c.file_name); },
                   [&](const KtFieldRec& c) {
                       j["x"] = c.x;
                       j["y"] = c.y;
                       j["settings"] = bar_color_json(c.entry);
                       j["data"] = escape_bytes(c.data);
                   },
                   [&](const KtRasterHeaderRec& c) {
                       j["x"] = c.x;
                       j["reserved"] = c.reserved;
                       j["bytes_per_row"] = c.bytes_per_row;
                       j["rows"] = c.rows;
                   },
                   [&](const KtRasterRowRec& c) {
                       j["row"] = c.row;
                       j["bytes"] = c.bytes;
                       j["black_dots"] = c.black_dots;
                   },
                   [&](const KtCalendarRec& c) {
                       j["x"] = c.x;
                       j["y"] = c.y;
                       j["settings"] = calendar_json(c.entry);
                   },
                   [&](const KtManualRec& c) {
                       j["x"] = c.x;
                       j["y"] = c.y;
                       j["settings"] = variable_json(c.entry);
                       j["text"] = escape_bytes(c.text);
                   },
               },
               body);
}

Json diagnostic_json(const Diagnostic& d) {
    Json j;
    j["offset"] = d.offset;
    j["message"] = d.message;
    return j;
}

Json drawn_json(const DrawnItem& d) {
    Json j;
    j["left"] = d.left;
    j["bottom"] = d.bottom;
    j["width"] = d.width;
    j["height"] = d.height;
    return j;
}

Json page_json(const Page& page, std::size_t number, unsigned dots_per_mm, const PageOutput* out) {
    Json j;
    j["page"] = number;
    j["first_offset"] = page.first_offset;
    j["end_offset"] = page.end_offset;
    switch (page.ended_by) {
    case PageEndKind::page_end_command: j["ended_by"] = "page_end"; break;
    case PageEndKind::raster_image: j["ended_by"] = "raster_image"; break;
    case PageEndKind::none: j["ended_by"] = nullptr; break;
    }
    j["copies"] = page.copies ? Json(*page.copies) : Json(nullptr);
    j["pattern"] = page.pattern ? Json(*page.pattern) : Json(nullptr);
    j["cut"] = page.cut;

    Json items = Json::array();
    for (const RasterItem& r : page.rasters) {
        Json i;
        i["kind"] = "raster";
        i["offset"] = r.offset;
        i["x"] = r.x;
        i["placed"] = r.placed;
        i["rows"] = r.image.rows;
        i["bytes_per_row"] = r.image.bytes_per_row;
        i["black_dots"] = count_black_dots(r.image.bits);
        items.push_back(std::move(i));
    }
    for (const BarcodeItem& b : page.barcodes) {
        const BarcodeGeometry g = barcode_geometry(b, dots_per_mm);
        Json i;
        i["kind"] = "barcode";
        i["offset"] = b.offset;
        i["x"] = b.x;
        i["y"] = b.y;
        i["rotation"] = b.rotation;
        i["barcode_kind"] = barcode_kind_name(b.kind);
        i["size"] = b.size;
        i["height_mm"] = b.height_mm;
        i["human_readable"] = b.human_readable;
        i["data"] = escape_bytes(b.data);
        i["module_dots"] = g.module;
        i["module_from"] = g.from_widths ? "element_widths" : "standard_widths";
        i["bar_height_dots"] = g.bar_height;
        items.push_back(std::move(i));
    }
    for (const QrItem& q : page.qr_codes) {
        Json i;
        i["kind"] = "qr_code";
        i["offset"] = q.offset;
        i["x"] = q.x;
        i["y"] = q.y;
        i["rotation"] = q.rotation;
        i["cell_dots"] = q.cell_dots;
        i["level"] = std::string(1, q.level);
        i["model"] = q.model;
        i["data"] = escape_bytes(q.data);
        items.push_back(std::move(i));
    }
    for (const TextItem& t : page.texts) {
        Json i;
        i["kind"] = t.source == TextSource::calendar ? "calendar" : "manual";
        i["offset"] = t.offset;
        i["x"] = t.x;
        i["y"] = t.y;
        i["rotation"] = t.rotation;
        i["char_type"] = t.char_type;
        i["x_mag"] = t.x_mag;
        i["y_mag"] = t.y_mag;
        i["gap"] = t.gap;
        i["text"] = escape_bytes(t.text);
        i["placeholder"] = t.placeholder;
        items.push_back(std::move(i));
    }
    if (out != nullptr && out->preview != nullptr) {
        const auto& drawn = out->preview->items;
        for (std::size_t k = 0; k < items.size() && k < drawn.size(); ++k) {
            if (drawn[k].width > 0 && drawn[k].height > 0) items[k]["drawn"] = drawn_json(drawn[k]);
            if (!drawn[k].notes.empty()) items[k]["notes"] = drawn[k].notes;
        }
    }
    j["items"] = std::move(items);

    if (out != nullptr && out->preview != nullptr) {
        j["png"] = out->png.empty() ? Json(nullptr) : Json(out->png);
        j["width"] = out->preview->canvas.width();
        j["height"] = out->preview->canvas.height();
        j["notes"] = out->preview->notes;
    }
    return j;
}

}  // namespace

std::string escape_bytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            out += c;
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", b);
            out += buf;
        }
    }
    return out;
}

std::string_view command_name(const CommandBody& body) {
    return std::visit(Overloaded{
                          [](const YOffsetCmd&) { return "y_offset"; },
                          [](const CutQuantityCmd&) { return "cut_quantity"; },
                          [](const PitchCmd&) { return "pitch"; },
                          [](const DivideCmd&) { return "divide"; },
                          [](const ErrorReprintCmd&) { return "error_reprint"; },
                          [](const RibbonSavingCmd&) { return "ribbon_saving"; },
                          [](const PageEndCmd&) { return "page_end"; },
                          [](const CutCmd&) { return "cut"; },
                          [](const RasterDataCmd&) { return "raster_data"; },
                          [](const RasterPlacementCmd&) { return "raster_placement"; },
                          [](const BarcodeRatioCmd&) { return "barcode_ratio"; },
                          [](const BarcodeFieldCmd&) { return "barcode_field"; },
                          [](const BarcodeDataCmd&) { return "barcode_data"; },
                          [](const QrFieldCmd&) { return "qr_field"; },
                          [](const QrSetupCmd&) { return "qr_setup"; },
                          [](const QrDataCmd&) { return "qr_data"; },
                          [](const CalendarFieldCmd&) { return "calendar_field"; },
                          [](const CalendarTextCmd&) { return "calendar_text"; },
                          [](const KtHeaderRec&) { return "terminal_header"; },
                          [](const KtFieldRec& r) {
                              return r.entry.kind == kQrKind ? "terminal_qr_code" : "terminal_barcode";
                          },
                          [](const KtRasterHeaderRec&) { return "terminal_raster_header"; },
                          [](const KtRasterRowRec&) { return "terminal_raster_row"; },
                          [](const KtCalendarRec&) { return "terminal_calendar"; },
                          [](const KtManualRec&) { return "terminal_manual_input"; },
                      },
                      body);
}

Json command_json(const Command& cmd) {
    Json j;
    j["offset"] = cmd.offset;
    j["length"] = cmd.length;
    j["command"] = command_name(cmd.body);
    add_fields(j, cmd.body);
    return j;
}

Json report_json(const DecodeResult& result, unsigned dots_per_mm, const std::vector<PageOutput>& pages) {
    Json j;
    j["stream"] = result.kind == StreamKind::printer ? "printer" : "keyboard_terminal";
    j["bytes"] = result.byte_count;
    j["dots_per_mm"] = dots_per_mm;
    j["ok"] = result.ok();
    j["error"] = result.error ? diagnostic_json(*result.error) : Json(nullptr);
    Json warnings = Json::array();
    for (const Diagnostic& d : result.warnings) warnings.push_back(diagnostic_json(d));
    j["warnings"] = std::move(warnings);
    if (result.warnings_dropped > 0) j["warnings_dropped"] = result.warnings_dropped;
    Json commands = Json::array();
    for (const Command& c : result.commands) commands.push_back(command_json(c));
    j["commands"] = std::move(commands);
    Json page_list = Json::array();
    for (std::size_t i = 0; i < result.pages.size(); ++i) {
        page_list.push_back(page_json(result.pages[i], i + 1, dots_per_mm, i < pages.size() ? &pages[i] : nullptr));
    }
    j["pages"] = std::move(page_list);
    return j;
}

}  // namespace labelsim
