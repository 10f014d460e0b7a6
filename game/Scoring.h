#pragma once
// The rules that score a finished round: the time bonus, the headline of a
// scored round and whether a lost round is given again. No window here; the
// game window shows the texts and adds the points.
// Game thread only (RepeatLostRound uses the process-wide generator).
#include <QString>
#include <cstdint>

// Time bonus of a scored round:
//   Round((4.5 * SpeedIndex + 3.5) * ((RoundLength - RoundTime) / 2000) / 3) + Base
// computed in extended precision and rounded half to even.
//   SpeedIndex  the speed setting, 0 "Slowest" .. 4 "Ultra" (used as given).
//   RoundTime   milliseconds the round took, 0..RoundLength (RoundLength: time ran out);
//               a larger value gives a negative time part, not a wrapped one.
//   Base        10 when all wrong balloons went down, else 0 (see TScoredHeadline).
int TimeBonus(int SpeedIndex, std::uint32_t RoundTime, int Base);

// The first banner of a scored round and what goes with it.
struct TScoredHeadline {
  QString Line1;
  QString Line2;   // may be empty
  int Base = 0;    // base of the time bonus
  bool Success = false;  // all wrong balloons down: the success sound plays
};

// BalloonsDown = 9 (every wrong balloon down): "Right!" / "", base 10, success.
// Otherwise the time ran out: with RoundHits >= 20 "Sorry, time's up," /
// "but what a great job!", else "Sorry," / "time's up."; base 0.
TScoredHeadline ScoredHeadline(int BalloonsDown, int RoundHits);

// Whether a lost round is played again: RoundHits > 25 and then Random(3) > 0
// (two chances in three). With 25 hits or fewer no random number is drawn.
bool RepeatLostRound(int RoundHits);
