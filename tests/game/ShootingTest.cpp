// Darts and the nuke as the window receives them (clicks, keys), and what it
// shows of them, on a prepared round. The rules themselves are tested without
// a window in tests/rules/RoundTest.cpp.
#include <gtest/gtest.h>

#include "GameHarness.h"
#include "game/Design.h"
#include "game/Problem.h"

namespace {

// A round set up and running, with every balloon still, parked in a row far
// from the shelter, which sits at the playfield's top-left corner.
struct TRoundFixture : ::testing::Test {
  TGameHarness h{21, 1152, 864};
  TForm1& f = *h.Form;
  TRound& r = f.FRoundState;

  void SetUp() override {
    f.SpeedTest();  // the start kick: makes the shelter picture
    f.FFrameTime = 4;
    r.FAnswer = 7;
    f.SetupRound();
    r.FBalloonsDown = r.FRoundPoints = r.FRoundHits = 0;
    r.FShelterRect = Rect(0, 0, 261, 261);
    for (int i = 1; i <= 10; ++i) Place(i, 300 + 110 * ((i - 1) % 5), 320 + 160 * ((i - 1) / 5));
    r.FRoundRunning = true;
    r.FRoundStart = timeGetTime();
  }
  // Moves slot i's balloon so that its hit box starts at (x, y), and stops it.
  void Place(int i, int x, int y) {
    TBalloon& b = *r.FBalloons[i];
    b.MoveBy(x - b.FHitRect.Left, y - b.FHitRect.Top);
    b.FVX = b.FVY = 0;
  }
  TPoint Centre(int i) const {
    const TRect& box = r.FBalloons[i]->FHitRect;
    return {(box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2};
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
    r.FBalloons[i] = f.NewBalloon(number, 0, size, r.FSpeed, bonus, revive, spiky);
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
  EXPECT_FALSE(r.FBalloons[i]->FShot);
  EXPECT_EQ(r.FBalloonsDown, 0);

  h.Click(p.X, p.Y);
  EXPECT_TRUE(r.FBalloons[i]->FShot);
  EXPECT_EQ(r.FBalloonsDown, 1);
  EXPECT_EQ(r.FRoundHits, 1);
  EXPECT_EQ(r.FRoundPoints, r.FBalloons[i]->FPoints);
  EXPECT_TRUE(f.FShowHit);
  EXPECT_EQ(f.FHitPoint, p);
}

TEST_F(TRoundFixture, ADoubleClickFiresOnlyItsFirstPress) {
  // Qt delivers a double click to a widget as a press and release, then the
  // second press as a double-click event.
  const int a = WrongSlot();
  const TPoint p = Centre(a);
  h.Click(p.X, p.Y);
  ASSERT_EQ(r.FBalloonsDown, 1);
  const int b = WrongSlot();
  Place(b, r.FBalloons[a]->FHitRect.Left, r.FBalloons[a]->FHitRect.Top + 200);
  const TPoint q = Centre(b);
  QTest::mouseDClick(f.BaseImage1, Qt::LeftButton, Qt::NoModifier, QPoint(q.X, q.Y));
  EXPECT_FALSE(r.FBalloons[b]->FShot);
  EXPECT_EQ(r.FBalloonsDown, 1);
}

TEST_F(TRoundFixture, ShootingTheRightBalloonLosesAndTheNinthWrongOneKeeps) {
  const int right = SlotOf(r.FAnswer);
  TPoint p = Centre(right);
  h.Click(p.X, p.Y);
  EXPECT_FALSE(r.FRoundRunning);
  EXPECT_FALSE(r.FRightBalloonKept);

  r.FRoundRunning = true;
  r.FBalloons[right] = f.NewBalloon(r.FAnswer, 0, 1, r.FSpeed, false, false, false);
  Place(right, 300, 700);
  r.FBalloonsDown = 0;
  h.Clock.Advance(12345);
  for (int k = 0; k < 9; ++k) {
    const int i = WrongSlot();
    p = Centre(i);
    h.Click(p.X, p.Y);
  }
  EXPECT_FALSE(r.FRoundRunning);
  EXPECT_TRUE(r.FRightBalloonKept);
  EXPECT_EQ(r.FRoundTime, 12345u);
}

TEST_F(TRoundFixture, NukeWithOnlyTheRightBalloonShelteredEndsKept) {
  const int right = SlotOf(r.FAnswer);
  Place(right, 60, 60);
  for (int k = 0; k < 3; ++k) {
    const TPoint p = Centre(WrongSlot());
    h.Click(p.X, p.Y);
  }
  ASSERT_EQ(r.FBalloonsDown, 3);
  const int pointsBefore = r.FRoundPoints;
  h.Click(700, 700, Qt::RightButton);
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
}

TEST_F(TRoundFixture, ABonusShowsItsNewProblemAndFlashesThePanel) {
  const int b = WrongSlot();
  MakeSpecial(b, r.FAnswer + 60, true, false, false);
  const QString oldProblem = f.Label1->text();
  const TPoint p = Centre(b);
  const std::uint32_t t0 = timeGetTime();
  h.Click(p.X, p.Y);
  EXPECT_FALSE(r.FBalloons[b]->FShot);  // replaced by a live balloon with the new answer
  EXPECT_EQ(r.FBalloons[b]->FNumber, r.FAnswer);
  EXPECT_TRUE(r.FRoundRunning);
  EXPECT_NE(f.Label1->text(), oldProblem);
  EXPECT_EQ(f.Label1->text(), ProblemText(r.Problem(), r.FProblemOperation));
  EXPECT_EQ(f.Label2->text(), QStringLiteral(" ??? "));
  EXPECT_TRUE(f.FShowHit);
  EXPECT_EQ(f.FHitPoint, p);
  // The panel flashed red for 150 ms and is yellow again.
  EXPECT_EQ(timeGetTime() - t0, 150u);
  EXPECT_EQ(f.Panel8->Color(), PanelYellow);
}

TEST_F(TRoundFixture, HeldSpaceFiresOnceAndAnyKeyUpRearms) {
  f.KeyPreview = true;
  const int i = WrongSlot();
  const TPoint p = Centre(i);
  QCursor::setPos(f.BaseImage1->mapToGlobal(QPoint(p.X, p.Y)));
  const QPoint at = f.BaseImage1->mapFromGlobal(QCursor::pos());
  if (at != QPoint(p.X, p.Y)) GTEST_SKIP() << "this platform cannot place the mouse cursor";
  f.FormKeyDown(Qt::Key_Space);
  EXPECT_TRUE(r.FBalloons[i]->FShot);
  const int down = r.FBalloonsDown;
  Place(WrongSlot(), p.X - 40, p.Y - 40);
  f.FormKeyDown(Qt::Key_Space);  // auto-repeat of the held key
  EXPECT_EQ(r.FBalloonsDown, down);
  f.FormKeyUp(Qt::Key_A);
  f.FormKeyDown(Qt::Key_Space);
  EXPECT_EQ(r.FBalloonsDown, down + 1);
}

TEST_F(TRoundFixture, SpikyBalloonPopsTouchingBalloonsOfItsSizeInTheFrame) {
  // Two balloons of one size class overlapping, one spiky.
  const int a = WrongSlot();
  int b = 0;
  for (int i = 1; i <= 10 && !b; ++i)
    if (i != a && r.FBalloons[i]->FSize == r.FBalloons[a]->FSize && r.FBalloons[i]->FNumber != r.FAnswer) b = i;
  ASSERT_NE(b, 0);
  MakeSpecial(b, r.FBalloons[b]->FNumber, false, false, true);
  Place(a, 700, 400);
  Place(b, 720, 410);
  f.FrameStep(r.FFramePeriod);
  EXPECT_TRUE(r.FBalloons[a]->FShot);
  EXPECT_FALSE(r.FBalloons[b]->FShot);
  EXPECT_EQ(r.FRoundHits, 1);
  EXPECT_EQ(r.FRoundPoints, r.FBalloons[a]->FPoints);
  EXPECT_TRUE(r.FRoundRunning);
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
