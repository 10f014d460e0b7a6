// The playfield in device pixels. CTest runs this program once per device
// pixel ratio (QT_SCALE_FACTOR 1, 1.25, 1.5 and 2) on two offscreen screens,
// the second at 1.5 times the ratio (TwoScreens.json), and each run checks
// that the game looks and aims as at a ratio of 1: pictures of the playfield's
// size in pixels copied to the screen 1:1, clicks landing on the pixel under
// the pointer, text and cursor at the ratio's size, and a move to a screen of
// another scale re-sizing the playfield.
#include <gtest/gtest.h>

#include <QBackingStore>
#include <QScreen>
#include <QWindow>
#include <cmath>
#include <optional>

#include "display/PictureAssets.h"
#include "game/Design.h"
#include "game/GameHarness.h"
#include "game/RoundTiming.h"

namespace {

// A window size whose products with 1.25 and 1.5 are not whole, so that the
// rounding of the playfield's size and position shows.
constexpr int kWidth = 1151, kHeight = 863;

// The ratio this run was started for.
qreal AskedRatio() {
  bool ok = false;
  const qreal r = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
  return ok ? r : 1.0;
}

// The smallest rectangle holding every pixel of exactly this colour within area.
QRect InkOf(const QImage& image, const QRect& area, TColor colour) {
  const QRgb wanted = ToQColor(colour).rgb() & 0xFFFFFF;
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
  const QRect within = area & image.rect();
  for (int y = within.top(); y <= within.bottom(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = within.left(); x <= within.right(); ++x)
      if ((row[x] & 0xFFFFFF) == wanted) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  }
  return left > right ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The ink of text written with font at (x, y) on a white picture at a ratio
// of 1: what the game shows on a screen without scaling.
QRect InkAtRatioOne(const TFont& font, int x, int y, const QString& text) {
  TBitmap b(x + 40 * text.size() + 200, y + 400);
  b.Canvas().Font = font;
  b.Canvas().Brush.Style = TBrushStyle::bsClear;
  b.Canvas().TextOut(x, y, text);
  return InkOf(b.Image(), b.Image().rect(), font.Color);
}

// Whether a is b scaled by k, each edge within two pixels and 5 % of the
// larger side (fonts come in whole pixels, the marker is stretched smoothly).
::testing::AssertionResult ScaledBy(const QRect& a, const QRect& b, qreal k) {
  const QRectF want(b.left() * k, b.top() * k, (b.width()) * k, (b.height()) * k);
  const qreal slack = 2 + 0.05 * std::max(want.width(), want.height());
  const QRectF got(a.left(), a.top(), a.width(), a.height());
  if (a.isEmpty() || std::abs(got.left() - want.left()) > slack || std::abs(got.top() - want.top()) > slack ||
      std::abs(got.right() - want.right()) > slack || std::abs(got.bottom() - want.bottom()) > slack)
    return ::testing::AssertionFailure() << "drawn at " << a.x() << "," << a.y() << " " << a.width() << "x"
                                         << a.height() << ", expected about " << want.x() << "," << want.y() << " "
                                         << want.width() << "x" << want.height();
  return ::testing::AssertionSuccess();
}

// Whether a's size is b's times k, within two pixels and 5 %.
::testing::AssertionResult SameShare(const QRect& a, const QRect& b, qreal k) {
  const qreal w = b.width() * k, h = b.height() * k;
  if (a.isEmpty() || std::abs(a.width() - w) > 2 + 0.05 * w || std::abs(a.height() - h) > 2 + 0.05 * h)
    return ::testing::AssertionFailure() << "drawn " << a.width() << "x" << a.height() << ", expected about " << w
                                         << "x" << h;
  return ::testing::AssertionSuccess();
}

// What the window's backing store holds: the pixels Qt puts on the screen.
const QImage* BackingStoreImage(QWidget& window) {
  QBackingStore* store = window.backingStore();
  if (!store || !store->paintDevice() || store->paintDevice()->devType() != QInternal::Image) return nullptr;
  return static_cast<const QImage*>(store->paintDevice());
}

class PlayfieldPixels : public ::testing::Test {
protected:
  TGameHarness h{21, kWidth, kHeight};
  TForm1& f = *h.Form;
  TOverlayImage& field = *f.BaseImage1;
  TRound& r = f.FRoundState;

  qreal Ratio() const { return field.devicePixelRatioF(); }
  // The playfield's size in pixels: each edge of its rectangle in the window
  // times the ratio, rounded as Qt rounds its backing store.
  QSize ExpectedPixels() const {
    const QPoint o = field.mapTo(&f, QPoint());
    const qreal k = Ratio();
    return QSize(qRound((o.x() + field.width()) * k) - qRound(o.x() * k),
                 qRound((o.y() + field.height()) * k) - qRound(o.y() * k));
  }
  // Design pixels (at the design width of 1152) on this playfield.
  int Design(int v) const { return qRound(v * static_cast<qreal>(f.Playfield().Width()) / DesignWidth); }

  // Every pixel of the playfield as the screen shows it equals the overlay
  // buffer's: nothing stretched, shifted or left stale.
  void ExpectScreenShowsOverlay() {
    const QImage* store = BackingStoreImage(f);
    ASSERT_NE(store, nullptr);
    ASSERT_NE(field.OverlayBuffer(), nullptr);
    const QImage& overlay = field.OverlayBuffer()->Image();
    const QPoint o = field.mapTo(&f, QPoint());
    const int dx = qRound(o.x() * Ratio()), dy = qRound(o.y() * Ratio());
    int wrong = 0;
    QPoint first;
    for (int y = 0; y < overlay.height() && y + dy < store->height(); ++y) {
      const auto* s = reinterpret_cast<const QRgb*>(store->constScanLine(y + dy)) + dx;
      const auto* p = reinterpret_cast<const QRgb*>(overlay.constScanLine(y));
      for (int x = 0; x < overlay.width() && x + dx < store->width(); ++x)
        if ((s[x] & 0xFFFFFF) != (p[x] & 0xFFFFFF) && wrong++ == 0) first = QPoint(x, y);
    }
    EXPECT_EQ(wrong, 0) << "first differing pixel at " << first.x() << "," << first.y();
  }
};

// A round set up with every balloon still, in two rows in the right part of
// the playfield, the shelter in its top-left corner.
class RoundPixels : public PlayfieldPixels {
protected:
  void SetUp() override {
    f.SpeedTest();  // makes the shelter picture, as the start kick does
    f.FFrameTime = 4;
    r.FAnswer = 7;
    f.SetupRound();
    r.FBalloonsDown = r.FRoundPoints = r.FRoundHits = 0;
    r.FShelterRect = Rect(0, 0, f.FShelterBitmap->Width(), f.FShelterBitmap->Height());
    for (int i = 1; i <= 10; ++i) {
      TBalloon& b = *r.FBalloons[i];
      b.MoveBy(Design(400 + 140 * ((i - 1) % 5)) - b.FHitRect.Left, Design(260 + 170 * ((i - 1) / 5)) - b.FHitRect.Top);
      b.FVX = b.FVY = 0;
    }
    r.FRoundRunning = true;
    r.FRoundStart = timeGetTime();
    f.KeyPreview = true;
  }
  // The slots of the live balloons with a wrong number.
  std::vector<int> WrongSlots() const {
    std::vector<int> out;
    for (int i = 1; i <= 10; ++i)
      if (r.FBalloons[i]->FNumber != r.FAnswer && !r.FBalloons[i]->FShot) out.push_back(i);
    return out;
  }
};

}  // namespace

TEST_F(PlayfieldPixels, RunsAtTheRatioItWasStartedFor) {
  EXPECT_DOUBLE_EQ(Ratio(), AskedRatio());
  EXPECT_DOUBLE_EQ(field.PixelRatio(), AskedRatio());
}

TEST_F(PlayfieldPixels, PicturesHaveThePlayfieldsSizeInPixels) {
  const QSize pixels = ExpectedPixels();
  EXPECT_EQ(field.PixelSize(), pixels);
  EXPECT_EQ(QSize(field.BufferWidth(), field.BufferHeight()), pixels);
  EXPECT_EQ(field.Bitmap().Image().size(), pixels);
  ASSERT_NE(field.OverlayBuffer(), nullptr);
  EXPECT_EQ(field.OverlayBuffer()->Image().size(), pixels);
  EXPECT_EQ(f.Playfield(), Rect(0, 0, pixels.width(), pixels.height()));
  EXPECT_EQ(r.FArea, f.Playfield());
  // The playfield reaches the window's right and bottom edges on the screen.
  const QImage* store = BackingStoreImage(f);
  ASSERT_NE(store, nullptr);
  const QPoint o = field.mapTo(&f, QPoint());
  EXPECT_EQ(store->width(), pixels.width());
  EXPECT_EQ(store->height(), qRound(o.y() * Ratio()) + pixels.height());
}

TEST_F(PlayfieldPixels, PresentsCopyThePixelsOneToOne) {
  // A banner presented whole, then the speed test's 200 frames of moving
  // balloons and a drifting shelter, each presenting only what changed: at a
  // fractional ratio a logical repaint area that falls short of a frame's
  // pixels would leave stale slivers on the screen.
  f.ShowBanner(QStringLiteral("Pick your settings."), QStringLiteral("Click the balloon, when you are ready."));
  field.PresentOverlay();
  ExpectScreenShowsOverlay();
  f.SpeedTest();
  ExpectScreenShowsOverlay();
}

TEST_F(PlayfieldPixels, BannerKeepsItsShareOfTheWidth) {
  const QString line = QStringLiteral("Pick your settings.");
  field.ResetOverlay();
  f.ShowBanner(line, QString());
  const int W = f.Playfield().Width(), H = f.Playfield().Height();
  const QRect ink = InkOf(field.OverlayBuffer()->Image(), QRect(0, 0, W, H), BannerColor);
  ASSERT_FALSE(ink.isEmpty());

  // At a ratio of 1 the same window shows the banner in the design font at
  // its size for the window's width.
  TFont font = f.BaseImage1Font;
  font.SetSize(Round(static_cast<long double>(font.Size()) * kWidth / DesignWidth));
  const QRect one = InkAtRatioOne(font, 0, 0, line);
  // The same share of the width: the ink's size here is the size at a ratio
  // of 1 times W / kWidth (fonts come in whole points, which moves it by a
  // few per cent).
  EXPECT_TRUE(SameShare(ink, one, static_cast<qreal>(W) / kWidth));
  // Centred, and just above the middle.
  EXPECT_NEAR(ink.center().x(), W / 2.0, 0.02 * W);
  EXPECT_LT(ink.bottom(), H / 2);
  EXPECT_GT(ink.top(), H / 2 - 2 * ink.height());
}

TEST_F(PlayfieldPixels, ClockAndRoundPointsKeepTheirSizeOnTheScreen) {
  r.FRoundStart = timeGetTime();
  r.FRoundPoints = 250;
  field.ResetOverlay();
  f.DrawClock();
  field.PresentOverlay();  // the round points join here
  const QImage& overlay = field.OverlayBuffer()->Image();
  const int W = f.Playfield().Width();
  const QRect clock = InkOf(overlay, QRect(0, 0, W / 2, overlay.height() / 3), ClockColor);
  const QRect points = InkOf(overlay, QRect(W / 2, 0, W / 2, overlay.height() / 3), ClockColor);

  EXPECT_TRUE(ScaledBy(clock, InkAtRatioOne(f.FontDialog1Font, 10, 10, ClockText(RoundLength)), Ratio()));
  // The points stay 110 design pixels from the right edge, whole on the playfield.
  const QRect pointsAtOne = InkAtRatioOne(f.FontDialog1Font, 0, 10, QStringLiteral("250"));
  EXPECT_TRUE(ScaledBy(points.translated(-(W - f.InPixels(110)), 0), pointsAtOne, Ratio()));
  EXPECT_LT(points.right(), W);
}

// A click lands on the pixel under the pointer: on a balloon's hit box (whose
// edges lie outside it) the pixels just inside hit and the edges miss, at
// every ratio.
TEST_F(RoundPixels, ClicksHitExactlyTheBalloonsHitBox) {
  struct Case {
    const char* name;
    TPoint (*at)(const TRect& box);
    bool hits;
  };
  const Case cases[] = {
      {"centre", [](const TRect& b) { return TPoint{(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2}; }, true},
      {"left edge", [](const TRect& b) { return TPoint{b.Left, (b.Top + b.Bottom) / 2}; }, false},
      {"just inside the left edge", [](const TRect& b) { return TPoint{b.Left + 1, (b.Top + b.Bottom) / 2}; }, true},
      {"right edge", [](const TRect& b) { return TPoint{b.Right, (b.Top + b.Bottom) / 2}; }, false},
      {"just inside the right edge", [](const TRect& b) { return TPoint{b.Right - 1, (b.Top + b.Bottom) / 2}; },
       true},
      {"top edge", [](const TRect& b) { return TPoint{(b.Left + b.Right) / 2, b.Top}; }, false},
      {"just inside the bottom edge", [](const TRect& b) { return TPoint{(b.Left + b.Right) / 2, b.Bottom - 1}; },
       true},
      {"bottom edge", [](const TRect& b) { return TPoint{(b.Left + b.Right) / 2, b.Bottom}; }, false},
  };
  const std::vector<int> wrong = WrongSlots();
  ASSERT_GE(wrong.size(), std::size(cases));
  for (size_t k = 0; k < std::size(cases); ++k) {
    const Case& c = cases[k];
    SCOPED_TRACE(c.name);
    const TBalloon& b = *r.FBalloons[wrong[k]];
    const TPoint p = c.at(b.FHitRect);
    f.FShowHit = false;
    h.Click(p.X, p.Y);
    EXPECT_EQ(b.FShot, c.hits);
    EXPECT_EQ(f.FShowHit, c.hits);
    if (c.hits) {
      EXPECT_EQ(f.FHitPoint, p) << "the dart lands on the pixel clicked";
    }
    EXPECT_TRUE(r.FRoundRunning);
  }
}

TEST_F(RoundPixels, SpaceShootsAtThePointer) {
  // The rightmost balloon: logical coordinates taken for pixels would land
  // far to its left at any ratio above 1.
  int slot = 0;
  for (int i : WrongSlots())
    if (!slot || r.FBalloons[i]->FHitRect.Left > r.FBalloons[slot]->FHitRect.Left) slot = i;
  const TRect& box = r.FBalloons[slot]->FHitRect;
  const QPointF centre((box.Left + box.Right) / 2.0, (box.Top + box.Bottom) / 2.0);
  const QPoint o = field.mapTo(&f, QPoint());
  const QPointF local = (centre + QPointF(qRound(o.x() * Ratio()), qRound(o.y() * Ratio()))) / Ratio() - QPointF(o);
  QCursor::setPos(field.mapToGlobal(local.toPoint()));
  h.Key(Qt::Key_Space);
  EXPECT_TRUE(r.FBalloons[slot]->FShot);
}

TEST_F(RoundPixels, HitMarkerIsCentredOnTheDartAtTheRatiosSize) {
  // A dart into the still shelter leaves a marker and changes nothing else, so
  // two frames, with and without the marker, differ exactly in its pixels.
  r.FShelterDX = r.FShelterDY = 0;
  const TRect& shelter = r.FShelterRect;
  const TPoint p{(shelter.Left + shelter.Right) / 2, (shelter.Top + shelter.Bottom) / 2};
  h.Click(p.X, p.Y);
  ASSERT_TRUE(f.FShowHit);
  ASSERT_EQ(f.FHitPoint, p);
  f.FrameStep(0);
  const QImage withMarker = field.OverlayBuffer()->Image().copy();
  f.FrameStep(0);
  const QImage& without = field.OverlayBuffer()->Image();
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
  for (int y = shelter.Top; y < shelter.Bottom; ++y)
    for (int x = shelter.Left; x < shelter.Right; ++x)
      if (withMarker.pixel(x, y) != without.pixel(x, y)) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  ASSERT_LE(left, right) << "no marker drawn";
  const QRect drawn(QPoint(left, top), QPoint(right, bottom));

  // The picture's own ink around its centre (16, 16), at a ratio of 1.
  const std::unique_ptr<TBitmap> hit = LoadGamePicture(QStringLiteral("imgHit"));
  hit->SetPixelFormat(TPixelFormat::pf32bit);
  const QImage& picture = hit->Image();
  const QRgb key = picture.pixel(0, picture.height() - 1) & 0xFFFFFF;
  QRect ink;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if ((picture.pixel(x, y) & 0xFFFFFF) != key) ink |= QRect(x, y, 1, 1);
  ASSERT_EQ(picture.size(), QSize(32, 32));
  EXPECT_TRUE(ScaledBy(drawn.translated(-p.X, -p.Y), ink.translated(-16, -16), Ratio()));
}

TEST_F(PlayfieldPixels, StartBalloonIsCentredAndTakesTheClickOnItsMiddle) {
  std::optional<TRect> seen;
  QSize picturesOnTheStartScreen, pixelsOnTheStartScreen;
  h.Script.push_back([&] {
    if (!f.FStartBalloon) return false;
    seen = f.FStartBalloon->FRect;
    picturesOnTheStartScreen = QSize(field.BufferWidth(), field.BufferHeight());
    pixelsOnTheStartScreen = ExpectedPixels();
    return true;
  });
  h.ShootStartBalloon();
  h.Script.push_back([&] {
    if (!seen || f.FStartBalloon) return false;  // gone once shot: the game goes on
    f.FQuit = true;
    return true;
  });
  f.PlayGame();
  ASSERT_TRUE(seen.has_value());
  EXPECT_NEAR((seen->Left + seen->Right) / 2.0, f.Playfield().Width() / 2.0, 1.0);
  EXPECT_EQ(seen->Top, f.InPixels(20));
  EXPECT_TRUE(h.SawBanner(QStringLiteral("Watch the yellow frame"))) << "the start balloon took the click";
  // The bar is taller on the start screen; the pictures followed the playfield.
  EXPECT_EQ(picturesOnTheStartScreen, pixelsOnTheStartScreen);
}

TEST_F(PlayfieldPixels, AimingCursorIsMadeAtTheRatiosSize) {
  f.SpeedTest();
  f.FFrameTime = 4;
  std::optional<QCursor> during;
  h.Script.push_back([&] {
    if (!r.FRoundRunning) return false;
    if (const QCursor* c = QGuiApplication::overrideCursor()) during = *c;
    f.FQuit = true;
    return true;
  });
  f.btnGoClick();
  ASSERT_TRUE(during.has_value());
  const QPixmap pixmap = during->pixmap();
  const qreal k = Ratio();
  EXPECT_EQ(pixmap.size(), QSize(qRound(32 * k), qRound(32 * k)));
  EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), k);
  EXPECT_EQ(during->hotSpot(), QPoint(16, 16)) << "logical on this platform";
  // The hot spot's pixel is the red centre dot of the crosshair.
  const QColor hot = pixmap.toImage().pixelColor(qFloor(16 * k), qFloor(16 * k));
  EXPECT_GT(hot.red(), 150);
  EXPECT_LT(hot.green(), 100);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the default cursor after the round";
}

TEST_F(PlayfieldPixels, MovingToAScreenOfAnotherScaleResizesThePlayfield) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (screens.size() < 2) GTEST_SKIP() << "needs the two screens of TwoScreens.json (the ctest entries)";
  QScreen* other = screens.at(1);
  ASSERT_NE(other->devicePixelRatio(), Ratio());
  const std::unique_ptr<TBitmap> background = LoadGamePicture(QStringLiteral("imgBackGround"));

  for (QScreen* screen : {other, screens.at(0)}) {
    SCOPED_TRACE(screen->name().toStdString());
    f.windowHandle()->setScreen(screen);
    QCoreApplication::processEvents();
    ASSERT_DOUBLE_EQ(Ratio(), screen->devicePixelRatio());
    const QSize pixels = ExpectedPixels();
    EXPECT_EQ(QSize(field.BufferWidth(), field.BufferHeight()), pixels);
    EXPECT_EQ(field.Bitmap().Image().size(), pixels);
    EXPECT_DOUBLE_EQ(field.PixelRatio(), screen->devicePixelRatio());
    EXPECT_EQ(r.FArea, f.Playfield());
    // The background was stretched afresh over the new size, as after a resize.
    TBitmap fresh(pixels.width(), pixels.height());
    fresh.Canvas().StretchDraw(Rect(0, 0, pixels.width(), pixels.height()), *background);
    EXPECT_TRUE(field.Bitmap().Image() == fresh.Image());
    // Fonts followed: the banner keeps its share of the width.
    field.ResetOverlay();
    f.ShowBanner(QStringLiteral("Pick your settings."), QString());
    const QRect ink = InkOf(field.OverlayBuffer()->Image(), field.OverlayBuffer()->Image().rect(), BannerColor);
    TFont font = f.BaseImage1Font;
    font.SetSize(Round(static_cast<long double>(font.Size()) * kWidth / DesignWidth));
    const QRect one = InkAtRatioOne(font, 0, 0, QStringLiteral("Pick your settings."));
    EXPECT_TRUE(SameShare(ink, one, static_cast<qreal>(pixels.width()) / kWidth));
  }
}
