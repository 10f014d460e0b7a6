// Darts and the nuke as the window receives them (clicks, keys), and what it
// shows of them, on a prepared round. The rules themselves are tested without
// a window in tests/rules/RoundTest.cpp.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <chrono>
#include <qpa/qwindowsysteminterface.h>
#include <thread>

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
  // A key event as the X server hands it to the window: through the window
  // system's interface, with the server's time stamp (ms) and auto-repeat mark.
  void XKey(bool press, Qt::Key key, ulong time, bool autoRepeat = false) {
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(
        f.windowHandle(), time, press ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier,
        key == Qt::Key_Space ? QStringLiteral(" ") : QString(), autoRepeat);
  }
  // The key held from At for 1.5 s: the X server's auto-repeat after 500 ms,
  // every 33 ms a release and a press with one time stamp, of which the toolkit
  // marks only some as auto-repeat; then the real release.
  void XHold(Qt::Key key, ulong at) {
    XKey(true, key, at);
    int n = 0;
    for (ulong t = at + 500; t < at + 1500; t += 33, ++n) {
      const bool marked = n % 4 == 3;
      XKey(false, key, t, marked);
      XKey(true, key, t, marked);
    }
    XKey(false, key, at + 1500);
  }
  // Puts the mouse cursor at playfield point p; false where the platform cannot.
  bool CursorAt(TPoint p) {
    QCursor::setPos(f.BaseImage1->mapToGlobal(QPoint(p.X, p.Y)));
    return f.BaseImage1->mapFromGlobal(QCursor::pos()) == QPoint(p.X, p.Y);
  }
  int Started(const char* sound) const {
    int n = 0;
    for (const auto& e : h.Sounds.Entries()) n += e.Kind == TRecordingSoundOutput::TEntry::Start && e.Name == sound;
    return n;
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

TEST_F(TRoundFixture, AHeldSpaceFiresOneDartAsTheXServerRepeatsIt) {
  // The nine wrong balloons stacked under the cursor (each dart pops one), the
  // right one away under the shelter.
  Place(SlotOf(r.FAnswer), 60, 60);
  for (int i = 1; i <= 10; ++i)
    if (r.FBalloons[i]->FNumber != r.FAnswer) Place(i, 600, 400);
  if (!CursorAt(Centre(WrongSlot()))) GTEST_SKIP() << "this platform cannot place the mouse cursor";
  f.KeyPreview = true;
  XHold(Qt::Key_Space, 10000);
  EXPECT_EQ(r.FRoundHits, 1);
  EXPECT_TRUE(r.FRoundRunning);
  // A real press after the release fires again.
  XHold(Qt::Key_Space, 12000);
  EXPECT_EQ(r.FRoundHits, 2);
}

TEST_F(TRoundFixture, AHeldAltFiresOneNukeAsTheXServerRepeatsIt) {
  // Every balloon under the shelter: the nukes bring nothing down and the
  // round goes on, so each nuke shows as its sound.
  for (int i = 1; i <= 10; ++i) Place(i, 30, 30);
  if (!CursorAt({700, 500})) GTEST_SKIP() << "this platform cannot place the mouse cursor";
  f.KeyPreview = true;
  XHold(Qt::Key_Alt, 10000);
  EXPECT_EQ(Started("NUKE"), 1);
  EXPECT_TRUE(r.FRoundRunning);
  XHold(Qt::Key_Alt, 12000);
  EXPECT_EQ(Started("NUKE"), 2);
}

// The same hold from a real X server: runs only on the xcb platform with
// xdotool at hand, e.g.
//   xvfb-run -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb
//     tests/game_tests --gtest_filter='*RealXServer*'
// The key is held for 1.5 s while the window pumps its messages as a round
// does; the server repeats it in its own way.
TEST_F(TRoundFixture, AHeldSpaceOnARealXServerFiresOneDart) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "needs an X server";
  if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) GTEST_SKIP() << "needs xdotool";
  Place(SlotOf(r.FAnswer), 60, 60);
  for (int i = 1; i <= 10; ++i)
    if (r.FBalloons[i]->FNumber != r.FAnswer) Place(i, 600, 400);
  f.activateWindow();
  f.raise();
  ASSERT_TRUE(CursorAt(Centre(WrongSlot())));
  f.KeyPreview = true;
  QProcess xdotool;
  xdotool.start(QStringLiteral("sh"),
                {QStringLiteral("-c"), QStringLiteral("xdotool keydown space; sleep 1.5; xdotool keyup space")});
  ASSERT_TRUE(xdotool.waitForStarted());
  // Pump in real time, as the round loop does every frame, until the key is up.
  QElapsedTimer pumped;
  pumped.start();
  while (xdotool.state() != QProcess::NotRunning && pumped.elapsed() < 10000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(6));
  }
  for (int i = 0; i < 50; ++i) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(r.FRoundHits, 1);
  // The sound threads start the whoosh at once (its pre-delay is 0).
  for (int i = 0; i < 100 && Started("WHOOSH") < 1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(Started("WHOOSH"), 1);
}
