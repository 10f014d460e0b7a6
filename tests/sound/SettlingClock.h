#pragma once
// Virtual time for the sound-thread tests, exact to the millisecond.
//
// The test thread drives: each of its sleeps advances the time one millisecond at
// a time, and before every step it waits until each running sound thread is
// asleep with its wake-up still ahead (or has ended). A worker therefore acts at
// exactly the virtual time its sleeps lead to, however the machine schedules the
// threads. Time itself is kept by a TVirtualClock.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <thread>

#include "platform/Clock.h"
#include "sound/SoundEffects.h"

class TSettlingClock final : public TClock {
public:
  explicit TSettlingClock(std::uint32_t start) : FTime(start), FDriver(std::this_thread::get_id()) {}

  std::uint32_t Now() override { return FTime.Now(); }

  void SleepMs(std::uint32_t ms) override {
    if (std::this_thread::get_id() == FDriver) {
      for (std::uint32_t i = 0; i < ms; ++i) Step();
      Settle();
      return;
    }
    std::unique_lock<std::mutex> g(FLock);
    const std::uint64_t wake = std::uint64_t(FTime.Now()) + ms;
    auto it = FWakes.insert(wake);
    FTicked.wait(g, [&] { return std::uint64_t(FTime.Now()) >= wake; });
    FWakes.erase(it);
  }

  // Waits until every sound thread sleeps with its wake-up ahead or has ended.
  void Settle() {
    std::unique_lock<std::mutex> g(FLock);
    for (;;) {
      const std::uint64_t now = FTime.Now();
      const bool noneDue = FWakes.empty() || *FWakes.begin() > now;
      if (noneDue && int(FWakes.size()) == RunningSoundThreads()) return;
      // Ending threads do not signal, so look again shortly.
      g.unlock();
      std::this_thread::sleep_for(std::chrono::microseconds(50));
      g.lock();
    }
  }

  // Drives time until no sound thread runs; false if that takes longer than limit ms.
  bool RunUntilIdle(std::uint32_t limit) {
    for (std::uint32_t i = 0; i < limit; ++i) {
      Settle();
      if (RunningSoundThreads() == 0) return true;
      Step();
    }
    return RunningSoundThreads() == 0;
  }

private:
  void Step() {
    Settle();
    {
      std::lock_guard<std::mutex> g(FLock);
      FTime.Advance(1);
    }
    FTicked.notify_all();
  }

  TVirtualClock FTime;
  std::thread::id FDriver;
  std::mutex FLock;
  std::condition_variable FTicked;
  std::multiset<std::uint64_t> FWakes;
};
