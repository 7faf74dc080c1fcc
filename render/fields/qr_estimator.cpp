#include "render/fields/qr_estimator.h"

namespace render::fields {
namespace {

using Capacities = std::array<std::array<std::uint16_t, kQrErrorLevels>, kQrMaxVersion>;

// Data codewords by version (rows 1..40) and error level (L, M, Q, H).
constexpr Capacities kModel1Capacities = {{
    {{  18,   15,   12,    8}},  // 1
    {{  35,   29,   23,   15}},  // 2
    {{  56,   43,   35,   23}},  // 3
    {{  79,   59,   49,   33}},  // 4
    {{ 107,   81,   67,   45}},  // 5
    {{ 135,  105,   85,   57}},  // 6
    {{ 169,  131,  107,   71}},  // 7
    {{ 207,  159,  127,   86}},  // 8
    {{ 245,  185,  155,  101}},  // 9
    {{ 289,  221,  182,  123}},  // 10
    {{ 335,  255,  207,  144}},  // 11
    {{ 383,  291,  243,  164}},  // 12
    {{ 431,  331,  275,  191}},  // 13
    {{ 488,  367,  309,  209}},  // 14
    {{ 551,  411,  347,  230}},  // 15
    {{ 608,  459,  383,  263}},  // 16
    {{ 671,  509,  419,  296}},  // 17
    {{ 739,  563,  471,  319}},  // 18
    {{ 815,  617,  509,  351}},  // 19
    {{ 884,  671,  549,  383}},  // 20
    {{ 964,  727,  599,  407}},  // 21
    {{1049,  791,  649,  441}},  // 22
    {{1133,  863,  701,  479}},  // 23
    {{1217,  919,  764,  524}},  // 24
    {{1308,  989,  831,  543}},  // 25
    {{1399, 1088,  881,  593}},  // 26
    {{1503, 1121,  935,  647}},  // 27
    {{1607, 1223, 1006,  692}},  // 28
    {{1709, 1286, 1079,  734}},  // 29
    {{1799, 1357, 1149,  781}},  // 30
    {{1929, 1441, 1195,  827}},  // 31
    {{2029, 1567, 1287,  863}},  // 32
    {{2147, 1673, 1374,  909}},  // 33
    {{2267, 1745, 1427,  979}},  // 34
    {{2399, 1842, 1487,  991}},  // 35
    {{2508, 1939, 1599, 1087}},  // 36
    {{2651, 2036, 1649, 1121}},  // 37
    {{2785, 2120, 1748, 1154}},  // 38
    {{2909, 2253, 1835, 1259}},  // 39
    {{3071, 2299, 1899, 1291}},  // 40
}};

// Model 2: the data codewords of the QR Code standard (ISO/IEC 18004).
constexpr Capacities kModel2Capacities = {{
    {{  19,   16,   13,    9}},  // 1
    {{  34,   28,   22,   16}},  // 2
    {{  55,   44,   34,   26}},  // 3
    {{  80,   64,   48,   36}},  // 4
    {{ 108,   86,   62,   46}},  // 5
    {{ 136,  108,   76,   60}},  // 6
    {{ 156,  124,   88,   66}},  // 7
    {{ 194,  154,  110,   86}},  // 8
    {{ 232,  182,  132,  100}},  // 9
    {{ 274,  216,  154,  122}},  // 10
    {{ 324,  254,  180,  140}},  // 11
    {{ 370,  290,  206,  158}},  // 12
    {{ 428,  334,  244,  180}},  // 13
    {{ 461,  365,  261,  197}},  // 14
    {{ 523,  415,  295,  223}},  // 15
    {{ 589,  453,  325,  253}},  // 16
    {{ 647,  507,  367,  283}},  // 17
    {{ 721,  563,  397,  313}},  // 18
    {{ 795,  627,  445,  341}},  // 19
    {{ 861,  669,  485,  385}},  // 20
    {{ 932,  714,  512,  406}},  // 21
    {{1006,  782,  568,  442}},  // 22
    {{1094,  860,  614,  464}},  // 23
    {{1174,  914,  664,  514}},  // 24
    {{1276, 1000,  718,  538}},  // 25
    {{1370, 1062,  754,  596}},  // 26
    {{1468, 1128,  808,  628}},  // 27
    {{1531, 1193,  871,  661}},  // 28
    {{1631, 1267,  911,  701}},  // 29
    {{1735, 1373,  985,  745}},  // 30
    {{1843, 1455, 1033,  793}},  // 31
    {{1955, 1541, 1115,  845}},  // 32
    {{2071, 1631, 1171,  901}},  // 33
    {{2191, 1725, 1231,  961}},  // 34
    {{2306, 1812, 1286,  986}},  // 35
    {{2434, 1914, 1354, 1054}},  // 36
    {{2566, 1992, 1426, 1096}},  // 37
    {{2702, 2102, 1502, 1142}},  // 38
    {{2812, 2216, 1582, 1222}},  // 39
    {{2956, 2334, 1666, 1276}},  // 40
}};

constexpr int kModeCount = 4;
using ModeTable = std::array<std::array<std::uint8_t, kModeCount>, kModeCount>;

// A(x, y): bytes a run of mode y needs to stand as its own segment next to
// mode x.
constexpr ModeTable kStandAlone = {{
    {0, 1, 1, 8},
    {7, 0, 1, 8},
    {3, 6, 0, 8},
    {3, 6, 1, 0},
}};

// B(x, y): the same for a run of mode y between two runs of mode x.
constexpr ModeTable kBetween = {{
    {0, 0, 0, 0},
    {13, 0, 0, 0},
    {6, 10, 0, 8},
    {0, 0, 0, 0},
}};

// F(x, y): mode x can carry the characters of mode y.
constexpr ModeTable kCarries = {{
    {0, 0, 0, 0},
    {1, 0, 0, 0},
    {1, 1, 0, 1},
    {0, 0, 0, 0},
}};

// Character-count field lengths by version range (1..9, 10..26, 27..40).
constexpr std::array<std::array<std::uint8_t, kModeCount>, 3> kCountBits = {{
    {10, 9, 8, 8},
    {12, 11, 16, 10},
    {14, 13, 16, 12},
}};

constexpr std::array<std::uint32_t, kModeCount> kCharBytes = {1, 1, 1, 2};  // U

constexpr std::uint32_t kModeIndicatorBits = 4;
constexpr int kLastSmallVersion = 9;
constexpr int kLastMediumVersion = 26;

std::size_t Index(QrMode mode) { return static_cast<std::size_t>(mode); }
std::uint32_t A(QrMode x, QrMode y) { return kStandAlone[Index(x)][Index(y)]; }
std::uint32_t B(QrMode x, QrMode y) { return kBetween[Index(x)][Index(y)]; }
bool F(QrMode x, QrMode y) { return kCarries[Index(x)][Index(y)] != 0; }
std::uint32_t U(QrMode mode) { return kCharBytes[Index(mode)]; }

std::uint32_t DataBits(QrMode mode, std::uint32_t n) {
  static constexpr std::array<std::uint32_t, 3> kNumericRest = {0, 4, 7};
  switch (mode) {
    case QrMode::kNumeric:
      return 10 * (n / 3) + kNumericRest[n % 3];
    case QrMode::kAlphanumeric:
      return 11 * (n / 2) + 6 * (n % 2);
    case QrMode::kByte:
      return 8 * n;
    case QrMode::kKanji:
      break;
  }
  return 13 * ((n + 1) / 2);
}

bool IsAlphanumericSymbol(std::uint8_t c) {
  static constexpr std::string_view kSymbols = " $%*+-./:";
  return (c >= 'A' && c <= 'Z') || kSymbols.find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsLeadByte(std::uint8_t c) { return (c >= 0x80 && c <= 0xA0) || c >= 0xE0; }

// A run: its mode and, once closed, its byte count.
struct Run {
  QrMode mode;
  std::uint32_t count;
};

// The windowed segmentation. Up to three closed runs are held back in
// r_[0..2] until it is clear whether they stand alone or are merged; the
// open run is r_[p_] with its count in open_. r_[p_ + 1] receives a new
// run while the rules decide (r_[3] only under rule Three).
class Segmenter {
 public:
  explicit Segmenter(QrSegmentList& out) : out_(out) {}

  void Start(QrMode mode) {
    r_[0] = Run{mode, 0};
    open_ = U(mode);
    p_ = 0;
  }

  void Add(QrMode mode) {
    if (mode == r_[p_].mode) {
      open_ += U(mode);
      return;
    }
    r_[p_].count = open_;
    r_[p_ + 1] = Run{mode, 0};
    switch (p_) {
      case 0:
        RuleOne();
        break;
      case 1:
        if (!RuleTwo()) RuleOne();
        break;
      default:
        if (!RuleThree() && !RuleTwo()) RuleOne();
        break;
    }
  }

  void Finish() {
    if (p_ == 0) {
      Emit(Run{r_[0].mode, open_});
    } else if (p_ == 1) {
      FinishTwo();
    } else {
      FinishThree();
    }
  }

 private:
  void Emit(const Run& run) {
    if (out_.stored < out_.items.size()) out_.items[out_.stored++] = QrSegment{run.mode, run.count};
    ++out_.emitted;
  }

  // Emits two neighbouring runs apart, or joined as one byte segment when
  // that is cheaper.
  void EmitApartOrJoined(const Run& first, const Run& second) {
    const std::uint32_t apart = QrSegmentBits(second.mode, second.count) + QrSegmentBits(first.mode, first.count);
    const std::uint32_t joined = QrSegmentBits(QrMode::kByte, first.count + second.count);
    if (joined >= apart) {
      Emit(first);
      Emit(second);
    } else {
      Emit(Run{QrMode::kByte, first.count + second.count});
    }
  }

  // r_[0] closed, the new run in r_[1].
  void RuleOne() {
    const QrMode x = r_[1].mode;
    const QrMode y = r_[0].mode;
    const std::uint32_t n = r_[0].count;
    if (n >= A(x, y) && (F(x, y) || A(x, y) > 1)) {
      Emit(r_[0]);
      r_[0] = r_[1];
      open_ = U(x);
      p_ = 0;
    } else if (n < A(x, y) && F(x, y)) {
      r_[0].mode = x;  // the short run is carried by the new mode
      open_ = r_[0].count + U(x);
      p_ = 0;
    } else {
      open_ = U(x);
      p_ = 1;
    }
  }

  // r_[0] and r_[1] closed, the new run in r_[2]. False: undecided, the
  // window is left for rule One.
  bool RuleTwo() {
    const QrMode m0 = r_[0].mode;
    const QrMode m1 = r_[1].mode;
    const QrMode z = r_[2].mode;
    const std::uint32_t a = r_[0].count;
    const std::uint32_t b = r_[1].count;
    if (a < A(m1, m0)) {  // the first run is short
      if (!F(z, m1) && !F(m1, z)) {
        const std::uint32_t apart = QrSegmentBits(m1, b) + QrSegmentBits(m0, a);
        const std::uint32_t joined = QrSegmentBits(QrMode::kByte, a + b);
        if (joined >= apart) {
          Emit(r_[0]);
          Emit(r_[1]);
          r_[0] = r_[2];
          open_ = U(z);
          p_ = 0;
          return true;
        }
        r_[0] = Run{QrMode::kByte, a + b};
        r_[1] = r_[2];
        p_ = 0;
        return false;
      }
      if (z == QrMode::kByte) {
        const std::uint32_t apart = QrSegmentBits(m1, b) + QrSegmentBits(m0, a) + 12;
        const std::uint32_t joined = QrSegmentBits(QrMode::kByte, a + b);
        if (joined >= apart) {
          ShiftOut();
          return false;
        }
        r_[0] = Run{QrMode::kByte, a + b};
        open_ = a + b + U(z);
        p_ = 0;
        return true;
      }
      if (!F(m1, z)) {
        open_ = U(z);
        p_ = 2;
        return true;
      }
      r_[1].mode = z;
      open_ = b + U(z);
      p_ = 1;
      return true;
    }
    if (m0 == z) {
      if (b >= B(m0, m1)) {
        ShiftOut();
        return false;
      }
      open_ = a + b + U(z);  // r_[1] and the new run join r_[0]
      p_ = 0;
      return true;
    }
    if (b >= A(m0, m1)) {
      ShiftOut();
      return false;
    }
    if ((F(z, m1) || F(m1, z)) && m0 == QrMode::kByte) {
      if (!F(z, m1)) {
        open_ = U(z);
        p_ = 2;
      } else {
        r_[1].mode = z;
        open_ = b + U(z);
        p_ = 1;
      }
      return true;
    }
    r_[0].count = a + b;  // r_[1] joins r_[0]
    r_[1] = r_[2];
    p_ = 0;
    return false;
  }

  // r_[0..2] closed, the new run in r_[3]. False: undecided, the window is
  // left for rule Two.
  bool RuleThree() {
    const Run next = r_[3];
    const bool standsAlone = r_[2].count >= A(r_[1].mode, r_[2].mode);
    if (r_[0].mode == QrMode::kByte) {
      if (standsAlone) {
        Emit(Run{QrMode::kByte, r_[0].count + r_[1].count});
        Emit(r_[2]);
        r_[0] = next;
        open_ = U(next.mode);
        p_ = 0;
        return true;
      }
    } else if (standsAlone) {
      EmitApartOrJoined(r_[0], r_[1]);
      Emit(r_[2]);
      r_[0] = next;
      open_ = U(next.mode);
      p_ = 0;
      return true;
    }
    if (r_[1].mode == next.mode) {
      open_ = r_[1].count + r_[2].count + U(next.mode);  // r_[2] and the new run join r_[1]
      p_ = 1;
      return true;
    }
    r_[1].count += r_[2].count;
    r_[2] = next;
    p_ = 1;
    return false;
  }

  // Emits r_[0] and moves r_[1], r_[2] down.
  void ShiftOut() {
    Emit(r_[0]);
    r_[0] = r_[1];
    r_[1] = r_[2];
    p_ = 0;
  }

  void FinishTwo() {
    const QrMode m0 = r_[0].mode;
    const QrMode m1 = r_[1].mode;
    const std::uint32_t a = r_[0].count;
    const Run last{m1, open_};
    if (a < A(m1, m0)) {
      if (F(m1, m0)) {
        Emit(Run{m1, a + open_});
      } else if (QrSegmentBits(QrMode::kByte, a + open_) < QrSegmentBits(m1, open_) + QrSegmentBits(m0, a)) {
        Emit(Run{QrMode::kByte, a + open_});
      } else {
        Emit(r_[0]);
        Emit(last);
      }
    } else if (!F(m1, m0) && open_ < A(m0, m1)) {
      Emit(Run{m0, a + open_});
    } else {
      Emit(r_[0]);
      Emit(last);
    }
  }

  void FinishThree() {
    const bool standsAlone = open_ >= A(r_[1].mode, r_[2].mode);
    if (r_[0].mode == QrMode::kByte) {
      if (standsAlone) {
        Emit(Run{QrMode::kByte, r_[0].count + r_[1].count});
        Emit(Run{r_[2].mode, open_});
        return;
      }
      r_[1].count += open_;
      if (r_[1].count >= A(r_[0].mode, r_[1].mode)) {
        Emit(r_[0]);
        Emit(r_[1]);
      } else {
        Emit(Run{r_[0].mode, r_[0].count + r_[1].count});
      }
      return;
    }
    if (standsAlone) {
      EmitApartOrJoined(r_[0], r_[1]);
      Emit(Run{r_[2].mode, open_});
      return;
    }
    r_[1].count += open_;
    EmitApartOrJoined(r_[0], r_[1]);
  }

  QrSegmentList& out_;
  std::array<Run, 4> r_{};
  std::size_t p_ = 0;
  std::uint32_t open_ = 0;
};

const Capacities* CapacitiesOf(int model) {
  if (model == kQrModel1) return &kModel1Capacities;
  if (model == kQrModel2) return &kModel2Capacities;
  return nullptr;
}

// Bits added to every segment's count field when the data reaches the
// version range `range` (1: 10..26, 2: 27..40) from the one below.
std::uint32_t CountFieldGrowth(const QrSegmentList& segments, std::size_t range) {
  std::uint32_t growth = 0;
  for (const QrSegment& segment : segments.Segments()) {
    growth += kCountBits[range][Index(segment.mode)] - kCountBits[range - 1][Index(segment.mode)];
  }
  return growth;
}

}  // namespace

std::uint32_t QrSegmentBits(QrMode mode, std::uint32_t count) {
  return kModeIndicatorBits + kCountBits[0][Index(mode)] + DataBits(mode, count);
}

void SegmentQrData(std::string_view data, QrSegmentList& segments) {
  segments.stored = 0;
  segments.emitted = 0;
  Segmenter segmenter(segments);
  std::size_t characters = 0;
  std::size_t i = 0;
  while (i < data.size() && characters < kQrMaxCharacters && segments.emitted < kQrMaxSegments) {
    const auto c = static_cast<std::uint8_t>(data[i]);
    if (c == 0xFF) break;
    QrMode mode = QrMode::kByte;
    if (c >= '0' && c <= '9') {
      mode = QrMode::kNumeric;
    } else if (IsLeadByte(c) && i + 1 < data.size() && static_cast<std::uint8_t>(data[i + 1]) >= 0x3F) {
      mode = QrMode::kKanji;
    } else if (IsAlphanumericSymbol(c)) {
      mode = QrMode::kAlphanumeric;
    }
    if (i == 0) {
      segmenter.Start(mode);
    } else {
      segmenter.Add(mode);
    }
    i += U(mode);
    ++characters;
  }
  if (i > 0) segmenter.Finish();
}

std::uint32_t QrBitCount(const QrSegmentList& segments, int errorLevel, int model) {
  const Capacities* capacities = CapacitiesOf(model);
  if (capacities == nullptr || errorLevel < 0 || errorLevel >= kQrErrorLevels) return 0;
  const auto level = static_cast<std::size_t>(errorLevel);

  // Model 2 symbols start with a mode indicator of their own.
  std::uint32_t bits = model == kQrModel2 ? kModeIndicatorBits : 0;
  for (const QrSegment& segment : segments.Segments()) {
    bits += kCountBits[0][Index(segment.mode)] + DataBits(segment.mode, segment.count);
  }
  if (segments.stored > 1) bits += kModeIndicatorBits * static_cast<std::uint32_t>(segments.stored - 1);

  if (bits / 8 > (*capacities)[kLastSmallVersion - 1][level]) {
    bits += CountFieldGrowth(segments, 1);
    if (bits / 8 > (*capacities)[kLastMediumVersion - 1][level]) bits += CountFieldGrowth(segments, 2);
  }
  return bits;
}

int QrDataCapacity(int model, int version, int errorLevel) {
  const Capacities* capacities = CapacitiesOf(model);
  if (capacities == nullptr || version < 1 || version > kQrMaxVersion || errorLevel < 0 ||
      errorLevel >= kQrErrorLevels) {
    return 0;
  }
  return (*capacities)[static_cast<std::size_t>(version - 1)][static_cast<std::size_t>(errorLevel)];
}

int EstimateQrModules(std::string_view data, int errorLevel, int model, QrSegmentList& work) {
  work.stored = 0;
  work.emitted = 0;
  if (CapacitiesOf(model) == nullptr || errorLevel < 0 || errorLevel >= kQrErrorLevels) return 0;
  SegmentQrData(data, work);
  if (work.Overflowed()) return 0;
  const std::uint32_t bytes = (QrBitCount(work, errorLevel, model) + 7) / 8;
  for (int version = 1; version <= kQrMaxVersion; ++version) {
    if (static_cast<std::uint32_t>(QrDataCapacity(model, version, errorLevel)) >= bytes) return 4 * version + 17;
  }
  return 0;
}

int EstimateQrModules(std::string_view data, int errorLevel, int model) {
  QrSegmentList work;
  return EstimateQrModules(data, errorLevel, model, work);
}

int QrSymbolSide(int modules, int cellSize) { return modules * (cellSize + 2); }

}  // namespace render::fields
