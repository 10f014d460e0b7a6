// The cache of stretched pictures: what it answers is what a direct stretch
// makes, it stretches each picture and size once, a copy taken from it can be
// drawn on without changing what later balloons get, and a picture that
// changed is stretched again.
#include <gtest/gtest.h>

#include <QPainter>

#include "display/Bitmap.h"
#include "display/StretchCache.h"

namespace {

// A keyed disc on white, as the balloon pictures are stored.
TBitmap& Disc() {
  static TBitmap disc(40, 50);
  static bool made = false;
  if (!made) {
    QPainter p(&disc.Image());
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 30, 40));
    p.drawEllipse(QRect(2, 2, 36, 40));
    disc.Transparent = true;
    made = true;
  }
  return disc;
}

QImage Direct(const TBitmap& picture, int w, int h) {
  TBitmap b(w, h);
  b.Canvas().StretchDraw(Rect(0, 0, w, h), picture);
  return b.Image();
}

TEST(StretchCache, AnswersTheDirectStretchOncePerPictureAndSize) {
  struct TCase {
    int W, H;
  };
  // Shrinking, the stored size and growing, as the three playfield widths do.
  const TCase cases[] = {{20, 25}, {40, 50}, {97, 121}};
  TStretchCache cache;
  int misses = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.W << "x" << c.H);
    const QImage first = cache.Stretched(Disc(), c.W, c.H);
    EXPECT_EQ(cache.Misses(), ++misses);
    EXPECT_EQ(first, Direct(Disc(), c.W, c.H));
    EXPECT_EQ(cache.Stretched(Disc(), c.W, c.H), first);
    EXPECT_EQ(cache.Coverage(Disc(), c.W, c.H), KeyedCoverage(Disc(), c.W, c.H));
    EXPECT_EQ(cache.Coverage(Disc(), c.W, c.H), KeyedCoverage(Disc(), c.W, c.H));
    misses += 1;
    EXPECT_EQ(cache.Misses(), misses) << "both found the second time";
  }
  cache.Clear();
  EXPECT_EQ(cache.Misses(), misses) << "a count of all pictures stretched";
  cache.Stretched(Disc(), cases[0].W, cases[0].H);
  EXPECT_EQ(cache.Misses(), misses + 1) << "stretched again once cleared";
  EXPECT_TRUE(cache.Stretched(TBitmap(), 10, 10).isNull());
  EXPECT_TRUE(cache.Stretched(Disc(), 0, 10).isNull());
}

TEST(StretchCache, DrawingOnOneCopyLeavesTheNextAlone) {
  TStretchCache cache;
  TBitmap first(cache.Stretched(Disc(), 60, 75), TPixelFormat::pf32bit);
  first.Canvas().Brush.Color = clBlack;
  first.Canvas().FillRect(Rect(0, 0, 60, 75));
  const QImage second = cache.Stretched(Disc(), 60, 75);
  EXPECT_EQ(second, Direct(Disc(), 60, 75));
  EXPECT_EQ(cache.Misses(), 1);
}

TEST(StretchCache, AChangedPictureIsStretchedAgainAndTheCacheStaysBounded) {
  TBitmap picture;
  picture.Assign(Disc());
  TStretchCache cache;
  EXPECT_EQ(cache.Stretched(picture, 30, 37), Direct(picture, 30, 37));
  EXPECT_EQ(cache.Misses(), 1);

  struct {
    const char* Why;
    void (*Change)(TBitmap&);
  } const changes[] = {
      {"pixels written", [](TBitmap& b) { b.Image().setPixel(20, 20, qRgb(0, 90, 0)); }},
      {"picture replaced", [](TBitmap& b) {
         TBitmap other(40, 50);
         other.Canvas().Brush.Color = RGB(10, 10, 160);
         other.Canvas().FillRect(Rect(8, 8, 30, 40));
         other.Transparent = true;
         b.Assign(other);
       }},
      {"no longer keyed", [](TBitmap& b) { b.Transparent = false; }},
  };
  int misses = 1;
  for (const auto& c : changes) {
    SCOPED_TRACE(c.Why);
    c.Change(picture);
    EXPECT_EQ(cache.Stretched(picture, 30, 37), Direct(picture, 30, 37));
    EXPECT_EQ(cache.Misses(), ++misses);
    EXPECT_EQ(cache.Stretched(picture, 30, 37), Direct(picture, 30, 37));
    EXPECT_EQ(cache.Misses(), misses) << "found the second time";
  }

  // Beyond MaxEntries pictures the cache starts again instead of growing.
  TStretchCache bounded;
  for (int w = 1; w <= TStretchCache::MaxEntries; ++w) bounded.Stretched(Disc(), w, 5);
  bounded.Stretched(Disc(), 1, 5);
  EXPECT_EQ(bounded.Misses(), TStretchCache::MaxEntries) << "all kept so far";
  bounded.Stretched(Disc(), TStretchCache::MaxEntries + 1, 5);
  bounded.Stretched(Disc(), 1, 5);
  EXPECT_EQ(bounded.Misses(), TStretchCache::MaxEntries + 2) << "emptied for the one too many";
}

}  // namespace
