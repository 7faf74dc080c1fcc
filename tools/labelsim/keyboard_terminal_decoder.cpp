#include "keyboard_terminal_decoder.hpp"

#include <algorithm>
#include <optional>
#include <string>

#include "byte_reader.hpp"
#include "page_builder.hpp"
#include "printer_tables.hpp"
#include "stream_decoder.hpp"

namespace labelsim {
namespace {

std::uint32_t peek_u32(ByteReader& r) {
    return static_cast<std::uint32_t>(r.peek(0)) | (static_cast<std::uint32_t>(r.peek(1)) << 8) |
           (static_cast<std::uint32_t>(r.peek(2)) << 16) | (static_cast<std::uint32_t>(r.peek(3)) << 24);
}

// Text up to the NUL inside a record's text area; throws when there is none.
std::string nul_terminated(std::span<const std::uint8_t> area, std::size_t area_offset, std::string_view what) {
    const auto nul = std::find(area.begin(), area.end(), std::uint8_t{0});
    if (nul == area.end()) {
        throw DecodeError(area_offset, std::string(what) + ": no NUL within its " + std::to_string(area.size()) +
                                           "-byte area");
    }
    return std::string(area.begin(), nul);
}

void check_rotation(std::uint8_t rotate, std::size_t at, std::string_view what) {
    if (rotate > 3) {
        throw DecodeError(at, std::string(what) + " rotation must be 0..3, found " + std::to_string(rotate));
    }
}

class TerminalDecoder {
public:
    explicit TerminalDecoder(std::span<const std::uint8_t> bytes) : bytes_(bytes), pages_(result_) {
        result_.kind = StreamKind::keyboard_terminal;
        result_.byte_count = bytes.size();
    }

    DecodeResult run() {
        ByteReader r(bytes_);
        try {
            header(r);
            while (!r.at_end()) record(r);
            if (raster_) {
                throw DecodeError(r.offset(), "stream ends after " + std::to_string(rows_seen_) + " of the " +
                                                  std::to_string(raster_->image.rows) +
                                                  " row records announced by the raster header at offset " +
                                                  std::to_string(raster_->offset));
            }
        } catch (const DecodeError& e) {
            result_.error = Diagnostic{e.offset(), e.what()};
        }
        pages_.finish(r.offset());
        return std::move(result_);
    }

private:
    void header(ByteReader& r) {
        r.literal("KT", "keyboard-terminal marker");
        const std::size_t at = 0;
        const std::size_t len_at = r.offset();
        const std::uint32_t len = r.u32le("terminal header length");
        if (len != kKtHeaderLength) {
            throw DecodeError(len_at, "terminal header length must be 14, found " + std::to_string(len));
        }
        const std::size_t type_at = r.offset();
        const std::uint8_t type = r.byte("terminal header type");
        if (type != 0) throw DecodeError(type_at, "terminal header type must be 0, found " + std::to_string(type));
        const std::size_t name_at = r.offset();
        auto name = r.take(9, "terminal header file name");
        KtHeaderRec h{nul_terminated(name, name_at, "file name")};
        result_.commands.push_back(Command{at, r.offset() - at, h});
    }

    void record(ByteReader& r) {
        const std::size_t at = r.offset();
        r.need(5, "a record's length and type");
        const std::uint32_t len = peek_u32(r);
        const std::uint8_t type = r.peek(4);
        if (r.peek() == kStx && !plausible(len, type, r)) {
            page_control(r);
            return;
        }
        if (raster_ && type != 3) {
            throw DecodeError(at, "raster header at offset " + std::to_string(raster_->offset) + " announced " +
                                      std::to_string(raster_->image.rows) + " row records, only " +
                                      std::to_string(rows_seen_) + " came before this record of type " +
                                      std::to_string(type));
        }
        switch (type) {
        case 1: field_record(r, at, len); break;
        case 2: raster_header(r, at, len); break;
        case 3: raster_row(r, at, len); break;
        case 4: calendar_record(r, at, len); break;
        case 5: manual_record(r, at, len); break;
        default:
            throw DecodeError(at + 4, "unknown keyboard-terminal record type " + std::to_string(type) +
                                          " (length field " + std::to_string(len) + ")");
        }
    }

    // Whether the bytes at the cursor read as a record rather than a command.
    static bool plausible(std::uint32_t len, std::uint8_t type, ByteReader& r) {
        switch (type) {
        case 1: return len == kKtFieldRecordLength;
        case 2: return len == kKtRasterHeaderLength;
        case 3: {
            if (r.remaining() < 9) return false;
            const std::uint64_t b = static_cast<std::uint64_t>(r.peek(5)) | (static_cast<std::uint64_t>(r.peek(6)) << 8) |
                                    (static_cast<std::uint64_t>(r.peek(7)) << 16) |
                                    (static_cast<std::uint64_t>(r.peek(8)) << 24);
            return len == b + kKtRowOverhead;
        }
        case 4: return len == kKtCalendarRecordLength;
        case 5: return len == kKtManualRecordLength;
        default: return false;
        }
    }

    void page_control(ByteReader& r) {
        Command cmd = parse_page_control_command(r);
        if (const auto* pe = std::get_if<PageEndCmd>(&cmd.body)) {
            if (!pages_.attach_page_end(cmd.offset + cmd.length, pe->copies, pe->pattern)) {
                pages_.end_page(cmd.offset, cmd.offset + cmd.length, PageEndKind::page_end_command, pe->copies,
                                pe->pattern);
            }
            result_.warn(cmd.offset, "printer page end command between keyboard-terminal records");
        } else {
            pages_.cut(cmd.offset, cmd.offset + cmd.length);
            result_.warn(cmd.offset, "printer cut command between keyboard-terminal records");
        }
        result_.commands.push_back(std::move(cmd));
    }

    // A fixed-size record: its length field must give its size, all of it
    // must be there; the reader is left behind its length and type.
    static void enter_fixed_record(ByteReader& r, std::size_t at, std::uint32_t len, std::uint32_t wanted,
                                   std::string_view what, std::string_view record) {
        if (len != wanted) {
            throw DecodeError(at, std::string(what) + " record must be " + std::to_string(wanted) +
                                      " bytes long, its length field says " + std::to_string(len));
        }
        r.need(len, record);
        r.skip(5, "record length and type");
    }

    void field_record(ByteReader& r, std::size_t at, std::uint32_t len) {
        enter_fixed_record(r, at, len, kKtFieldRecordLength, "barcode/2D code (type 1)", "barcode/2D code record");
        KtFieldRec rec;
        rec.x = r.i32le("x");
        rec.y = r.i32le("y");
        const std::size_t entry_at = r.offset();
        rec.entry = parse_bar_color_entry(r.take(BarColorEntry::kSize, "barcode settings"));
        const std::size_t data_at = r.offset();
        auto area = r.take(len - (data_at - at), "barcode data area");
        rec.data = nul_terminated(area, data_at, "barcode data");
        if (rec.data.size() > kKtMaxFieldData) {
            throw DecodeError(data_at, "barcode data of " + std::to_string(rec.data.size()) +
                                           " bytes, at most 3000 allowed");
        }
        const BarColorEntry& e = rec.entry;
        check_rotation(e.rotate, entry_at + 5, "barcode");
        if (e.kind > 15) throw DecodeError(entry_at + 1, "barcode kind " + std::to_string(e.kind) + " outside 0..15");
        warn_position(at, rec.x, rec.y);
        if (e.kind == kQrKind) {
            if (e.qr_level > 3) {
                throw DecodeError(entry_at + 7, "2D code error level " + std::to_string(e.qr_level) + " outside 0..3");
            }
            if (e.qr_model > 1) {
                throw DecodeError(entry_at + 8, "2D code model " + std::to_string(e.qr_model) + " outside 0..1");
            }
            QrItem item;
            item.offset = at;
            item.x = rec.x;
            item.y = rec.y;
            item.rotation = e.rotate;
            item.cell_dots = e.qr_cell + 2u;
            item.level = kQrLevelChars[e.qr_level];
            item.model = e.qr_model + 1u;
            item.data = rec.data;
            pages_.add_qr(at, std::move(item));
        } else {
            BarcodeItem item;
            item.offset = at;
            item.x = rec.x;
            item.y = rec.y;
            item.rotation = e.rotate;
            item.kind = e.kind;
            item.size = e.size;
            item.height_mm = e.length_mm;
            item.human_readable = e.num_show != 0;
            item.data = rec.data;
            if (e.enable_ebr != 0) {
                item.widths = ElementWidths{e.narrow_bar, e.wide_bar, e.narrow_space,
                                            e.wide_space, e.bar_gap,  e.text_gap};
            }
            pages_.add_barcode(at, std::move(item));
        }
        result_.commands.push_back(Command{at, len, std::move(rec)});
    }

    void raster_header(ByteReader& r, std::size_t at, std::uint32_t len) {
        enter_fixed_record(r, at, len, kKtRasterHeaderLength, "raster header (type 2)", "raster header record");
        KtRasterHeaderRec rec;
        rec.x = r.i32le("raster x");
        const std::size_t reserved_at = r.offset();
        rec.reserved = r.u32le("raster header reserved word");
        rec.bytes_per_row = r.u32le("raster bytes per row");
        rec.rows = r.u32le("raster rows");
        if (rec.reserved != 0) result_.warn(reserved_at, "raster header word after x is not 0");
        if (rec.x < 0) result_.warn(at, "raster at negative x " + std::to_string(rec.x));
        RasterItem item;
        item.offset = at;
        item.x = rec.x;
        item.placed = true;
        item.image.rows = rec.rows;
        item.image.bytes_per_row = rec.bytes_per_row;
        pages_.open(at);
        raster_ = std::move(item);
        rows_seen_ = 0;
        result_.commands.push_back(Command{at, len, rec});
        if (rec.rows == 0) complete_raster(r.offset());
    }

    void raster_row(ByteReader& r, std::size_t at, std::uint32_t len) {
        if (!raster_) throw DecodeError(at, "raster row record without a raster header before it");
        if (len < kKtRowOverhead) {
            throw DecodeError(at, "raster row record length " + std::to_string(len) + " below its 9 header bytes");
        }
        r.need(len, "raster row record");
        r.skip(5, "record length and type");
        const std::size_t b_at = r.offset();
        const std::uint32_t b = r.u32le("row byte count");
        if (b + std::uint64_t{kKtRowOverhead} != len) {
            throw DecodeError(b_at, "raster row record of " + std::to_string(len) + " bytes carries a row of " +
                                        std::to_string(b) + " bytes (length must be bytes + 9)");
        }
        if (b != raster_->image.bytes_per_row) {
            throw DecodeError(b_at, "raster row of " + std::to_string(b) + " bytes, the raster header at offset " +
                                        std::to_string(raster_->offset) + " gives " +
                                        std::to_string(raster_->image.bytes_per_row));
        }
        auto row = r.take(b, "raster row");
        raster_->image.bits.insert(raster_->image.bits.end(), row.begin(), row.end());
        KtRasterRowRec rec{rows_seen_, b, count_black_dots(row)};
        ++rows_seen_;
        result_.commands.push_back(Command{at, len, rec});
        if (rows_seen_ == raster_->image.rows) complete_raster(r.offset());
    }

    void complete_raster(std::size_t end) {
        const std::size_t at = raster_->offset;
        pages_.add_raster(at, std::move(*raster_));
        raster_.reset();
        pages_.end_page(at, end, PageEndKind::raster_image);
    }

    void calendar_record(ByteReader& r, std::size_t at, std::uint32_t len) {
        enter_fixed_record(r, at, len, kKtCalendarRecordLength, "calendar (type 4)", "calendar record");
        KtCalendarRec rec;
        rec.x = r.i32le("x");
        rec.y = r.i32le("y");
        const std::size_t entry_at = r.offset();
        rec.entry = parse_calendar_entry(r.take(CalendarEntry::kSize, "calendar settings"));
        const CalendarEntry& e = rec.entry;
        if (e.kind > 9) throw DecodeError(entry_at, "calendar character type " + std::to_string(e.kind) + " outside 0..9");
        check_rotation(e.rotate, entry_at + 3, "calendar");
        warn_position(at, rec.x, rec.y);
        TextItem item;
        item.offset = at;
        item.x = rec.x;
        item.y = rec.y;
        item.rotation = e.rotate;
        item.source = TextSource::calendar;
        item.char_type = e.kind;
        item.x_mag = e.x_mag + 1u;
        item.y_mag = e.y_mag + 1u;
        item.gap = e.gap;
        item.text = calendar_placeholder(e.date, e.format);
        item.placeholder = true;
        pages_.add_text(at, std::move(item));
        result_.commands.push_back(Command{at, len, std::move(rec)});
    }

    void manual_record(ByteReader& r, std::size_t at, std::uint32_t len) {
        enter_fixed_record(r, at, len, kKtManualRecordLength, "manual input (type 5)", "manual input record");
        KtManualRec rec;
        rec.x = r.i32le("x");
        rec.y = r.i32le("y");
        const std::size_t entry_at = r.offset();
        rec.entry = parse_variable_entry(r.take(VariableEntry::kSize, "manual input settings"));
        const std::size_t text_at = r.offset();
        auto area = r.take(len - (text_at - at), "manual input text area");
        rec.text = nul_terminated(area, text_at, "manual input text");
        const VariableEntry& e = rec.entry;
        if (e.kind > 10) {
            throw DecodeError(entry_at + 36, "manual input character kind " + std::to_string(e.kind) + " outside 0..10");
        }
        check_rotation(e.rotate, entry_at + 39, "manual input");
        warn_position(at, rec.x, rec.y);
        TextItem item;
        item.offset = at;
        item.x = rec.x;
        item.y = rec.y;
        item.rotation = e.rotate;
        item.source = TextSource::manual;
        item.char_type = e.kind;
        item.x_mag = e.x_mag + 1u;
        item.y_mag = e.y_mag + 1u;
        item.gap = e.gap;
        item.text = rec.text;
        item.placeholder = true;
        pages_.add_text(at, std::move(item));
        result_.commands.push_back(Command{at, len, std::move(rec)});
    }

    void warn_position(std::size_t at, std::int32_t x, std::int32_t y) {
        if (x < 0 || y < 0) {
            result_.warn(at, "field at negative position (" + std::to_string(x) + ", " + std::to_string(y) + ")");
        }
    }

    std::span<const std::uint8_t> bytes_;
    DecodeResult result_;
    PageBuilder pages_;
    std::optional<RasterItem> raster_;
    std::uint32_t rows_seen_ = 0;
};

}  // namespace

DecodeResult decode_keyboard_terminal_stream(std::span<const std::uint8_t> bytes) {
    return TerminalDecoder(bytes).run();
}

}  // namespace labelsim
