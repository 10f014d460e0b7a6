// The kept text drawings: a text drawn again at its place over the same
// pixels comes back as drawing it would make it, without drawing; any change
// of what the drawing depends on draws it again, and what that gives is again
// what drawing makes.
#include <gtest/gtest.h>

#include <QLinearGradient>
#include <QPainter>
#include <functional>

#include "display/Bitmap.h"
#include "display/DrawnTextCache.h"

namespace {

using TDrawing = TDrawnTextCache::TDrawing;

// A sky-like gradient, so the smoothed glyphs mix with pixels that differ.
const TBitmap& Sky() {
  static TBitmap sky(160, 80);
  static bool made = false;
  if (!made) {
    QPainter p(&sky.Image());
    QLinearGradient g(0, 0, 160, 80);
    g.setColorAt(0, QColor(40, 90, 200));
    g.setColorAt(1, QColor(230, 240, 250));
    p.fillRect(sky.Image().rect(), g);
    made = true;
  }
  return sky;
}

// Makes picture a copy of from with pixels of its own.
void CopyOf(TBitmap& picture, const TBitmap& from) {
  picture.Assign(from);
  picture.Image().detach();
}

void ToSky(TBitmap& picture) { CopyOf(picture, Sky()); }

TDrawing Clock() {
  TFont font;
  font.Height = -22;
  font.Bold = true;
  font.Color = 0x00FFFF;  // yellow
  TBrush clear;
  clear.Style = TBrushStyle::bsClear;
  return {QStringLiteral("0:27"), QPoint(12, 14), font, clear};
}

// The drawing's cell and the cell's height around it, as the playfield keeps it.
QRegion AreaOf(const TDrawing& d) { return QRegion(d.At.x() - 30, d.At.y() - 30, 130, 90) & QRect(0, 0, 160, 80); }

// Draws d on picture within area as the playfield's canvas does.
void DrawOn(TBitmap& picture, const TDrawing& d, const QRegion& area) {
  TCanvas& c = picture.Canvas();
  c.Font = d.Font;
  c.Brush = d.Brush;
  c.SetClipRegion(area);
  c.TextOut(d.At.x(), d.At.y(), d.Text);
}

// Draws d on picture through the cache; true when it was drawn rather than put back.
bool CachedDraw(TDrawnTextCache& cache, TBitmap& picture, const TDrawing& d, const QRegion& area) {
  bool drawn = false;
  cache.Draw(d, picture.Image(), area, [&] {
    drawn = true;
    DrawOn(picture, d, area);
  });
  return drawn;
}

TEST(DrawnTextCache, PutsBackOnlyTheSameDrawingOverTheSamePixels) {
  struct TCase {
    const char* Change;
    std::function<void(TDrawing&, TBitmap&)> Apply;
    bool Drawn;
  };
  const TCase cases[] = {
      {"nothing", [](TDrawing&, TBitmap&) {}, false},
      {"a pixel under the text", [](TDrawing&, TBitmap& b) { b.Image().setPixel(20, 25, 0xFF102030); }, true},
      {"a pixel at the area's far corner",
       [](TDrawing& d, TBitmap& b) {
         const QRect r = AreaOf(d).boundingRect();
         b.Image().setPixel(r.right(), r.bottom(), 0xFF000000);
       },
       true},
      {"the text", [](TDrawing& d, TBitmap&) { d.Text = QStringLiteral("0:26"); }, true},
      {"the colour", [](TDrawing& d, TBitmap&) { d.Font.Color = clRed; }, true},
      {"the size", [](TDrawing& d, TBitmap&) { d.Font.Height = -23; }, true},
      {"the place", [](TDrawing& d, TBitmap&) { d.At += QPoint(1, 0); }, true},
      {"a solid brush", [](TDrawing& d, TBitmap&) { d.Brush.Style = TBrushStyle::bsSolid; }, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Change);
    TDrawnTextCache cache;
    TBitmap field;
    ToSky(field);
    const TDrawing first = Clock();
    EXPECT_TRUE(CachedDraw(cache, field, first, AreaOf(first)));
    // The next frame starts from the sky again, then the change.
    ToSky(field);
    TDrawing next = first;
    c.Apply(next, field);
    TBitmap expected;
    CopyOf(expected, field);
    DrawOn(expected, next, AreaOf(next));
    EXPECT_EQ(CachedDraw(cache, field, next, AreaOf(next)), c.Drawn);
    EXPECT_EQ(field.Image(), expected.Image());
  }
}

TEST(DrawnTextCache, KeepsTheClockAndThePointsSideBySide) {
  TDrawnTextCache cache;
  TDrawing clock = Clock(), points = Clock();
  points.Text = QStringLiteral("140");
  points.At = QPoint(100, 14);
  TBitmap field;
  int drawn = 0;
  for (int frame = 0; frame < 4; ++frame) {
    ToSky(field);
    drawn += CachedDraw(cache, field, clock, AreaOf(clock));
    drawn += CachedDraw(cache, field, points, AreaOf(points));
  }
  EXPECT_EQ(drawn, 2) << "each drawn once, then put back";
  TBitmap expected;
  ToSky(expected);
  DrawOn(expected, clock, AreaOf(clock));
  DrawOn(expected, points, AreaOf(points));
  EXPECT_EQ(field.Image(), expected.Image());
}

TEST(DrawnTextCache, DrawsAnAreaTooLargeToKeepEveryTime) {
  TDrawnTextCache cache;
  TBitmap field(1000, 200);
  const TDrawing d = Clock();
  const QRegion area(0, 0, 1000, 200);
  ASSERT_GT(1000 * 200, TDrawnTextCache::kMaxPixels);
  EXPECT_TRUE(CachedDraw(cache, field, d, area));
  EXPECT_TRUE(CachedDraw(cache, field, d, area));
}

}  // namespace
