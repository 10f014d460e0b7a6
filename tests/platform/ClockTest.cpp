#include <gtest/gtest.h>

#include <thread>

#include "platform/Clock.h"
#include "platform/Random.h"
#include "platform/Types.h"

TEST(VirtualClock, DriverSleepAdvancesAtOnceAndWraps) {
  TVirtualClock clock(0xFFFFFFF0u);
  SetClock(&clock);
  const std::uint32_t t0 = timeGetTime();
  Sleep(0x20);
  EXPECT_EQ(timeGetTime(), 0x10u);
  // The game's differences are unsigned and survive the wrap.
  EXPECT_EQ(timeGetTime() - t0, 0x20u);
  SetClock(nullptr);
}

TEST(VirtualClock, OtherThreadWaitsForDriverTime) {
  TVirtualClock clock(0);
  SetClock(&clock);
  std::uint32_t woke = 0;
  std::thread worker([&] {
    Sleep(44);
    woke = timeGetTime();
  });
  for (int i = 0; i < 100; ++i) {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    Sleep(1);
  }
  worker.join();
  EXPECT_GE(woke, 44u);
  EXPECT_LE(woke, 100u);
  SetClock(nullptr);
}

TEST(Random, RangesAndSeeding) {
  RandSeed(42);
  const int first = Random(1000);
  for (int i = 0; i < 10000; ++i) {
    const int r = Random(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
    const double f = Random();
    ASSERT_GE(f, 0.0);
    ASSERT_LT(f, 1.0);
  }
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  RandSeed(42);
  EXPECT_EQ(Random(1000), first);
}

TEST(Round, HalvesGoToEven) {
  struct { long double x; int r; } cases[] = {{0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {-0.5L, 0}, {-1.5L, -2}, {2.4999L, 2}, {5.85L, 6}};
  for (auto c : cases) EXPECT_EQ(Round(c.x), c.r) << double(c.x);
}

TEST(TRect, EdgesRightAndBottomOutside) {
  const TRect r = Rect(10, 20, 30, 40);
  EXPECT_EQ(r.Width(), 20);
  EXPECT_FALSE(r.StrictlyContains(10, 25));
  EXPECT_TRUE(r.StrictlyContains(11, 21));
  EXPECT_FALSE(r.StrictlyContains(30, 25));
  EXPECT_TRUE(Rect(5, 5, 5, 9).IsEmpty());
}
