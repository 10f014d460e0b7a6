// Darts, the nuke, the shelter and the special balloons on a prepared round.
#include <gtest/gtest.h>

#include "GameHarness.h"

namespace {

// A round set up and running, with every balloon still, parked in a row far
// from the shelter, which sits at the playfield's top-left corner.
struct TRoundFixture : ::testing::Test {
  TGameHarness h{21, 1152, 864};
  TForm1& f = *h.Form;

  void SetUp() override {
    f.SpeedTest();  // the start kick: makes the shelter picture
    f.FFrameTime = 4;
    f.FAnswer = 7;
    f.SetupRound();
    f.FBalloonsDown = f.FRoundPoints = f.FRoundHits = 0;
    f.FShelterRect = Rect(0, 0, 261, 261);
    for (int i = 1; i <= 10; ++i) Place(i, 300 + 110 * ((i - 1) % 5), 320 + 160 * ((i - 1) / 5));
    f.FRoundRunning = true;
    f.FRoundStart = timeGetTime();
  }
  // Moves slot i's balloon so that its hit box starts at (x, y), and stops it.
  void Place(int i, int x, int y) {
    TBalloon& b = *f.FBalloons[i];
    const int dx = x - b.FHitRect.Left, dy = y - b.FHitRect.Top;
    b.FRect.Offset(dx, dy);
    b.FHitRect.Offset(dx, dy);
    b.FX = static_cast<float>(b.FRect.Left);
    b.FY = static_cast<float>(b.FRect.Top);
    b.FVX = b.FVY = 0;
  }
  TPoint Centre(int i) const {
    const TRect& r = f.FBalloons[i]->FHitRect;
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  int SlotOf(int number) const {
    for (int i = 1; i <= 10; ++i)
      if (f.FBalloons[i]->FNumber == number && !f.FBalloons[i]->FShot) return i;
    return 0;
  }
  // A live balloon with a wrong number, not in slot except.
  int WrongSlot(int except = 0) const {
    for (int i = 1; i <= 10; ++i)
      if (i != except && f.FBalloons[i]->FNumber != f.FAnswer && !f.FBalloons[i]->FShot) return i;
    return 0;
  }
  // Replaces slot i with a still balloon of the given kind at the same place.
  void MakeSpecial(int i, int number, bool bonus, bool revive, bool spiky) {
    const TRect at = f.FBalloons[i]->FHitRect;
    const std::uint8_t size = f.FBalloons[i]->FSize;
    f.FBalloons[i] = f.NewBalloon(number, 0, size, f.FSpeed, bonus, revive, spiky);
    Place(i, at.Left, at.Top);
  }
};

}  // namespace

TEST_F(TRoundFixture, OnlyAPlainLeftClickShoots) {
  const int i = WrongSlot();
  const TPoint p = Centre(i);
  const struct {
    Qt::KeyboardModifiers mods;
  } ignored[] = {{Qt::ShiftModifier}, {Qt::ControlModifier}, {Qt::ShiftModifier | Qt::ControlModifier}};
  for (const auto& c : ignored) h.Click(p.X, p.Y, Qt::LeftButton, c.mods);
  // Both buttons held, and the second press of a double click.
  f.BaseImage1MouseDown(mbLeft, TShiftState{ssLeft, ssRight}, p.X, p.Y);
  f.BaseImage1MouseDown(mbLeft, TShiftState{ssLeft, ssDouble}, p.X, p.Y);
  EXPECT_FALSE(f.FBalloons[i]->FShot);
  EXPECT_EQ(f.FBalloonsDown, 0);

  h.Click(p.X, p.Y);
  EXPECT_TRUE(f.FBalloons[i]->FShot);
  EXPECT_EQ(f.FBalloonsDown, 1);
  EXPECT_EQ(f.FRoundHits, 1);
  EXPECT_EQ(f.FRoundPoints, f.FBalloons[i]->FPoints);
  EXPECT_TRUE(f.FShowHit);
  EXPECT_EQ(f.FHitPoint, p);
}

TEST_F(TRoundFixture, ADoubleClickFiresOnlyItsFirstPress) {
  // Qt delivers a double click to a widget as a press and release, then the
  // second press as a double-click event.
  const int a = WrongSlot();
  const TPoint p = Centre(a);
  h.Click(p.X, p.Y);
  ASSERT_EQ(f.FBalloonsDown, 1);
  const int b = WrongSlot();
  Place(b, f.FBalloons[a]->FHitRect.Left, f.FBalloons[a]->FHitRect.Top + 200);
  const TPoint q = Centre(b);
  QTest::mouseDClick(f.BaseImage1, Qt::LeftButton, Qt::NoModifier, QPoint(q.X, q.Y));
  EXPECT_FALSE(f.FBalloons[b]->FShot);
  EXPECT_EQ(f.FBalloonsDown, 1);
}

TEST_F(TRoundFixture, ADartInsideTheShelterHitsNothingAndClinks) {
  const int i = WrongSlot();
  Place(i, 50, 50);  // under the shelter
  const TPoint p = Centre(i);
  int hitNumber = -1;
  EXPECT_FALSE(f.Shoot(p.X, p.Y, hitNumber));
  EXPECT_FALSE(f.FBalloons[i]->FShot);
  EXPECT_EQ(f.FSoundQueue, (TSoundArray{seShoot, seShelterHit}));
  EXPECT_TRUE(f.FShowHit);
}

TEST_F(TRoundFixture, ADartThatMissesOnlyWhooshesAndLeavesNoMarker) {
  int hitNumber = -1;
  EXPECT_FALSE(f.Shoot(1100, 800, hitNumber));
  EXPECT_EQ(f.FSoundQueue, TSoundArray{seShoot});
  EXPECT_FALSE(f.FShowHit);
}

TEST_F(TRoundFixture, TheLeadPointInsideTheShelterSkipsThatBalloon) {
  // Slot 10 moves right fast; its lead-corrected point falls into the shelter,
  // so the balloon behind it at the same spot is hit instead.
  const int front = 10, back = 9;
  Place(front, 262, 100);
  Place(back, 262, 100);
  TBalloon& fb = *f.FBalloons[front];
  const int t = 40 - 10 * fb.FSize;
  fb.FVX = static_cast<float>(10.0 * f.FFramePeriod / t);  // lead of 10 pixels
  const TPoint p = {fb.FHitRect.Left + 5, Centre(front).Y};
  ASSERT_TRUE(f.FShelterRect.StrictlyContains(p.X - 10, p.Y));
  int hitNumber = 0;
  EXPECT_TRUE(f.Shoot(p.X, p.Y, hitNumber));
  EXPECT_FALSE(fb.FShot);
  EXPECT_TRUE(f.FBalloons[back]->FShot);
}

TEST_F(TRoundFixture, OverlappingBalloonsTheHigherSlotIsHit) {
  Place(3, 600, 500);
  Place(4, 600, 500);
  const TPoint p = Centre(4);
  int hitNumber = 0;
  ASSERT_TRUE(f.Shoot(p.X, p.Y, hitNumber));
  EXPECT_TRUE(f.FBalloons[4]->FShot);
  EXPECT_FALSE(f.FBalloons[3]->FShot);
  EXPECT_EQ(hitNumber, f.FBalloons[4]->FNumber);
}

TEST_F(TRoundFixture, ShootingTheRightBalloonLosesAndTheNinthWrongOneKeeps) {
  const int right = SlotOf(f.FAnswer);
  TPoint p = Centre(right);
  h.Click(p.X, p.Y);
  EXPECT_FALSE(f.FRoundRunning);
  EXPECT_FALSE(f.FRightBalloonKept);

  f.FRoundRunning = true;
  f.FBalloons[right] = f.NewBalloon(f.FAnswer, 0, 1, f.FSpeed, false, false, false);
  Place(right, 300, 700);
  f.FBalloonsDown = 0;
  h.Clock.Advance(12345);
  for (int k = 0; k < 9; ++k) {
    const int i = WrongSlot();
    p = Centre(i);
    h.Click(p.X, p.Y);
  }
  EXPECT_FALSE(f.FRoundRunning);
  EXPECT_TRUE(f.FRightBalloonKept);
  EXPECT_EQ(f.FRoundTime, 12345u);
}

TEST_F(TRoundFixture, NukeWithOnlyTheRightBalloonShelteredEndsKept) {
  const int right = SlotOf(f.FAnswer);
  Place(right, 60, 60);
  for (int k = 0; k < 3; ++k) {
    const TPoint p = Centre(WrongSlot());
    h.Click(p.X, p.Y);
  }
  ASSERT_EQ(f.FBalloonsDown, 3);
  const int pointsBefore = f.FRoundPoints;
  h.Click(700, 700, Qt::RightButton);
  EXPECT_EQ(f.FBalloonsDown, 9);
  EXPECT_FALSE(f.FRoundRunning);
  EXPECT_TRUE(f.FRightBalloonKept);
  EXPECT_EQ(f.FRoundHits, 3);  // nukes are not hits
  EXPECT_GT(f.FRoundPoints, pointsBefore);
  for (int i = 1; i <= 10; ++i) {
    if (i != right) {
      EXPECT_EQ(f.FBalloons[i]->FVX, 0.0f);
    }
  }
  EXPECT_FALSE(f.FBalloons[right]->FShot);
}

TEST_F(TRoundFixture, NukeCatchingTheRightBalloonLosesEvenAsRevive) {
  const int right = SlotOf(f.FAnswer);
  MakeSpecial(right, f.FAnswer, false, true, false);
  h.Click(700, 700, Qt::RightButton);
  EXPECT_FALSE(f.FRoundRunning);
  EXPECT_FALSE(f.FRightBalloonKept);
}

TEST_F(TRoundFixture, ReviveCarryingTheAnswerComesBackAtOnce) {
  const int right = SlotOf(f.FAnswer);
  MakeSpecial(right, f.FAnswer, false, true, false);
  for (int k = 0; k < 4; ++k) {
    const TPoint p = Centre(WrongSlot());
    h.Click(p.X, p.Y);
  }
  const TPoint p = Centre(right);
  int hitNumber = 0;
  ASSERT_TRUE(f.Shoot(p.X, p.Y, hitNumber));
  EXPECT_EQ(hitNumber, f.FAnswer + 1);  // never loses the round
  EXPECT_FALSE(f.FBalloons[right]->FShot);
  EXPECT_EQ(f.FBalloons[right]->FNumber, f.FAnswer);
  EXPECT_FALSE(f.FBalloons[right]->FRevive && f.FBalloons[right]->FShot);
  // The revival pass brought each down balloon back with a wrong number or left it.
  int down = 0;
  for (int i = 1; i <= 10; ++i) down += f.FBalloons[i]->FShot;
  EXPECT_EQ(down, f.FBalloonsDown);
  EXPECT_LE(f.FBalloonsDown, 4);
  EXPECT_EQ(f.FSoundQueue.front(), seShoot);
  EXPECT_EQ(f.FSoundQueue[2], seRevive);
}

TEST_F(TRoundFixture, ReviveWithAWrongNumberBringsAtLeastOneBack) {
  for (std::uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
    SetUp();
    RandSeed(seed);
    const int w = WrongSlot();
    MakeSpecial(w, f.FAnswer == 3 ? 4 : 3, false, true, false);
    const TPoint p = Centre(w);
    int hitNumber = 0;
    ASSERT_TRUE(f.Shoot(p.X, p.Y, hitNumber));
    EXPECT_EQ(f.FBalloonsDown, 0) << seed;  // the Revive balloon was the only one down
    EXPECT_FALSE(f.FBalloons[w]->FShot) << seed;
    EXPECT_NE(f.FBalloons[w]->FNumber, f.FAnswer) << seed;
  }
}

TEST_F(TRoundFixture, BonusRightAfterReviveRenumbersToOneAnswer) {
  const int w = WrongSlot();
  MakeSpecial(w, f.FAnswer + 50, false, true, false);
  for (int k = 0; k < 3; ++k) {
    const TPoint p = Centre(WrongSlot(w));
    h.Click(p.X, p.Y);
  }
  TPoint p = Centre(w);
  h.Click(p.X, p.Y);
  // Now a Bonus balloon: its new problem's answer goes on its replacement only.
  int b = 0;
  for (int i = 1; i <= 10 && !b; ++i)
    if (i != w && !f.FBalloons[i]->FShot && f.FBalloons[i]->FNumber != f.FAnswer) b = i;
  MakeSpecial(b, f.FAnswer + 60, true, false, false);
  const int before = f.FBalloonsDown;
  const QString oldProblem = f.Label1->text();
  p = Centre(b);
  int hitNumber = 0;
  ASSERT_TRUE(f.Shoot(p.X, p.Y, hitNumber));
  EXPECT_EQ(hitNumber, f.FAnswer + 1);
  EXPECT_EQ(f.FBalloonsDown, before);  // replaced by a live balloon
  EXPECT_FALSE(f.FBalloons[b]->FShot);
  EXPECT_EQ(f.FBalloons[b]->FNumber, f.FAnswer);
  int carriers = 0;
  for (int i = 1; i <= 10; ++i) carriers += !f.FBalloons[i]->FShot && f.FBalloons[i]->FNumber == f.FAnswer;
  EXPECT_EQ(carriers, 1);
  EXPECT_EQ(f.FSoundQueue[2], seBonus);
  EXPECT_NE(f.Label1->text(), oldProblem);
  EXPECT_EQ(f.Label2->text(), QStringLiteral(" ??? "));
}

TEST_F(TRoundFixture, HeldSpaceFiresOnceAndAnyKeyUpRearms) {
  f.KeyPreview = true;
  const int i = WrongSlot();
  const TPoint p = Centre(i);
  QCursor::setPos(f.BaseImage1->mapToGlobal(QPoint(p.X, p.Y)));
  const QPoint at = f.BaseImage1->mapFromGlobal(QCursor::pos());
  if (at != QPoint(p.X, p.Y)) GTEST_SKIP() << "this platform cannot place the mouse cursor";
  f.FormKeyDown(Qt::Key_Space);
  EXPECT_TRUE(f.FBalloons[i]->FShot);
  const int down = f.FBalloonsDown;
  Place(WrongSlot(), p.X - 40, p.Y - 40);
  f.FormKeyDown(Qt::Key_Space);  // auto-repeat of the held key
  EXPECT_EQ(f.FBalloonsDown, down);
  f.FormKeyUp(Qt::Key_A);
  f.FormKeyDown(Qt::Key_Space);
  EXPECT_EQ(f.FBalloonsDown, down + 1);
}

TEST_F(TRoundFixture, SpikyBalloonPopsTouchingBalloonsOfItsSizeInTheFrame) {
  // Two balloons of one size class overlapping, one spiky.
  const int a = WrongSlot();
  int b = 0;
  for (int i = 1; i <= 10 && !b; ++i)
    if (i != a && f.FBalloons[i]->FSize == f.FBalloons[a]->FSize && f.FBalloons[i]->FNumber != f.FAnswer) b = i;
  ASSERT_NE(b, 0);
  MakeSpecial(b, f.FBalloons[b]->FNumber, false, false, true);
  Place(a, 700, 400);
  Place(b, 720, 410);
  f.FrameStep(f.FFramePeriod);
  EXPECT_TRUE(f.FBalloons[a]->FShot);
  EXPECT_FALSE(f.FBalloons[b]->FShot);
  EXPECT_EQ(f.FRoundHits, 1);
  EXPECT_EQ(f.FRoundPoints, f.FBalloons[a]->FPoints);
  EXPECT_TRUE(f.FRoundRunning);
}

TEST_F(TRoundFixture, ShelterMovesEverySecondFrameAndTurnsOnlyWhenGone) {
  f.FShelterDX = 7;
  f.FShelterDY = 0;
  f.FShelterStep = false;
  const int W = f.BaseImage1->width();
  f.FShelterRect = Rect(W - 8, 0, W - 8 + 261, 261);
  f.FrameStep(f.FFramePeriod);  // moves: Left = W - 1, still inside
  EXPECT_EQ(f.FShelterRect.Left, W - 1);
  EXPECT_EQ(f.FShelterDX, 7);
  f.FrameStep(f.FFramePeriod);  // no move this frame
  EXPECT_EQ(f.FShelterRect.Left, W - 1);
  f.FrameStep(f.FFramePeriod);  // Left = W + 6: gone, turns
  EXPECT_EQ(f.FShelterRect.Left, W + 6);
  EXPECT_EQ(f.FShelterDX, -7);
}

TEST_F(TRoundFixture, FrameStepKeepsItsPeriodAndALateFrameDoesNotSleep) {
  const std::uint32_t t0 = timeGetTime();
  f.FrameStep(36);
  EXPECT_EQ(timeGetTime() - t0, 36u);
  // A frame whose work overran its deadline returns at once.
  f.BaseImage1->OnOverlayPaint = [&](TOverlayImage*) { h.Clock.Advance(50); };
  const std::uint32_t t1 = timeGetTime();
  f.FrameStep(36);
  EXPECT_EQ(timeGetTime() - t1, 50u);
}
