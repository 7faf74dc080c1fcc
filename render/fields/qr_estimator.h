// Size estimate of a 2D code (QR type) symbol. The printer encodes the
// symbol itself; the driver only needs its side to place a turned symbol.
// The data is split into encoding-mode segments the way an encoder would,
// the bits are counted and the smallest version whose data capacity holds
// them is chosen.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace render::fields {

enum class QrMode : std::uint8_t { kNumeric = 0, kAlphanumeric = 1, kByte = 2, kKanji = 3 };

// BarCodeQrModel values.
inline constexpr int kQrModel1 = 0;
inline constexpr int kQrModel2 = 1;
inline constexpr int kQrErrorLevels = 4;  // BarCodeQrErrLevel 0..3: L, M, Q, H
inline constexpr int kQrMaxVersion = 40;

// The segmentation stops reading after this many characters or once this
// many segments were emitted; an estimate past the segment limit has no
// size.
inline constexpr std::size_t kQrMaxCharacters = 7366;
inline constexpr std::size_t kQrMaxSegments = 200;

struct QrSegment {
  QrMode mode;
  std::uint32_t count;  // bytes of data (two per kanji character)
};

// The segments of one estimate. It is the estimator's work area: a caller
// that estimates repeatedly may keep one; nothing is shared between calls.
struct QrSegmentList {
  std::array<QrSegment, kQrMaxSegments> items{};
  std::size_t stored = 0;   // segments held in items
  std::size_t emitted = 0;  // segments produced, also those past the limit

  bool Overflowed() const { return emitted > kQrMaxSegments; }
  std::span<const QrSegment> Segments() const { return {items.data(), stored}; }
};

// Splits `data` into segments (replacing what `segments` held). Characters:
// '0'..'9' numeric; a Shift JIS lead byte (0x80..0xA0, 0xE0..0xFF) followed
// by a byte of at least 0x3F is one kanji character of two bytes; the other
// characters of the alphanumeric set (space $ % * + - . / : A..Z)
// alphanumeric; anything else byte, among them a lead byte that ends the
// data. A byte 0xFF where a character starts ends the data.
void SegmentQrData(std::string_view data, QrSegmentList& segments);

// Bits of a segment of `count` bytes in `mode`, its mode indicator and its
// character count (as long as in versions 1..9) included.
std::uint32_t QrSegmentBits(QrMode mode, std::uint32_t count);

// Bits the segments need at error level `errorLevel` in `model` (BarCodeQrModel),
// with the character-count fields widened as the versions the data reaches
// require. 0 for an unknown model or level.
std::uint32_t QrBitCount(const QrSegmentList& segments, int errorLevel, int model);

// Data codewords of `version` (1..40) at `errorLevel` in `model`; 0 outside.
int QrDataCapacity(int model, int version, int errorLevel);

// Modules per side, 4 * version + 17, of the smallest symbol holding `data`;
// 0 when no version holds it, the data needs more than kQrMaxSegments
// segments, or the model or level is unknown. Empty data estimates as
// version 1. The segments are left in `work`.
int EstimateQrModules(std::string_view data, int errorLevel, int model, QrSegmentList& work);
// The same with a work area of its own.
int EstimateQrModules(std::string_view data, int errorLevel, int model);

// Side of the symbol in dots: modules times the cell of BarCodeQrCellSize + 2
// dots.
int QrSymbolSide(int modules, int cellSize);

}  // namespace render::fields
