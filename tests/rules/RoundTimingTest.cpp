#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "game/RoundTiming.h"
#include "platform/Random.h"

namespace {

TEST(RoundPace, SpeedConstantsAndTheirFastMachinePeriods) {
  struct {
    int SpeedIndex;
    double S;
    int Period;
  } const cases[] = {{0, 144.0, 36}, {1, 64.0, 24}, {2, 20.0, 13}, {3, 8.0, 8},
                     {4, 3.8, 6},    {-1, 64.0, 24}, {5, 64.0, 24}};
  for (const auto& c : cases) {
    EXPECT_EQ(SpeedConstant(c.SpeedIndex), c.S) << "index " << c.SpeedIndex;
    const TRoundPace pace = RoundPace(4, c.SpeedIndex);  // the fastest machine
    EXPECT_EQ(pace.FramePeriod, c.Period) << "index " << c.SpeedIndex;
    EXPECT_EQ(pace.Speed, 3.0);
  }
}

TEST(RoundPace, BelowAtAndAboveEachThreshold) {
  // Thresholds: the smallest FrameTime with FrameTime^2 >= 9 s.
  struct {
    int SpeedIndex, FrameTime, Period;
    double Speed;
  } const cases[] = {
      {0, 35, 36, 3.0},  {0, 36, 36, 3.0},        {0, 40, 40, 10.0 / 3.0},
      {1, 23, 24, 3.0},  {1, 24, 24, 3.0},        {1, 25, 25, 25.0 / 8.0},
      {2, 13, 13, 3.0},  {2, 14, 14, 14.0 / std::sqrt(20.0)},  {2, 15, 15, 15.0 / std::sqrt(20.0)},
      {3, 8, 8, 3.0},    {3, 9, 9, 9.0 / std::sqrt(8.0)},       {3, 10, 10, 10.0 / std::sqrt(8.0)},
      {4, 5, 6, 3.0},    {4, 6, 6, 6.0 / std::sqrt(3.8)},       {4, 10, 10, 10.0 / std::sqrt(3.8)},
      {4, 0, 6, 3.0},    {4, -40, 6, 3.0},
  };
  for (const auto& c : cases) {
    const TRoundPace pace = RoundPace(c.FrameTime, c.SpeedIndex);
    EXPECT_EQ(pace.FramePeriod, c.Period) << "index " << c.SpeedIndex << " frame time " << c.FrameTime;
    EXPECT_NEAR(pace.Speed, c.Speed, 1e-12) << "index " << c.SpeedIndex << " frame time " << c.FrameTime;
  }
  EXPECT_NEAR(RoundPace(10, 4).Speed, 5.13, 0.005);
}

TEST(RoundClock, Texts) {
  struct {
    std::uint32_t Remaining;
    const char* Text;
  } const cases[] = {
      {90000, " 1:30"}, {65000, " 1: 5"}, {0, " 0: 0"},   {60000, " 1: 0"}, {59000, " 0:59"},
      {89500, " 1:30"},  // 89.5 s rounds to the even 90
      {88500, " 1:28"},  // 88.5 s rounds to the even 88
      {500, " 0: 0"},    {1500, " 0: 2"}, {1499, " 0: 1"},
  };
  for (const auto& c : cases) EXPECT_EQ(ClockText(c.Remaining), QString::fromUtf8(c.Text)) << c.Remaining;
}

TEST(RoundClock, RemainingTimeAcrossTheClocksWrap) {
  struct {
    std::uint32_t Start, Now, Remaining;
  } const cases[] = {
      {1000, 1000, 90000},
      {1000, 31000, 60000},
      {1000, 90999, 1},
      {1000, 91000, 0},
      {1000, 500000, 0},
      {0xFFFFFF00u, 0xFFFFFF00u + 30000u, 60000},  // Now has wrapped past zero
      {0xFFFFFF00u, 0x100u, 89488},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RemainingRoundTime(c.Start, c.Now), c.Remaining) << c.Start << " -> " << c.Now;
}

TEST(SpeedTest, FrameTimeAndWarning) {
  struct {
    std::uint32_t T0, T1;
    int FrameTime;
    bool Warns;
  } const cases[] = {
      {1000, 1000, 4, false},
      {1000, 1199, 4, false},
      {1000, 1200, 5, false},
      {1000, 1000 + 36 * 200 + 199, 40, false},
      {1000, 1000 + 37 * 200, 41, true},
      {0xFFFFFFF0u, 0xFFFFFFF0u + 1200u, 10, false},  // wrapped in between
  };
  for (const auto& c : cases) {
    const int frameTime = SpeedTestFrameTime(c.T0, c.T1);
    EXPECT_EQ(frameTime, c.FrameTime) << c.T0 << " -> " << c.T1;
    EXPECT_EQ(FrameTimeWarns(frameTime), c.Warns) << frameTime;
  }
  EXPECT_TRUE(SlowMachineWarning().contains(QStringLiteral("\"Troubleshooting\"")));
}

TEST(ShelterMotion, DrawOrderAndSigns) {
  // r = 3 at 1152 pixels and speed 6: DX from Random(4), signs from Random(2).
  for (std::uint32_t seed = 1; seed <= 300; ++seed) {
    RandSeed(seed);
    const int dx = Random(4);
    const int dxSign = Random(2) == 0 ? -1 : 1;
    const int dySign = Random(2) == 0 ? -1 : 1;
    const std::uint32_t after = CurrentRandSeed();
    const int dy = static_cast<int>(std::nearbyint(std::sqrt(9.0 - dx * dx)));

    RandSeed(seed);
    const TShelterMotion m = ShelterMotion(6.0, 1152);
    EXPECT_EQ(m.DX, dx * dxSign) << "seed " << seed;
    EXPECT_EQ(m.DY, dy * dySign) << "seed " << seed;
    EXPECT_EQ(CurrentRandSeed(), after) << "three draws, also when DY is 0";
  }
}

TEST(ShelterMotion, StepLengthFollowsSpeedAndWidth) {
  struct {
    double Speed;
    int Width;
    double R;
  } const cases[] = {{3.0, 1152, 1.5}, {10.0 / 3.0, 1920, 2.7777}, {5.13, 1366, 3.0415}, {3.0, 0, 0.0}};
  for (const auto& c : cases) {
    RandSeed(7);
    bool negativeDY = false, negativeDX = false;
    for (int i = 0; i < 400; ++i) {
      const TShelterMotion m = ShelterMotion(c.Speed, c.Width);
      ASSERT_LE(std::abs(m.DX), std::lround(c.R + 1.0)) << c.Speed << " at " << c.Width;
      if (std::abs(m.DX) > c.R) {
        ASSERT_EQ(m.DY, 0);
      } else {
        // The step is about r long: only rounding separates it from r.
        ASSERT_NEAR(std::hypot(m.DX, m.DY), c.R, 0.75) << m.DX << ", " << m.DY;
      }
      negativeDY = negativeDY || m.DY < 0;
      negativeDX = negativeDX || m.DX < 0;
    }
    if (c.R >= 1.0) {
      EXPECT_TRUE(negativeDY);
      EXPECT_TRUE(negativeDX);
    }
  }
}

}  // namespace
