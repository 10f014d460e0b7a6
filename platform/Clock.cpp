#include "platform/Clock.h"

#include <atomic>
#include <chrono>

namespace {
TRealClock RealClock;
std::atomic<TClock*> Installed{&RealClock};
}  // namespace

std::uint32_t TRealClock::Now() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TRealClock::SleepMs(std::uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TVirtualClock::TVirtualClock(std::uint32_t start)
    : FTime(start), FDriver(std::this_thread::get_id()) {}

TVirtualClock::~TVirtualClock() { Release(); }

std::uint32_t TVirtualClock::Now() {
  std::lock_guard<std::mutex> g(FLock);
  return static_cast<std::uint32_t>(FTime);
}

void TVirtualClock::Advance(std::uint32_t ms) {
  {
    std::lock_guard<std::mutex> g(FLock);
    FTime += ms;
  }
  FTicked.notify_all();
}

void TVirtualClock::SleepMs(std::uint32_t ms) {
  if (std::this_thread::get_id() == FDriver) {
    Advance(ms);
    return;
  }
  std::unique_lock<std::mutex> g(FLock);
  const std::uint64_t wake = FTime + ms;
  FTicked.wait(g, [&] { return FReleased || FTime >= wake; });
}

void TVirtualClock::Release() {
  {
    std::lock_guard<std::mutex> g(FLock);
    FReleased = true;
  }
  FTicked.notify_all();
}

void SetClock(TClock* clock) { Installed.store(clock ? clock : &RealClock); }
TClock& CurrentClock() { return *Installed.load(); }
std::uint32_t timeGetTime() { return CurrentClock().Now(); }
void Sleep(std::uint32_t ms) { CurrentClock().SleepMs(ms); }
