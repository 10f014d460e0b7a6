#include <gtest/gtest.h>

#include "game/Scoring.h"
#include "platform/Random.h"

namespace {

TEST(TimeBonus, Examples) {
  struct {
    int SpeedIndex;
    std::uint32_t RoundTime;
    int Base, Bonus;
  } const cases[] = {
      // All wrong balloons down after 30 s (60 s left, 30 two-second units).
      {0, 30000, 10, 45},
      {4, 30000, 10, 225},
      {1, 30000, 10, 90},  // 8/3 * 30 = 80
      {2, 30000, 10, 135},
      {3, 30000, 10, 180},
      // After 60 s: 3.5 * 15 / 3 = 17.5 and 21.5 * 15 / 3 = 107.5, halves to even.
      {0, 60000, 10, 28},
      {4, 60000, 10, 118},
      // Exact halves below and above an even number: 0.5 -> 0, 1.5 -> 2.
      {1, 89625, 0, 0},
      {1, 88875, 0, 2},
      // Time up: no time part, the base alone.
      {0, 90000, 0, 0},
      {4, 90000, 0, 0},
      {4, 90000, 10, 10},
      // A round finished at once.
      // A round won at once: 21.5 * 45 / 3 = 322.5 and 3.5 * 45 / 3 = 52.5, both to even.
      {4, 0, 10, 332},
      {0, 0, 0, 52},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TimeBonus(c.SpeedIndex, c.RoundTime, c.Base), c.Bonus)
        << "speed " << c.SpeedIndex << " round time " << c.RoundTime;
  }
}

TEST(TimeBonus, OverlongRoundGivesASmallNegativePartNotAWrappedOne) {
  EXPECT_EQ(TimeBonus(0, 92000, 0), -1);  // 3.5 * -1 / 3 = -1.1666
}

TEST(ScoredHeadline, ByBalloonsDownAndHits) {
  struct {
    int BalloonsDown, RoundHits;
    const char* Line1;
    const char* Line2;
    int Base;
    bool Success;
  } const cases[] = {
      {9, 9, "Right!", "", 10, true},
      {9, 30, "Right!", "", 10, true},
      {8, 20, "Sorry, time's up,", "but what a great job!", 0, false},
      {5, 25, "Sorry, time's up,", "but what a great job!", 0, false},
      {8, 19, "Sorry,", "time's up.", 0, false},
      {0, 0, "Sorry,", "time's up.", 0, false},
  };
  for (const auto& c : cases) {
    const TScoredHeadline h = ScoredHeadline(c.BalloonsDown, c.RoundHits);
    EXPECT_EQ(h.Line1, QString::fromUtf8(c.Line1)) << c.BalloonsDown << " down, " << c.RoundHits << " hits";
    EXPECT_EQ(h.Line2, QString::fromUtf8(c.Line2)) << c.BalloonsDown << " down, " << c.RoundHits << " hits";
    EXPECT_EQ(h.Base, c.Base);
    EXPECT_EQ(h.Success, c.Success);
  }
}

TEST(RepeatLostRound, TwentyFiveHitsNeverRepeatAndDrawNothing) {
  for (std::uint32_t seed = 1; seed <= 300; ++seed) {
    for (int hits : {0, 20, 25}) {
      RandSeed(seed);
      EXPECT_FALSE(RepeatLostRound(hits));
      EXPECT_EQ(CurrentRandSeed(), seed) << "no random number may be drawn at " << hits << " hits";
    }
  }
}

TEST(RepeatLostRound, TwentySixHitsRepeatTwoTimesInThree) {
  int repeats = 0;
  const int trials = 30000;
  RandSeed(12345);
  for (int i = 0; i < trials; ++i) {
    const std::uint32_t before = CurrentRandSeed();
    const bool repeat = RepeatLostRound(26);
    // Exactly one draw, and the answer is that draw's Random(3) > 0.
    RandSeed(before);
    const bool expected = Random(3) > 0;
    ASSERT_EQ(repeat, expected);
    repeats += repeat;
  }
  EXPECT_NEAR(static_cast<double>(repeats) / trials, 2.0 / 3.0, 0.02);
}

}  // namespace
