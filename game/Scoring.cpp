#include "game/Scoring.h"

#include "game/RoundTiming.h"
#include "platform/Random.h"
#include "platform/Types.h"

int TimeBonus(int SpeedIndex, std::uint32_t RoundTime, int Base) {
  // Signed on purpose: an unsigned RoundLength - RoundTime would turn an
  // over-long round into a bonus of millions instead of a small negative one.
  const long double remaining = static_cast<long double>(RoundLength) - static_cast<long double>(RoundTime);
  const long double factor = 4.5L * SpeedIndex + 3.5L;
  return Round(factor * (remaining / 2000.0L) / 3.0L) + Base;
}

TScoredHeadline ScoredHeadline(int BalloonsDown, int RoundHits) {
  if (BalloonsDown == 9) return {QStringLiteral("Right!"), QString(), 10, true};
  if (RoundHits >= 20)
    return {QStringLiteral("Sorry, time's up,"), QStringLiteral("but what a great job!"), 0, false};
  return {QStringLiteral("Sorry,"), QStringLiteral("time's up."), 0, false};
}

bool RepeatLostRound(int RoundHits) {
  // The draw happens only past 25 hits, so that short rounds leave the random
  // stream untouched.
  return RoundHits > 25 && Random(3) > 0;
}
