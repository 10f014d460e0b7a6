#pragma once
// The process-wide random generator of the game (one linear congruential
// sequence, as the game's rules assume a single stream of draws).
// Used on the game's thread only.
#include <cstdint>

// A uniform whole number 0..n-1; 0 when n <= 0 (an empty range draws nothing).
int Random(int n);
// A uniform real in [0, 1).
double Random();
// Sets the seed: tests make games repeatable with it.
void RandSeed(std::uint32_t seed);
std::uint32_t CurrentRandSeed();
// Seeds from the clock (start-up).
void Randomize();
