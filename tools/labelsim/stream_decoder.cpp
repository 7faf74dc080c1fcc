#include "stream_decoder.hpp"

#include <string>
#include <string_view>

#include "page_builder.hpp"
#include "printer_tables.hpp"

namespace labelsim {
namespace {

std::string to_string(std::span<const std::uint8_t> b) { return std::string(b.begin(), b.end()); }

void expect_etx(ByteReader& r, std::string_view command) {
    r.expect(kEtx, "ETX ending the " + std::string(command) + " command");
}

std::uint32_t rotation_field(ByteReader& r) {
    const std::size_t at = r.offset();
    const std::uint32_t o = r.number(1, "rotation");
    if (o > 3) throw DecodeError(at, "rotation must be 0..3, found " + std::to_string(o));
    return o;
}

[[noreturn]] void unknown_command(std::size_t at, std::string_view body) {
    std::string shown;
    for (char c : body) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b == kEsc) {
            shown += " ESC ";
        } else if (b >= 0x20 && b < 0x7F) {
            shown += c;
        } else {
            shown += " " + describe_byte(b) + " ";
        }
    }
    throw DecodeError(at, "unknown command: body starts with \"" + shown + "\"");
}

// What the previous command requires to come next.
enum class Expect { nothing, barcode_field, barcode_data, qr_setup, qr_data, calendar_text };

std::string_view expect_name(Expect e) {
    switch (e) {
    case Expect::barcode_field: return "barcode field command";
    case Expect::barcode_data: return "barcode data command";
    case Expect::qr_setup: return "2D code setup command";
    case Expect::qr_data: return "2D code data command";
    case Expect::calendar_text: return "calendar text command";
    case Expect::nothing: break;
    }
    return "nothing";
}

class PrinterDecoder {
public:
    explicit PrinterDecoder(std::span<const std::uint8_t> bytes) : bytes_(bytes), pages_(result_) {
        result_.kind = StreamKind::printer;
        result_.byte_count = bytes.size();
    }

    DecodeResult run() {
        ByteReader r(bytes_);
        try {
            if (bytes_.empty()) result_.warn(0, "empty stream");
            while (!r.at_end()) one_command(r);
            at_end(r.offset());
        } catch (const DecodeError& e) {
            result_.error = Diagnostic{e.offset(), e.what()};
            flush_unplaced_raster(false);
        }
        pages_.finish(r.offset());
        return std::move(result_);
    }

private:
    void one_command(ByteReader& r) {
        const std::size_t start = r.offset();
        const std::uint8_t first = r.peek();
        if (first != kStx) {
            throw DecodeError(start, "expected STX (0x02) starting a command, found " + describe_byte(first));
        }
        r.skip(1, "STX");
        CommandBody body = parse_body(r, start);
        Command cmd{start, r.offset() - start, std::move(body)};
        check_order(cmd);
        apply(cmd);
        result_.commands.push_back(std::move(cmd));
    }

    CommandBody parse_body(ByteReader& r, std::size_t start) {
        const std::size_t body_at = r.offset();
        const char c = static_cast<char>(r.byte("command body"));
        switch (c) {
        case 'I':
        case 'X': return parse_raster(r, c == 'X');
        case 'A': {
            YOffsetCmd y{r.number(5, "Y offset")};
            expect_etx(r, "Y offset");
            return y;
        }
        case '4': {
            PitchCmd p{r.number(4, "pitch")};
            r.literal("01", "pitch constant");
            expect_etx(r, "pitch");
            return p;
        }
        case 'E': return parse_e_family(r, body_at);
        case '2': {
            r.expect(kEsc, "ESC after '2'");
            const char k = static_cast<char>(r.byte("command letter after '2' ESC"));
            if (k == 'P') return parse_page_end(r);
            if (k == 'I') return parse_placement(r);
            unknown_command(body_at, std::string("2\x1b") + k);
        }
        case '0': {
            r.expect(kEsc, "ESC after '0'");
            const char k = static_cast<char>(r.byte("field letter after '0' ESC"));
            if (k == 'B') return parse_barcode_field(r);
            if (k == 'Q') return parse_qr_field(r);
            if (k == 'C') return parse_calendar_field(r);
            unknown_command(body_at, std::string("0\x1b") + k);
        }
        case '1': {
            r.expect(kEsc, "ESC after '1'");
            const char k = static_cast<char>(r.byte("field letter after '1' ESC"));
            if (k == 'B' || k == 'Q' || k == 'C') return parse_data(r, start, k);
            unknown_command(body_at, std::string("1\x1b") + k);
        }
        default: unknown_command(body_at, std::string(1, c));
        }
    }

    CommandBody parse_e_family(ByteReader& r, std::size_t body_at) {
        const auto two = r.take(2, "command letters after 'E'");
        const std::string name = "E" + to_string(two);
        if (name == "ECN") {
            CutQuantityCmd q{r.number(2, "cut quantity")};
            r.literal("01", "cut quantity constant");
            expect_etx(r, "cut quantity");
            return q;
        }
        if (name == "EDN") {
            DivideCmd d{r.one_of("12", "divide value") == '2'};
            expect_etx(r, "divide");
            return d;
        }
        if (name == "ERP") {
            ErrorReprintCmd e{r.one_of("01", "error reprint value") == '1'};
            expect_etx(r, "error reprint");
            return e;
        }
        if (name == "ERS") {
            RibbonSavingCmd e{r.one_of("01", "ribbon saving value") == '1'};
            expect_etx(r, "ribbon saving");
            return e;
        }
        if (name == "ECC") {
            r.literal("0", "cut command's '0'");
            expect_etx(r, "cut");
            return CutCmd{};
        }
        if (name == "EBR") return parse_ratio(r);
        if (name == "EQR") return parse_qr_setup(r);
        unknown_command(body_at, name);
    }

    CommandBody parse_raster(ByteReader& r, bool run_length) {
        RasterDataCmd cmd;
        cmd.run_length = run_length;
        cmd.rows = r.number(4, "raster rows");
        cmd.bytes_per_row = r.number(3, "raster bytes per row");
        const std::size_t total = std::size_t{cmd.rows} * cmd.bytes_per_row;
        const std::size_t data_at = r.offset();
        RasterImage image;
        image.rows = cmd.rows;
        image.bytes_per_row = cmd.bytes_per_row;
        if (!run_length) {
            auto data = r.take(total, "plain raster data (" + std::to_string(cmd.rows) + " rows x " +
                                          std::to_string(cmd.bytes_per_row) + " bytes)");
            image.bits.assign(data.begin(), data.end());
            cmd.data_bytes = total;
        } else {
            RunLengthResult rl = decode_run_length(r.bytes(), data_at, total);
            r.skip(rl.consumed, "run-length data");
            cmd.data_bytes = rl.consumed;
            cmd.run_pairs = rl.pairs;
            cmd.split_runs = rl.split_runs;
            if (rl.split_runs > 0) {
                result_.warn(rl.first_split_offset,
                             std::to_string(rl.split_runs) +
                                 " run-length run(s) split although the value did not change and the count was "
                                 "below 255 (first here)");
            }
            image.bits = std::move(rl.bytes);
        }
        cmd.black_dots = count_black_dots(image.bits);
        r.literal("A", "raster block end");
        r.expect(kEtx, "ETX ending the raster block");
        pending_raster_image_ = std::move(image);
        return cmd;
    }

    CommandBody parse_page_end(ByteReader& r) {
        PageEndCmd p;
        p.copies = r.number(4, "copies");
        const std::size_t pat_at = r.offset();
        p.pattern = r.number(1, "after-print pattern");
        expect_etx(r, "page end");
        if (p.pattern > 3) result_.warn(pat_at, "after-print pattern " + std::to_string(p.pattern) + " outside 0..3");
        if (p.copies == 0) result_.warn(pat_at - 4, "page end with 0 copies");
        return p;
    }

    CommandBody parse_placement(ByteReader& r) {
        r.literal("A", "raster placement 'IA'");
        r.literal("00000000", "raster placement constant");
        RasterPlacementCmd p;
        p.x = r.number(4, "raster x");
        r.literal("0000", "raster placement constant");
        p.bytes_per_row = r.number(3, "placement bytes per row");
        p.rows = r.number(4, "placement rows");
        expect_etx(r, "raster placement");
        return p;
    }

    CommandBody parse_ratio(ByteReader& r) {
        BarcodeRatioCmd b;
        b.kind_char = r.one_of(kBarcodeKindChars, "barcode kind character");
        b.kind = *barcode_kind_from_char(b.kind_char);
        const std::size_t size_at = r.offset();
        b.size = r.number(1, "barcode size step");
        warn_size(size_at, b.size);
        b.widths.narrow_bar = r.number(2, "narrow bar");
        b.widths.wide_bar = r.number(2, "wide bar");
        b.widths.narrow_space = r.number(2, "narrow space");
        b.widths.wide_space = r.number(2, "wide space");
        b.widths.bar_gap = r.number(2, "bar gap");
        b.widths.text_gap = r.number(2, "text gap");
        expect_etx(r, "barcode ratio");
        return b;
    }

    CommandBody parse_barcode_field(ByteReader& r) {
        BarcodeFieldCmd b;
        r.literal("000", "barcode field constant");
        b.data_length = r.number(2, "barcode data length");
        b.x = r.number(4, "barcode x");
        b.y = r.number(4, "barcode y");
        b.kind_char = r.one_of(kBarcodeKindChars, "barcode kind character");
        b.kind = *barcode_kind_from_char(b.kind_char);
        b.rotation = rotation_field(r);
        const std::size_t size_at = r.offset();
        b.size = r.number(1, "barcode size step");
        warn_size(size_at, b.size);
        b.height_mm = r.number(2, "barcode height");
        b.human_readable = r.one_of("YN", "human-readable flag") == 'Y';
        expect_etx(r, "barcode field");
        return b;
    }

    CommandBody parse_qr_field(ByteReader& r) {
        QrFieldCmd q;
        r.literal("000", "2D code field constant");
        q.data_length = r.number(4, "2D code data length");
        q.x = r.number(4, "2D code x");
        q.y = r.number(4, "2D code y");
        q.rotation = rotation_field(r);
        r.literal("0101000", "2D code field constants");
        expect_etx(r, "2D code field");
        return q;
    }

    CommandBody parse_qr_setup(ByteReader& r) {
        QrSetupCmd q;
        const std::size_t cell_at = r.offset();
        q.cell_dots = r.number(2, "2D code cell size");
        q.level = r.one_of(kQrLevelChars, "2D code error level");
        r.literal("A", "2D code setup constant");
        const std::size_t model_at = r.offset();
        q.model = r.number(1, "2D code model");
        if (q.model != 1 && q.model != 2) {
            throw DecodeError(model_at, "2D code model must be 1 or 2, found " + std::to_string(q.model));
        }
        expect_etx(r, "2D code setup");
        if (q.cell_dots < 2 || q.cell_dots > 16) {
            result_.warn(cell_at, "2D code cell size " + std::to_string(q.cell_dots) + " dots outside 2..16");
        }
        return q;
    }

    CommandBody parse_calendar_field(ByteReader& r) {
        CalendarFieldCmd c;
        r.literal("000", "calendar field constant");
        c.text_length = r.number(2, "calendar text length");
        c.x = r.number(4, "calendar x");
        c.y = r.number(4, "calendar y");
        c.type_char = r.one_of(kCalendarTypeChars, "calendar character type");
        c.type = static_cast<unsigned>(kCalendarTypeChars.find(c.type_char));
        c.rotation = rotation_field(r);
        const std::size_t mag_at = r.offset();
        c.x_mag = r.number(1, "calendar x magnification");
        c.y_mag = r.number(1, "calendar y magnification");
        c.gap = r.number(2, "calendar gap");
        expect_etx(r, "calendar field");
        if (c.x_mag < 1 || c.x_mag > 8 || c.y_mag < 1 || c.y_mag > 8) {
            result_.warn(mag_at, "calendar magnification " + std::to_string(c.x_mag) + "x" +
                                     std::to_string(c.y_mag) + " outside 1..8");
        }
        return c;
    }

    CommandBody parse_data(ByteReader& r, std::size_t start, char k) {
        const Expect wanted = k == 'B' ? Expect::barcode_data : k == 'Q' ? Expect::qr_data : Expect::calendar_text;
        const std::string_view name = expect_name(wanted);
        if (expect_ != wanted) {
            const std::string_view owner = k == 'B'   ? "barcode field command"
                                           : k == 'Q' ? "2D code field and setup commands"
                                                      : "calendar field command";
            throw DecodeError(start, std::string(name) + " without the " + std::string(owner) +
                                         " before it");
        }
        r.literal("000", std::string(name) + " constant");
        const std::size_t data_at = r.offset();
        auto data = r.take(expected_length_, std::string(name) + " (" + std::to_string(expected_length_) +
                                                 " bytes announced at offset " + std::to_string(expect_since_) +
                                                 ")");
        const std::size_t etx_at = r.offset();
        if (r.at_end() || r.peek() != kEtx) {
            std::string msg = "expected ETX after the " + std::to_string(expected_length_) +
                              " data bytes announced by the command at offset " + std::to_string(expect_since_);
            msg += r.at_end() ? ", stream ends" : ", found " + describe_byte(r.peek());
            for (std::size_t i = 0; i < data.size(); ++i) {
                if (data[i] == kEtx) {
                    msg += " (an ETX follows " + std::to_string(i) + " data bytes at offset " +
                           std::to_string(data_at + i) + ")";
                    break;
                }
            }
            throw DecodeError(etx_at, msg);
        }
        r.skip(1, "ETX");
        if (k == 'B') return BarcodeDataCmd{to_string(data)};
        if (k == 'Q') return QrDataCmd{to_string(data)};
        return CalendarTextCmd{to_string(data)};
    }

    void warn_size(std::size_t at, std::uint32_t size) {
        if (size > 5) result_.warn(at, "barcode size step " + std::to_string(size) + " outside 0..5");
    }

    static bool satisfies(Expect e, const CommandBody& b) {
        switch (e) {
        case Expect::nothing: return true;
        case Expect::barcode_field: return std::holds_alternative<BarcodeFieldCmd>(b);
        case Expect::barcode_data: return std::holds_alternative<BarcodeDataCmd>(b);
        case Expect::qr_setup: return std::holds_alternative<QrSetupCmd>(b);
        case Expect::qr_data: return std::holds_alternative<QrDataCmd>(b);
        case Expect::calendar_text: return std::holds_alternative<CalendarTextCmd>(b);
        }
        return false;
    }

    void check_order(const Command& cmd) {
        if (!satisfies(expect_, cmd.body)) {
            throw DecodeError(cmd.offset, "expected the " + std::string(expect_name(expect_)) +
                                              " to follow the command at offset " + std::to_string(expect_since_));
        }
        if (pending_raster_ && !std::holds_alternative<RasterPlacementCmd>(cmd.body)) flush_unplaced_raster(true);
        if (std::holds_alternative<QrSetupCmd>(cmd.body) && expect_ != Expect::qr_setup) {
            throw DecodeError(cmd.offset, "2D code setup command without a 2D code field command before it");
        }
    }

    void expect_next(Expect e, std::size_t since, std::uint32_t length = 0) {
        expect_ = e;
        expect_since_ = since;
        expected_length_ = length;
    }

    // A raster block whose placement command never came: kept at x = 0.
    void flush_unplaced_raster(bool warn) {
        if (!pending_raster_) return;
        if (warn) {
            result_.warn(pending_raster_->offset,
                         "raster block not followed by its placement command; previewed at x = 0");
        }
        pages_.add_raster(pending_raster_->offset, std::move(*pending_raster_));
        pending_raster_.reset();
    }

    void apply(const Command& cmd) {
        const std::size_t at = cmd.offset;
        const std::size_t end = cmd.offset + cmd.length;
        if (std::holds_alternative<RasterDataCmd>(cmd.body)) {
            pages_.open(at);
            RasterItem item;
            item.offset = at;
            item.image = std::move(pending_raster_image_);
            pending_raster_image_ = RasterImage{};
            pending_raster_ = std::move(item);
        } else if (const auto* place = std::get_if<RasterPlacementCmd>(&cmd.body)) {
            if (!pending_raster_) {
                throw DecodeError(at, "raster placement command without a raster block before it");
            }
            if (place->bytes_per_row != pending_raster_->image.bytes_per_row ||
                place->rows != pending_raster_->image.rows) {
                throw DecodeError(at, "raster placement names " + std::to_string(place->rows) + " rows x " +
                                          std::to_string(place->bytes_per_row) + " bytes, the raster block at offset " +
                                          std::to_string(pending_raster_->offset) + " has " +
                                          std::to_string(pending_raster_->image.rows) + " x " +
                                          std::to_string(pending_raster_->image.bytes_per_row));
            }
            pending_raster_->x = place->x;
            pending_raster_->placed = true;
            pages_.add_raster(pending_raster_->offset, std::move(*pending_raster_));
            pending_raster_.reset();
        } else if (const auto* pe = std::get_if<PageEndCmd>(&cmd.body)) {
            pages_.end_page(at, end, PageEndKind::page_end_command, pe->copies, pe->pattern);
        } else if (std::holds_alternative<CutCmd>(cmd.body)) {
            pages_.cut(at, end);
        } else if (const auto* ratio = std::get_if<BarcodeRatioCmd>(&cmd.body)) {
            pages_.open(at);
            ratio_ = *ratio;
            expect_next(Expect::barcode_field, at);
        } else if (const auto* bf = std::get_if<BarcodeFieldCmd>(&cmd.body)) {
            pages_.open(at);
            if (ratio_ && ratio_->kind != bf->kind) {
                result_.warn(at, "barcode ratio command for kind '" + std::string(1, ratio_->kind_char) +
                                     "' precedes a field of kind '" + std::string(1, bf->kind_char) + "'");
            }
            barcode_ = *bf;
            expect_next(Expect::barcode_data, at, bf->data_length);
        } else if (const auto* bd = std::get_if<BarcodeDataCmd>(&cmd.body)) {
            BarcodeItem item;
            item.offset = expect_since_;
            item.x = barcode_.x;
            item.y = barcode_.y;
            item.rotation = barcode_.rotation;
            item.kind = barcode_.kind;
            item.size = barcode_.size;
            item.height_mm = barcode_.height_mm;
            item.human_readable = barcode_.human_readable;
            item.data = bd->data;
            if (ratio_) item.widths = ratio_->widths;
            ratio_.reset();
            pages_.add_barcode(at, std::move(item));
            expect_next(Expect::nothing, 0);
        } else if (const auto* qf = std::get_if<QrFieldCmd>(&cmd.body)) {
            pages_.open(at);
            qr_field_ = *qf;
            qr_field_at_ = at;
            expect_next(Expect::qr_setup, at, qf->data_length);
        } else if (const auto* qs = std::get_if<QrSetupCmd>(&cmd.body)) {
            qr_setup_ = *qs;
            expect_next(Expect::qr_data, qr_field_at_, qr_field_.data_length);
        } else if (const auto* qd = std::get_if<QrDataCmd>(&cmd.body)) {
            QrItem item;
            item.offset = qr_field_at_;
            item.x = qr_field_.x;
            item.y = qr_field_.y;
            item.rotation = qr_field_.rotation;
            item.cell_dots = qr_setup_.cell_dots;
            item.level = qr_setup_.level;
            item.model = qr_setup_.model;
            item.data = qd->data;
            pages_.add_qr(at, std::move(item));
            expect_next(Expect::nothing, 0);
        } else if (const auto* cf = std::get_if<CalendarFieldCmd>(&cmd.body)) {
            pages_.open(at);
            calendar_ = *cf;
            expect_next(Expect::calendar_text, at, cf->text_length);
        } else if (const auto* ct = std::get_if<CalendarTextCmd>(&cmd.body)) {
            TextItem item;
            item.offset = expect_since_;
            item.x = calendar_.x;
            item.y = calendar_.y;
            item.rotation = calendar_.rotation;
            item.source = TextSource::calendar;
            item.char_type = calendar_.type;
            item.x_mag = calendar_.x_mag;
            item.y_mag = calendar_.y_mag;
            item.gap = calendar_.gap;
            item.text = ct->text;
            pages_.add_text(at, std::move(item));
            expect_next(Expect::nothing, 0);
        }
    }

    void at_end(std::size_t end) {
        if (expect_ != Expect::nothing) {
            throw DecodeError(end, "stream ends before the " + std::string(expect_name(expect_)) +
                                       " that must follow the command at offset " + std::to_string(expect_since_));
        }
        flush_unplaced_raster(true);
    }

    std::span<const std::uint8_t> bytes_;
    DecodeResult result_;
    PageBuilder pages_;

    Expect expect_ = Expect::nothing;
    std::size_t expect_since_ = 0;
    std::uint32_t expected_length_ = 0;

    std::optional<BarcodeRatioCmd> ratio_;
    BarcodeFieldCmd barcode_;
    QrFieldCmd qr_field_;
    std::size_t qr_field_at_ = 0;
    QrSetupCmd qr_setup_;
    CalendarFieldCmd calendar_;

    RasterImage pending_raster_image_;
    std::optional<RasterItem> pending_raster_;
};

}  // namespace

DecodeResult decode_printer_stream(std::span<const std::uint8_t> bytes) {
    return PrinterDecoder(bytes).run();
}

Command parse_page_control_command(ByteReader& r) {
    const std::size_t start = r.offset();
    r.expect(kStx, "STX");
    const std::size_t body_at = r.offset();
    auto starts_with = [&](std::string_view text) {
        if (r.remaining() < text.size()) return false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (r.peek(i) != static_cast<std::uint8_t>(text[i])) return false;
        }
        return true;
    };
    if (starts_with("2\x1bP")) {
        r.skip(3, "page end command letters");
        PageEndCmd p;
        p.copies = r.number(4, "copies");
        p.pattern = r.number(1, "after-print pattern");
        expect_etx(r, "page end");
        return Command{start, r.offset() - start, p};
    }
    if (starts_with("ECC0")) {
        r.skip(4, "cut command letters");
        expect_etx(r, "cut");
        return Command{start, r.offset() - start, CutCmd{}};
    }
    throw DecodeError(body_at, "only page end and cut commands may appear between keyboard-terminal records");
}

}  // namespace labelsim
