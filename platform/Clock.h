#pragma once
// The game's one clock: milliseconds of an unsigned 32-bit counter that wraps,
// and blocking sleeps. Everything that paces the game goes through here so that
// tests can run a whole game on a virtual clock.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class TClock {
public:
  virtual ~TClock() = default;
  // Milliseconds since an arbitrary start; wraps at 2^32.
  virtual std::uint32_t Now() = 0;
  // Blocks the calling thread for ms milliseconds of this clock.
  virtual void SleepMs(std::uint32_t ms) = 0;
};

// The monotonic clock of the machine.
class TRealClock final : public TClock {
public:
  std::uint32_t Now() override;
  void SleepMs(std::uint32_t ms) override;
};

// Virtual time for tests. The driving thread (the one that created the clock,
// normally the game's thread) advances time at once when it sleeps. Any other
// thread (a sound thread) that sleeps waits until the driver's time has reached
// its wake-up time, so worker threads follow the game's virtual timeline.
// Release() (also run by the destructor) lets every waiting thread go.
class TVirtualClock final : public TClock {
public:
  explicit TVirtualClock(std::uint32_t start = 1000);
  ~TVirtualClock() override;
  std::uint32_t Now() override;
  void SleepMs(std::uint32_t ms) override;
  // Moves time forward by ms (from any thread) and wakes the sleepers due.
  void Advance(std::uint32_t ms);
  void Release();
  std::thread::id Driver() const { return FDriver; }
  void SetDriver(std::thread::id id) { FDriver = id; }

private:
  std::mutex FLock;
  std::condition_variable FTicked;
  std::uint64_t FTime;  // 64 bits inside, so waits across the 32-bit wrap are ordered
  bool FReleased = false;
  std::thread::id FDriver;
};

// Installs a clock for the whole process (not owned); nullptr restores the real one.
void SetClock(TClock* clock);
TClock& CurrentClock();

// Milliseconds of the current clock.
std::uint32_t timeGetTime();
// Blocks the calling thread for ms milliseconds of the current clock.
void Sleep(std::uint32_t ms);
