#pragma once
// The game's fourteen sound events and sequences of them: plain values that the
// rules queue without playing anything (sound/SoundEffects.h plays them).
#include <cstdint>
#include <vector>

enum TSoundEvent : std::uint8_t {
  seSmallBalloonHit,   // "SOFTSHOT", 44 ms
  seMediumBalloonHit,  // "MEDIUMSHOT", 36 ms
  seLargeBalloonHit,   // "LOUDSHOT", 28 ms
  seShelterHit,        // "GLASS", 28 ms
  seShoot,             // "WHOOSH", 0 ms
  seNuke,              // "NUKE", 80 ms
  seFailure,           // "CRASH", 100 ms
  seSuccess,           // "APPLAUSE", 140 ms
  seStart,             // "DRUMROLL", 100 ms
  seHighscore,         // "CHIMES", 100 ms
  seEntry,             // "ENTRY", 50 ms
  seBonus,             // "BONUS", 134 ms
  seRevive,            // "REVIVE", 134 ms
  seKicher,            // "KICHER", 450 ms
};
inline constexpr int SoundEventCount = 14;

// A sequence of events, played in order.
using TSoundArray = std::vector<TSoundEvent>;
