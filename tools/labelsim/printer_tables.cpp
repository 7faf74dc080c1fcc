#include "printer_tables.hpp"

#include <array>
#include <cmath>

namespace labelsim {
namespace {

constexpr std::array<int, 15> kKindForChar = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15};

// Character cells in millimetres; the dot size is floor(d * mm + 0.5).
struct CellMm {
    double width;
    double height;
};

constexpr std::array<CellMm, 10> kCalendarCells = {{{1.75, 2.0},
                                                    {2.0, 3.0},
                                                    {2.0, 3.5},
                                                    {2.0, 4.5},
                                                    {2.25, 2.5},
                                                    {2.875, 3.0},
                                                    {3.125, 3.5},
                                                    {3.75, 4.0},
                                                    {4.125, 4.5},
                                                    {4.625, 5.0}}};
constexpr std::array<CellMm, 10> kCalendarCells12 = {{{1.75, 2.08},
                                                      {1.83, 2.75},
                                                      {2.0, 3.42},
                                                      {2.0, 4.41},
                                                      {2.08, 2.5},
                                                      {2.67, 3.0},
                                                      {3.17, 3.5},
                                                      {3.58, 4.0},
                                                      {4.17, 4.5},
                                                      {4.5, 5.0}}};
constexpr std::array<CellMm, 11> kManualCells = {{{0.875, 1.125},
                                                  {1.75, 2.0},
                                                  {2.0, 3.0},
                                                  {2.0, 3.5},
                                                  {2.0, 4.5},
                                                  {2.25, 2.5},
                                                  {2.875, 3.0},
                                                  {3.125, 3.5},
                                                  {3.75, 4.0},
                                                  {4.125, 4.5},
                                                  {4.625, 5.0}}};
constexpr std::array<CellMm, 11> kManualCells12 = {{{1.0, 1.17},
                                                    {1.75, 2.08},
                                                    {1.83, 2.75},
                                                    {2.0, 3.42},
                                                    {2.0, 4.41},
                                                    {2.08, 2.5},
                                                    {2.67, 3.0},
                                                    {3.17, 3.5},
                                                    {3.58, 4.0},
                                                    {4.17, 4.5},
                                                    {4.5, 5.0}}};

CellSize to_dots(unsigned d, CellMm mm) {
    return CellSize{static_cast<unsigned>(std::floor(d * mm.width + 0.5)),
                    static_cast<unsigned>(std::floor(d * mm.height + 0.5))};
}

// Standard narrow bar per size step 0..5; rows: EAN/UPC family, CODE39 family
// (CODE39, NW-7, CODE39/CD), ITF, CODE128/CODE93.
constexpr std::array<std::array<unsigned, 6>, 4> kNarrowBar = {{{2, 3, 4, 5, 6, 0},
                                                                 {1, 2, 3, 4, 5, 6},
                                                                 {2, 3, 4, 5, 6, 8},
                                                                 {1, 2, 3, 4, 5, 6}}};
constexpr std::array<std::array<unsigned, 6>, 4> kNarrowBar12 = {{{3, 4, 5, 6, 8, 0},
                                                                   {2, 3, 4, 6, 9, 12},
                                                                   {2, 3, 4, 6, 9, 12},
                                                                   {3, 4, 5, 6, 8, 10}}};

constexpr std::array<std::string_view, 22> kDateFormats = {
    "YY  M  D",   "YY. M. D",   "YY/ M/ D",   "YY, M, D",   "YY MM DD",   "YY.MM.DD",
    "YY/MM/DD",   "YY,MM,DD",   "YYYY  M  D", "YYYY. M. D", "YYYY/ M/ D", "YYYY, M, D",
    "YYYY MM DD", "YYYY.MM.DD", "YYYY/MM/DD", "YYYY,MM,DD", "YY",         "YYYY",
    " M",         "MM",         " D",         "DD"};
constexpr std::array<std::string_view, 12> kTimeFormats = {" H  T  S", " H: T: S", " H/ T/ S", " H, T, S",
                                                           "HH TT SS", "HH:TT:SS", "HH/TT/SS", "HH,TT,SS",
                                                           " H",       "HH",       " T",       "TT"};
constexpr std::array<std::string_view, 2> kSerialFormats = {"001", "  1"};

}  // namespace

std::optional<int> barcode_kind_from_char(char c) {
    const auto pos = kBarcodeKindChars.find(c);
    if (pos == std::string_view::npos || c == '\0') return std::nullopt;
    return kKindForChar[pos];
}

std::optional<char> barcode_char_from_kind(int kind) {
    for (std::size_t i = 0; i < kKindForChar.size(); ++i) {
        if (kKindForChar[i] == kind) return kBarcodeKindChars[i];
    }
    return std::nullopt;
}

std::string_view barcode_kind_name(int kind) {
    static constexpr std::array<std::string_view, 16> kNames = {
        "JAN-13",  "JAN-8",  "UPC/AC",         "UPC-E",          "CODE39",
        "NW-7",    "ITF 2of5", "CODE39/CD",    "CODE128",        "CODE93",
        "2D code", "RSS-14", "RSS-14 Truncated", "RSS-14 Stacked", "RSS-14 Stacked Omnidirectional",
        "RSS Limited"};
    if (kind < 0 || kind >= static_cast<int>(kNames.size())) return "unknown";
    return kNames[static_cast<std::size_t>(kind)];
}

unsigned standard_narrow_bar(unsigned dots_per_mm, int kind, unsigned size) {
    if (kind >= 11) return size + 2;
    const unsigned step = size > 5 ? 5 : size;
    std::size_t family = 0;
    switch (kind) {
    case 0: case 1: case 2: case 3: family = 0; break;
    case 4: case 5: case 7: family = 1; break;
    case 6: family = 2; break;
    default: family = 3; break;
    }
    const auto& table = dots_per_mm == 12 ? kNarrowBar12 : kNarrowBar;
    unsigned w = table[family][step];
    // The EAN/UPC family has no size step 5: it prints like step 4.
    if (w == 0) w = table[family][4];
    return w;
}

std::optional<CellSize> calendar_cell(unsigned dots_per_mm, unsigned type) {
    if (type >= kCalendarCells.size()) return std::nullopt;
    return to_dots(dots_per_mm, dots_per_mm == 12 ? kCalendarCells12[type] : kCalendarCells[type]);
}

std::optional<CellSize> manual_cell(unsigned dots_per_mm, unsigned kind) {
    if (kind >= kManualCells.size()) return std::nullopt;
    return to_dots(dots_per_mm, dots_per_mm == 12 ? kManualCells12[kind] : kManualCells[kind]);
}

std::string calendar_placeholder(unsigned date, unsigned format) {
    switch (date) {
    case 1:
        return format < kTimeFormats.size() ? std::string(kTimeFormats[format]) : std::string();
    case 2:
        return "WWW";
    case 3:
        // Any format but 0 pads the day number with spaces.
        return std::string(kSerialFormats[format == 0 ? 0 : 1]);
    default:
        return format < kDateFormats.size() ? std::string(kDateFormats[format]) : std::string();
    }
}

}  // namespace labelsim
