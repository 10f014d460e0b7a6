// Whole games on the real window, played headless on the virtual clock.
#include <gtest/gtest.h>

#include "GameHarness.h"

namespace {

// Lines of every banner in the order shown.
QStringList Lines(const TGameHarness& h) {
  QStringList out;
  for (const auto& b : h.Banners) out << b.Line1 + "|" + b.Line2;
  return out;
}

}  // namespace

TEST(GameFlow, WholeGameOfRoundsThatRunOutOfTime) {
  TGameHarness h(7, 960, 720);
  h.Form->FShowInstructions = true;
  int names = 0, gameOvers = 0;
  h.Form->AskPlayerName = [&] { ++names; };
  h.Form->GameOver = [&] { ++gameOvers; };
  h.ShootStartBalloon();
  h.Form->PlayGame();

  EXPECT_EQ(names, 1);
  EXPECT_EQ(gameOvers, 1);
  const QStringList seen = Lines(h);
  QStringList expected = {"Pick your settings.|Click the balloon, when you are ready.",
                          "Watch the yellow frame|for the problem.", "Shoot all |wrong balloons",
                          "Left click shoots,|right click nukes.", "Get ready for|the first problem."};
  for (int round = 1; round <= 5; ++round) {
    expected << "Sorry,|time's up." << "Balloon points: 0|Time bonus: 0" << "This score: |0";
    expected << (round < 5 ? "Get ready for|the next problem." : "Your total Score:|0");
  }
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(h.Form->FRoundState.FRoundTime, 90000u);
  EXPECT_EQ(h.Form->FRound, 6);
  EXPECT_EQ(h.Form->FGameScore, 0);

  // The drum roll comes 1 s after each "Get ready" banner (plus its own pre-delay).
  std::vector<std::uint32_t> drums;
  for (const auto& p : h.Sounds.Played())
    if (p.Name == "DRUMROLL") drums.push_back(p.Start);
  std::vector<std::uint32_t> ready;
  for (const auto& b : h.Banners)
    if (b.Line1 == "Get ready for") ready.push_back(b.At);
  ASSERT_EQ(drums.size(), 5u);
  ASSERT_EQ(ready.size(), 5u);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(drums[i] - ready[i], 1000u + 100u) << i;

  // Between games the controls are back for the start screen.
  EXPECT_TRUE(h.Form->rgrpLevel->isEnabled());
  EXPECT_TRUE(h.Form->FRoundState.FBalloons[1] == nullptr);
}

TEST(GameFlow, FourthInstructionOnlyWithSpecialBalloonsAndOnlyInTheFirstGame) {
  TGameHarness h(3, 960, 720);
  h.Form->FShowInstructions = true;
  h.Form->rgrpSpecial->SetItemIndex(1);
  h.ShootStartBalloon();
  // Leave the game as soon as the first round is set up.
  h.Script.push_back([&] {
    if (!h.Form->FRoundState.FRoundRunning) return false;
    h.Key(Qt::Key_R, Qt::ControlModifier);
    return true;
  });
  h.Form->PlayGame();
  EXPECT_TRUE(h.SawBanner("Watch out for"));
  EXPECT_EQ(h.Form->FGameCount, 1);
  // The abandoned round is over: a right click on the next start screen nukes nothing.
  EXPECT_FALSE(h.Form->FRoundState.FRoundRunning);

  h.Banners.clear();
  h.ShootStartBalloon();
  h.Script.push_back([&] {
    if (!h.Form->FRoundState.FRoundRunning) return false;
    h.Key(Qt::Key_Escape);
    return true;
  });
  h.Form->PlayGame();
  EXPECT_FALSE(h.SawBanner("Watch the yellow frame"));
  EXPECT_TRUE(h.SawBanner("Get ready for"));
}

// Esc is seen at the next poll of whatever state the game is in, and every loop unwinds.
TEST(GameFlow, EscEndsEveryStateAtItsNextPoll) {
  struct Case {
    const char* state;
    std::function<bool(TGameHarness&)> reached;
  };
  const Case cases[] = {
      {"start screen", [](TGameHarness& h) { return h.Form->FStartBalloon != nullptr; }},
      {"instructions", [](TGameHarness& h) { return h.SawBanner("Shoot all "); }},
      {"get ready", [](TGameHarness& h) { return h.SawBanner("Get ready for"); }},
      {"round running", [](TGameHarness& h) { return h.Form->FRoundState.FRoundRunning; }},
      {"round result", [](TGameHarness& h) { return h.SawBanner("Sorry,"); }},
  };
  for (const Case& c : cases) {
    TGameHarness h(11, 960, 720);
    h.Form->FShowInstructions = true;
    h.ShootStartBalloon();
    std::uint32_t pressed = 0;
    h.Script.push_back([&] {
      if (!c.reached(h)) return false;
      pressed = timeGetTime();
      h.Key(Qt::Key_Escape);
      return true;
    });
    h.Form->PlayGame();
    EXPECT_TRUE(h.Form->FQuit) << c.state;
    EXPECT_NE(pressed, 0u) << c.state;
    // Nothing after the state's own pauses runs: no further round, no game end.
    EXPECT_FALSE(h.SawBanner("Your total Score:")) << c.state;
    EXPECT_LT(timeGetTime() - pressed, 10000u) << c.state;
  }
}

TEST(GameFlow, RestartOnStartScreenTakesEffectOnlyOnceTheBalloonIsShot) {
  TGameHarness h(5, 960, 720);
  h.Form->FShowInstructions = false;
  int names = 0;
  h.Form->AskPlayerName = [&] { ++names; };
  bool pressed = false;
  std::uint32_t since = 0;
  h.Script.push_back([&] {
    if (!h.Form->FStartBalloon) return false;
    h.Key(Qt::Key_R, Qt::ControlModifier);
    pressed = true;
    since = timeGetTime();
    return true;
  });
  // Shoot the balloon a few seconds later: until then the start screen stays.
  h.Script.push_back([&] {
    if (!pressed || !h.Form->FStartBalloon) return false;
    if (timeGetTime() - since < 3000) {
      EXPECT_TRUE(h.Form->rgrpLevel->isVisible());
      return false;
    }
    const TRect& r = h.Form->FStartBalloon->FHitRect;
    h.Click((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    return true;
  });
  h.Form->PlayGame();
  EXPECT_TRUE(h.Form->FRestart);
  EXPECT_FALSE(h.SawBanner("Get ready for"));
  EXPECT_EQ(names, 1);

  // The next game starts at the start screen without the name dialog.
  h.Banners.clear();
  h.Script.push_back([&] {
    if (!h.Form->FStartBalloon) return false;
    h.Key(Qt::Key_Escape);
    return true;
  });
  h.Form->PlayGame();
  EXPECT_EQ(names, 1);
  EXPECT_FALSE(h.Form->FRestart);
  EXPECT_TRUE(h.SawBanner("Pick your settings."));
}

TEST(GameFlow, RestartDuringInstructionsReturnsToStartScreenWithoutThemAgain) {
  TGameHarness h(9, 960, 720);
  h.Form->FShowInstructions = true;
  int names = 0;
  h.Form->AskPlayerName = [&] { ++names; };
  h.ShootStartBalloon();
  h.Script.push_back([&] {
    if (!h.SawBanner("Watch the yellow frame")) return false;
    h.Key(Qt::Key_R, Qt::ControlModifier);
    return true;
  });
  h.Form->PlayGame();
  EXPECT_FALSE(h.SawBanner("Shoot all "));

  h.Banners.clear();
  h.ShootStartBalloon();
  h.Script.push_back([&] {
    if (!h.SawBanner("Get ready for")) return false;
    h.Key(Qt::Key_Escape);
    return true;
  });
  h.Form->PlayGame();
  EXPECT_EQ(names, 1);
  EXPECT_EQ(h.Form->FGameCount, 2);
  EXPECT_TRUE(h.SawBanner("Pick your settings."));
  EXPECT_FALSE(h.SawBanner("Watch the yellow frame"));
}

// A child who reads the numbers and pops every wrong balloon it can reach,
// one dart per frame, aiming where the balloon will be when the dart arrives.
TEST(GameFlow, PoppingEveryWrongBalloonScoresTheSumOfTheRounds) {
  TGameHarness h(2024, 1152, 864);
  h.Form->FShowInstructions = false;
  h.Form->FFrameTime = 9;
  h.Form->rgrpLevel->SetItemIndex(2);
  h.Form->rgrpSpeed->SetItemIndex(4);
  h.ShootStartBalloon();
  std::uint32_t lastShot = 0;
  h.Script.push_back([&] {
    TForm1& f = *h.Form;
    if (!f.FRoundState.FRoundRunning || timeGetTime() - lastShot < 150) return false;
    for (int i = 10; i >= 1; --i) {
      if (f.FRoundState.FBalloons[i]->FNumber == f.FRoundState.FAnswer || !h.ShootBalloon(i)) continue;
      lastShot = timeGetTime();
      return false;
    }
    return false;
  });
  std::vector<int> roundScores;
  h.Form->OnBanner = [&](const QString& a, const QString& b) {
    h.Banners.push_back({a, b, timeGetTime()});
    if (a == "This score: ") roundScores.push_back(b.toInt());
  };
  h.Form->PlayGame();
  ASSERT_EQ(roundScores.size(), 5u);
  int sum = 0;
  for (int s : roundScores) sum += s;
  EXPECT_EQ(h.Form->FGameScore, sum);
  EXPECT_TRUE(h.SawBanner("Your total Score:"));
  EXPECT_GE(h.CountBanner("Right!"), 1);
}

// Shoots the right balloon as soon as a round runs; in round five with more
// than 25 hits already, so that the round may be given again. The draw that
// decides (two chances in three) is scripted: just before it, when "Oh no!"
// shows, the generator gets a seed known to draw a repeat, or known not to.
TEST(GameFlow, ALostFifthRoundThatRepeatsIsPlayedAsASixthRound) {
  const auto seedDrawing = [](bool repeat) {
    for (std::uint32_t s = 1;; ++s) {
      RandSeed(s);
      if ((Random(3) > 0) == repeat) return s;
    }
  };
  for (const bool repeat : {true, false}) {
    const std::uint32_t scripted = seedDrawing(repeat);
    TGameHarness h(1, 960, 720);
    TForm1& f = *h.Form;
    f.FShowInstructions = false;
    h.ShootStartBalloon();
    int roundsPlayed = 0;
    bool counted = false, fifthSeen = false;
    h.Script.push_back([&] {
      if (!f.FRoundState.FRoundRunning) {
        counted = false;
        return false;
      }
      if (!counted) {
        ++roundsPlayed;
        // Close only in the first attempt at round five, so it repeats at most once.
        if (f.FRound == 5 && !fifthSeen) f.FRoundState.FRoundHits = 26;
        fifthSeen = fifthSeen || f.FRound == 5;
      }
      counted = true;
      for (int i = 10; i >= 1; --i)
        if (f.FRoundState.FBalloons[i]->FNumber == f.FRoundState.FAnswer && h.ShootBalloon(i)) break;
      return false;
    });
    f.OnBanner = [&](const QString& a, const QString& b) {
      h.Banners.push_back({a, b, timeGetTime()});
      // Nothing draws between this banner and the repeat's draw.
      if (a == "Oh no!" && f.FRoundState.FRoundHits > 25) RandSeed(scripted);
    };
    f.PlayGame();
    EXPECT_EQ(h.SawBanner("You were so close,"), repeat);
    EXPECT_EQ(roundsPlayed, repeat ? 6 : 5) << repeat;
    EXPECT_EQ(h.CountBanner("Oh no!"), roundsPlayed) << repeat;
    EXPECT_TRUE(h.SawBanner("Your total Score:")) << repeat;
    EXPECT_EQ(f.FGameScore, 0) << repeat;
  }
}

// RoundScored adds the score at its step 6: a restart seen before that adds
// nothing, one pressed while the answer blinks is seen only afterwards.
TEST(GameFlow, RestartDuringTheRoundResultKeepsTheScoreOnlyOnceAdded) {
  for (int seenAtPump : {1, 2, 3}) {
    TGameHarness h(4, 960, 720);
    TForm1& f = *h.Form;
    f.FRoundState.FAnswer = 12;
    f.FRoundState.FBalloonsDown = 9;
    f.FRoundState.FRoundPoints = 60;
    f.FRoundState.FRoundTime = 30000;
    f.FGameScore = 100;
    int pumps = 0;
    h.Script.push_back([&] {
      if (++pumps < seenAtPump) return false;
      f.FRestart = true;
      return true;
    });
    f.RoundScored();
    const int expected = seenAtPump < 3 ? 100 : 100 + 60 + 45;  // bonus at "Slowest" after 30 s
    EXPECT_EQ(f.FGameScore, expected) << seenAtPump;
    EXPECT_EQ(h.SawBanner("This score: "), false) << seenAtPump;
  }
}
