// The round's rules without a window: darts, the nuke, the shelter, the
// special balloons, spiky pops and the ends of a round.
#include <gtest/gtest.h>

#include <QPainter>
#include <array>
#include <memory>
#include <vector>

#include "game/Round.h"
#include "game/RoundTiming.h"
#include "platform/Clock.h"
#include "platform/Random.h"

namespace {

// A round set up and running on the virtual clock, with every balloon still,
// parked in a row far from the shelter, which sits at the playfield's
// top-left corner. The balloons have no pictures: the rules do not need them.
struct TRoundRules : ::testing::Test {
  TVirtualClock Clock;
  TRound r;

  void SetUp() override {
    SetClock(&Clock);
    Start(21);
  }
  void TearDown() override { SetClock(nullptr); }

  void Start(std::uint32_t seed) {
    RandSeed(seed);
    r = TRound();
    r.FArea = Rect(0, 0, 1152, 816);
    r.FAnswer = 7;
    r.Setup(4, 1152);
    r.FShelterRect = Rect(0, 0, 261, 261);
    for (int i = 1; i <= 10; ++i) Place(i, 300 + 110 * ((i - 1) % 5), 320 + 160 * ((i - 1) / 5));
    r.Begin();
  }
  // Moves slot i's balloon so that its hit box starts at (x, y), and stops it.
  void Place(int i, int x, int y) {
    TBalloon& b = *r.FBalloons[i];
    b.MoveBy(x - b.FHitRect.Left, y - b.FHitRect.Top);
    b.FVX = b.FVY = 0;
  }
  TPoint Centre(int i) const {
    const TRect& h = r.FBalloons[i]->FHitRect;
    return {(h.Left + h.Right) / 2, (h.Top + h.Bottom) / 2};
  }
  int SlotOf(int number) const {
    for (int i = 1; i <= 10; ++i)
      if (r.FBalloons[i]->FNumber == number && !r.FBalloons[i]->FShot) return i;
    return 0;
  }
  // A live balloon with a wrong number, not in slot except.
  int WrongSlot(int except = 0) const {
    for (int i = 1; i <= 10; ++i)
      if (i != except && r.FBalloons[i]->FNumber != r.FAnswer && !r.FBalloons[i]->FShot) return i;
    return 0;
  }
  // Replaces slot i with a still balloon of the given kind at the same place.
  void MakeSpecial(int i, int number, bool bonus, bool revive, bool spiky) {
    const TRect at = r.FBalloons[i]->FHitRect;
    const std::uint8_t size = r.FBalloons[i]->FSize;
    r.FBalloons[i] = r.NewBalloon(number, 0, size, r.FSpeed, bonus, revive, spiky);
    Place(i, at.Left, at.Top);
  }
  TShotOutcome DartAt(TPoint p) { return r.Dart(p.X, p.Y, {}); }
  int Down() const {
    int down = 0;
    for (int i = 1; i <= 10; ++i) down += r.FBalloons[i]->FShot;
    return down;
  }
};

}  // namespace

TEST_F(TRoundRules, ADartCountsTheBalloonItHits) {
  const int i = WrongSlot();
  const TShotOutcome shot = DartAt(Centre(i));
  EXPECT_TRUE(shot.Hit);
  EXPECT_EQ(shot.Slot, i);
  EXPECT_TRUE(shot.Marker);
  EXPECT_FALSE(shot.RightBalloon);
  EXPECT_EQ(shot.End, TRoundEnd::None);
  EXPECT_TRUE(r.FBalloons[i]->FShot);
  EXPECT_EQ(r.FBalloonsDown, 1);
  EXPECT_EQ(r.FRoundHits, 1);
  EXPECT_EQ(r.FRoundPoints, r.FBalloons[i]->FPoints);
  const TSoundEvent hit[] = {seSmallBalloonHit, seMediumBalloonHit, seLargeBalloonHit};
  EXPECT_EQ(r.FSoundQueue, (TSoundArray{seShoot, hit[r.FBalloons[i]->FSize]}));
}

TEST_F(TRoundRules, ADartInsideTheShelterHitsNothingAndClinks) {
  const int i = WrongSlot();
  Place(i, 50, 50);  // under the shelter
  const TShotOutcome shot = r.Shoot(Centre(i).X, Centre(i).Y);
  EXPECT_FALSE(shot.Hit);
  EXPECT_TRUE(shot.Marker);
  EXPECT_FALSE(r.FBalloons[i]->FShot);
  EXPECT_EQ(r.FSoundQueue, (TSoundArray{seShoot, seShelterHit}));
}

TEST_F(TRoundRules, ADartThatMissesOnlyWhooshesAndLeavesNoMarker) {
  const TShotOutcome shot = r.Shoot(1100, 800);
  EXPECT_FALSE(shot.Hit);
  EXPECT_FALSE(shot.Marker);
  EXPECT_EQ(r.FSoundQueue, TSoundArray{seShoot});
}

TEST_F(TRoundRules, ADartLeadsAMovingBalloonByItsFlightTime) {
  // Each size class at a speed that moves it 12 pixels right and 6 down while
  // the dart flies: the point 12, 6 ahead of its middle hits it, the middle
  // itself (now behind it) misses when the box is narrow enough.
  for (int i : {1, 5, 10}) {
    Start(21);
    TBalloon& b = *r.FBalloons[i];
    const int t = b.DartFlightTime();
    EXPECT_EQ(t, 40 - 10 * b.FSize);
    b.FVX = static_cast<float>(12.0 * r.FFramePeriod / t);
    b.FVY = static_cast<float>(6.0 * r.FFramePeriod / t);
    EXPECT_EQ(b.Lead(r.FFramePeriod), (TPoint{12, 6})) << i;
    const TPoint c = Centre(i);
    // A point whose lead-corrected spot lies just outside the hit box's right edge.
    EXPECT_FALSE(r.Shoot(b.FHitRect.Right + 12, c.Y + 6).Hit) << i;
    EXPECT_TRUE(r.Shoot(c.X + 12, c.Y + 6).Hit) << i;
  }
}

TEST_F(TRoundRules, TheLeadPointInsideTheShelterSkipsThatBalloon) {
  // Slot 10 moves right fast; its lead-corrected point falls into the shelter,
  // so the balloon behind it at the same spot is hit instead.
  const int front = 10, back = 9;
  Place(front, 262, 100);
  Place(back, 262, 100);
  TBalloon& fb = *r.FBalloons[front];
  fb.FVX = static_cast<float>(10.0 * r.FFramePeriod / fb.DartFlightTime());  // lead of 10 pixels
  const TPoint p = {fb.FHitRect.Left + 5, Centre(front).Y};
  ASSERT_TRUE(r.FShelterRect.StrictlyContains(p.X - 10, p.Y));
  EXPECT_TRUE(r.Shoot(p.X, p.Y).Hit);
  EXPECT_FALSE(fb.FShot);
  EXPECT_TRUE(r.FBalloons[back]->FShot);
}

TEST_F(TRoundRules, OverlappingBalloonsTheHigherSlotIsHit) {
  Place(3, 600, 500);
  Place(4, 600, 500);
  const TShotOutcome shot = r.Shoot(Centre(4).X, Centre(4).Y);
  ASSERT_TRUE(shot.Hit);
  EXPECT_EQ(shot.Slot, 4);
  EXPECT_TRUE(r.FBalloons[4]->FShot);
  EXPECT_FALSE(r.FBalloons[3]->FShot);
}

TEST_F(TRoundRules, ShootingTheRightBalloonLosesAndTheNinthWrongOneKeeps) {
  const int right = SlotOf(r.FAnswer);
  TShotOutcome shot = DartAt(Centre(right));
  EXPECT_TRUE(shot.RightBalloon);
  EXPECT_EQ(shot.End, TRoundEnd::Lost);
  EXPECT_FALSE(r.FRoundRunning);
  EXPECT_FALSE(r.FRightBalloonKept);
  // Darts do nothing once the round has ended.
  EXPECT_FALSE(DartAt(Centre(WrongSlot())).Hit);

  r.FRoundRunning = true;
  r.FBalloons[right] = r.NewBalloon(r.FAnswer, 0, 1, r.FSpeed, false, false, false);
  Place(right, 300, 700);
  r.FBalloonsDown = 0;
  Clock.Advance(12345);
  for (int k = 0; k < 9; ++k) shot = DartAt(Centre(WrongSlot()));
  EXPECT_EQ(shot.End, TRoundEnd::Kept);
  EXPECT_FALSE(r.FRoundRunning);
  EXPECT_TRUE(r.FRightBalloonKept);
  EXPECT_EQ(r.FRoundTime, 12345u);
}

TEST_F(TRoundRules, AHitAfterTheTimeIsUpEndsTheRoundKeptAtFullLength) {
  Clock.Advance(RoundLength + 500);
  const TShotOutcome shot = DartAt(Centre(WrongSlot()));
  EXPECT_EQ(shot.End, TRoundEnd::Kept);
  EXPECT_EQ(r.FRoundTime, RoundLength);
}

TEST_F(TRoundRules, NukeWithOnlyTheRightBalloonShelteredEndsKept) {
  const int right = SlotOf(r.FAnswer);
  Place(right, 60, 60);
  for (int k = 0; k < 3; ++k) DartAt(Centre(WrongSlot()));
  ASSERT_EQ(r.FBalloonsDown, 3);
  const int pointsBefore = r.FRoundPoints;
  int sounded = 0;
  EXPECT_TRUE(r.NukeShot([&] { ++sounded; }));
  EXPECT_EQ(sounded, 1);
  EXPECT_EQ(r.FBalloonsDown, 9);
  EXPECT_FALSE(r.FRoundRunning);
  EXPECT_TRUE(r.FRightBalloonKept);
  EXPECT_EQ(r.FRoundHits, 3);  // nukes are not hits
  EXPECT_GT(r.FRoundPoints, pointsBefore);
  for (int i = 1; i <= 10; ++i) {
    if (i != right) {
      EXPECT_EQ(r.FBalloons[i]->FVX, 0.0f);
    }
  }
  EXPECT_FALSE(r.FBalloons[right]->FShot);
  // Once the round has ended the nuke does nothing, not even its sound.
  EXPECT_FALSE(r.NukeShot([&] { ++sounded; }));
  EXPECT_EQ(sounded, 1);
}

TEST_F(TRoundRules, NukeTurnsEachBalloonsSpeedStraightDownInWholePixels) {
  TBalloon& b = *r.FBalloons[WrongSlot()];
  b.FVX = 3.0f;
  b.FVY = -4.4f;  // speed 5.43, rounded to 5
  r.Nuke();
  EXPECT_TRUE(b.FShot);
  EXPECT_EQ(b.FVX, 0.0f);
  EXPECT_EQ(b.FVY, 5.0f);
}

TEST_F(TRoundRules, NukeCatchingTheRightBalloonLosesEvenAsRevive) {
  const int right = SlotOf(r.FAnswer);
  MakeSpecial(right, r.FAnswer, false, true, false);
  r.NukeShot({});
  EXPECT_FALSE(r.FRoundRunning);
  EXPECT_FALSE(r.FRightBalloonKept);
}

TEST_F(TRoundRules, ShelterCoversBalloonsWithinTwentyPixelsOfItsEdges) {
  TBalloon& b = *r.FBalloons[1];
  const TRect box = b.FHitRect;
  struct {
    const char* Name;
    TRect Shelter;
    bool Sheltered;
  } const cases[] = {
      {"exactly 20 around", Rect(box.Left + 20, box.Top + 20, box.Right - 20, box.Bottom - 20), true},
      {"21 left", Rect(box.Left + 21, box.Top + 20, box.Right - 20, box.Bottom - 20), false},
      {"21 top", Rect(box.Left + 20, box.Top + 21, box.Right - 20, box.Bottom - 20), false},
      {"21 right", Rect(box.Left + 20, box.Top + 20, box.Right - 21, box.Bottom - 20), false},
      {"21 bottom", Rect(box.Left + 20, box.Top + 20, box.Right - 20, box.Bottom - 21), false},
      {"wholly inside", Rect(box.Left - 5, box.Top - 5, box.Right + 5, box.Bottom + 5), true},
  };
  for (const auto& c : cases) EXPECT_EQ(TRound::IsSheltered(b, c.Shelter), c.Sheltered) << c.Name;
}

TEST_F(TRoundRules, ReviveCarryingTheAnswerComesBackAtOnce) {
  const int right = SlotOf(r.FAnswer);
  MakeSpecial(right, r.FAnswer, false, true, false);
  for (int k = 0; k < 4; ++k) DartAt(Centre(WrongSlot()));
  const TShotOutcome shot = r.Shoot(Centre(right).X, Centre(right).Y);
  ASSERT_TRUE(shot.Hit);
  EXPECT_FALSE(shot.RightBalloon);  // never loses the round
  EXPECT_FALSE(r.FBalloons[right]->FShot);
  EXPECT_EQ(r.FBalloons[right]->FNumber, r.FAnswer);
  // The revival pass brought each down balloon back with a wrong number or left it.
  EXPECT_EQ(Down(), r.FBalloonsDown);
  EXPECT_LE(r.FBalloonsDown, 4);
  EXPECT_EQ(r.FSoundQueue.front(), seShoot);
  EXPECT_EQ(r.FSoundQueue[2], seRevive);
}

TEST_F(TRoundRules, ReviveWithAWrongNumberBringsAtLeastOneBack) {
  for (std::uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
    Start(21);
    RandSeed(seed);
    const int w = WrongSlot();
    MakeSpecial(w, r.FAnswer == 3 ? 4 : 3, false, true, false);
    const TShotOutcome shot = r.Shoot(Centre(w).X, Centre(w).Y);
    ASSERT_TRUE(shot.Hit);
    EXPECT_FALSE(shot.RightBalloon);
    EXPECT_EQ(r.FBalloonsDown, 0) << seed;  // the Revive balloon was the only one down
    EXPECT_FALSE(r.FBalloons[w]->FShot) << seed;
    EXPECT_NE(r.FBalloons[w]->FNumber, r.FAnswer) << seed;
  }
}

TEST_F(TRoundRules, ABonusCarryingTheAnswerLosesLikeThePlainOne) {
  const int right = SlotOf(r.FAnswer);
  MakeSpecial(right, r.FAnswer, true, false, false);
  const TShotOutcome shot = DartAt(Centre(right));
  EXPECT_TRUE(shot.RightBalloon);
  EXPECT_FALSE(shot.NewProblem);
  EXPECT_EQ(shot.End, TRoundEnd::Lost);
}

TEST_F(TRoundRules, BonusRightAfterReviveRenumbersToOneAnswer) {
  const int w = WrongSlot();
  MakeSpecial(w, r.FAnswer + 50, false, true, false);
  for (int k = 0; k < 3; ++k) DartAt(Centre(WrongSlot(w)));
  DartAt(Centre(w));
  // Now a Bonus balloon: its new problem's answer goes on its replacement only.
  int b = 0;
  for (int i = 1; i <= 10 && !b; ++i)
    if (i != w && !r.FBalloons[i]->FShot && r.FBalloons[i]->FNumber != r.FAnswer) b = i;
  MakeSpecial(b, r.FAnswer + 60, true, false, false);
  const int before = r.FBalloonsDown;
  const TProblem oldProblem = r.Problem();
  const TShotOutcome shot = r.Shoot(Centre(b).X, Centre(b).Y);
  ASSERT_TRUE(shot.Hit);
  EXPECT_TRUE(shot.NewProblem);
  EXPECT_FALSE(shot.RightBalloon);
  EXPECT_NE(r.Problem(), oldProblem);
  EXPECT_EQ(r.FBalloonsDown, before);  // replaced by a live balloon
  EXPECT_FALSE(r.FBalloons[b]->FShot);
  EXPECT_EQ(r.FBalloons[b]->FNumber, r.FAnswer);
  int carriers = 0;
  for (int i = 1; i <= 10; ++i) carriers += !r.FBalloons[i]->FShot && r.FBalloons[i]->FNumber == r.FAnswer;
  EXPECT_EQ(carriers, 1);
  EXPECT_EQ(r.FSoundQueue[2], seBonus);
}

TEST_F(TRoundRules, SpikyBalloonPopsTouchingBalloonsOfItsSize) {
  // Two balloons of one size class overlapping, one spiky.
  const int a = WrongSlot();
  int b = 0;
  for (int i = 1; i <= 10 && !b; ++i)
    if (i != a && r.FBalloons[i]->FSize == r.FBalloons[a]->FSize && r.FBalloons[i]->FNumber != r.FAnswer) b = i;
  ASSERT_NE(b, 0);
  MakeSpecial(b, r.FBalloons[b]->FNumber, false, false, true);
  Place(a, 700, 400);
  Place(b, 720, 410);
  int pops = 0;
  r.SpikyPops([&](bool) { ++pops; });
  EXPECT_EQ(pops, 1);
  EXPECT_TRUE(r.FBalloons[a]->FShot);
  EXPECT_FALSE(r.FBalloons[b]->FShot);
  EXPECT_EQ(r.FRoundHits, 1);
  EXPECT_EQ(r.FRoundPoints, r.FBalloons[a]->FPoints);
  EXPECT_TRUE(r.FRoundRunning);
}

TEST_F(TRoundRules, ASpikyPopOfTheRightBalloonLosesEvenInTheTail) {
  const int right = SlotOf(r.FAnswer);
  int spiky = 0;
  for (int i = 1; i <= 10 && !spiky; ++i)
    if (i != right && r.FBalloons[i]->FSize == r.FBalloons[right]->FSize) spiky = i;
  ASSERT_NE(spiky, 0);
  MakeSpecial(spiky, r.FBalloons[spiky]->FNumber, false, false, true);
  Place(right, 700, 400);
  Place(spiky, 710, 400);
  // The round already ended kept (all wrong balloons down): the tail's pop turns it.
  r.FRoundRunning = false;
  r.FRightBalloonKept = true;
  r.SpikyPops({});
  EXPECT_FALSE(r.FRightBalloonKept);
}

TEST_F(TRoundRules, TheClockEndsTheRoundKeptOnlyOnceItsTimeIsUp) {
  struct {
    std::uint32_t Elapsed;
    std::uint32_t Left;
    bool Ends;
  } const cases[] = {{0, RoundLength, false}, {RoundLength - 1, 1, false}, {RoundLength, 0, true},
                     {RoundLength + 900, 0, true}};
  for (const auto& c : cases) {
    r.FRoundRunning = true;
    r.FRightBalloonKept = false;  // a round lost in its tail turns kept
    r.FRoundTime = 0;
    EXPECT_EQ(r.TimeOut(r.FRoundStart + c.Elapsed), c.Left) << c.Elapsed;
    EXPECT_EQ(r.FRoundRunning, !c.Ends) << c.Elapsed;
    EXPECT_EQ(r.FRightBalloonKept, c.Ends) << c.Elapsed;
    EXPECT_EQ(r.FRoundTime, c.Ends ? RoundLength : 0u) << c.Elapsed;
  }
}

TEST_F(TRoundRules, ShelterMovesEverySecondFrameAndTurnsOnlyWhenGone) {
  r.FShelterDX = 7;
  r.FShelterDY = 0;
  r.FShelterStep = false;
  const int W = r.FArea.Right;
  r.FShelterRect = Rect(W - 8, 0, W - 8 + 261, 261);
  r.MoveShelter();  // moves: Left = W - 1, still inside
  EXPECT_EQ(r.FShelterRect.Left, W - 1);
  EXPECT_EQ(r.FShelterDX, 7);
  r.MoveShelter();  // no move this frame
  EXPECT_EQ(r.FShelterRect.Left, W - 1);
  r.MoveShelter();  // Left = W + 6: gone, turns
  EXPECT_EQ(r.FShelterRect.Left, W + 6);
  EXPECT_EQ(r.FShelterDX, -7);
}

TEST_F(TRoundRules, SetupSortsBySizeAndResetsTheCounters) {
  r.FRoundPoints = r.FRoundHits = r.FBalloonsDown = 5;
  r.Settings.Speed = 4;
  r.Setup(4, 1152);
  EXPECT_EQ(r.FFramePeriod, 6);
  EXPECT_EQ(r.FRoundPoints + r.FRoundHits + r.FBalloonsDown, 0);
  EXPECT_EQ(SlotOf(r.FAnswer) != 0, true);
  for (int i = 1; i < 10; ++i) EXPECT_LE(r.FBalloons[i]->FSize, r.FBalloons[i + 1]->FSize) << i;
}

// Pictures for a round's balloons: a disc of its own colour per balloon
// colour, keyed on white as the game's are stored.
struct TRoundPictures {
  std::array<std::unique_ptr<TBitmap>, 4> Discs;
  std::unique_ptr<TBitmap> Badge = std::make_unique<TBitmap>(60, 75);
  TRoundPictures() {
    for (int c = 0; c < 4; ++c) {
      Discs[c] = std::make_unique<TBitmap>(60, 75);
      Paint(*Discs[c], QColor(40 + 60 * c, 200 - 40 * c, 90));
    }
    Paint(*Badge, QColor(0, 0, 0));
  }
  static void Paint(TBitmap& b, const QColor& colour) {
    QPainter p(&b.Image());
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRect(5, 5, 50, 55));
    b.Transparent = true;
  }
  TBalloonPictures ForRound() const {
    const auto disc = [this](std::uint8_t c, int) -> const TBitmap* { return c < 4 ? Discs[c].get() : nullptr; };
    return {disc, disc, {Badge.get(), Badge.get(), Badge.get()}};
  }
};

// The bytes of every picture of every balloon of a round, slot by slot.
std::vector<QByteArray> RoundPictureBytes(const TRound& r) {
  std::vector<QByteArray> all;
  for (int i = 1; i <= 10; ++i) {
    for (int n = 1; n <= 3; ++n) {
      const QImage& img = r.FBalloons[i]->FImages[n]->Image();
      all.emplace_back(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes());
    }
    const QImage& shot = r.FBalloons[i]->FShotImage->Image();
    all.emplace_back(reinterpret_cast<const char*>(shot.constBits()), shot.sizeInBytes());
  }
  return all;
}

TEST(RoundPictures, StretchedPicturesServeLaterRoundsOnAPlayfieldOfTheSameSize) {
  const TRoundPictures pictures;
  auto setup = [&](TRound& r, int width, int height) {
    RandSeed(5);
    r.FArea = Rect(0, 0, width, height);
    r.FAnswer = 7;
    r.Settings.Special = 4;
    r.Setup(4, width);
  };
  TRound r;
  r.Pictures = pictures.ForRound();
  setup(r, 1152, 816);
  const int firstMisses = r.PicturesStretched();
  const std::vector<QByteArray> first = RoundPictureBytes(r);
  ASSERT_GT(firstMisses, 0);
  r.Abandon();

  // The same draws again: nothing is stretched anew, and every balloon
  // shows what it showed when its pictures were stretched for it.
  setup(r, 1152, 816);
  EXPECT_EQ(r.PicturesStretched(), firstMisses);
  EXPECT_TRUE(RoundPictureBytes(r) == first);
  r.Abandon();

  // Another playfield size: the cache starts again, and the round is what a
  // round that never saw the first size makes.
  setup(r, 1920, 1032);
  TRound fresh;
  fresh.Pictures = pictures.ForRound();
  setup(fresh, 1920, 1032);
  EXPECT_EQ(r.PicturesStretched(), firstMisses + fresh.PicturesStretched());
  EXPECT_TRUE(RoundPictureBytes(r) == RoundPictureBytes(fresh));
  r.Abandon();
}

TEST(RoundPictures, APictureChangedBetweenRoundsIsStretchedAgain) {
  TRoundPictures pictures;
  TRound r;
  r.Pictures = pictures.ForRound();
  auto setup = [&] {
    RandSeed(9);
    r.FArea = Rect(0, 0, 1152, 816);
    r.FAnswer = 7;
    r.Setup(4, 1152);
  };
  setup();
  const int firstMisses = r.PicturesStretched();
  r.Abandon();
  for (auto& disc : pictures.Discs) TRoundPictures::Paint(*disc, QColor(250, 250, 0));
  setup();
  EXPECT_GT(r.PicturesStretched(), firstMisses);
  for (int i = 1; i <= 10; ++i) {
    const TBalloon& b = *r.FBalloons[i];
    const QImage& img = b.FImages[1]->Image();
    EXPECT_EQ(img.pixel(img.width() / 2, img.height() / 2) & 0xFFFFFF, qRgb(250, 250, 0) & 0xFFFFFF)
        << "slot " << i << " shows the new picture";
  }
}

// The shelter's place for a fixed seed: the horizontal draw first, then the
// vertical one, the same on every compiler.
TEST(ShelterPlace, HorizontalDrawFirstThenVertical) {
  struct {
    int Width, Height;  // the playfield
    TRect Expected;     // for seed 77 and a 261 x 261 shelter
  } const cases[] = {
      {1152, 816, Rect(370, 508, 631, 769)},
      {1920, 1032, Rect(690, 706, 951, 967)},
  };
  for (const auto& c : cases) {
    RandSeed(77);
    const int dx = Random(c.Width - 261);
    const int dy = Random(c.Height - 261);
    RandSeed(77);
    TRound r;
    r.FArea = Rect(0, 0, c.Width, c.Height);
    r.PlaceShelter(261, 261);
    EXPECT_EQ(r.FShelterRect, Rect(dx, dy, dx + 261, dy + 261)) << c.Width;
    EXPECT_EQ(r.FShelterRect, c.Expected) << c.Width;
  }
}
