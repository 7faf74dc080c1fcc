#include "qr_image.hpp"

#include <qrencode.h>

#include <algorithm>
#include <memory>
#include <string>

namespace labelsim {
namespace {

struct QrDeleter {
    void operator()(QRcode* q) const { QRcode_free(q); }
};

QRecLevel level_of(char c) {
    switch (c) {
    case 'M': return QR_ECLEVEL_M;
    case 'Q': return QR_ECLEVEL_Q;
    case 'H': return QR_ECLEVEL_H;
    default: return QR_ECLEVEL_L;
    }
}

}  // namespace

FieldImage render_qr(const QrItem& item, std::uint64_t max_pixels) {
    const std::uint32_t cell = std::max(1u, item.cell_dots);
    const std::uint32_t fallback = std::min<std::uint32_t>(21 * cell, 4096);
    std::vector<std::string> notes;
    if (item.model == 1) notes.push_back("model 1 drawn as model 2");
    if (item.data.empty()) return placeholder_image(fallback, fallback, "empty 2D code data");

    std::unique_ptr<QRcode, QrDeleter> code;
    if (item.data.find('\0') == std::string::npos) {
        // Mode optimisation as the printer does it, Shift JIS pairs as kanji.
        code.reset(QRcode_encodeString(item.data.c_str(), 0, level_of(item.level), QR_MODE_KANJI, 1));
    }
    if (!code) {
        code.reset(QRcode_encodeData(static_cast<int>(item.data.size()),
                                     reinterpret_cast<const unsigned char*>(item.data.data()), 0,
                                     level_of(item.level)));
    }
    if (!code) return placeholder_image(fallback, fallback, "qrencode: data does not fit any symbol version");

    const auto modules = static_cast<std::uint32_t>(code->width);
    const std::uint64_t side = std::uint64_t{modules} * cell;
    if (side * side > max_pixels) return placeholder_image(fallback, fallback, "2D code too large to preview");

    FieldImage img;
    img.notes = std::move(notes);
    img.notes.push_back("version " + std::to_string(code->version) + ", " + std::to_string(modules) + " modules");
    img.bitmap = Bitmap(static_cast<std::uint32_t>(side), static_cast<std::uint32_t>(side));
    for (std::uint32_t my = 0; my < modules; ++my) {
        for (std::uint32_t mx = 0; mx < modules; ++mx) {
            if (code->data[std::size_t{my} * modules + mx] & 1u) {
                img.bitmap.fill(std::int64_t{mx} * cell, std::int64_t{my} * cell, cell, cell);
            }
        }
    }
    img.core = Rect{0, 0, static_cast<std::int64_t>(side), static_cast<std::int64_t>(side)};
    return img;
}

}  // namespace labelsim
