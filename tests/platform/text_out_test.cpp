#include <cstring>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "platform/win.h"

namespace {

constexpr LONG kWidth = 120;
constexpr LONG kHeight = 60;
constexpr ULONG kRed = 0xFF0000;

// A white 24-bit bottom-up page, as the driver's surface is.
class TextOutTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    bitmap_ = EngCreateBitmap(SIZEL{kWidth, kHeight}, 0, BMF_24BPP, 0, nullptr);
    ASSERT_NE(bitmap_, nullptr);
    so_ = host::SurfaceOf(reinterpret_cast<HSURF>(bitmap_));
    std::memset(so_->pvBits, 0xFF, so_->cjBits);
  }
  void TearDown() override {
    EngDeleteSurface(reinterpret_cast<HSURF>(bitmap_));
    HostTest::TearDown();
  }

  // B, G, R of a pixel; y counts from the top.
  const BYTE* Pixel(LONG x, LONG y) const {
    return static_cast<const BYTE*>(so_->pvScan0) + static_cast<std::ptrdiff_t>(y) * so_->lDelta + x * 3;
  }
  bool IsWhite(LONG x, LONG y) const {
    const BYTE* p = Pixel(x, y);
    return p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF;
  }
  // The marked pixels, and whether all lie in the rectangle and have the colour.
  int CountMarked(const RECTL& inside, ULONG color, bool* allInside) const {
    int marked = 0;
    *allInside = true;
    for (LONG y = 0; y < kHeight; ++y) {
      for (LONG x = 0; x < kWidth; ++x) {
        if (IsWhite(x, y)) continue;
        ++marked;
        const BYTE* p = Pixel(x, y);
        const bool in = x >= inside.left && x < inside.right && y >= inside.top && y < inside.bottom;
        const bool colored = p[0] == (color & 0xFF) && p[1] == ((color >> 8) & 0xFF) && p[2] == (color >> 16);
        if (!in || !colored) *allInside = false;
      }
    }
    return marked;
  }
  std::string Row(const RECTL& box, LONG y) const {
    std::string row;
    for (LONG x = box.left; x < box.right; ++x) row += IsWhite(x, y) ? '.' : '#';
    return row;
  }

  HBITMAP bitmap_ = nullptr;
  SURFOBJ* so_ = nullptr;
};

TEST_F(TextOutTest, MarksPixelsInsideTheBoxOnlyInTheBrushColour) {
  const RECTL box = {10, 20, 70, 36};
  host::TextRun run(u"AB12", box, u"Arial", kRed);
  ASSERT_TRUE(EngTextOut(so_, run.str(), run.font(), nullptr, nullptr, nullptr, run.brush(), nullptr, nullptr,
                         R2_COPYPEN));
  bool allInside = false;
  const int marked = CountMarked(box, kRed, &allInside);
  EXPECT_GT(marked, 60) << "the text is drawn";
  EXPECT_TRUE(allInside) << "only inside the box, only in red (stored as B, G, R)";
  EXPECT_TRUE(IsWhite(10, 20)) << "the top left dot of 'A' is blank";
}

TEST_F(TextOutTest, CharactersAreLegible) {
  // One character scaled 2x into a 12 x 16 box: the rows of the glyph show.
  const RECTL box = {0, 0, 12, 16};
  host::TextRun run(u"T", box, u"Arial");
  ASSERT_TRUE(EngTextOut(so_, run.str(), run.font(), nullptr, nullptr, nullptr, run.brush(), nullptr, nullptr,
                         R2_COPYPEN));
  EXPECT_EQ(Row(box, 0), "##########..");
  EXPECT_EQ(Row(box, 2), "....##......");
  EXPECT_EQ(Row(box, 15), "............") << "spacing row";

  host::TextRun space(u" ", RECTL{20, 0, 32, 16}, u"Arial");
  host::TextRun kanji(u"漢", RECTL{40, 0, 52, 16}, u"Arial");
  EngTextOut(so_, space.str(), space.font(), nullptr, nullptr, nullptr, space.brush(), nullptr, nullptr, R2_COPYPEN);
  EngTextOut(so_, kanji.str(), kanji.font(), nullptr, nullptr, nullptr, kanji.brush(), nullptr, nullptr, R2_COPYPEN);
  EXPECT_EQ(Row(RECTL{20, 0, 32, 16}, 4), "............") << "a space marks nothing";
  EXPECT_EQ(Row(RECTL{40, 0, 52, 16}, 4), "##########..") << "a character without a glyph is a box";
}

TEST_F(TextOutTest, ClippedToTheSurfaceAndTheClipRectangle) {
  // Half of the box hangs off the bottom right corner of the page.
  const RECTL box = {kWidth - 30, kHeight - 8, kWidth + 30, kHeight + 8};
  host::TextRun run(u"HHHH", box, u"Arial");
  ASSERT_TRUE(EngTextOut(so_, run.str(), run.font(), nullptr, nullptr, nullptr, run.brush(), nullptr, nullptr,
                         R2_COPYPEN));
  bool allInside = false;
  EXPECT_GT(CountMarked(box, 0x000000, &allInside), 0);
  EXPECT_TRUE(allInside);

  std::memset(so_->pvBits, 0xFF, so_->cjBits);
  CLIPOBJ clip{};
  clip.iDComplexity = DC_RECT;
  clip.rclBounds = RECTL{0, 0, 20, kHeight};
  host::TextRun wide(u"HHHHHH", RECTL{0, 0, 60, 16}, u"Arial");
  ASSERT_TRUE(EngTextOut(so_, wide.str(), wide.font(), &clip, nullptr, nullptr, wide.brush(), nullptr, nullptr,
                         R2_COPYPEN));
  EXPECT_GT(CountMarked(clip.rclBounds, 0x000000, &allInside), 0);
  EXPECT_TRUE(allInside) << "nothing beyond the clip rectangle";
}

TEST_F(TextOutTest, OpaqueRectangleIsFilledWithTheOpaqueBrush) {
  const RECTL box = {5, 5, 25, 15};
  host::TextRun run(u"", box, u"Arial");
  BRUSHOBJ blue{};
  blue.iSolidColor = 0x0000FF;
  RECTL opaque = box;
  ASSERT_TRUE(EngTextOut(so_, run.str(), run.font(), nullptr, nullptr, &opaque, run.brush(), &blue, nullptr,
                         R2_COPYPEN));
  bool allInside = false;
  EXPECT_EQ(CountMarked(box, 0x0000FF, &allInside), 20 * 10);
  EXPECT_TRUE(allInside);
}

TEST_F(TextOutTest, RefusesWhatItCannotDraw) {
  host::TextRun run(u"A", RECTL{0, 0, 6, 8}, u"Arial");
  EXPECT_FALSE(EngTextOut(nullptr, run.str(), run.font(), nullptr, nullptr, nullptr, run.brush(), nullptr, nullptr,
                          R2_COPYPEN));
  const HBITMAP mono = EngCreateBitmap(SIZEL{8, 8}, 0, BMF_1BPP, 0, nullptr);
  EXPECT_FALSE(EngTextOut(host::SurfaceOf(reinterpret_cast<HSURF>(mono)), run.str(), run.font(), nullptr, nullptr,
                          nullptr, run.brush(), nullptr, nullptr, R2_COPYPEN));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EngDeleteSurface(reinterpret_cast<HSURF>(mono));
}

TEST_F(TextOutTest, TextRunObjectsAndFontMetrics) {
  const RECTL box = {100, 50, 160, 80};
  host::TextRun run(u"Calendar text", box, u"Calendar 1", 0x008000, 900, 300);
  STROBJ* str = run.str();
  EXPECT_EQ(str->cGlyphs, 13u);
  EXPECT_EQ(std::u16string(str->pwszOrg), u"Calendar text");
  EXPECT_EQ(str->rclBkGround.left, 100);
  EXPECT_EQ(str->rclBkGround.bottom, 80);
  EXPECT_EQ(run.brush()->iSolidColor, 0x008000u);

  IFIMETRICS* ifi = FONTOBJ_pifi(run.font());
  ASSERT_NE(ifi, nullptr);
  const auto* face = reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(ifi) + ifi->dpwszFaceName);
  EXPECT_EQ(std::u16string(face), u"Calendar 1");
  EXPECT_EQ(ifi->fwdWinAscender, 900);
  EXPECT_EQ(ifi->fwdWinDescender, 300);
  EXPECT_GE(ifi->cjThis, sizeof(IFIMETRICS) + 22);

  // Moving the run keeps every object where it was.
  FONTOBJ* font = run.font();
  host::TextRun moved = std::move(run);
  EXPECT_EQ(moved.font(), font);
  EXPECT_EQ(FONTOBJ_pifi(font), ifi);

  FONTOBJ stranger{};
  EXPECT_EQ(FONTOBJ_pifi(&stranger), nullptr) << "not a font the host made";
}

TEST_F(TextOutTest, DestroyedRunsFontIsForgotten) {
  FONTOBJ* font = nullptr;
  {
    host::TextRun run(u"x", RECTL{0, 0, 6, 8}, u"Manual10");
    font = run.font();
    EXPECT_NE(FONTOBJ_pifi(font), nullptr);
  }
  EXPECT_EQ(FONTOBJ_pifi(font), nullptr);
}

}  // namespace
