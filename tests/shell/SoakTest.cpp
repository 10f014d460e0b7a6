// A long afternoon of play: the real game window with the shell's dialogs,
// headless on the virtual clock, plays game after game with random settings
// and random input (clicks anywhere, right clicks, space and Alt, Ctrl+R,
// Ctrl+S with the dialog answered, the name dialog answered, the highscore
// window closed), and checks after every frame and every round what must
// always hold. Frames are now and then made late (a slow machine), and a late
// frame must not sleep at all.
//
// The rounds are shared by a few shards, each a test of its own with its own
// seed, so that the test runner spreads them over the cores.
// ZUGGLE_SOAK_SEED=<n> replays a shard exactly (each shard prints its seed at
// the start and in every failure; run the failing shard alone with it);
// ZUGGLE_SOAK_ROUNDS=<n> sets the rounds of every shard.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "SettingsMixer.h"
#include "ShellDriver.h"
#include "game/GameHarness.h"
#include "shell/HighscoreTable.h"
#include "shell/HighscoreUnit.h"
#include "shell/NameUnit.h"
#include "shell/SettingsU.h"

namespace {

// Rounds in all shards together.
#ifdef ZUGGLE_SANITIZE
constexpr int DefaultRounds = 200;
#else
constexpr int DefaultRounds = 10000;
#endif
constexpr int Shards = 4;

int EnvInt(const char* name, int fallback) {
  bool ok = false;
  const int v = qEnvironmentVariableIntValue(name, &ok);
  return ok ? v : fallback;
}

// The virtual clock as the game sees it, watching the game thread's sleeps.
class TWatchedClock final : public TClock {
public:
  TVirtualClock* Inner = nullptr;
  // Set while a frame is known to be late: any sleep of the game thread is a fault.
  bool LateFrame = false;
  // While the soak delivers input, handlers may pause (the panel's flash).
  bool InInput = false;
  // The round's frame period while its frames run, 0 otherwise.
  int FramePeriod = 0;
  QString Fault;

  std::uint32_t Now() override { return Inner->Now(); }
  void SleepMs(std::uint32_t ms) override {
    if (std::this_thread::get_id() == Inner->Driver() && Fault.isEmpty()) {
      if (LateFrame)
        Fault = QStringLiteral("a late frame slept %1 ms past its deadline").arg(ms);
      else if (FramePeriod > 0 && !InInput && ms > static_cast<std::uint32_t>(FramePeriod) && ms != 150)
        Fault = QStringLiteral("a frame of %1 ms slept %2 ms").arg(FramePeriod).arg(ms);
    }
    Inner->SleepMs(ms);
  }
};

// The rows' scores as numbers, for the order check.
bool SortedByScore(const QStringList& scores) {
  for (int i = 1; i < scores.size(); ++i)
    if (scores[i - 1].toInt() < scores[i].toInt()) return false;
  return true;
}

class TSoak {
public:
  TSoak(std::uint32_t seed, int rounds)
      : Seed(seed), TargetRounds(rounds), Rng(seed), H(seed, Sizes[seed % 3].first, Sizes[seed % 3].second) {
    Clock.Inner = &H.Clock;
    SetClock(&Clock);
    TForm1& f = *H.Form;
    f.AskPlayerName = [this, &f] { AskPlayerName(f, Form3); };
    f.GameOver = [this, &f] {
      const int score = f.FGameScore;
      const QString name = f.FPlayerName;
      GameOver(f);
      CheckTable(score, name);
    };
    f.ShowSettingsDialog = [&f] { ShowSettingsDialog(f); };
    f.ShowMessage = [this](const QString& text) { Fail(QStringLiteral("message shown: ") + text); };
    f.OnBanner = [this](const QString& a, const QString& b) { Banner(a, b); };
    f.FShowInstructions = Chance(2);
    f.FNoSound = Chance(4);
    SetMessageHook([this] { Pump(); });
    f.StartKick();
  }
  ~TSoak() {
    SetMessageHook({});
    SetClock(&H.Clock);
  }

  // Plays until the rounds are done or something failed; main's loop of games.
  void Run() {
    TForm1& f = *H.Form;
    while (Rounds < TargetRounds && Clock.Fault.isEmpty()) {
      f.PlayGame();
      CheckBetweenRounds();
      if (f.FQuit) Fail(QStringLiteral("the game quit though nobody asked it to"));
    }
    if (!Clock.Fault.isEmpty()) f.FQuit = true;
  }

  const std::uint32_t Seed;
  const int TargetRounds;
  int Rounds = 0, Games = 0, Frames = 0, Restarts = 0, Dialogs = 0, LateFrames = 0;

  QString FaultText() const {
    return Mixer.Errors.empty() ? Clock.Fault : Clock.Fault + QStringLiteral(" (and a mixer error)");
  }

private:
  static constexpr std::pair<int, int> Sizes[] = {{1152, 864}, {800, 600}, {1280, 720}};

  bool Chance(int oneIn) { return std::uniform_int_distribution<int>(0, oneIn - 1)(Rng) == 0; }
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(Rng); }

  void Fail(const QString& text) {
    if (Clock.Fault.isEmpty()) Clock.Fault = text;
    H.Form->FQuit = true;  // every loop unwinds
  }

  // ---- what must always hold ----

  void CheckRound() {
    const TRound& r = H.Form->FRoundState;
    if (r.FBalloons[0]) return Fail(QStringLiteral("slot 0 holds a balloon"));
    int down = 0;
    for (int i = 1; i <= 10; ++i) {
      if (!r.FBalloons[i]) return Fail(QStringLiteral("slot %1 is empty during a round").arg(i));
      down += r.FBalloons[i]->FShot;
    }
    if (r.FBalloonsDown != down)
      return Fail(QStringLiteral("FBalloonsDown is %1 but %2 balloons are down").arg(r.FBalloonsDown).arg(down));
    if (r.FRoundPoints < 0) Fail(QStringLiteral("round points %1").arg(r.FRoundPoints));
  }

  void CheckBetweenRounds() {
    const TRound& r = H.Form->FRoundState;
    for (int i = 0; i <= 10; ++i)
      if (r.FBalloons[i]) return Fail(QStringLiteral("slot %1 keeps a balloon between rounds").arg(i));
  }

  void CheckTable(int score, const QString& name) {
    const TForm1& f = *H.Form;
    if (f.lbNames.size() != f.lbScores.size() || f.lbNames.size() != f.lbLevel.size())
      return Fail(QStringLiteral("the table's lists differ in length"));
    if (f.lbNames.size() > HighscoreRows) return Fail(QStringLiteral("%1 rows in the table").arg(f.lbNames.size()));
    if (!SortedByScore(f.lbScores)) return Fail(QStringLiteral("the table is out of order: ") + f.lbScores.join(' '));
    if (score != GameTotal)
      Fail(QStringLiteral("the game total %1 is not the sum %2 of its rounds").arg(score).arg(GameTotal));
    // A score above the last row of a full table must be in it.
    if (f.lbScores.size() == HighscoreRows && score > f.lbScores.last().toInt() &&
        FindPlayerRow({f.lbNames, f.lbScores, f.lbLevel}, score, name) < 0)
      Fail(QStringLiteral("the score %1 qualified but is not in the table").arg(score));
    ++Games;
  }

  void Banner(const QString& line1, const QString& line2) {
    const TForm1& f = *H.Form;
    if (line1 == QLatin1String("Get ready for") && line2 == QLatin1String("the first problem.")) GameTotal = 0;
    if (line1.startsWith(QLatin1String("Balloon points: "))) {
      const int points = line1.mid(16).toInt();
      if (points != f.FRoundState.FRoundPoints) Fail(QStringLiteral("the banner shows other balloon points"));
      GameTotal += points + line2.mid(QStringLiteral("Time bonus: ").size()).toInt();
      if (f.FGameScore != GameTotal)
        Fail(QStringLiteral("the game score %1 is not the sum %2 of its rounds").arg(f.FGameScore).arg(GameTotal));
      ++Rounds;
    }
    if (line1 == QLatin1String("Oh no!")) ++Rounds;
    if (line1 == QLatin1String("Your total Score:") && line2.toInt() != GameTotal)
      Fail(QStringLiteral("total %1 shown, the rounds add up to %2").arg(line2).arg(GameTotal));
  }

  // ---- input, at every pump of the game ----

  void Pump() {
    if (InPump) return;  // a handler pumps messages: no input from inside input
    InPump = true;
    Clock.LateFrame = false;
    Step();
    InPump = false;
  }

  void Step() {
    TForm1& f = *H.Form;
    const TRound& r = f.FRoundState;
    const std::uint32_t now = timeGetTime();
    if (Rounds >= TargetRounds && !f.FRestart && !f.FQuit && r.FRoundRunning) {
      // Done: end the game here the way a child would.
      Key(Qt::Key_R, Qt::ControlModifier);
      return;
    }
    if (Form3.isVisible()) return AnswerName();
    if (TForm4* w = VisibleWindow<TForm4>()) {
      if (!HighscoreSeenAt) HighscoreSeenAt = now;
      if (now - HighscoreSeenAt >= 250) {
        HighscoreSeenAt = 0;
        if (Chance(2))
          PressKey(w, Qt::Key_Return);
        else
          ClickAt(w, QPoint(w->width() / 2, w->height() / 2));
      }
      return;
    }
    if (f.FStartBalloon && !f.FStartBalloon->FShot) return StartScreen();
    if (!r.FRoundRunning) {
      Clock.FramePeriod = 0;
      return;
    }

    // A frame of a running round. Inside the frame step the balloons have
    // moved since the last pump; between two frames they have not.
    Clock.FramePeriod = r.FFramePeriod;
    CheckRound();
    const std::uint64_t where = Where();
    const bool insideFrame = where != LastWhere;
    LastWhere = where;
    if (insideFrame) ++Frames;
    if (insideFrame && Chance(40)) {
      // A slow frame: its deadline has passed when it comes to sleep.
      H.Clock.Advance(static_cast<std::uint32_t>(r.FFramePeriod + Pick(3 * r.FFramePeriod)));
      Clock.LateFrame = true;
      ++LateFrames;
      return;
    }
    RandomInput();
    if (HeldKey && static_cast<std::int32_t>(timeGetTime() - ReleaseAt) >= 0) {
      Clock.InInput = true;
      DesktopKey(false, HeldKey);
      Clock.InInput = false;
      HeldKey = Qt::Key_unknown;
    }
    LastWhere = Where();
  }

  // Every balloon's place, mixed into one number.
  std::uint64_t Where() const {
    const TRound& r = H.Form->FRoundState;
    std::uint64_t h = 1469598103934665603ull;
    for (int i = 1; i <= 10; ++i) {
      if (!r.FBalloons[i]) continue;
      const TRect& b = r.FBalloons[i]->FRect;
      for (int v : {b.Left, b.Top, b.Right, b.Bottom}) h = (h ^ static_cast<std::uint32_t>(v)) * 1099511628211ull;
    }
    return h;
  }

  void AnswerName() {
    QString name;
    const int length = Pick(13);
    static const QString Letters = QString::fromUtf8("abcdefghijklmnopqrstuvwxyzÄÖÜßé -");
    for (int i = 0; i < length; ++i) name += Letters[Pick(static_cast<int>(Letters.size()))];
    TypeText(&Form3, name);
    PressKey(&Form3, Qt::Key_Return);
  }

  void StartScreen() {
    TForm1& f = *H.Form;
    // Settings chosen on the start screen, the way a child picks them.
    for (TRadioGroup* g : {f.rgrpLevel, f.rgrpSpeed, f.rgrpSpecial})
      if (Chance(2)) g->SetItemIndex(Pick(5));
    // Every shard, however short, opens the dialog at least once.
    if (Dialogs == 0 || Chance(4)) {
      OpenSettings();
      return;  // the start balloon is shot at a later pump
    }
    const TRect& b = f.FStartBalloon->FHitRect;
    H.Click((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
  }

  // Ctrl+S, with the dialog answered once it is open: boxes ticked at random,
  // then OK, Cancel or Esc.
  void OpenSettings() {
    ++Dialogs;
    const int tick1 = Pick(2), tick3 = Pick(2), newList = Chance(10), close = Pick(3);
    auto answer = std::make_shared<std::function<void(int)>>();
    // The function holds itself weakly; each pending retry holds it.
    *answer = [=, self = std::weak_ptr(answer)](int triesLeft) {
      auto* d = qobject_cast<TSettingsForm*>(QApplication::activeModalWidget());
      if (!d || !d->isVisible()) {
        if (auto again = self.lock(); again && triesLeft > 0)
          QTimer::singleShot(0, [again, triesLeft] { (*again)(triesLeft - 1); });
        return;
      }
      for (auto [box, tick] : {std::pair{d->CheckBox1, tick1}, {d->CheckBox3, tick3}, {d->CheckBox2, newList}})
        if (tick) QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(7, box->height() / 2));
      if (close == 0)
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton, {}, d->BitBtn1->rect().center());
      else if (close == 1)
        QTest::mouseClick(d->BitBtn2, Qt::LeftButton, {}, d->BitBtn2->rect().center());
      else
        QTest::keyClick(d->focusWidget() ? d->focusWidget() : d, Qt::Key_Escape);
    };
    QTimer::singleShot(0, [answer] { (*answer)(200); });
    Key(Qt::Key_S, Qt::ControlModifier);
    if (QApplication::activeModalWidget()) Fail(QStringLiteral("the settings dialog stayed open"));
  }

  void RandomInput() {
    TForm1& f = *H.Form;
    const int pick = Pick(1000);
    Clock.InInput = true;
    const int w = f.BaseImage1->width(), h = f.BaseImage1->height();
    if (pick < 60) {
      H.Click(Pick(w), Pick(h));
    } else if (pick < 64) {
      H.Click(Pick(w), Pick(h), Qt::RightButton);
    } else if (pick < 74) {
      // Space or Alt fire at the pointer: somewhere on the playfield.
      // The key is let go at a later pump, after a child's hold.
      if (!HeldKey) {
        QCursor::setPos(f.BaseImage1->mapToGlobal(QPoint(Pick(w), Pick(h))));
        HeldKey = Chance(8) ? Qt::Key_Alt : Qt::Key_Space;
        ReleaseAt = timeGetTime() + 20 + static_cast<std::uint32_t>(Pick(400));
        DesktopKey(true, HeldKey);
      }
    } else if (pick < 76) {
      // Clicks that do nothing: middle button, a shifted click.
      H.Click(Pick(w), Pick(h), Chance(2) ? Qt::MiddleButton : Qt::LeftButton, Qt::ShiftModifier);
    } else if (pick == 76 && Chance(8)) {
      ++Restarts;
      Key(Qt::Key_R, Qt::ControlModifier);
    } else if (pick == 77 && Chance(4)) {
      OpenSettings();
    }
    Clock.InInput = false;
  }

  // A key as the desktop hands it to the window, time-stamped on the game's
  // clock, so that a run replays whatever the machine's load.
  void DesktopKey(bool press, Qt::Key key) {
    const Qt::KeyboardModifiers mods = press && key == Qt::Key_Alt ? Qt::AltModifier : Qt::NoModifier;
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(
        H.Form->windowHandle(), timeGetTime(), press ? QEvent::KeyPress : QEvent::KeyRelease, key, mods,
        key == Qt::Key_Space ? QStringLiteral(" ") : QString());
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers mods) { QTest::keyClick(H.Form->windowHandle(), key, mods); }

  std::mt19937 Rng;
  // The settings dialog's volume slider works on an in-memory mixer.
  TSettingsMixer Mixer;
  TWatchedClock Clock;  // before the harness: it outlives the game's threads
  TGameHarness H;
  TForm3 Form3;
  bool InPump = false;
  std::uint32_t HighscoreSeenAt = 0;
  std::uint64_t LastWhere = 0;
  Qt::Key HeldKey = Qt::Key_unknown;  // a shooting key held down, to be let go at ReleaseAt
  std::uint32_t ReleaseAt = 0;
  int GameTotal = 0;
};

class Soak : public ::testing::TestWithParam<int> {};

TEST_P(Soak, RandomGamesKeepTheRoundsTheScoresAndTheTableInOrder) {
  const std::uint32_t seed =
      static_cast<std::uint32_t>(EnvInt("ZUGGLE_SOAK_SEED", static_cast<int>(std::random_device{}() & 0x7fffffff)));
  const int rounds = EnvInt("ZUGGLE_SOAK_ROUNDS", DefaultRounds / Shards);
  SCOPED_TRACE("seed " + std::to_string(seed) + " (ZUGGLE_SOAK_SEED=" + std::to_string(seed) + " replays it)");
  std::printf("soak shard %d: seed %u, %d rounds\n", GetParam(), seed, rounds);
  std::fflush(stdout);

  const auto t0 = std::chrono::steady_clock::now();
  TSoak soak(seed, rounds);
  soak.Run();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

  EXPECT_TRUE(soak.FaultText().isEmpty()) << soak.FaultText().toStdString() << " (after " << soak.Rounds
                                          << " rounds, " << soak.Frames << " frames)";
  EXPECT_GE(soak.Rounds, rounds);
  EXPECT_GT(soak.Games, 0);
  EXPECT_GT(soak.Dialogs, 0);
  EXPECT_GT(soak.LateFrames, 0);
  std::printf("soak shard %d: %d rounds, %d games, %d frames (%d late), %d restarts, %d settings dialogs in %.1f s: "
              "%.1f rounds per second\n",
              GetParam(), soak.Rounds, soak.Games, soak.Frames, soak.LateFrames, soak.Restarts, soak.Dialogs, seconds,
              soak.Rounds / seconds);
}

INSTANTIATE_TEST_SUITE_P(Shards, Soak, ::testing::Range(1, Shards + 1),
                         [](const auto& info) { return "Shard" + std::to_string(info.param); });

}  // namespace
