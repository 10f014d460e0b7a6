#pragma once
// Small building blocks for the synthesis: a seeded noise source, resonant
// filters whose frequency may change every sample, envelopes and finishing.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace soundgen {

inline constexpr double Pi = 3.14159265358979323846;
using TSignal = std::vector<double>;

// Deterministic noise, so every run writes the same files.
class TRng {
public:
  explicit TRng(std::uint64_t seed) : FState(seed * 0x9E3779B97F4A7C15ull + 1) {}
  double Uniform() {  // [0, 1)
    FState ^= FState >> 12;
    FState ^= FState << 25;
    FState ^= FState >> 27;
    return double((FState * 0x2545F4914F6CDD1Dull) >> 11) / double(1ull << 53);
  }
  double Noise() { return 2 * Uniform() - 1; }                  // [-1, 1)
  double Range(double a, double b) { return a + (b - a) * Uniform(); }

private:
  std::uint64_t FState;
};

// A two-pole filter after the well-known audio cookbook formulas; Set* may be
// called for every sample to sweep it.
class TBiquad {
public:
  void SetBandPass(double fs, double f, double q) {  // 0 dB at the centre
    const double w = 2 * Pi * std::min(f, 0.45 * fs) / fs, a = std::sin(w) / (2 * q);
    Set(a, 0, -a, 1 + a, -2 * std::cos(w), 1 - a);
  }
  void SetLowPass(double fs, double f, double q = 0.7071) {
    const double w = 2 * Pi * std::min(f, 0.45 * fs) / fs, a = std::sin(w) / (2 * q), c = std::cos(w);
    Set((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + a, -2 * c, 1 - a);
  }
  void SetHighPass(double fs, double f, double q = 0.7071) {
    const double w = 2 * Pi * std::min(f, 0.45 * fs) / fs, a = std::sin(w) / (2 * q), c = std::cos(w);
    Set((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + a, -2 * c, 1 - a);
  }
  double operator()(double x) {
    const double y = B0 * x + B1 * X1 + B2 * X2 - A1 * Y1 - A2 * Y2;
    X2 = X1;
    X1 = x;
    Y2 = Y1;
    Y1 = y;
    return y;
  }

private:
  void Set(double b0, double b1, double b2, double a0, double a1, double a2) {
    B0 = b0 / a0, B1 = b1 / a0, B2 = b2 / a0, A1 = a1 / a0, A2 = a2 / a0;
  }
  double B0 = 1, B1 = 0, B2 = 0, A1 = 0, A2 = 0, X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;
};

// Rises over attack seconds (raised cosine) and then decays with time constant tau.
inline double Strike(double t, double attack, double tau) {
  if (t < 0) return 0;
  const double rise = t < attack ? 0.5 - 0.5 * std::cos(Pi * t / attack) : 1.0;
  return rise * std::exp(-std::max(0.0, t - attack) / tau);
}

// Raised-cosine window from 0 to 1 over [a, b].
inline double Ramp(double t, double a, double b) {
  if (t <= a) return 0;
  if (t >= b) return 1;
  return 0.5 - 0.5 * std::cos(Pi * (t - a) / (b - a));
}

// Equal temperament: the frequency of a MIDI note (69 = A4 = 440 Hz).
inline double Note(double midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// Adds a decaying sine partial starting at t0 (seconds).
inline void AddPartial(TSignal& s, double fs, double t0, double f, double amp, double tau, double attack = 0.002,
                       double phase = 0) {
  if (f >= 0.48 * fs) return;
  const std::size_t from = std::size_t(std::max(0.0, t0 * fs));
  for (std::size_t i = from; i < s.size(); ++i) {
    const double t = double(i) / fs - t0;
    const double e = Strike(t, attack, tau);
    if (t > attack && e < 1e-5) break;
    s[i] += amp * e * std::sin(2 * Pi * f * t + phase);
  }
}

// Fades the ends (raised cosine), removes any offset and scales to the peak.
inline void Finish(TSignal& s, double fs, double fadeIn, double fadeOut, double peak) {
  double mean = 0;
  for (double x : s) mean += x;
  mean /= double(s.size());
  for (double& x : s) x -= mean;
  const double n = double(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = double(i) / fs, left = (n - 1 - double(i)) / fs;
    s[i] *= Ramp(t, 0, fadeIn) * Ramp(left, 0, fadeOut);
  }
  double top = 0;
  for (double x : s) top = std::max(top, std::abs(x));
  if (top > 0)
    for (double& x : s) x *= peak / top;
}

}  // namespace soundgen
