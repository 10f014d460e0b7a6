#pragma once
// The timing rules of a round: the speed setting's constant, the frame period
// and balloon speed it gives on this machine, the round clock, the start-up
// speed test's frame time and the shelter's first motion. No window here.
// Game thread only (ShelterMotion uses the process-wide generator).
#include <QString>
#include <cstdint>

// A round lasts at most this many milliseconds.
constexpr std::uint32_t RoundLength = 90000;

// The speed constant s of a speed setting: 144.0, 64.0, 20.0, 8.0, 3.8 for
// 0 "Slowest" .. 4 "Ultra"; any other index 64.0. A balloon covers about
// 1/sqrt(s) pixels per millisecond before its size and scale factors.
double SpeedConstant(int SpeedIndex);

// Frame period and balloon speed of a round.
struct TRoundPace {
  int FramePeriod = 0;  // milliseconds per frame
  double Speed = 0.0;   // pixels per frame before size and scale factors
};

// FrameTime: the speed test's milliseconds per frame plus 4 (>= 4 in practice).
// When FrameTime^2 >= 9*s (the machine needs at least 3*sqrt(s) ms per frame):
// period FrameTime and speed FrameTime/sqrt(s); otherwise period
// Round(3*sqrt(s)) and speed 3. A FrameTime of 0 or less counts as a fast machine.
TRoundPace RoundPace(int FrameTime, int SpeedIndex);

// Milliseconds left of a round that began at RoundStart when the clock reads
// Now (both timeGetTime values): RoundLength - elapsed, or 0 once RoundLength ms have
// passed. Elapsed is Now - RoundStart modulo 2^32, so the clock's wrap is harmless.
std::uint32_t RemainingRoundTime(std::uint32_t RoundStart, std::uint32_t Now);

// The round clock's text for Remaining milliseconds: seconds = Round(Remaining/1000)
// (half to even), shown as minutes and seconds each padded with spaces to two
// places: 90000 -> " 1:30", 65000 -> " 1: 5", 0 -> " 0: 0".
QString ClockText(std::uint32_t Remaining);

// The speed test's frame time from the clock before (T0) and after (T1) its
// 200 frames: (T1 - T0) div 200 + 4, unsigned, so a wrap in between is harmless.
int SpeedTestFrameTime(std::uint32_t T0, std::uint32_t T1);

// Whether the speed test warns about jerky movement: FrameTime > 40.
bool FrameTimeWarns(int FrameTime);
// The warning's text.
QString SlowMachineWarning();

// The shelter's step per move at the start of a round, pixels.
struct TShelterMotion {
  int DX = 0;
  int DY = 0;
};

// Speed: the round's balloon speed (TRoundPace::Speed); WindowWidth: the game
// window's width in pixels. With r = Speed/2 * WindowWidth/DesignWidth:
// DX = Random(Round(r + 1)), then its sign; DY = 0 when |DX| > r, else
// Round(sqrt(r^2 - DX^2)), then its sign. So the step is about r long.
// Random draws, in order: Random(Round(r + 1)), Random(2) for DX's sign,
// Random(2) for DY's sign (drawn also when DY is 0). A sign draw of 0 makes
// the value negative, 1 leaves it positive.
TShelterMotion ShelterMotion(double Speed, int WindowWidth);
