// Keyed pictures stretched to the playfield's scale: thin strings stay whole,
// rims follow the outline smoothly, and partly covering pixels are mixed into
// whatever the picture is drawn on, never tinted by the key.
#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "display/PictureAssets.h"

namespace {

constexpr TColor kSky = RGB(70, 140, 230);

// A pixel with its fourth byte, as stored.
QRgb Raw(const TBitmap& b, int x, int y) { return reinterpret_cast<const QRgb*>(b.Image().constScanLine(y))[x]; }

// A picture as the game makes a balloon: a white bitmap of the target size,
// the stored picture stretched over it keyed, then drawn keyed on the sky.
QImage OnSky(const TBitmap& stored, int w, int h) {
  TBitmap picture(w, h);
  picture.Canvas().StretchDraw(Rect(0, 0, w, h), stored);
  picture.Transparent = true;
  TBitmap sky(w, h);
  sky.Canvas().Brush.Color = kSky;
  sky.Canvas().FillRect(Rect(0, 0, w, h));
  sky.Canvas().Draw(0, 0, picture);
  return sky.Image();
}

// How far a drawn pixel is from the sky towards colour c, 0..1.
// A black disc with hard edges on the white key, as pictures are stored.
constexpr int HardDiscSide = 150;
constexpr double HardDiscRadius = 60;
// disc: a new, white bitmap of HardDiscSide x HardDiscSide.
void PaintHardDisc(TBitmap& disc) {
  disc.Transparent = true;
  const double c = HardDiscSide / 2.0;
  for (int y = 0; y < HardDiscSide; ++y)
    for (int x = 0; x < HardDiscSide; ++x)
      if (std::hypot(x + 0.5 - c, y + 0.5 - c) < HardDiscRadius) disc.Image().setPixel(x, y, qRgb(0, 0, 0));
}

double Share(QRgb p, QColor c) {
  const QColor sky = ToQColor(kSky);
  const double full = std::abs(c.red() - sky.red()) + std::abs(c.green() - sky.green()) +
                      std::abs(c.blue() - sky.blue());
  const double got = std::abs(qRed(p) - sky.red()) + std::abs(qGreen(p) - sky.green()) +
                     std::abs(qBlue(p) - sky.blue());
  return got / full;
}

// A stored picture in the balloon's layout: 150 x 188 on exact white, hard
// edges (each pixel drawn or white), a body and a thin string below it.
std::unique_ptr<TBitmap> StringFixture(double stringWidth) {
  auto b = std::make_unique<TBitmap>(150, 188);
  b->Transparent = true;
  QImage layer(150, 188, QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 30, 40));
  p.drawEllipse(QPointF(75, 75), 69, 72);
  QPainterPath string;
  string.moveTo(75, 148);
  string.cubicTo(85, 160, 62, 172, 80, 186);
  p.setPen(QPen(QColor(84, 84, 94), stringWidth, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(string);
  p.end();
  for (int y = 0; y < 188; ++y)
    for (int x = 0; x < 150; ++x) {
      const QRgb c = layer.pixel(x, y);
      if (qAlpha(c) >= 128) b->Image().setPixel(x, y, qRgb(qRed(c) * 255 / qAlpha(c), qGreen(c) * 255 / qAlpha(c),
                                                           qBlue(c) * 255 / qAlpha(c)));
    }
  return b;
}

// The stored rows that hold the string alone: below the body, where the drawn
// pixels of a row form one narrow run.
std::pair<int, int> StringRows(const TBitmap& stored) {
  const int w = stored.Width(), h = stored.Height();
  const QRgb key = stored.Image().pixel(0, h - 1) & 0xFFFFFF;
  int first = -1, last = -1;
  for (int y = h / 2; y < h; ++y) {
    int from = w, to = -1;
    for (int x = 0; x < w; ++x)
      if ((stored.Image().pixel(x, y) & 0xFFFFFF) != key) from = std::min(from, x), to = std::max(to, x);
    if (to < 0) continue;
    if (to - from <= 6) {
      if (first < 0) first = y;
      last = y;
    } else {
      first = -1;  // still the body or the knot
    }
  }
  return {first, last};
}

struct TStretch {
  std::string Picture;  // an embedded picture, or "" for the fixture
  int PlayfieldWidth;
  int Size;  // balloon size class
};

TEST(KeyedStretch, StringsStayContinuousAtEveryScale) {
  const auto fixture = StringFixture(2.2);
  std::vector<TStretch> cases;
  for (int width : {1152, 1920, 3840})
    for (int size = 0; size < 3; ++size)
      for (const char* name : {"", "imgRed1", "imgYellow2", "imgAqua3", "imgLime1"}) cases.push_back({name, width, size});
  for (const TStretch& c : cases) {
    SCOPED_TRACE((c.Picture.empty() ? std::string("fixture") : c.Picture) + " at " +
                 std::to_string(c.PlayfieldWidth) + " wide, size " + std::to_string(c.Size));
    const auto embedded = c.Picture.empty() ? nullptr : LoadGamePicture(QString::fromStdString(c.Picture));
    const TBitmap& stored = embedded ? *embedded : *fixture;
    // The balloon's size on that playfield.
    const int w = Round(std::sqrt((c.Size + 1) * 3136.0L) * (c.PlayfieldWidth / 1152.0L));
    const int h = Round(w * 1.25L);
    const QImage img = OnSky(stored, w, h);
    const auto [first, last] = StringRows(stored);
    ASSERT_GT(last - first, 10) << "the picture has a string below its body";
    // Every row the string crosses has a pixel at least a third of the way
    // from the sky to the string's grey, and those pixels touch from row to
    // row (a diagonal step counts): no gap, no dash.
    const int top = int(std::ceil((first + 2) * double(h) / stored.Height()));
    const int bottom = int(std::floor((last - 1) * double(h) / stored.Height()));
    ASSERT_GT(bottom, top);
    std::vector<int> previous;
    for (int y = top; y <= bottom; ++y) {
      std::vector<int> seen;
      for (int x = 0; x < w; ++x)
        if (Share(img.pixel(x, y), QColor(84, 84, 94)) >= 0.33) seen.push_back(x);
      ASSERT_FALSE(seen.empty()) << "gap in the string at row " << y << " of " << h;
      if (!previous.empty()) {
        bool touches = false;
        for (int a : seen)
          for (int b : previous) touches = touches || std::abs(a - b) <= 1;
        EXPECT_TRUE(touches) << "the string jumps at row " << y;
      }
      previous = seen;
    }
  }
}

TEST(KeyedStretch, RimsFollowTheOutlineSmoothly) {
  // A hard-edged disc (as pictures are stored) shrunk and grown: each rim
  // pixel covers about the share of it that lies inside the true circle, and
  // the whole disc keeps its area. A keyed copy that only keeps or drops
  // pixels is off by half a pixel all along the rim.
  const int n = HardDiscSide;
  const double r = HardDiscRadius;
  TBitmap disc(n, n);
  PaintHardDisc(disc);
  struct {
    int Size;
    double MeanError, WorstError;
  } sizes[] = {{56, 0.1, 0.3}, {97, 0.12, 0.35}, {187, 0.16, 0.6}, {323, 0.24, 0.8}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(std::to_string(s.Size) + " pixels");
    TBitmap picture(s.Size, s.Size);
    picture.Canvas().StretchDraw(Rect(0, 0, s.Size, s.Size), disc);
    picture.Transparent = true;
    TBitmap ground(s.Size, s.Size);  // white: every pixel's darkness is its coverage
    ground.Canvas().Draw(0, 0, picture);
    const double scale = double(s.Size) / n, radius = r * scale, centre = n / 2.0 * scale;
    double area = 0, error = 0, worst = 0;
    int rim = 0;
    for (int y = 0; y < s.Size; ++y)
      for (int x = 0; x < s.Size; ++x) {
        const double cover = 1 - qRed(ground.Image().pixel(x, y)) / 255.0;
        area += cover;
        const double inside = std::clamp(radius - std::hypot(x + 0.5 - centre, y + 0.5 - centre) + 0.5, 0.0, 1.0);
        if (inside > 0 && inside < 1) {
          ++rim;
          error += std::abs(cover - inside);
          worst = std::max(worst, std::abs(cover - inside));
        }
      }
    EXPECT_NEAR(area, M_PI * radius * radius, 0.02 * M_PI * radius * radius);
    EXPECT_LT(error / rim, s.MeanError);
    EXPECT_LT(worst, s.WorstError);
  }
}

TEST(KeyedStretch, GrownRimsStaySharp) {
  // Growing interpolates the stored picture, which alone would spread its
  // hard edge over as many pixels as it grows; the edge is sharpened back to
  // a ramp about one pixel wide, so a grown balloon is as crisp as a small
  // one. Counted: the partly covering pixels per pixel of the rim's length.
  const int n = HardDiscSide;
  const double r = HardDiscRadius;
  TBitmap disc(n, n);
  PaintHardDisc(disc);
  for (int size : {187, 264, 323, 450}) {
    SCOPED_TRACE(std::to_string(size) + " pixels");
    TBitmap picture(size, size);
    picture.Canvas().StretchDraw(Rect(0, 0, size, size), disc);
    int partial = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const int a = qAlpha(Raw(picture, x, y));
        const bool drawn = (Raw(picture, x, y) & 0xFFFFFF) != 0xFFFFFF;
        partial += drawn && a > 6 && a < 249;
      }
    const double rim = 2 * M_PI * r * size / n;
    EXPECT_LT(partial / rim, 1.5);
  }
}

TEST(KeyedStretch, PartlyCoveringPixelsTakeTheirOwnColourOverTheKeyAndMixElsewhere) {
  // A two-by-one drawing: one pixel fully red, one red at a quarter.
  QImage layer(2, 1, QImage::Format_ARGB32_Premultiplied);
  layer.setPixel(0, 0, qRgba(255, 0, 0, 255));
  layer.setPixel(1, 0, qRgba(64, 0, 0, 64));
  struct {
    const char* Why;
    QRgb Under;  // the bitmap's pixels where the drawing lands (bottom-left is white)
    QRgb Full, Quarter;
  } cases[] = {
      {"over the key: own colour, coverage kept", qRgb(255, 255, 255), qRgb(255, 0, 0), qRgba(255, 0, 0, 64)},
      {"over a drawn pixel: mixed", qRgb(0, 0, 200), qRgb(255, 0, 0), qRgb(64, 0, 150)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Why);
    TBitmap b(2, 2);
    b.Image().setPixel(0, 0, c.Under);
    b.Image().setPixel(1, 0, c.Under);
    b.Canvas().Compose(0, 0, layer);
    EXPECT_EQ(Raw(b, 0, 0), c.Full);
    EXPECT_EQ(Raw(b, 1, 0), c.Quarter);
    EXPECT_EQ(b.TransparentColor(), clWhite) << "the key stays";
  }
  // Drawn keyed, the quarter-covering pixel mixes a quarter of red into the ground.
  TBitmap sprite(2, 2);
  sprite.Canvas().Compose(0, 0, layer);
  sprite.Transparent = true;
  TBitmap ground(2, 2);
  ground.Canvas().Brush.Color = RGB(0, 0, 200);
  ground.Canvas().FillRect(Rect(0, 0, 2, 2));
  ground.Canvas().Draw(0, 0, sprite);
  EXPECT_EQ(ground.Image().pixel(0, 0) & 0xFFFFFF, qRgb(255, 0, 0) & 0xFFFFFF);
  EXPECT_EQ(ground.Image().pixel(1, 0) & 0xFFFFFF, qRgb(64, 0, 150) & 0xFFFFFF);
  EXPECT_EQ(ground.Image().pixel(0, 1) & 0xFFFFFF, qRgb(0, 0, 200) & 0xFFFFFF) << "key left out";
  // A drawn colour equal to the key is moved off it, so it is not left out.
  QImage white(1, 1, QImage::Format_ARGB32_Premultiplied);
  white.setPixel(0, 0, qRgba(255, 255, 255, 255));
  TBitmap onKey(2, 2);
  onKey.Canvas().Compose(1, 0, white);
  EXPECT_NE(onKey.Image().pixel(1, 0) & 0xFFFFFF, onKey.Image().pixel(0, 1) & 0xFFFFFF);
}

TEST(KeyedStretch, StretchDrawComposesTheKeyedCoverage) {
  // Stretching a keyed picture row by row onto a bitmap gives what laying its
  // whole coverage over the bitmap gives: over the key and over drawn pixels,
  // shrunk, grown and at its own size, partly outside the bitmap and clipped.
  const auto stored = StringFixture(2.2);
  struct {
    const char* Why;
    TRect Where;
    std::optional<QRegion> Clip;
  } cases[] = {
      {"shrunk", Rect(3, 4, 3 + 61, 4 + 77), std::nullopt},
      {"grown", Rect(0, 0, 331, 410), std::nullopt},
      {"own size", Rect(10, 2, 160, 190), std::nullopt},
      {"partly outside", Rect(-40, -25, -40 + 233, -25 + 291), std::nullopt},
      {"clipped to a rectangle", Rect(5, 5, 5 + 187, 5 + 234), QRegion(30, 40, 90, 120)},
      {"clipped to two rectangles", Rect(5, 5, 5 + 187, 5 + 234), QRegion(30, 40, 90, 120) + QRegion(100, 10, 50, 50)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Why);
    auto ground = [] {
      auto b = std::make_unique<TBitmap>(240, 300);  // white, the key, with a drawn band
      b->Canvas().Brush.Color = RGB(20, 90, 160);
      b->Canvas().FillRect(Rect(0, 60, 240, 140));
      return b;
    };
    const auto drawn = ground(), composed = ground();
    drawn->Canvas().SetClipRegion(c.Clip);
    drawn->Canvas().StretchDraw(c.Where, *stored);
    composed->Canvas().SetClipRegion(c.Clip);
    composed->Canvas().Compose(c.Where.Left, c.Where.Top, KeyedCoverage(*stored, c.Where.Width(), c.Where.Height()));
    // Byte for byte: QImage's comparison leaves the fourth byte of 32-bit
    // pixels out, and that byte holds the edge's coverage.
    auto bytes = [](const TBitmap& b) {
      return QByteArray(reinterpret_cast<const char*>(b.Image().constBits()), b.Image().sizeInBytes());
    };
    EXPECT_TRUE(bytes(*drawn) == bytes(*composed));
    EXPECT_FALSE(bytes(*drawn) == bytes(*ground())) << "something was drawn";
  }
}

TEST(KeyedStretch, StoredDepthDoesNotChangeTheCoverage) {
  // Pictures are stored with 24 bits and read as they are; the coverage must
  // be what the same pixels give at 32 bits, shrunk, grown and as stored.
  for (const char* name : {"imgRed1", "imgAquaShot", "imgBonus"}) {
    const auto stored = LoadGamePicture(name);
    ASSERT_NE(stored, nullptr);
    ASSERT_EQ(stored->Image().format(), QImage::Format_BGR888) << name;
    const TBitmap wide(stored->Image().convertToFormat(QImage::Format_RGB32), TPixelFormat::pf32bit);
    for (const auto& [w, h] : {std::pair{56, 70}, std::pair{stored->Width(), stored->Height()}, std::pair{323, 404}}) {
      SCOPED_TRACE(std::string(name) + " at " + std::to_string(w) + "x" + std::to_string(h));
      const QImage a = KeyedCoverage(*stored, w, h), b = KeyedCoverage(wide, w, h);
      EXPECT_TRUE(QByteArray(reinterpret_cast<const char*>(a.constBits()), a.sizeInBytes()) ==
                  QByteArray(reinterpret_cast<const char*>(b.constBits()), b.sizeInBytes()));
    }
  }
}

TEST(KeyedStretch, WideComposeTreatsEveryLaneAsALonePixel) {
  // Composing takes four pixels at a time where each is left out or covers
  // all: a row with a partly covering pixel, a left-out one and one of the
  // key's own colour in every lane, over the key and over drawn pixels, must
  // come out as composing each pixel on its own does.
  const QRgb kinds[] = {qRgba(0, 0, 0, 0), qRgba(10, 120, 30, 255), qRgba(40, 20, 60, 128),
                        qRgba(255, 255, 255, 255), qRgba(0, 90, 0, 255)};
  for (int lane = 0; lane < 8; ++lane)
    for (QRgb under : {qRgb(255, 255, 255), qRgb(0, 0, 200)}) {
      SCOPED_TRACE(testing::Message() << "lane " << lane << " over " << std::hex << under);
      QImage layer(11, 1, QImage::Format_ARGB32_Premultiplied);
      for (int x = 0; x < 11; ++x) layer.setPixel(x, 0, kinds[(x + lane) % 5]);
      auto ground = [&] {
        auto b = std::make_unique<TBitmap>(13, 2);  // bottom-left white: the key
        for (int x = 0; x < 13; ++x) b->Image().setPixel(x, 0, under);
        return b;
      };
      const auto whole = ground(), alone = ground();
      whole->Canvas().Compose(1, 0, layer);
      for (int x = 0; x < 11; ++x) alone->Canvas().Compose(1 + x, 0, layer.copy(x, 0, 1, 1));
      for (int x = 0; x < 13; ++x) EXPECT_EQ(Raw(*whole, x, 0), Raw(*alone, x, 0)) << "pixel " << x;
    }
}

TEST(KeyedStretch, WideDrawsMixEdgePixelsInEveryLane) {
  // The keyed copy takes four pixels at a time: an edge pixel in any lane of
  // a group, and beside key and opaque pixels, is mixed like a lone one.
  for (int lane = 0; lane < 8; ++lane) {
    SCOPED_TRACE(lane);
    TBitmap sprite(9, 2);
    for (int x = 0; x < 9; ++x) reinterpret_cast<QRgb*>(sprite.Image().scanLine(0))[x] = qRgb(0, 200, 0);
    reinterpret_cast<QRgb*>(sprite.Image().scanLine(0))[lane] = qRgba(0, 200, 0, 128);
    reinterpret_cast<QRgb*>(sprite.Image().scanLine(0))[(lane + 3) % 8] = qRgb(255, 255, 255);  // key
    sprite.Transparent = true;
    TBitmap ground(9, 2);
    ground.Canvas().Brush.Color = RGB(200, 0, 0);
    ground.Canvas().FillRect(Rect(0, 0, 9, 2));
    ground.Canvas().Draw(0, 0, sprite);
    for (int x = 0; x < 9; ++x) {
      const QRgb p = ground.Image().pixel(x, 0) & 0xFFFFFF;
      const QRgb want = x == lane                ? qRgb(100, 100, 0)
                        : x == (lane + 3) % 8    ? qRgb(200, 0, 0)
                                                 : qRgb(0, 200, 0);
      EXPECT_EQ(p, want & 0xFFFFFF) << "pixel " << x;
    }
  }
}

}  // namespace
