// The playfield control: what each present copies to the screen, what the
// overlay buffer holds after each kind of frame, and the paint path.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/OverlayImage.h"

namespace {

constexpr TColor kBase = RGB(10, 20, 200);
constexpr TColor kSprite = RGB(220, 30, 30);
constexpr TColor kShelter = RGB(0, 200, 0);
constexpr TColor kScribble = RGB(250, 250, 0);

// The control sits at (kLeft, kTop) in a shown parent, kWidth x kHeight.
constexpr int kLeft = 10, kTop = 20, kWidth = 160, kHeight = 120;

// A keyed sprite: kSprite except for its bottom row, which stays white, the
// key colour (the bottom-left pixel decides it).
std::unique_ptr<TBitmap> Sprite(int w, int h) {
  auto b = std::make_unique<TBitmap>(w, h);
  b->Canvas().Brush.Color = kSprite;
  b->Canvas().FillRect(Rect(0, 0, w, h - 1));
  b->Transparent = true;
  return b;
}

std::unique_ptr<TBitmap> Solid(int w, int h, TColor c) {
  auto b = std::make_unique<TBitmap>(w, h);
  b->Canvas().Brush.Color = c;
  b->Canvas().FillRect(Rect(0, 0, w, h));
  return b;
}

TColor At(const TBitmap& b, int x, int y) { return ToTColor(b.Image().pixel(x, y)); }

// A region in the parent's coordinates, as the presents report it.
QRegion OnParent(const QRegion& r) { return r.translated(kLeft, kTop); }
QRegion R(const TRect& r) { return QRegion(ToQRect(r)); }
const QRegion kWhole = QRegion(kLeft, kTop, kWidth, kHeight);

// Exposes the paint operation, so a test can run it while a paint is running.
class TPaintableOverlay : public TOverlayImage {
public:
  using TOverlayImage::TOverlayImage;
  using TOverlayImage::Paint;
};

class OverlayImageTest : public ::testing::Test {
public:  // the tables of cases reach the fixture through a reference
  void SetUp() override {
    FParent.resize(kLeft + kWidth + 40, kTop + kHeight + 40);
    FImage = new TPaintableOverlay(&FParent);  // owned by FParent
    FImage->setGeometry(kLeft, kTop, kWidth, kHeight);
    FImage->show();  // a child added to a shown parent stays hidden until shown
    FParent.show();
    QCoreApplication::processEvents();
    FImage->FillBase(FImage->BaseCanvas(), kBase);
    FImage->SuspendBaseNotify();
  }

  // A fresh control, as SetUp makes it (tables of cases start each case anew).
  void Recreate() {
    delete FImage;
    SetUp();
  }

  // One frame that draws FSprite at each rectangle, then presents.
  void Frame(const std::vector<TRect>& rects) {
    for (const TRect& r : rects) FImage->DrawOnOverlay(r, *FSprite);
    FImage->PresentOverlay();
  }

  const TBitmap& Overlay() const { return *FImage->OverlayBuffer(); }

  QWidget FParent;
  TPaintableOverlay* FImage = nullptr;
  std::unique_ptr<TBitmap> FSprite = Sprite(10, 10);
};

const TRect kA = Rect(20, 20, 30, 30);
const TRect kB = Rect(60, 40, 70, 50);

}  // namespace

TEST_F(OverlayImageTest, SizeHandlingGivesBothPicturesTheControlSize) {
  EXPECT_EQ(FImage->BufferWidth(), kWidth);
  EXPECT_EQ(FImage->BufferHeight(), kHeight);
  EXPECT_EQ(FImage->Bitmap().Width(), kWidth);
  EXPECT_EQ(FImage->Bitmap().Height(), kHeight);
  EXPECT_EQ(FImage->PosLeft(), kLeft);
  EXPECT_EQ(FImage->PosTop(), kTop);
  EXPECT_EQ(FImage->OverlayBuffer(), nullptr) << "the overlay buffer exists only once needed";
}

// The first frame after creation, after a resize and after ResetOverlay knows
// nothing about what the screen shows, so it restores and copies everything.
TEST_F(OverlayImageTest, FramesThatFollowAnUnknownScreenCopyEverything) {
  struct Case {
    const char* name;
    std::function<void(OverlayImageTest&)> before;
    QRegion whole;  // the control's area afterwards, in the parent
  };
  const std::vector<Case> cases = {
      {"after creation", [](OverlayImageTest&) {}, kWhole},
      {"after ResetOverlay",
       [](OverlayImageTest& t) {
         t.Frame({kA});
         t.FImage->ResetOverlay();
       },
       kWhole},
      {"after a resize",
       [](OverlayImageTest& t) {
         t.Frame({kA});
         t.FImage->resize(kWidth + 20, kHeight + 10);
         t.FImage->FillBase(t.FImage->BaseCanvas(), kBase);
       },
       QRegion(kLeft, kTop, kWidth + 20, kHeight + 10)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Recreate();
    c.before(*this);
    // Scribble on the buffer outside every rectangle: a whole restore removes it.
    FImage->OverlayCanvas().Brush.Color = kScribble;
    FImage->OverlayCanvas().FillRect(Rect(100, 90, 104, 94));
    Frame({kB});
    EXPECT_EQ(FImage->LastPresentedRegion(), c.whole);
    EXPECT_EQ(At(Overlay(), 101, 91), kBase);
    EXPECT_EQ(At(Overlay(), kB.Left, kB.Top), kSprite);
    EXPECT_EQ(FImage->LastRegion(), R(kB));
    EXPECT_FALSE(FImage->FrameOpen());
    EXPECT_TRUE(FImage->OverlayShown());
  }
}

// The owner redraws the background in OnResize, so the pictures must have
// their new size by then, and the position must be the new one.
TEST_F(OverlayImageTest, OnResizeRunsAfterThePicturesFollowedTheSize) {
  Frame({kA});
  std::vector<std::string> seen;
  FImage->OnResize = [&](TOverlayImage* sender) {
    seen.push_back(std::to_string(sender->BufferWidth()) + "x" + std::to_string(sender->Bitmap().Height()) +
                   " at " + std::to_string(sender->PosLeft()));
  };
  FImage->setGeometry(kLeft + 5, kTop, kWidth - 30, kHeight - 20);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], std::to_string(kWidth - 30) + "x" + std::to_string(kHeight - 20) + " at " +
                         std::to_string(kLeft + 5));
  EXPECT_FALSE(FImage->OverlayShown());
  EXPECT_EQ(FImage->OverlayBuffer()->Width(), kWidth - 30);
  EXPECT_EQ(At(Overlay(), kA.Left, kA.Top), clWhite) << "the old frame is discarded";
}

TEST_F(OverlayImageTest, LaterFramesCopyOnlyTheUnionOfBothFramesAreas) {
  Frame({kA});
  FImage->OverlayCanvas().Brush.Color = kScribble;
  FImage->OverlayCanvas().FillRect(Rect(100, 90, 104, 94));

  FImage->DrawOnOverlay(kB, *FSprite);
  EXPECT_TRUE(FImage->FrameOpen());
  EXPECT_FALSE(FImage->OverlayShown());
  // The first call restored the previous frame's area, and only that.
  EXPECT_EQ(At(Overlay(), kA.Left, kA.Top), kBase);
  EXPECT_EQ(At(Overlay(), 101, 91), kScribble);
  FImage->PresentOverlay();

  EXPECT_EQ(FImage->LastPresentedRegion(), OnParent(R(kA) + R(kB)));
  EXPECT_EQ(FImage->LastRegion(), R(kB));
  EXPECT_FALSE(FImage->FrameRegion().has_value());
}

TEST_F(OverlayImageTest, PresentTwiceInARowCopiesEverythingAndForgetsTheArea) {
  Frame({kA});
  Frame({kB});
  FImage->PresentOverlay();
  EXPECT_EQ(FImage->LastPresentedRegion(), kWhole);
  EXPECT_FALSE(FImage->LastRegion().has_value());

  // So the next frame restores the whole buffer, scribble included.
  FImage->OverlayCanvas().Brush.Color = kScribble;
  FImage->OverlayCanvas().FillRect(Rect(100, 90, 104, 94));
  Frame({kA});
  EXPECT_EQ(At(Overlay(), 101, 91), kBase);
  EXPECT_EQ(At(Overlay(), kB.Left, kB.Top), kBase);
  EXPECT_EQ(FImage->LastPresentedRegion(), kWhole);
}

// The owner's drawing in OnOverlayPaint joins the frame: it widens a recorded
// area, and is dropped (the whole control is copied) when nothing was recorded.
TEST_F(OverlayImageTest, DrawingInOnOverlayPaintJoinsTheFrame) {
  const TRect score = Rect(120, 5, 130, 15);
  struct Case {
    const char* name;
    std::vector<TRect> frame;
    QRegion presented;
    std::optional<QRegion> recorded;
  };
  const std::vector<Case> cases = {
      {"frame recorded an area", {kB}, OnParent(R(kA) + R(kB) + R(score)), R(kB) + R(score)},
      {"frame recorded nothing", {}, kWhole, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FImage->OnOverlayPaint = nullptr;
    Frame({kA});
    FImage->OnOverlayPaint = [&](TOverlayImage* sender) {
      EXPECT_EQ(sender, FImage);
      EXPECT_TRUE(sender->FrameOpen());
      sender->DrawOnOverlay(score, *FSprite);
    };
    Frame(c.frame);
    EXPECT_EQ(FImage->LastPresentedRegion(), c.presented);
    EXPECT_EQ(FImage->LastRegion(), c.recorded);
    EXPECT_EQ(At(Overlay(), score.Left, score.Top), kSprite);
  }
}

TEST_F(OverlayImageTest, GraphicLargerThanItsRectangleIsClippedToTheRecordedArea) {
  const auto big = Sprite(60, 60);
  const TRect other = Rect(40, 10, 50, 20);  // recorded first, inside the big graphic's extent
  FImage->DrawOnOverlay(other, *Solid(1, 1, kShelter));
  FImage->DrawOnOverlay(Rect(10, 10, 20, 20), *big);

  EXPECT_EQ(At(Overlay(), 15, 15), kSprite) << "inside its own rectangle";
  EXPECT_EQ(At(Overlay(), 45, 15), kSprite) << "inside another recorded rectangle";
  EXPECT_EQ(At(Overlay(), 25, 15), kBase) << "outside every recorded rectangle";
  EXPECT_EQ(At(Overlay(), 15, 25), kBase);
  FImage->PresentOverlay();
  EXPECT_EQ(FImage->LastPresentedRegion(), kWhole);
  EXPECT_EQ(FImage->LastRegion(), QRegion(40, 10, 10, 10) + QRegion(10, 10, 10, 10));
}

// Pixels of the key colour (the bottom-left pixel's) are left out wherever
// they fall in a row, and only when the graphic is transparent.
TEST_F(OverlayImageTest, DrawHonoursTheGraphicsTransparency) {
  const int w = 13, h = 6;  // rows longer than one step of four pixels, with a tail
  auto keyedAt = [](int x, int y) { return y == h - 1 ? x == 0 : (x * 7 + y * 3) % 5 == 0; };
  TBitmap graphic(w, h);  // white: the key
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (!keyedAt(x, y)) graphic.Image().setPixel(x, y, qRgb(x * 10, y * 20, 90));
  for (const bool transparent : {true, false}) {
    SCOPED_TRACE(transparent ? "transparent" : "opaque");
    graphic.Transparent = transparent;
    FImage->DrawOnOverlay(Rect(30, 30, 30 + w, 30 + h), graphic);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const TColor expected = !keyedAt(x, y) ? RGB(x * 10, y * 20, 90) : transparent ? kBase : clWhite;
        ASSERT_EQ(At(Overlay(), 30 + x, 30 + y), expected) << x << "," << y;
      }
    FImage->PresentOverlay();
  }
}

TEST_F(OverlayImageTest, EmptyRectangleOpensTheFrameButRecordsAndDrawsNothing) {
  Frame({kA});
  FImage->DrawOnOverlay(Rect(kB.Left, kB.Top, kB.Left, kB.Bottom), *FSprite);
  EXPECT_TRUE(FImage->FrameOpen());
  ASSERT_TRUE(FImage->FrameRegion().has_value());
  EXPECT_TRUE(FImage->FrameRegion()->isEmpty());
  EXPECT_EQ(At(Overlay(), kA.Left, kA.Top), kBase) << "opening restored the previous area";
  EXPECT_EQ(At(Overlay(), kB.Left, kB.Top), kBase) << "nothing drawn";
  FImage->PresentOverlay();
  EXPECT_EQ(FImage->LastPresentedRegion(), OnParent(R(kA)));
}

// Each byte: (under * weight + bitmap * (256 - weight)) div 256.
TEST_F(OverlayImageTest, BlendMixesWhatLiesUnderTheRectangle) {
  const auto shelter = Solid(kA.Width(), kA.Height(), kShelter);
  auto mix = [](TColor under, TColor over, int w) {
    auto ch = [&](int u, int s) { return (u * w + s * (256 - w)) / 256; };
    return RGB(ch(GetRValue(under), GetRValue(over)), ch(GetGValue(under), GetGValue(over)),
               ch(GetBValue(under), GetBValue(over)));
  };
  struct Case {
    const char* name;
    bool firstCall;  // else another drawing call opens the frame before the blend
    int weight;
    TColor expected;
  };
  const std::vector<Case> cases = {
      {"first call mixes the previous frame", true, 100, mix(kSprite, kShelter, 100)},
      {"after another call mixes the restored frame", false, 100, mix(kBase, kShelter, 100)},
      {"weight 0 puts the bitmap unchanged", false, 0, kShelter},
      {"weight 256 leaves the rectangle as it was", false, 256, kBase},
      {"weight 256 as the first call keeps the old frame", true, 256, kSprite},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Frame({kA});  // the sprite fills kA
    if (!c.firstCall) FImage->DrawOnOverlay(kB, *FSprite);
    FImage->BlendOnOverlay(kA, c.weight, *shelter);
    EXPECT_EQ(At(Overlay(), kA.Left, kA.Top), c.expected);
    EXPECT_EQ(At(Overlay(), kA.Right - 1, kA.Bottom - 2), c.expected);
    EXPECT_EQ(At(Overlay(), kA.Right, kA.Top), kBase) << "nothing outside the rectangle";
    FImage->PresentOverlay();
    EXPECT_EQ(FImage->LastPresentedRegion(),
              OnParent(c.firstCall ? R(kA) : R(kA) + R(kB)));
  }
}

// A transparent bitmap (the shelter with rounded corners) is mixed only where
// it is drawn: key pixels leave what lies under them, edge pixels that cover
// part of their place mix the blend in by that share.
TEST_F(OverlayImageTest, TransparentBlendLeavesItsKeyAndMixesItsEdgeByItsShare) {
  auto shelter = Solid(kA.Width(), kA.Height(), kShelter);
  QImage& pic = shelter->Image();
  pic.setPixel(0, kA.Height() - 1, qRgb(255, 255, 255));  // the key, bottom-left
  pic.setPixel(0, 0, qRgb(255, 255, 255));                 // another corner keyed
  reinterpret_cast<QRgb*>(pic.scanLine(0))[1] = qRgba(0, 200, 0, 64);  // an edge covering a quarter
  shelter->Transparent = true;
  auto ch = [](int u, int s) { return (u * 100 + s * 156) / 256; };
  const TColor blended = RGB(ch(GetRValue(kBase), 0), ch(GetGValue(kBase), 200), ch(GetBValue(kBase), 0));
  auto quarter = [](int b, int u) { return (b * 64 + u * 191 + 127) / 255; };
  const TColor edge = RGB(quarter(GetRValue(blended), GetRValue(kBase)),
                          quarter(GetGValue(blended), GetGValue(kBase)),
                          quarter(GetBValue(blended), GetBValue(kBase)));
  Frame({kB});
  FImage->DrawOnOverlay(kB, *FSprite);  // opens the frame: kA shows the base
  FImage->BlendOnOverlay(kA, 100, *shelter);
  EXPECT_EQ(At(Overlay(), kA.Left, kA.Bottom - 1), kBase) << "key: under left as it was";
  EXPECT_EQ(At(Overlay(), kA.Left, kA.Top), kBase) << "key: under left as it was";
  EXPECT_EQ(At(Overlay(), kA.Left + 1, kA.Top), edge) << "edge: a quarter of the blend";
  EXPECT_EQ(At(Overlay(), kA.Left + 5, kA.Top + 5), blended) << "drawn: mixed as any bitmap";
  // Without the flag the same bitmap is mixed everywhere, white corners too.
  shelter->Transparent = false;
  FImage->PresentOverlay();
  FImage->BlendOnOverlay(kA, 100, *shelter);
  EXPECT_EQ(At(Overlay(), kA.Left, kA.Top), RGB(ch(GetRValue(kBase), 255), ch(GetGValue(kBase), 255),
                                               ch(GetBValue(kBase), 255)));
}

TEST_F(OverlayImageTest, BlendOfAnEmptyRectangleOnlyOpensTheFrame) {
  Frame({kA});
  FImage->BlendOnOverlay(Rect(kB.Left, kB.Top, kB.Left, kB.Top), 100, *Solid(4, 4, kShelter));
  EXPECT_TRUE(FImage->FrameOpen());
  EXPECT_EQ(At(Overlay(), kB.Left, kB.Top), kBase);
  FImage->PresentOverlay();
  EXPECT_EQ(FImage->LastPresentedRegion(), OnParent(R(kA)));
}

// A shelter drifting over the edge, or a rectangle larger than its bitmap:
// only the part that exists on both is mixed; the rest of the rectangle shows
// what the frame has there, never pixels left from the previous frame.
TEST_F(OverlayImageTest, BlendMixesOnlyWhereBitmapAndControlOverlap) {
  const TRect overEdge = Rect(kWidth - 10, kHeight - 10, kWidth + 10, kHeight + 10);
  Frame({Rect(kWidth - 10, kHeight - 10, kWidth, kHeight), kA});
  const auto shelter = Solid(20, 20, kShelter);
  EXPECT_NO_THROW(FImage->BlendOnOverlay(overEdge, 0, *shelter));
  EXPECT_EQ(At(Overlay(), kWidth - 1, kHeight - 1), kShelter);

  const TRect larger = Rect(kA.Left, kA.Top, kA.Right + 5, kA.Bottom);
  FImage->PresentOverlay();
  FImage->DrawOnOverlay(larger, *Sprite(larger.Width(), larger.Height()));
  FImage->BlendOnOverlay(larger, 0, *Solid(kA.Width(), kA.Height(), kShelter));
  EXPECT_EQ(At(Overlay(), kA.Right - 1, kA.Top), kShelter);
  EXPECT_EQ(At(Overlay(), kA.Right + 1, kA.Top), kSprite) << "beyond the bitmap: the frame's own drawing";
  FImage->PresentOverlay();
  FImage->BlendOnOverlay(larger, 0, *Solid(kA.Width(), kA.Height(), kShelter));
  EXPECT_EQ(At(Overlay(), kA.Right + 1, kA.Top), kBase) << "beyond the bitmap: restored";
}

TEST_F(OverlayImageTest, MoveWithoutResizeOnlyMovesTheScreenArea) {
  Frame({kA});
  FImage->move(kLeft + 7, kTop + 3);
  EXPECT_EQ(FImage->PosLeft(), kLeft + 7);
  EXPECT_EQ(FImage->PosTop(), kTop + 3);
  EXPECT_EQ(FImage->LastRegion(), R(kA)) << "a move keeps the previous frame's area";
  EXPECT_TRUE(FImage->OverlayShown());

  Frame({kB});
  EXPECT_EQ(FImage->LastPresentedRegion(), (R(kA) + R(kB)).translated(kLeft + 7, kTop + 3));
}

TEST_F(OverlayImageTest, TextIsRecordedByItsMeasuredCell) {
  FImage->SetOverlayFont(FImage->Font());
  FImage->OverlayBrush().Color = kScribble;
  FImage->OverlayBrush().Style = TBrushStyle::bsSolid;
  const QString text = QStringLiteral("01:30");
  const int w = FImage->OverlayCanvas().TextWidth(text);
  const int h = FImage->OverlayCanvas().TextHeight(text);
  ASSERT_GT(w, 0);
  ASSERT_GT(h, 0);
  FImage->TextOnOverlay(30, 40, text);
  EXPECT_EQ(FImage->FrameRegion(), QRegion(30, 40, w, h));
  EXPECT_EQ(At(Overlay(), 30, 40), kScribble) << "a solid overlay brush fills the cell";
  EXPECT_EQ(At(Overlay(), 30 + w, 40), kBase);
}

// The paint path, as the toolkit runs it for an exposed control: what it shows
// depends on OnOverlayPaint and on whether the screen shows the overlay.
TEST_F(OverlayImageTest, PaintShowsBaseOrOverlay) {
  auto grabbed = [&] { return FImage->grab().toImage(); };
  Frame({kA});
  EXPECT_EQ(ToTColor(grabbed().pixel(kA.Left, kA.Top)), kSprite) << "the overlay is shown";

  FImage->ResetOverlay();
  EXPECT_FALSE(FImage->OverlayShown());
  EXPECT_EQ(ToTColor(grabbed().pixel(kA.Left, kA.Top)), kBase) << "the base picture is shown";

  // With OnOverlayPaint the base is restored under the overlay canvas's clip and
  // the handler draws on it, but no region changes and nothing counts as shown.
  int calls = 0;
  FImage->OnOverlayPaint = [&](TOverlayImage* sender) {
    ++calls;
    sender->DrawOnOverlay(kB, *FSprite);
  };
  const std::optional<QRegion> last = FImage->LastRegion();
  const QImage shown = grabbed();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ToTColor(shown.pixel(kB.Left, kB.Top)), kSprite);
  EXPECT_EQ(FImage->LastRegion(), last);
  EXPECT_FALSE(FImage->FrameOpen());
  EXPECT_FALSE(FImage->Painting());
}

TEST_F(OverlayImageTest, PaintingWhilePaintingDoesNothing) {
  QImage inner(kWidth, kHeight, QImage::Format_RGB32);
  inner.fill(Qt::magenta);
  int calls = 0;
  FImage->OnOverlayPaint = [&](TOverlayImage* sender) {
    ++calls;
    EXPECT_TRUE(sender->Painting());
    QPainter p(&inner);
    FImage->Paint(p, QRegion(0, 0, kWidth, kHeight));
  };
  QImage outer(kWidth, kHeight, QImage::Format_RGB32);
  {
    QPainter p(&outer);
    FImage->Paint(p, QRegion(0, 0, kWidth, kHeight));
  }
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(inner.pixel(5, 5), QColor(Qt::magenta).rgb());
  EXPECT_EQ(ToTColor(outer.pixel(5, 5)), kBase);
  EXPECT_FALSE(FImage->Painting());
}

TEST_F(OverlayImageTest, PaintClearsThePaintingFlagWhenTheHandlerThrows) {
  FImage->OnOverlayPaint = [](TOverlayImage*) { throw std::runtime_error("handler failed"); };
  QImage target(kWidth, kHeight, QImage::Format_RGB32);
  QPainter p(&target);
  EXPECT_THROW(FImage->Paint(p, QRegion(0, 0, kWidth, kHeight)), std::runtime_error);
  EXPECT_FALSE(FImage->Painting());
}

TEST(OverlayImageBase, ChangeNotificationUntilSuspended) {
  QWidget parent;
  parent.resize(100, 80);
  auto* image = new TOverlayImage(&parent);
  image->setGeometry(0, 0, 50, 40);
  parent.show();
  QCoreApplication::processEvents();
  image->DrawOnOverlay(Rect(1, 1, 5, 5), TBitmap(4, 4));
  image->PresentOverlay();
  ASSERT_TRUE(image->OverlayShown());

  image->BaseChanged();
  EXPECT_FALSE(image->OverlayShown());
  EXPECT_EQ(image->LastRegion(), QRegion(0, 0, 50, 40)) << "the next present copies everything";

  image->PresentOverlay();
  image->DrawOnOverlay(Rect(1, 1, 5, 5), TBitmap(4, 4));
  image->PresentOverlay();
  image->SuspendBaseNotify();
  image->SetBitmap(TBitmap(50, 40));
  image->BaseChanged();
  EXPECT_TRUE(image->OverlayShown());
  EXPECT_EQ(image->LastRegion(), QRegion(1, 1, 4, 4));
}

TEST(OverlayImageBase, LoadedSizesThePicturesAndFillsWithTheBrushColour) {
  // Not shown: Qt has not reported the size yet, so Loaded must take it.
  QWidget parent;
  auto* image = new TOverlayImage(&parent);
  image->resize(70, 30);
  image->OverlayFont();  // creates the overlay buffer
  image->Brush().Color = kShelter;
  image->Brush().Style = TBrushStyle::bsClear;
  image->Loaded();
  EXPECT_EQ(image->BufferWidth(), 70);
  EXPECT_EQ(image->Bitmap().Width(), 70);
  EXPECT_EQ(image->Bitmap().Height(), 30);
  EXPECT_EQ(image->OverlayBuffer()->Width(), 70);
  EXPECT_EQ(At(image->Bitmap(), 69, 29), kShelter);
}

TEST(OverlayImageBase, SetBitmapMakesThirtyTwoBitRgbPixels) {
  QWidget parent;
  auto* image = new TOverlayImage(&parent);
  QImage stored(8, 6, QImage::Format_ARGB32);
  stored.fill(qRgb(1, 2, 3));
  image->SetBitmap(TBitmap(stored, TPixelFormat::pf32bit));
  EXPECT_EQ(image->Bitmap().Image().format(), QImage::Format_RGB32);
  EXPECT_EQ(image->Bitmap().PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(At(image->Bitmap(), 7, 5), RGB(1, 2, 3));
}

TEST(OverlayImageInput, MouseDownCarriesButtonShiftStateAndDoubleClick) {
  TOverlayImage image;
  struct Down {
    TMouseButton button;
    TShiftState shift;
    int x, y;
  };
  std::vector<Down> seen;
  image.OnMouseDown = [&](TOverlayImage* sender, TMouseButton b, TShiftState s, int x, int y) {
    EXPECT_EQ(sender, &image);
    seen.push_back({b, s, x, y});
  };
  struct Case {
    const char* name;
    QEvent::Type type;
    Qt::MouseButton button;
    Qt::MouseButtons held;
    Qt::KeyboardModifiers modifiers;
    bool delivered;
    TMouseButton expectedButton;
    TShiftState expectedShift;
  };
  const std::vector<Case> cases = {
      {"left with shift", QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton,
       Qt::ShiftModifier, true, mbLeft, {ssShift, ssLeft}},
      {"right with alt and ctrl", QEvent::MouseButtonPress, Qt::RightButton,
       Qt::RightButton | Qt::LeftButton, Qt::AltModifier | Qt::ControlModifier, true, mbRight,
       {ssAlt, ssCtrl, ssLeft, ssRight}},
      {"double click", QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton,
       Qt::NoModifier, true, mbLeft, {ssLeft, ssDouble}},
      {"middle", QEvent::MouseButtonPress, Qt::MiddleButton, Qt::MiddleButton, Qt::NoModifier,
       true, mbMiddle, {ssMiddle}},
      {"a side button is not reported", QEvent::MouseButtonPress, Qt::BackButton,
       Qt::BackButton, Qt::NoModifier, false, mbLeft, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    seen.clear();
    QMouseEvent e(c.type, QPointF(12, 7), QPointF(12, 7), c.button, c.held, c.modifiers);
    QCoreApplication::sendEvent(&image, &e);
    ASSERT_EQ(seen.size(), c.delivered ? 1u : 0u);
    if (!c.delivered) continue;
    EXPECT_EQ(seen[0].button, c.expectedButton);
    EXPECT_EQ(seen[0].shift, c.expectedShift);
    EXPECT_EQ(seen[0].x, 12);
    EXPECT_EQ(seen[0].y, 7);
  }
}

TEST(OverlayImageInput, EnterAndLeaveReachTheirHandlers) {
  TOverlayImage image;
  std::string log;
  image.OnMouseEnter = [&](TOverlayImage*) { log += "enter "; };
  image.OnMouseLeave = [&](TOverlayImage*) { log += "leave"; };
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QCoreApplication::sendEvent(&image, &enter);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&image, &leave);
  EXPECT_EQ(log, "enter leave");
}
