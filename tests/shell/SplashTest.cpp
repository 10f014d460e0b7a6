// The splash window: its frame and title at every scale, and its start
// message, which must come exactly once.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSet>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "display/ImageUt.h"
#include "shell/DummyUnit.h"

namespace {

const QRgb Window = qRgb(81, 95, 124);
const QRgb Light = qRgb(99, 113, 148);  // (c div 6) * 7 + 8 per channel
const QRgb Dark = qRgb(58, 70, 94);     // (c div 7) * 6 - 8 per channel

QImage Render(double scale) {
  const int w = static_cast<int>(std::lround(439 * scale)), h = static_cast<int>(std::lround(189 * scale));
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::black);
  QPainter p(&img);
  PaintSplash(p, w, h, scale);
  return img;
}

// The colours of a row's first and last pixels as runs: {colour, length}.
std::vector<std::pair<QRgb, int>> Runs(const QImage& img, int y, int fromX, int step, int count) {
  std::vector<std::pair<QRgb, int>> runs;
  for (int i = 0, x = fromX; i < count; ++i, x += step) {
    const QRgb c = img.pixel(x, y) & 0xFFFFFF;
    if (!runs.empty() && runs.back().first == c)
      ++runs.back().second;
    else
      runs.push_back({c, 1});
  }
  return runs;
}

// Widths in screen pixels of the frame's bands across the middle row, from
// the left edge inwards and from the right edge inwards, for each bevel width:
// lines centred on the edge rectangles (BW, BW, W, H) in the light shade and
// (0, 0, W - BW, H - BW) in the dark one, clipped to the window.
struct TBands {
  int LeftDark, LeftLight, RightLight, RightDark;
};
const TBands BandsForWidth[] = {{0, 0, 0, 0}, {1, 1, 0, 1}, {1, 2, 1, 2}, {2, 3, 1, 3}, {2, 4, 2, 4}};

// The engraved frame of the real window at this screen's scale: bevel width
// 3 design pixels in whole screen pixels (1 to 4), the two shades exactly and
// never a blend.
TEST(SplashFrame, EngravedFrameInWholePixels) {
  TForm2 splash;
  const int bw = std::clamp(static_cast<int>(std::lround(3 * TForm2::Scale())), 1, 4);
  ASSERT_TRUE(splash.ColorBevel1);
  EXPECT_EQ(splash.ColorBevel1->geometry(), splash.rect());
  EXPECT_EQ(splash.ColorBevel1->BevelWidth(), bw);
  const QImage img = splash.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(img.size(), splash.size());
  const TBands& c = BandsForWidth[bw];
  const int y = img.height() / 2;
  const auto left = Runs(img, y, 0, 1, c.LeftDark + c.LeftLight + 1);
  ASSERT_EQ(left.size(), 3u);
  EXPECT_EQ(left[0], std::make_pair(Dark & 0xFFFFFF, c.LeftDark));
  EXPECT_EQ(left[1], std::make_pair(Light & 0xFFFFFF, c.LeftLight));
  EXPECT_EQ(left[2].first, Window & 0xFFFFFF);
  const auto right = Runs(img, y, img.width() - 1, -1, c.RightLight + c.RightDark + 1);
  if (c.RightLight > 0) {
    ASSERT_EQ(right.size(), 3u);
    EXPECT_EQ(right[0], std::make_pair(Light & 0xFFFFFF, c.RightLight));
    EXPECT_EQ(right[1], std::make_pair(Dark & 0xFFFFFF, c.RightDark));
  } else {
    EXPECT_EQ(right[0], std::make_pair(Dark & 0xFFFFFF, c.RightDark));
  }
  // The same bands down the middle column.
  const QImage turned = img.transformed(QTransform().rotate(90)).mirrored(true, false);
  EXPECT_EQ(Runs(turned, turned.height() / 2, 0, 1, c.LeftDark + c.LeftLight + 1), left);

  // Outside the title every pixel is one of the three colours.
  const double s = TForm2::Scale();
  QSet<QRgb> colours;
  for (int yy = 0; yy < img.height(); ++yy)
    for (int xx = 0; xx < img.width(); ++xx) {
      const bool inTitle = yy > 30 * s && yy < 112 * s && xx > 30 * s && xx < 410 * s;
      if (!inTitle) colours.insert(img.pixel(xx, yy) & 0xFFFFFF);
    }
  EXPECT_EQ(colours, (QSet<QRgb>{Window & 0xFFFFFF, Light & 0xFFFFFF, Dark & 0xFFFFFF}));
}

// The title: red, with the light rim above-left and below-right of it, inside
// the 357 x 60 box at (40..42, 42..44), at glyph size 43 scaled.
TEST(SplashTitle, RedWithLightRimInItsBoxAtEveryScale) {
  for (double scale : {0.8, 1.0, 2.0}) {
    SCOPED_TRACE(scale);
    const QImage img = Render(scale);
    QRect red, rim;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        // Glyph edges are smoothed: near enough to either colour counts.
        const QColor c = img.pixelColor(x, y);
        if (c.red() > 150 && c.green() < 60 && c.blue() < 60) red |= QRect(x, y, 1, 1);
        if (c.red() > 200 && c.green() > 170 && c.blue() > 150) rim |= QRect(x, y, 1, 1);
      }
    ASSERT_FALSE(red.isEmpty());
    ASSERT_FALSE(rim.isEmpty());
    const QRectF box(40 * scale, 42 * scale, 359 * scale, 62 * scale);
    EXPECT_TRUE(box.contains(QRectF(rim))) << "rim outside the title box";
    // Centred across: the red ink's middle is the box's middle (within 2 %).
    EXPECT_NEAR(red.center().x(), (41 + 357 / 2.0) * scale, 439 * scale * 0.02);
    // A glyph height of 43 makes the capital Z and D about 30 design pixels tall
    // and the title roughly 200 wide; a wrong size (points for pixels, a
    // missing scale) misses these by far.
    EXPECT_GT(red.height(), 25 * scale);
    EXPECT_LT(red.height(), 50 * scale);
    EXPECT_GT(red.width(), 150 * scale);
    EXPECT_LT(red.width(), 300 * scale);
    // The rim shows beyond the red on both diagonal sides.
    EXPECT_LT(rim.left(), red.left());
    EXPECT_LT(rim.top(), red.top());
    EXPECT_GT(rim.right(), red.right());
    EXPECT_GT(rim.bottom(), red.bottom());
  }
}

TEST(SplashWindow, BorderlessOnTopCentredAndScaled) {
  TForm2 splash;
  const double s = TForm2::Scale();
  EXPECT_EQ(splash.size(), QSize(std::lround(439 * s), std::lround(189 * s)));
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_LE((splash.geometry().center() - screen.center()).manhattanLength(), 2);
  splash.show();
  ASSERT_TRUE(splash.windowHandle());
  splash.MakeOrdinary();
  EXPECT_FALSE(splash.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(splash.isVisible()) << "stepping aside is not hiding";
}

// The start message is posted when the splash is first shown and handled
// from the event loop, never again on later showings.
TEST(SplashWindow, StartMessageOnceAfterTheFirstShow) {
  TForm2 splash;
  int starts = 0;
  splash.OnSplashStart = [&] { ++starts; };
  splash.show();
  EXPECT_EQ(starts, 0) << "the loader must run after the window is on screen, not inside show()";
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(starts, 1);
  splash.hide();
  splash.show();
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(starts, 1);
}

TEST(SplashWindow, ClosingItAsksTheProgramToEnd) {
  TForm2 splash;
  int closed = 0;
  QObject::connect(&splash, &TForm2::Closed, [&] { ++closed; });
  splash.show();
  splash.close();
  EXPECT_EQ(closed, 1);
}

}  // namespace
