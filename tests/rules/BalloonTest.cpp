// Balloons: sizes, placement, the order of random draws, pictures, motion,
// bouncing, the dart test and spiky pops.
#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>
#include <algorithm>
#include <set>
#include <tuple>
#include <vector>

#include "game/Balloon.h"
#include "platform/Random.h"

namespace {

// Colours of the fixture pictures; none of them occurs in the text colours.
const QColor DiscColour(220, 30, 30);
const QColor ShotColour(30, 30, 220);
const QColor BonusColour(0, 160, 0);
const QColor ReviveColour(160, 0, 160);
const QColor SpikyColour(0, 120, 120);

// A white picture with a coloured disc in its upper part, as the balloon
// pictures are stored: keyed on their white background.
std::unique_ptr<TBitmap> DiscPicture(int w, int h, const QColor& colour) {
  auto b = std::make_unique<TBitmap>(w, h);
  QPainter p(&b->Image());
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(QRectF(0.1 * w, 0.05 * h, 0.8 * w, 0.75 * h));
  p.setPen(QPen(QColor(90, 60, 30), 2));
  p.drawLine(QPointF(0.5 * w, 0.8 * h), QPointF(0.5 * w, 0.97 * h));
  p.end();
  b->Transparent = true;
  return b;
}

// A badge: white, with a solid square low down, at its own column so that
// badges drawn together stay apart. Stored without the transparency flag, so
// the balloon must switch it on itself.
std::unique_ptr<TBitmap> BadgePicture(const QColor& colour, int left) {
  auto b = std::make_unique<TBitmap>(100, 125);
  QPainter p(&b->Image());
  p.fillRect(QRect(left, 75, 20, 25), colour);
  return b;
}

struct TFixtures {
  std::unique_ptr<TBitmap> Balloon = DiscPicture(150, 188, DiscColour);
  std::unique_ptr<TBitmap> Shot = DiscPicture(160, 240, ShotColour);
  std::unique_ptr<TBitmap> Bonus = BadgePicture(BonusColour, 20);
  std::unique_ptr<TBitmap> Revive = BadgePicture(ReviveColour, 40);
  std::unique_ptr<TBitmap> Spiky = BadgePicture(SpikyColour, 60);
  std::vector<std::pair<int, int>> ImageCalls, ShotCalls;

  TImageLookup GetImage() {
    return [this](std::uint8_t c, int i) -> const TBitmap* {
      ImageCalls.emplace_back(c, i);
      return Balloon.get();
    };
  }
  TImageLookup GetShot() {
    return [this](std::uint8_t c, int i) -> const TBitmap* {
      ShotCalls.emplace_back(c, i);
      return Shot.get();
    };
  }
  TBadgePictures Badges() const { return {Bonus.get(), Revive.get(), Spiky.get()}; }
};

TFixtures& Fixtures() {
  static TFixtures f;
  return f;
}

struct TKindArgs {
  bool Bonus = false, Revive = false, Spiky = false;
};

TBalloon MakeBalloon(int width, int height, std::uint8_t size, TKindArgs kind = {}, int number = 7,
                     double speed = 5.0) {
  TFixtures& f = Fixtures();
  return TBalloon(number, 0, size, f.GetImage(), f.GetShot(), Rect(0, 0, width, height), speed,
                  kind.Bonus, kind.Revive, kind.Spiky, f.Badges());
}

TBalloon MakeWithChance(int chance, std::uint8_t size = 0) {
  TFixtures& f = Fixtures();
  return TBalloon(3, 1, size, f.GetImage(), f.GetShot(), Rect(0, 0, 400, 300), 5.0, chance, f.Badges());
}

QRgb PixelAt(const TBitmap& b, int x, int y) { return b.Image().pixel(x, y) & 0xFFFFFF; }

int CountPixels(const TBitmap& b, const QRect& area, const std::function<bool(QRgb)>& pred) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (pred(PixelAt(b, x, y))) ++n;
  return n;
}

auto Exactly(const QColor& c) {
  return [rgb = c.rgb() & 0xFFFFFF](QRgb p) { return p == rgb; };
}

bool IsDark(QRgb p) { return qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) < 60; }

// Puts the balloon's picture with its top-left corner at (x, y), exactly.
void PlaceAt(TBalloon& b, int x, int y) {
  const int dx = x - b.FRect.Left, dy = y - b.FRect.Top;
  b.FRect.Offset(dx, dy);
  b.FHitRect.Offset(dx, dy);
  b.FX = static_cast<float>(x);
  b.FY = static_cast<float>(y);
}

class BalloonTest : public ::testing::Test {
protected:
  void SetUp() override { RandSeed(20240611); }
};

// ---- names and chances ------------------------------------------------------

TEST_F(BalloonTest, PictureNamesAndSpecialChance) {
  EXPECT_EQ(BalloonImageName(0, 1), "imgRed1");
  EXPECT_EQ(BalloonImageName(1, 3), "imgYellow3");
  EXPECT_EQ(BalloonImageName(2, 2), "imgAqua2");
  EXPECT_EQ(BalloonImageName(3, 1), "imgLime1");
  EXPECT_EQ(ShotImageName(0), "imgRedShot");
  EXPECT_EQ(ShotImageName(3), "imgLimeShot");
  EXPECT_TRUE(BalloonImageName(4, 1).isEmpty());
  EXPECT_TRUE(ShotImageName(200).isEmpty());

  const int chances[] = {0, 2, 6, 12, 20};
  for (int n = 0; n < 5; ++n) EXPECT_EQ(SpecialChance(n), chances[n]) << "item " << n;
}

// ---- sizes, hit boxes, points ------------------------------------------------

TEST_F(BalloonTest, SizesAndHitBoxesFollowThePlayfieldWidth) {
  struct Case {
    int Width;
    std::uint8_t Size;
    int W, H, Inset;
  };
  // At 1920 the large picture is 162 wide and 202.5 tall before rounding:
  // the half goes to the even neighbour.
  const Case cases[] = {
      {1152, 0, 56, 70, 5},   {1152, 1, 79, 99, 5},   {1152, 2, 97, 121, 5},
      {1920, 0, 93, 116, 8},  {1920, 1, 132, 165, 8}, {1920, 2, 162, 202, 8},
      {3840, 0, 187, 234, 17}, {3840, 1, 264, 330, 17}, {3840, 2, 323, 404, 17},
      {800, 2, 67, 84, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "width " << c.Width << " size " << int(c.Size));
    const TBalloon b = MakeBalloon(c.Width, c.Width * 3 / 4, c.Size);
    EXPECT_EQ(b.FRect.Width(), c.W);
    EXPECT_EQ(b.FRect.Height(), c.H);
    EXPECT_EQ(b.FHitRect.Left - b.FRect.Left, c.Inset);
    EXPECT_EQ(b.FHitRect.Top - b.FRect.Top, c.Inset);
    EXPECT_EQ(b.FRect.Right - b.FHitRect.Right, c.Inset);
    EXPECT_EQ(b.FRect.Bottom - b.FHitRect.Bottom, c.H / 5 + c.Inset);
    for (int n = 1; n <= 3; ++n) {
      EXPECT_EQ(b.FImages[n]->Width(), c.W);
      EXPECT_EQ(b.FImages[n]->Height(), c.H);
    }
    EXPECT_EQ(b.FShotImage->Width(), c.W);
    EXPECT_EQ(b.FShotImage->Height(), c.H);
    EXPECT_FLOAT_EQ(b.FScale, c.Width / 1152.0f);
  }
  const TBalloon large = MakeBalloon(1152, 816, 2);
  EXPECT_EQ(large.FHitRect.Width(), 87);
  EXPECT_EQ(large.FHitRect.Height(), 87);
}

TEST_F(BalloonTest, PointsOfEverySpecialKind) {
  struct Case {
    TKindArgs Kind;
    int Extra;
  };
  const Case cases[] = {
      {{false, false, false}, 0}, {{true, false, false}, 25}, {{false, true, false}, 0},
      {{false, false, true}, 5},  {{true, false, true}, 30},  {{false, true, true}, 5},
  };
  const int base[] = {10, 8, 6};
  for (std::uint8_t size = 0; size < 3; ++size)
    for (const Case& c : cases) {
      const TBalloon b = MakeBalloon(600, 400, size, c.Kind);
      EXPECT_EQ(b.FPoints, base[size] + c.Extra)
          << "size " << int(size) << " bonus " << c.Kind.Bonus << " revive " << c.Kind.Revive
          << " spiky " << c.Kind.Spiky;
      EXPECT_EQ(b.FBonus, c.Kind.Bonus);
      EXPECT_EQ(b.FRevive, c.Kind.Revive);
      EXPECT_EQ(b.FSpiky, c.Kind.Spiky);
    }
}

TEST_F(BalloonTest, StartsLiveWholeInsideTheAreaWithItsSpeed) {
  const TRect area = Rect(100, 50, 1252, 914);
  TFixtures& f = Fixtures();
  for (std::uint32_t seed = 1; seed <= 40; ++seed) {
    RandSeed(seed);
    const std::uint8_t size = seed % 3;
    const TBalloon b(1, 2, size, f.GetImage(), f.GetShot(), area, 4.0, false, false, false, f.Badges());
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    EXPECT_GE(b.FRect.Left, area.Left);
    EXPECT_GE(b.FRect.Top, area.Top);
    EXPECT_LE(b.FRect.Right, area.Right);
    EXPECT_LE(b.FRect.Bottom, area.Bottom);
    EXPECT_EQ(b.FX, b.FRect.Left);
    EXPECT_EQ(b.FY, b.FRect.Top);
    EXPECT_EQ(b.FArea, area);
    EXPECT_FALSE(b.FShot);
    EXPECT_GE(b.FFrame, 1);
    EXPECT_LE(b.FFrame, 3);
    EXPECT_EQ(b.FAnimTick, 0);
    EXPECT_EQ(b.FAnimDelay, 5);
    EXPECT_FLOAT_EQ(b.FSpeed, std::sqrt((size + 2) / 3.0f) * 4.0f);
  }
}

// ---- the order of random draws ---------------------------------------------

// The draws of a balloon: kind, placement, spikes, frame, direction signs.
// Replaying them on the same seed must give the same balloon.
TEST_F(BalloonTest, DrawsComeInTheirFixedOrder) {
  for (const bool spiky : {false, true}) {
    for (std::uint32_t seed : {7u, 99u, 123456u}) {
      SCOPED_TRACE(testing::Message() << "seed " << seed << " spiky " << spiky);
      const int width = 1152, height = 816;
      const int w = 97, h = 121;
      RandSeed(seed);
      const int left = Random(width - w);
      const int top = Random(height - h);
      if (spiky)
        for (int k = 0; k < 3 * 400; ++k) {
          Random();
          Random(360);
        }
      const int frame = Random(3) + 1;
      const int hSign = Random(2) == 1 ? 1 : -1;
      const int vSign = Random(2) == 1 ? 1 : -1;

      RandSeed(seed);
      const TBalloon b = MakeBalloon(width, height, 2, {false, false, spiky});
      EXPECT_EQ(b.FRect.Left, left);
      EXPECT_EQ(b.FRect.Top, top);
      EXPECT_EQ(b.FFrame, frame);
      EXPECT_EQ(TBalloon::SignOf(b.FVX), hSign);
      EXPECT_EQ(TBalloon::SignOf(b.FVY), vSign);
    }
  }
}

TEST_F(BalloonTest, SpecialKindIsDrawnFromTheChance) {
  // The first three draws decide: Random(80) for a Bonus, Random(1500) for a
  // Spiky balloon, then Random(20) only after a Bonus draw (below 8 turns it
  // into a Revive balloon). The draws are read ahead for many seeds, and a
  // balloon is made for every seed whose draws sit at a boundary, and for the
  // first seed of every outcome.
  struct TDraws {
    int R80, R1500, R20;
  };
  const auto peek = [](std::uint32_t seed) {
    RandSeed(seed);
    TDraws d{Random(80), Random(1500), -1};
    d.R20 = Random(20);
    return d;
  };
  for (const int chance : {0, 2, 20}) {
    std::set<std::tuple<bool, bool, bool>> seen;
    int spikyEdges = 0, made = 0;
    for (std::uint32_t seed = 0; seed < 400000 && (made < 60 || seen.size() < 6); ++seed) {
      const TDraws d = peek(seed);
      const bool bonusDrawn = d.R80 < chance;
      const bool spiky = d.R1500 < chance;
      const bool revive = bonusDrawn && d.R20 < 8;
      const bool bonus = bonusDrawn && !revive;
      const bool spikyEdge = d.R1500 == chance || d.R1500 == chance - 1;
      const bool edge = spikyEdge || d.R80 == chance || d.R80 == chance - 1 ||
                        (bonusDrawn && (d.R20 == 7 || d.R20 == 8));
      const bool firstOfOutcome = seen.insert({bonus, revive, spiky}).second;
      if (!firstOfOutcome && (!edge || made >= 60)) continue;
      spikyEdges += spikyEdge;
      ++made;
      RandSeed(seed);
      const TBalloon b = MakeWithChance(chance);
      SCOPED_TRACE(testing::Message() << "chance " << chance << " seed " << seed);
      EXPECT_EQ(b.FBonus, bonus);
      EXPECT_EQ(b.FRevive, revive);
      EXPECT_EQ(b.FSpiky, spiky);
    }
    EXPECT_GT(spikyEdges, 0) << "chance " << chance;
    if (chance == 0) {
      EXPECT_EQ(seen.size(), 1u) << "None never gives a special balloon";
    } else {
      EXPECT_EQ(seen.size(), 6u) << "plain, bonus, revive, spiky, spiky bonus, spiky revive";
    }
  }
}

// ---- pictures ---------------------------------------------------------------

TEST_F(BalloonTest, LooksUpItsPicturesByColourAndIndex) {
  TFixtures& f = Fixtures();
  f.ImageCalls.clear();
  f.ShotCalls.clear();
  const TBalloon b(5, 3, 1, f.GetImage(), f.GetShot(), Rect(0, 0, 1152, 816), 5.0, false, false, false,
                   f.Badges());
  const std::vector<std::pair<int, int>> images = {{3, 1}, {3, 2}, {3, 3}};
  const std::vector<std::pair<int, int>> shots = {{3, 0}};
  EXPECT_EQ(f.ImageCalls, images);
  EXPECT_EQ(f.ShotCalls, shots);
}

TEST_F(BalloonTest, PicturesStretchedToAnySizeKeepAWhiteKey) {
  for (const int width : {300, 777, 1152, 1366, 1920, 2560, 3840})
    for (std::uint8_t size = 0; size < 3; ++size) {
      const TBalloon b = MakeBalloon(width, width / 2, size, {true, false, true});
      SCOPED_TRACE(testing::Message() << "width " << width << " size " << int(size));
      for (int n = 1; n <= 3; ++n) {
        EXPECT_TRUE(b.FImages[n]->Transparent);
        EXPECT_EQ(b.FImages[n]->TransparentColor(), clWhite);
      }
      EXPECT_TRUE(b.FShotImage->Transparent);
      EXPECT_EQ(b.FShotImage->TransparentColor(), clWhite);
      EXPECT_EQ(b.FShotImage->PixelFormat(), TPixelFormat::pf32bit);
    }
}

TEST_F(BalloonTest, NumberIsBlackCentredInTheUpperPartWithASilverOutline) {
  const TBalloon b = MakeBalloon(1152, 816, 2, {}, 42);
  const TBitmap& pic = *b.FImages[1];
  const int w = pic.Width(), h = pic.Height();
  int minX = w, maxX = -1, minY = h, maxY = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (IsDark(PixelAt(pic, x, y))) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
  ASSERT_GE(maxX, 0) << "no number painted";
  EXPECT_NEAR((minX + maxX) / 2.0, w / 2.0, 4);
  EXPECT_LT(maxY, h / 2) << "the number sits in the upper part";
  EXPECT_GT(minY, h / 3 - 30);
  // Black over the silver copies leaves neutral greys; black over the red
  // disc alone would leave reddish ones.
  const auto lightNeutral = [](QRgb p) {
    return std::abs(qRed(p) - qGreen(p)) <= 6 && std::abs(qGreen(p) - qBlue(p)) <= 6 && qRed(p) >= 0x90 &&
           qRed(p) <= 0xE0;
  };
  EXPECT_GT(CountPixels(pic, QRect(minX - 1, minY - 1, maxX - minX + 3, maxY - minY + 3), lightNeutral), 10);
  // The disc is still there around it.
  EXPECT_EQ(PixelAt(pic, w / 4, h * 2 / 5), DiscColour.rgb() & 0xFFFFFF);
}

TEST_F(BalloonTest, BadgesAndSpikesMarkSpecialBalloons) {
  const TKindArgs kinds[] = {{false, false, false}, {true, false, false}, {false, true, false},
                             {false, false, true},  {true, false, true}};
  for (const TKindArgs& k : kinds) {
    SCOPED_TRACE(testing::Message() << "bonus " << k.Bonus << " revive " << k.Revive << " spiky " << k.Spiky);
    const TBalloon b = MakeBalloon(1152, 816, 2, k);
    for (int n = 1; n <= 3; ++n) {
      const TBitmap& pic = *b.FImages[n];
      const QRect all(0, 0, pic.Width(), pic.Height());
      EXPECT_EQ(CountPixels(pic, all, Exactly(BonusColour)) > 0, k.Bonus);
      EXPECT_EQ(CountPixels(pic, all, Exactly(ReviveColour)) > 0, k.Revive);
      EXPECT_EQ(CountPixels(pic, all, Exactly(SpikyColour)) > 0, k.Spiky);
      // Spikes lie around the centre of the round part, below the number.
      const int c = pic.Width() / 2;
      const QRect belowNumber(0, c + 14, pic.Width(), c / 2);
      const int silver = CountPixels(pic, belowNumber, Exactly(QColor(0xC0, 0xC0, 0xC0)));
      if (k.Spiky) {
        EXPECT_GT(silver, 50);
      } else {
        EXPECT_EQ(silver, 0);
      }
      // A badge keyed on its white background leaves the balloon visible.
      if (!k.Spiky) {
        EXPECT_EQ(PixelAt(pic, pic.Width() / 4, pic.Height() * 2 / 5), DiscColour.rgb() & 0xFFFFFF);
      }
    }
  }
}

TEST_F(BalloonTest, SpikesDifferBetweenTheAnimationPictures) {
  const TImageLookup none = [](std::uint8_t, int) -> const TBitmap* { return nullptr; };
  const TBalloon b(8, 0, 2, none, none, Rect(0, 0, 1152, 816), 5.0, false, false, true, {});
  EXPECT_NE(b.FImages[1]->Image(), b.FImages[2]->Image());
  EXPECT_NE(b.FImages[2]->Image(), b.FImages[3]->Image());
}

TEST_F(BalloonTest, ShotPictureCarriesThePointsInRedForABonus) {
  const auto isRed = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 90 && qBlue(p) < 90; };
  const auto isGrey = [](QRgb p) {
    return qRed(p) == qGreen(p) && qGreen(p) == qBlue(p) && qRed(p) < 0xA0;
  };
  for (const bool bonus : {false, true}) {
    const TBalloon b = MakeBalloon(1152, 816, 1, {bonus, false, false});
    const TBitmap& pic = *b.FShotImage;
    const QRect all(0, 0, pic.Width(), pic.Height());
    EXPECT_EQ(CountPixels(pic, all, isRed) > 0, bonus) << "bonus " << bonus;
    EXPECT_EQ(CountPixels(pic, all, isGrey) > 0, !bonus) << "bonus " << bonus;
    // The fixture's own colour shows: the shot picture was stretched in.
    EXPECT_GT(CountPixels(pic, all, Exactly(ShotColour)), 0);
  }
}

TEST_F(BalloonTest, PointsReadOnSkyAndCloudWithoutAPaleFringe) {
  // The smallest points (a small balloon at the design width), on the key (no
  // shot picture) and over the scrap (the fixture's disc), shown on a sky and
  // on a cloud as the game draws the picture: keyed.
  const auto luma = [](QRgb p) { return (299 * qRed(p) + 587 * qGreen(p) + 114 * qBlue(p)) / 1000; };
  const TImageLookup none = [](std::uint8_t, int) -> const TBitmap* { return nullptr; };
  struct {
    const char* Why;
    bool Bonus, Scrap;
  } cases[] = {{"grey on the key", false, false}, {"red on the key", true, false},
               {"grey over the scrap", false, true}, {"red over the scrap", true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Why);
    TFixtures& f = Fixtures();
    const TBalloon b(4, 0, 0, f.GetImage(), c.Scrap ? f.GetShot() : none, Rect(0, 0, 1152, 816), 5.0, c.Bonus,
                     false, false, f.Badges());
    const QColor text = c.Bonus ? QColor(255, 0, 0) : QColor(128, 128, 128);
    for (const QColor ground : {QColor(80, 150, 230), QColor(246, 248, 252)}) {
      SCOPED_TRACE(ground.name().toStdString());
      TBitmap shown(b.FShotImage->Width(), b.FShotImage->Height());
      shown.Canvas().Brush.Color = ToTColor(ground.rgb());
      shown.Canvas().FillRect(Rect(0, 0, shown.Width(), shown.Height()));
      shown.Canvas().Draw(0, 0, *b.FShotImage);
      // The label: the pixels of the text's own colour, and around them.
      const QRect all(0, 0, shown.Width(), shown.Height());
      QRect box;
      for (int y = 0; y < shown.Height(); ++y)
        for (int x = 0; x < shown.Width(); ++x)
          if (PixelAt(shown, x, y) == (text.rgb() & 0xFFFFFF)) box |= QRect(x, y, 1, 1);
      ASSERT_FALSE(box.isEmpty()) << "the points are painted in their colour";
      box = box.adjusted(-3, -3, 3, 3) & all;
      const int letters = CountPixels(shown, box, Exactly(text));
      // A dark rim sets the letters off against light and dark grounds alike.
      EXPECT_GT(CountPixels(shown, box, [&](QRgb p) { return luma(p) < 60; }), letters / 2);
      // No pixel of the label is lighter than both the ground and the letters:
      // that would be the key mixed into the letters' edge.
      const int lightest = std::max(luma(ground.rgb()), luma(text.rgb()));
      EXPECT_EQ(CountPixels(shown, box, [&](QRgb p) { return luma(p) > lightest + 8; }), 0);
    }
  }
}

TEST_F(BalloonTest, MissingPicturesLeaveATransparentPictureWithItsNumber) {
  const TImageLookup none = [](std::uint8_t, int) -> const TBitmap* { return nullptr; };
  const TBalloon b(9, 0, 0, none, TImageLookup(), Rect(0, 0, 1152, 816), 5.0, false, false, false, {});
  const TBitmap& pic = *b.FImages[2];
  const QRect all(0, 0, pic.Width(), pic.Height());
  EXPECT_EQ(pic.TransparentColor(), clWhite);
  EXPECT_GT(CountPixels(pic, all, IsDark), 0);
  EXPECT_EQ(CountPixels(pic, all, Exactly(DiscColour)), 0);
  EXPECT_EQ(b.FShotImage->TransparentColor(), clWhite);
}

// ---- directions and motion ---------------------------------------------------

TEST_F(BalloonTest, NewDirectionSpeedsAndSigns) {
  TBalloon b = MakeBalloon(1152, 816, 1);
  for (const int hSign : {-1, 1})
    for (const int vSign : {-1, 1})
      for (int k = 0; k < 200; ++k) {
        b.NewDirection(hSign, vSign);
        SCOPED_TRACE(testing::Message() << "signs " << hSign << ", " << vSign << " draw " << k);
        ASSERT_NE(b.FVX, 0);
        ASSERT_NE(b.FVY, 0);
        EXPECT_EQ(TBalloon::SignOf(b.FVX), hSign);
        EXPECT_EQ(TBalloon::SignOf(b.FVY), vSign);
        const double speed = std::hypot(double(b.FVX), double(b.FVY));
        EXPECT_NEAR(speed, (vSign < 0 ? 0.8 : 1.6) * b.FSpeed, 1e-5);
        if (vSign > 0) {
          EXPECT_LT(std::fabs(b.FVX), b.FSpeed);
        }
      }
}

TEST_F(BalloonTest, NewDirectionWithoutSpeedEnds) {
  TBalloon b = MakeBalloon(1152, 816, 1);
  b.FSpeed = 0;
  b.NewDirection(1, -1);
  EXPECT_EQ(b.FVX, 0);
  EXPECT_EQ(b.FVY, 0);
  const TBalloon still = MakeBalloon(1152, 816, 1, {}, 7, 0.0);
  EXPECT_EQ(still.FVX, 0);
}

TEST_F(BalloonTest, SignOf) {
  EXPECT_EQ(TBalloon::SignOf(0.0f), 1);
  EXPECT_EQ(TBalloon::SignOf(-0.0f), 1);
  EXPECT_EQ(TBalloon::SignOf(1e-30f), 1);
  EXPECT_EQ(TBalloon::SignOf(-1e-30f), -1);
  EXPECT_EQ(TBalloon::SignOf(-7.5f), -1);
}

TEST_F(BalloonTest, PositionRoundsHalvesToEven) {
  struct Case {
    float X;
    int Left;
  };
  const Case cases[] = {{10.5f, 10}, {11.5f, 12}, {11.49f, 11}, {-0.5f, 0}, {-1.5f, -2}, {200.51f, 201}};
  for (const Case& c : cases) {
    TBalloon b = MakeBalloon(1152, 816, 0);
    PlaceAt(b, 500, 400);
    const TRect hit = b.FHitRect;
    b.FShot = true;  // no bouncing while far outside
    b.FVX = 0;
    b.FVY = 0;
    b.FScale = 0;  // and no fall
    b.FX = c.X;
    b.Move();
    EXPECT_EQ(b.FRect.Left, c.Left) << "x " << c.X;
    EXPECT_EQ(b.FHitRect.Left - hit.Left, c.Left - 500) << "the hit box moves with the picture";
    EXPECT_EQ(b.FRect.Width(), 56);
  }
}

TEST_F(BalloonTest, LiveBalloonRisesAndSlowsSlightly) {
  TBalloon b = MakeBalloon(1152, 816, 2);
  PlaceAt(b, 500, 400);
  b.FVX = 2.0f;
  b.FVY = 0;
  b.Move();
  EXPECT_FLOAT_EQ(b.FVX, 2.0f * 0.9999f);
  EXPECT_FLOAT_EQ(b.FVY, -0.008f * b.FSpeed);
  EXPECT_FLOAT_EQ(b.FX, 500 + 2.0f * 0.9999f);
  EXPECT_EQ(b.FRect.Left, 502);
}

TEST_F(BalloonTest, AnimationStepsAtTheSixthCallThenEveryFifth) {
  TBalloon b = MakeBalloon(1152, 816, 1);
  PlaceAt(b, 500, 400);
  b.FVX = 0.01f;
  b.FVY = 0;
  std::vector<int> stepCalls;
  int previousSeen = 0, nextSeen = 0;
  for (int call = 1; call <= 100; ++call) {
    const int before = b.FFrame;
    // The step's one draw, read ahead: 1 goes to the next picture, 0 back.
    const std::uint32_t state = CurrentRandSeed();
    const int r = Random(2);
    RandSeed(state);
    b.Move();
    ASSERT_GE(b.FFrame, 1);
    ASSERT_LE(b.FFrame, 3);
    if (b.FFrame != before) {
      stepCalls.push_back(call);
      const int expected = r == 1 ? before % 3 + 1 : (before + 1) % 3 + 1;
      EXPECT_EQ(b.FFrame, expected) << "call " << call;
      (r == 1 ? nextSeen : previousSeen)++;
    }
  }
  ASSERT_EQ(stepCalls.size(), 19u);
  for (size_t k = 0; k < stepCalls.size(); ++k) EXPECT_EQ(stepCalls[k], 6 + 5 * int(k));
  EXPECT_GT(previousSeen, 0);
  EXPECT_GT(nextSeen, 0);
}

// ---- bouncing ------------------------------------------------------------------

// Each edge: the hit box one pixel short of leaving keeps its way, the hit box
// just outside turns back into the playfield.
TEST_F(BalloonTest, TurnsOnlyOnceTheHitBoxHasLeft) {
  enum Edge { Right, Left, Top, Bottom };
  struct Case {
    Edge Where;
    bool Outside;
  };
  const Case cases[] = {{Right, false}, {Right, true}, {Left, false},   {Left, true},
                        {Top, false},   {Top, true},   {Bottom, false}, {Bottom, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "edge " << c.Where << " outside " << c.Outside);
    TBalloon b = MakeBalloon(1152, 816, 2);
    const TRect area = b.FArea;
    const int inL = b.FHitRect.Left - b.FRect.Left, inT = b.FHitRect.Top - b.FRect.Top;
    const int inR = b.FRect.Right - b.FHitRect.Right, inB = b.FRect.Bottom - b.FHitRect.Bottom;
    const int w = b.FRect.Width(), h = b.FRect.Height();
    const int off = c.Outside ? 0 : 1;
    // Velocities small enough that the rounded position does not change.
    float vx = 0.1f, vy = 0.1f;
    int x = 500, y = 300;
    switch (c.Where) {
      case Right: x = area.Right - off - inL; vx = 0.1f; break;
      case Left: x = area.Left + off + inR - w; vx = -0.1f; break;
      case Top: y = area.Top + off + inB - h; vy = -0.1f; break;
      case Bottom: y = area.Bottom - off - inT; vy = 0.2f; break;
    }
    PlaceAt(b, x, y);
    b.FVX = vx;
    b.FVY = vy;
    b.Move();
    ASSERT_EQ(b.FRect.Left, x);
    ASSERT_EQ(b.FRect.Top, y);
    switch (c.Where) {
      case Right:
        EXPECT_EQ(b.FHitRect.Left, area.Right - off);
        EXPECT_EQ(b.FVX < 0, c.Outside);
        break;
      case Left:
        EXPECT_EQ(b.FHitRect.Right, area.Left + off);
        EXPECT_EQ(b.FVX > 0, c.Outside);
        break;
      case Top:
        EXPECT_EQ(b.FHitRect.Bottom, area.Top + off);
        EXPECT_EQ(b.FVY > 0, c.Outside);
        break;
      case Bottom:
        EXPECT_EQ(b.FHitRect.Top, area.Bottom - off);
        EXPECT_EQ(b.FVY < 0, c.Outside);
        break;
    }
    if (!c.Outside) {
      EXPECT_FLOAT_EQ(b.FVX, vx * 0.9999f) << "no new direction";
    } else {
      const double m = std::hypot(double(b.FVX), double(b.FVY));
      EXPECT_NEAR(m, (b.FVY < 0 ? 0.8 : 1.6) * b.FSpeed, 1e-5);
    }
  }
}

TEST_F(BalloonTest, OnlyTheFirstEdgeTestCounts) {
  // Out on the right and above the top at once, rising: the right edge turns
  // it left and keeps it rising; the top rule would have sent it down.
  TBalloon b = MakeBalloon(1152, 816, 2);
  PlaceAt(b, b.FArea.Right + 10, -400);
  b.FVX = 0.1f;
  b.FVY = -0.1f;
  b.Move();
  EXPECT_LT(b.FVX, 0);
  EXPECT_LT(b.FVY, 0);
  EXPECT_NEAR(std::hypot(double(b.FVX), double(b.FVY)), 0.8 * b.FSpeed, 1e-5);
}

TEST_F(BalloonTest, DownBalloonFallsWithGravityAndNeverTurns) {
  TBalloon b = MakeBalloon(1920, 1032, 1);
  PlaceAt(b, 800, 1100);  // already below the playfield
  b.Burst();
  b.FVX = 0.3f;
  b.FVY = 0;
  const std::uint32_t before = CurrentRandSeed();
  float previousY = b.FY, previousVY = 0;
  for (int frame = 1; frame <= 60; ++frame) {
    b.Move();
    EXPECT_GT(b.FVY, previousVY);
    EXPECT_GT(b.FY, previousY);
    EXPECT_GT(b.FVX, 0);
    previousY = b.FY;
    previousVY = b.FVY;
    if (frame == 1) {
      EXPECT_FLOAT_EQ(b.FVY, b.FScale);
    }
  }
  // Sixty frames of gravity FScale, slowed a hair by the drag.
  EXPECT_NEAR(b.FVY, 60 * b.FScale, 60 * b.FScale * 0.01);
  // Only the animation drew (steps at calls 6, 11, ..., 56); a turn would have
  // drawn more.
  const std::uint32_t after = CurrentRandSeed();
  RandSeed(before);
  for (int k = 0; k < 11; ++k) Random(2);
  EXPECT_EQ(after, CurrentRandSeed());
}

// ---- the dart and spiky pops -----------------------------------------------------

TEST_F(BalloonTest, DartHitsOnlyStrictlyInsideTheHitBoxAndOutsideTheExclusion) {
  TBalloon probe = MakeBalloon(1152, 816, 2);
  PlaceAt(probe, 300, 200);
  const TRect hit = probe.FHitRect;  // (305, 205, 392, 292)
  const TRect none = Rect(0, 0, 0, 0);
  const TRect shelter = Rect(340, 240, 360, 260);
  struct Case {
    int X, Y;
    TRect Exclude;
    bool Hit;
  };
  const Case cases[] = {
      {hit.Left, 250, none, false},           {hit.Left + 1, 250, none, true},
      {hit.Right, 250, none, false},          {hit.Right - 1, 250, none, true},
      {350, hit.Top, none, false},            {350, hit.Top + 1, none, true},
      {350, hit.Bottom, none, false},         {350, hit.Bottom - 1, none, true},
      {350, hit.Bottom + 10, none, false},    // the string below the hit box
      {350, 250, shelter, false},             // strictly inside the shelter
      {shelter.Left, 250, shelter, true},     // on the shelter's border
      {350, shelter.Bottom, shelter, true},
  };
  for (const Case& c : cases) {
    TBalloon b = MakeBalloon(1152, 816, 2);
    PlaceAt(b, 300, 200);
    EXPECT_EQ(b.HitTest(c.X, c.Y, c.Exclude), c.Hit) << "(" << c.X << ", " << c.Y << ")";
    EXPECT_EQ(b.FShot, c.Hit);
  }
  // A balloon that is down cannot be hit again.
  TBalloon down = MakeBalloon(1152, 816, 2);
  PlaceAt(down, 300, 200);
  down.Burst();
  EXPECT_FALSE(down.HitTest(350, 250, none));
}

TEST_F(BalloonTest, SpikyTouches) {
  struct Case {
    const char* Name;
    std::uint8_t SizeA;
    bool ShotA, SpikyA, ShotB;
    int DX;  // B's hit box left of A's hit box right edge by this much
    bool Touches;
  };
  const Case cases[] = {
      {"overlap by one pixel", 1, false, false, false, 1, true},
      {"deep overlap", 1, false, false, false, 40, true},
      {"edges shared", 1, false, false, false, 0, false},
      {"apart", 1, false, false, false, -5, false},
      {"other size class", 0, false, false, false, 40, false},
      {"victim down", 1, true, false, false, 40, false},
      {"spiky down", 1, false, false, true, 40, false},
      {"victim spiky itself", 1, false, true, false, 40, false},
  };
  for (const Case& c : cases) {
    TBalloon a = MakeBalloon(1152, 816, c.SizeA, {false, false, c.SpikyA});
    TBalloon b = MakeBalloon(1152, 816, 1, {false, false, true});
    a.FHitRect = Rect(100, 100, 169, 170);
    b.FHitRect = Rect(169 - c.DX, 120, 169 - c.DX + 69, 190);
    a.FShot = c.ShotA;
    b.FShot = c.ShotB;
    EXPECT_EQ(TBalloon::SpikyTouches(a, b), c.Touches) << c.Name;
  }
  // Edges shared vertically do not touch either.
  TBalloon a = MakeBalloon(1152, 816, 2);
  TBalloon b = MakeBalloon(1152, 816, 2, {false, false, true});
  a.FHitRect = Rect(100, 100, 187, 187);
  b.FHitRect = Rect(120, 187, 207, 274);
  EXPECT_FALSE(TBalloon::SpikyTouches(a, b));
  b.FHitRect.Offset(0, -1);
  EXPECT_TRUE(TBalloon::SpikyTouches(a, b));
}

}  // namespace
