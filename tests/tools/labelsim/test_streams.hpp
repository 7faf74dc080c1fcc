#pragma once
// Builders for hand-made job streams, written from the byte formats: STX/ETX
// framed printer commands with zero-padded number fields, raster blocks, and
// little-endian keyboard-terminal records.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace labelsim_test {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline const std::string kEsc(1, '\x1b');

inline Bytes bytes_of(std::string_view s) { return Bytes(s.begin(), s.end()); }

// STX body ETX
inline Bytes cmd(std::string_view body) {
    Bytes b{kStx};
    b.insert(b.end(), body.begin(), body.end());
    b.push_back(kEtx);
    return b;
}

inline std::string num(std::uint32_t v, int width) {
    std::string s = std::to_string(v);
    while (static_cast<int>(s.size()) < width) s.insert(s.begin(), '0');
    return s;
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// STX 'I' r:4 b:3, the rows, "A" ETX
inline Bytes raster_plain(std::uint32_t rows, std::uint32_t bytes_per_row, const Bytes& data) {
    Bytes b{kStx, 'I'};
    append(b, bytes_of(num(rows, 4) + num(bytes_per_row, 3)));
    append(b, data);
    append(b, Bytes{'A', kEtx});
    return b;
}

// STX 'X' r:4 b:3, the pairs as given (end pair included by the caller), "A" ETX
inline Bytes raster_rle(std::uint32_t rows, std::uint32_t bytes_per_row,
                        std::initializer_list<std::pair<std::uint8_t, std::uint8_t>> pairs) {
    Bytes b{kStx, 'X'};
    append(b, bytes_of(num(rows, 4) + num(bytes_per_row, 3)));
    for (auto [count, value] : pairs) {
        b.push_back(count);
        b.push_back(value);
    }
    append(b, Bytes{'A', kEtx});
    return b;
}

inline Bytes placement(std::uint32_t x, std::uint32_t bytes_per_row, std::uint32_t rows) {
    return cmd("2" + kEsc + "IA00000000" + num(x, 4) + "0000" + num(bytes_per_row, 3) + num(rows, 4));
}

inline Bytes page_end(std::uint32_t copies, std::uint32_t pattern) {
    return cmd("2" + kEsc + "P" + num(copies, 4) + num(pattern, 1));
}

inline Bytes barcode(std::uint32_t x, std::uint32_t y, char kind, std::uint32_t rotation, std::uint32_t size,
                     std::uint32_t height_mm, char hr, std::string_view data) {
    return cat({cmd("0" + kEsc + "B000" + num(static_cast<std::uint32_t>(data.size()), 2) + num(x, 4) + num(y, 4) +
                    std::string(1, kind) + num(rotation, 1) + num(size, 1) + num(height_mm, 2) + std::string(1, hr)),
                cmd("1" + kEsc + "B000" + std::string(data))});
}

inline Bytes qr(std::uint32_t x, std::uint32_t y, std::uint32_t rotation, std::uint32_t cell, char level,
                std::uint32_t model, std::string_view data) {
    return cat({cmd("0" + kEsc + "Q000" + num(static_cast<std::uint32_t>(data.size()), 4) + num(x, 4) + num(y, 4) +
                    num(rotation, 1) + "0101000"),
                cmd("EQR" + num(cell, 2) + std::string(1, level) + "A" + num(model, 1)),
                cmd("1" + kEsc + "Q000" + std::string(data))});
}

inline Bytes calendar(std::uint32_t x, std::uint32_t y, char type, std::uint32_t rotation, std::uint32_t xmag,
                      std::uint32_t ymag, std::uint32_t gap, std::string_view text) {
    return cat({cmd("0" + kEsc + "C000" + num(static_cast<std::uint32_t>(text.size()), 2) + num(x, 4) + num(y, 4) +
                    std::string(1, type) + num(rotation, 1) + num(xmag, 1) + num(ymag, 1) + num(gap, 2)),
                cmd("1" + kEsc + "C000" + std::string(text))});
}

// ---- keyboard-terminal records ----

inline Bytes le32(std::uint32_t v) {
    return Bytes{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
                 static_cast<std::uint8_t>(v >> 24)};
}

inline Bytes kt_header(std::string_view name) {
    Bytes b = bytes_of("KT");
    append(b, le32(14));
    b.push_back(0);
    Bytes field(9, 0);
    for (std::size_t i = 0; i < name.size() && i < 8; ++i) field[i] = static_cast<std::uint8_t>(name[i]);
    append(b, field);
    return b;
}

// A record of `total` bytes: length, type, the body, zero filled to the end.
inline Bytes kt_record(std::uint32_t total, std::uint8_t type, const Bytes& body) {
    Bytes b = le32(total);
    b.push_back(type);
    append(b, body);
    b.resize(total, 0);
    return b;
}

inline Bytes kt_xy(std::int32_t x, std::int32_t y) {
    return cat({le32(static_cast<std::uint32_t>(x)), le32(static_cast<std::uint32_t>(y))});
}

// 16-byte barcode set-up: color, kind, size, length, numshow, rotate, qr cell,
// qr level, qr model, ebr, nb, wb, ns, ws, bg, hg
inline Bytes kt_barcode(std::int32_t x, std::int32_t y, const Bytes& entry16, std::string_view data) {
    Bytes body = kt_xy(x, y);
    append(body, entry16);
    append(body, bytes_of(data));
    return kt_record(7119, 1, body);
}

inline Bytes kt_raster_header(std::int32_t x, std::uint32_t bytes_per_row, std::uint32_t rows) {
    return kt_record(21, 2, cat({le32(static_cast<std::uint32_t>(x)), le32(0), le32(bytes_per_row), le32(rows)}));
}

inline Bytes kt_row(const Bytes& row) {
    return kt_record(static_cast<std::uint32_t>(row.size()) + 9, 3,
                     cat({le32(static_cast<std::uint32_t>(row.size())), row}));
}

// 76-byte calendar set-up with the first nine bytes given.
inline Bytes kt_calendar(std::int32_t x, std::int32_t y, const Bytes& first9) {
    Bytes entry = first9;
    entry.resize(76, 0);
    return kt_record(89, 4, cat({kt_xy(x, y), entry}));
}

inline Bytes variable_entry(std::string_view line2, std::uint8_t kind, std::uint8_t ymag, std::uint8_t xmag,
                            std::uint8_t rotate, std::uint8_t gap) {
    Bytes e(41, 0);
    for (std::size_t i = 0; i < 16; ++i) e[i] = ' ';
    for (std::size_t i = 0; i < 16; ++i) e[17 + i] = i < line2.size() ? static_cast<std::uint8_t>(line2[i]) : ' ';
    e[36] = kind;
    e[37] = ymag;
    e[38] = xmag;
    e[39] = rotate;
    e[40] = gap;
    return e;
}

inline Bytes kt_manual(std::int32_t x, std::int32_t y, const Bytes& entry41, std::string_view text) {
    return kt_record(1078, 5, cat({kt_xy(x, y), entry41, bytes_of(text)}));
}

}  // namespace labelsim_test
