// Text as GDI would draw it: EngTextOut marks the run's text box with the
// small bitmap font in the foreground colour, FONTOBJ_pifi answers the
// metrics of the fonts the host made, and host::TextRun builds the objects
// of one run for tests and tools.
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "bitmap_font.h"
#include "host_internal.h"

namespace host::detail {

namespace {

constexpr ULONG kNotSolid = 0xFFFFFFFF;  // iSolidColor of a pattern brush
constexpr ULONG kBlack = 0x000000;

struct FontTable {
  std::mutex mutex;
  std::map<const FONTOBJ*, IFIMETRICS*> fonts;
};

FontTable& Fonts() {
  static FontTable table;
  return table;
}

struct Area {
  LONG left;
  LONG top;
  LONG right;  // exclusive, as in RECTL
  LONG bottom;
};

Area Intersect(const Area& a, const RECTL& r) {
  return Area{std::max(a.left, r.left), std::max(a.top, r.top), std::min(a.right, r.right),
              std::min(a.bottom, r.bottom)};
}

// Where the drawing goes: a 24- or 32-bit surface, limited to the clip.
class Canvas {
 public:
  Canvas(SURFOBJ& so, int bytesPerPixel, const Area& clip) : so_(so), bytesPerPixel_(bytesPerPixel), clip_(clip) {}

  const Area& clip() const { return clip_; }

  // Colours are 0xRRGGBB; the surface keeps each pixel as B, G, R.
  void Put(LONG x, LONG y, ULONG color) {
    BYTE* pixel = static_cast<BYTE*>(so_.pvScan0) + static_cast<std::ptrdiff_t>(y) * so_.lDelta +
                  static_cast<std::ptrdiff_t>(x) * bytesPerPixel_;
    pixel[0] = static_cast<BYTE>(color & 0xFF);
    pixel[1] = static_cast<BYTE>((color >> 8) & 0xFF);
    pixel[2] = static_cast<BYTE>((color >> 16) & 0xFF);
  }

  void Fill(const RECTL& rect, ULONG color) {
    const Area area = Intersect(clip_, rect);
    for (LONG y = area.top; y < area.bottom; ++y) {
      for (LONG x = area.left; x < area.right; ++x) Put(x, y, color);
    }
  }

 private:
  SURFOBJ& so_;
  int bytesPerPixel_;
  Area clip_;
};

ULONG ColorOf(const BRUSHOBJ* brush) {
  if (brush == nullptr || brush->iSolidColor == kNotSolid) return kBlack;
  return brush->iSolidColor & 0xFFFFFF;
}

// Each character gets an equal share of the box's width and the full
// height; its 6 x 8 cell is stretched over that share.
void DrawText(Canvas& canvas, const STROBJ& str, ULONG color) {
  const RECTL& box = str.rclBkGround;
  const std::int64_t width = static_cast<std::int64_t>(box.right) - box.left;
  const std::int64_t height = static_cast<std::int64_t>(box.bottom) - box.top;
  const std::int64_t count = str.cGlyphs;
  if (count == 0 || width <= 0 || height <= 0) return;
  const Area area = Intersect(canvas.clip(), box);
  for (LONG y = area.top; y < area.bottom; ++y) {
    const auto row = static_cast<int>((y - box.top) * kCellRows / height);
    if (row >= kGlyphRows) continue;
    for (LONG x = area.left; x < area.right; ++x) {
      const std::int64_t offset = (x - box.left) * count;
      const std::int64_t index = offset / width;
      const auto column = static_cast<int>((offset - index * width) * kCellColumns / width);
      if (column >= kGlyphColumns) continue;
      const char16_t c = str.pwszOrg != nullptr ? str.pwszOrg[index] : char16_t{0xFFFF};
      if ((GlyphRows(c)[row] >> (kGlyphColumns - 1 - column)) & 1) canvas.Put(x, y, color);
    }
  }
}

// The metrics and the strings behind them, in one block aligned for the
// structure; the strings follow at the offsets the structure names.
std::vector<std::uint64_t> MakeMetrics(std::u16string_view faceName, FWORD ascender, FWORD descender) {
  static constexpr std::u16string_view kStyle = u"Regular";
  const std::size_t faceBytes = (faceName.size() + 1) * sizeof(WCHAR);
  const std::size_t styleBytes = (kStyle.size() + 1) * sizeof(WCHAR);
  const std::size_t size = sizeof(IFIMETRICS) + 3 * faceBytes + styleBytes;
  std::vector<std::uint64_t> storage((size + 7) / 8, 0);
  auto* base = reinterpret_cast<BYTE*>(storage.data());

  IFIMETRICS ifi{};
  ifi.cjThis = static_cast<ULONG>(size);
  std::size_t offset = sizeof(IFIMETRICS);
  auto place = [&](std::u16string_view text) {
    std::memcpy(base + offset, text.data(), text.size() * sizeof(WCHAR));  // the NUL is already there
    const auto at = static_cast<PTRDIFF>(offset);
    offset += (text.size() + 1) * sizeof(WCHAR);
    return at;
  };
  ifi.dpwszFamilyName = place(faceName);
  ifi.dpwszStyleName = place(kStyle);
  ifi.dpwszFaceName = place(faceName);
  ifi.dpwszUniqueName = place(faceName);
  ifi.jWinCharSet = 1;  // DEFAULT_CHARSET
  ifi.usWinWeight = 400;
  ifi.fwdUnitsPerEm = static_cast<FWORD>(ascender + descender);
  ifi.fwdWinAscender = ascender;
  ifi.fwdWinDescender = descender;
  ifi.fwdMacAscender = ascender;
  ifi.fwdMacDescender = static_cast<FWORD>(-descender);
  ifi.fwdTypoAscender = ascender;
  ifi.fwdTypoDescender = static_cast<FWORD>(-descender);
  ifi.chFirstChar = 0x20;
  ifi.chLastChar = 0xFF;
  ifi.chDefaultChar = '?';
  ifi.chBreakChar = ' ';
  ifi.wcFirstChar = 0x20;
  ifi.wcLastChar = 0xFFFF;
  ifi.wcDefaultChar = u'?';
  ifi.wcBreakChar = u' ';
  ifi.ptlBaseline = POINTL{1, 0};
  ifi.ptlAspect = POINTL{1, 1};
  ifi.ptlCaret = POINTL{0, 1};
  std::memcpy(base, &ifi, sizeof ifi);
  return storage;
}

}  // namespace

}  // namespace host::detail

// Every surface format but 24 and 32 bits per pixel is refused.
BOOL EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* /*pfo*/, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* /*pptlOrg*/, MIX /*mix*/) {
  if (pso == nullptr || pstro == nullptr || pso->pvScan0 == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int bytesPerPixel = 0;
  if (pso->iBitmapFormat == BMF_24BPP) bytesPerPixel = 3;
  if (pso->iBitmapFormat == BMF_32BPP) bytesPerPixel = 4;
  if (bytesPerPixel == 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  host::detail::Area clip{0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
  // Only the bounds of a complex clip region are known here.
  if (pco != nullptr && pco->iDComplexity != DC_TRIVIAL) clip = host::detail::Intersect(clip, pco->rclBounds);
  host::detail::Canvas canvas(*pso, bytesPerPixel, clip);

  if (prclOpaque != nullptr && pboOpaque != nullptr) canvas.Fill(*prclOpaque, host::detail::ColorOf(pboOpaque));
  const ULONG color = host::detail::ColorOf(pboFore);
  // Underlines and strike-outs: a list ending in an all-zero rectangle.
  for (const RECTL* r = prclExtra; r != nullptr && (r->left | r->top | r->right | r->bottom) != 0; ++r) {
    canvas.Fill(*r, color);
  }
  host::detail::DrawText(canvas, *pstro, color);
  return TRUE;
}

IFIMETRICS* FONTOBJ_pifi(FONTOBJ* pfo) {
  auto& table = host::detail::Fonts();
  const std::lock_guard lock(table.mutex);
  const auto it = table.fonts.find(pfo);
  return it == table.fonts.end() ? nullptr : it->second;
}

namespace host {

struct TextRun::Parts {
  std::u16string text;
  std::vector<GLYPHPOS> glyphs;
  std::vector<std::uint64_t> metrics;
  STROBJ str{};
  FONTOBJ font{};
  BRUSHOBJ brush{};

  IFIMETRICS* ifi() { return reinterpret_cast<IFIMETRICS*>(metrics.data()); }

  ~Parts() {
    auto& table = detail::Fonts();
    const std::lock_guard lock(table.mutex);
    table.fonts.erase(&font);
  }
};

TextRun::TextRun(std::u16string_view text, const RECTL& box, std::u16string_view faceName, ULONG color,
                 FWORD ascender, FWORD descender)
    : parts_(std::make_unique<Parts>()) {
  Parts& p = *parts_;
  p.text = std::u16string(text);
  const auto count = static_cast<LONG>(text.size());
  p.glyphs.resize(text.size());
  const std::int64_t width = static_cast<std::int64_t>(box.right) - box.left;
  for (LONG i = 0; i < count; ++i) {
    GLYPHPOS& g = p.glyphs[static_cast<std::size_t>(i)];
    g.hg = text[static_cast<std::size_t>(i)];
    g.pgdf = nullptr;
    g.ptl = POINTL{static_cast<LONG>(box.left + width * i / count), box.bottom};
  }
  p.str.cGlyphs = static_cast<ULONG>(count);
  p.str.rclBkGround = box;
  p.str.pgp = p.glyphs.empty() ? nullptr : p.glyphs.data();
  p.str.pwszOrg = p.text.data();

  p.metrics = detail::MakeMetrics(faceName, ascender, descender);
  p.font.iUniq = 1;
  p.font.cxMax = static_cast<ULONG>(count > 0 ? width / count : 0);
  p.font.sizLogResPpi = SIZE{96, 96};
  p.font.pvProducer = p.ifi();

  p.brush.iSolidColor = color & 0xFFFFFF;

  auto& table = detail::Fonts();
  const std::lock_guard lock(table.mutex);
  table.fonts[&p.font] = p.ifi();
}

TextRun::~TextRun() = default;
TextRun::TextRun(TextRun&& other) noexcept = default;
TextRun& TextRun::operator=(TextRun&& other) noexcept = default;

STROBJ* TextRun::str() { return &parts_->str; }
FONTOBJ* TextRun::font() { return &parts_->font; }
BRUSHOBJ* TextRun::brush() { return &parts_->brush; }
IFIMETRICS* TextRun::metrics() { return parts_->ifi(); }

}  // namespace host
