// The playfield composes each frame straight into its window's backing store
// and brings the overlay buffer up to date only when someone looks at it: the
// screen and the buffer must still agree after every kind of frame.
#include <gtest/gtest.h>

#include <QBackingStore>
#include <QCoreApplication>
#include <QPainter>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/OverlayImage.h"

namespace {

constexpr int kLeft = 7, kTop = 13, kWidth = 300, kHeight = 220;

std::unique_ptr<TBitmap> Disc(int side, QColor colour) {
  auto b = std::make_unique<TBitmap>(side, side);  // white: the key colour
  QPainter p(&b->Image());
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(QRect(1, 1, side - 2, side - 2));
  b->Transparent = true;
  return b;
}

// A background whose every pixel differs from its neighbours' in some byte,
// so pixels taken from the wrong place show.
void PaintBackground(TBitmap& b) {
  for (int y = 0; y < b.Height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(b.ScanLine(y));
    for (int x = 0; x < b.Width(); ++x) row[x] = qRgb((x * 3) & 255, (y * 5) & 255, (x + y) & 255);
  }
}

// What the frames draw, and the points the paint handler writes.
struct TScene {
  std::unique_ptr<TBitmap> Red = Disc(40, Qt::red), Blue = Disc(60, Qt::blue), Shelter = Disc(90, QColor(120, 90, 50));
  int Points = 0;
};

struct TFrameKind {
  std::string Name;
  // Draws (and presents) frame n of the sequence.
  std::function<void(TScene& s, TOverlayImage& f, int n)> Frame;
};

void PrintTo(const TFrameKind& k, std::ostream* os) { *os << k.Name; }

class OverlayScreen : public ::testing::Test {
protected:
  void SetUp() override {
    FWindow.resize(kLeft + kWidth + 20, kTop + kHeight + 20);
    FField = new TOverlayImage(&FWindow);  // owned by FWindow
    FField->setGeometry(kLeft, kTop, kWidth, kHeight);
    FWindow.show();
    QCoreApplication::processEvents();
    FField->SuspendBaseNotify();
    PaintBackground(FField->Bitmap());
    TFont font;
    font.Name = QStringLiteral("Comic Sans MS");
    font.Bold = true;
    font.Height = -20;
    font.Color = RGB(200, 30, 30);
    FField->SetOverlayFont(font);
    FField->OverlayBrush().Style = TBrushStyle::bsClear;
    FField->OnOverlayPaint = [this](TOverlayImage* f) {
      f->TextOnOverlay(kWidth - 60, 5, QString::number(FScene.Points));
    };
    FField->ResetOverlay();
  }

  // The frame as the screen shows it equals the overlay buffer, pixel for pixel.
  ::testing::AssertionResult ScreenShowsBuffer() {
    auto* device = FWindow.backingStore() ? FWindow.backingStore()->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
      return ::testing::AssertionFailure() << "no backing store image";
    const auto* store = static_cast<const QImage*>(device);
    const QImage& buffer = FField->OverlayBuffer()->Image();
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if ((store->pixel(x + kLeft, y + kTop) & 0xFFFFFF) != (buffer.pixel(x, y) & 0xFFFFFF))
          return ::testing::AssertionFailure() << "first differing pixel at " << x << "," << y;
    return ::testing::AssertionSuccess();
  }

  QWidget FWindow;
  TOverlayImage* FField = nullptr;
  TScene FScene;
};

class OverlayScreenFrames : public OverlayScreen, public ::testing::WithParamInterface<TFrameKind> {};

TEST_P(OverlayScreenFrames, ScreenAndBufferAgreeAfterEveryFrame) {
  for (int n = 0; n < 12; ++n) {
    GetParam().Frame(FScene, *FField, n);
    // Looking at the buffer only every third frame leaves the others' drawing
    // pending into the next frames.
    if (n % 3 == 2) {
      ASSERT_TRUE(ScreenShowsBuffer()) << "after frame " << n;
    }
  }
  EXPECT_TRUE(ScreenShowsBuffer());
}

TEST_F(OverlayScreen, TextOverASpriteStaysOverIt) {
  // Text is written at once over the frame drawn so far; the sprite under it
  // must not come back over it on the screen or in the buffer.
  const QRgb ink = qRgb(200, 30, 30);
  FField->DrawOnOverlay(Rect(100, 100, 160, 160), *FScene.Blue);
  FField->TextOnOverlay(105, 110, QStringLiteral("88"));
  FField->PresentOverlay();
  const auto* store = static_cast<const QImage*>(FWindow.backingStore()->paintDevice());
  int onScreen = 0, inBuffer = 0;
  for (int y = 100; y < 160; ++y)
    for (int x = 100; x < 160; ++x) {
      onScreen += store->pixel(x + kLeft, y + kTop) == ink;
      inBuffer += FField->OverlayBuffer()->Image().pixel(x, y) == ink;
    }
  EXPECT_GT(onScreen, 10);
  EXPECT_EQ(onScreen, inBuffer);
}

TEST_F(OverlayScreen, StillTextShowsWhatLiesUnderIt) {
  // The same text at the same place is put back from its last drawing only
  // while what lies under it is unchanged: another sprite in the same place
  // shows through it.
  const auto* store = static_cast<const QImage*>(FWindow.backingStore()->paintDevice());
  auto underText = [&](QColor colour) {
    int n = 0;
    for (int y = 15; y < 35; ++y)
      for (int x = 30; x < 60; ++x) n += store->pixel(x + kLeft, y + kTop) == colour.rgb();
    return n;
  };
  const TBitmap* sprites[] = {FScene.Blue.get(), FScene.Blue.get(), FScene.Red.get(), FScene.Blue.get()};
  for (const TBitmap* sprite : sprites) {
    const QColor colour = sprite == FScene.Blue.get() ? QColor(Qt::blue) : QColor(Qt::red);
    SCOPED_TRACE(colour.name().toStdString());
    FField->DrawOnOverlay(Rect(20, 5, 80, 65), *sprite);
    FField->TextOnOverlay(30, 15, QStringLiteral("0:27"));
    FField->PresentOverlay();
    EXPECT_GT(underText(colour), 50);
  }
  EXPECT_TRUE(ScreenShowsBuffer());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, OverlayScreenFrames,
    ::testing::Values(
        TFrameKind{"MovingSpritesUnderABlendAndText",
                   [](TScene& t, TOverlayImage& f, int n) {
                     f.DrawOnOverlay(Rect(10 + 9 * n, 20 + 5 * n, 50 + 9 * n, 60 + 5 * n), *t.Red);
                     f.DrawOnOverlay(Rect(200 - 7 * n, 100, 260 - 7 * n, 160), *t.Blue);
                     f.BlendOnOverlay(Rect(60 + 4 * n, 70, 150 + 4 * n, 160), 100, *t.Shelter);
                     f.TextOnOverlay(10, 10, QStringLiteral("0:%1").arg(n));
                     t.Points += 7;
                     f.PresentOverlay();
                   }},
        TFrameKind{"BlendFirstMixesThePreviousFrame",
                   [](TScene& t, TOverlayImage& f, int n) {
                     f.BlendOnOverlay(Rect(30 + 6 * n, 40, 120 + 6 * n, 130), 100, *t.Shelter);
                     f.DrawOnOverlay(Rect(40 + 5 * n, 50, 80 + 5 * n, 90), *t.Red);
                     f.PresentOverlay();
                   }},
        TFrameKind{"SpriteOverText",
                   [](TScene& t, TOverlayImage& f, int n) {
                     f.TextOnOverlay(20 + 3 * n, 30, QStringLiteral("Get ready"));
                     f.DrawOnOverlay(Rect(40 + 3 * n, 25, 80 + 3 * n, 65), *t.Red);
                     f.PresentOverlay();
                   }},
        TFrameKind{"RepaintInTheMiddleOfAFrame",
                   [](TScene& t, TOverlayImage& f, int n) {
                     f.DrawOnOverlay(Rect(10 + 8 * n, 120, 70 + 8 * n, 180), *t.Blue);
                     f.repaint();  // an expose while the frame is open
                     f.DrawOnOverlay(Rect(150, 10 + 6 * n, 190, 50 + 6 * n), *t.Red);
                     f.PresentOverlay();
                   }},
        TFrameKind{"PresentTwiceAndResets",
                   [](TScene& t, TOverlayImage& f, int n) {
                     f.DrawOnOverlay(Rect(5 * n, 5 * n, 5 * n + 60, 5 * n + 60), *t.Blue);
                     f.PresentOverlay();
                     if (n % 2) f.PresentOverlay();
                     if (n % 4 == 3) f.ResetOverlay();
                   }},
        TFrameKind{"NewBackgroundBetweenFrames",
                   [](TScene& t, TOverlayImage& f, int n) {
                     if (n % 4 == 1) {
                       f.BaseCanvas().Brush.Color = RGB(20 * n, 100, 200);
                       f.BaseCanvas().FillRect(Rect(0, 0, 150, 220));
                       f.ResetOverlay();
                     }
                     f.DrawOnOverlay(Rect(100 + 4 * n, 50, 160 + 4 * n, 110), *t.Blue);
                     f.PresentOverlay();
                   }}),
    [](const ::testing::TestParamInfo<TFrameKind>& info) { return info.param.Name; });

}  // namespace
