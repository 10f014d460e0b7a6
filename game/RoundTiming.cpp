#include "game/RoundTiming.h"

#include <cmath>
#include <cstdlib>

#include "game/Design.h"
#include "platform/Random.h"
#include "platform/Types.h"

double SpeedConstant(int SpeedIndex) {
  switch (SpeedIndex) {
    case 0: return 144.0;
    case 1: return 64.0;
    case 2: return 20.0;
    case 3: return 8.0;
    case 4: return 3.8;
    default: return 64.0;
  }
}

TRoundPace RoundPace(int FrameTime, int SpeedIndex) {
  const long double s = SpeedConstant(SpeedIndex);
  const long double root = std::sqrt(s);
  // The square in floating point: an Integer square would overflow for a
  // machine that measured more than 46 s per frame.
  const long double t = FrameTime;
  if (FrameTime > 0 && t * t >= 9.0L * s)
    return {FrameTime, static_cast<double>(t / root)};
  return {Round(3.0L * root), 3.0};
}

std::uint32_t RemainingRoundTime(std::uint32_t RoundStart, std::uint32_t Now) {
  const std::uint32_t elapsed = Now - RoundStart;
  return elapsed < RoundLength ? RoundLength - elapsed : 0;
}

QString ClockText(std::uint32_t Remaining) {
  const int seconds = Round(static_cast<long double>(Remaining) / 1000.0L);
  return QStringLiteral("%1:%2").arg(seconds / 60, 2).arg(seconds % 60, 2);
}

int SpeedTestFrameTime(std::uint32_t T0, std::uint32_t T1) {
  return static_cast<int>((T1 - T0) / 200u + 4u);
}

bool FrameTimeWarns(int FrameTime) { return FrameTime > 40; }

QString SlowMachineWarning() {
  return QStringLiteral(
      "You'll have jerky balloon movement at higher speeds. "
      "See \"Troubleshooting\" in Help for a possible fix.");
}

TShelterMotion ShelterMotion(double Speed, int WindowWidth) {
  const long double g = static_cast<long double>(WindowWidth) / DesignWidth;
  const long double r = static_cast<long double>(Speed) / 2.0L * g;
  TShelterMotion m;
  m.DX = Random(Round(r + 1.0L));
  m.DX *= Random(2) * 2 - 1;
  if (std::abs(m.DX) > r)
    m.DY = 0;
  else
    m.DY = Round(std::sqrt(r * r - static_cast<long double>(m.DX) * m.DX));
  m.DY *= Random(2) * 2 - 1;
  return m;
}
