#include "platform/Random.h"

#include <chrono>

namespace {
std::uint32_t Seed = 0;

std::uint32_t Next() {
  Seed = Seed * 0x08088405u + 1u;
  return Seed;
}
}  // namespace

int Random(int n) {
  const std::uint32_t r = Next();
  if (n <= 0) return 0;
  return static_cast<int>((static_cast<std::uint64_t>(r) * static_cast<std::uint32_t>(n)) >> 32);
}

double Random() { return Next() * (1.0 / 4294967296.0); }

void RandSeed(std::uint32_t seed) { Seed = seed; }
std::uint32_t CurrentRandSeed() { return Seed; }

void Randomize() {
  // The low 32 bits of a high-resolution counter.
  Seed = static_cast<std::uint32_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count());
}
