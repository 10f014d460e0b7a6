#pragma once
// How loud the game's sounds are to a listener, by EBU R 128 (measured with
// libebur128), and the range each kind of sound must keep. Shared by the
// generator, which refuses to write a set that leaves its ranges, and by the
// test that checks the embedded files the same way.
//
// Header only, so that the test can use it without linking the generator.
// Everything here is plain computation on samples; any thread.
#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace soundgen {

// Loudness of one sound in LUFS (-inf for silence).
//   Integrated: the gated programme loudness. A sound shorter than one 400 ms
//     gating block is measured followed by silence up to the block, which is
//     what a listener hears of it.
//   ShortTerm: the loudest 3 s window, read every 100 ms.
//   Momentary: the loudest 400 ms window, read every 100 ms.
struct TLoudness {
  double Integrated = -HUGE_VAL;
  double ShortTerm = -HUGE_VAL;
  double Momentary = -HUGE_VAL;
};

// samples: mono, in [-1, 1]; rate in Hz. Throws std::runtime_error when the
// library cannot be set up (no memory, a rate it refuses).
inline TLoudness MeasureLoudness(const std::vector<double>& samples, unsigned long rate) {
  struct TClose {
    void operator()(ebur128_state* s) const { ebur128_destroy(&s); }
  };
  std::unique_ptr<ebur128_state, TClose> st(ebur128_init(1, rate, EBUR128_MODE_I | EBUR128_MODE_S | EBUR128_MODE_M));
  if (!st) throw std::runtime_error("libebur128 cannot measure at " + std::to_string(rate) + " Hz");
  std::vector<double> x = samples;
  // The library's 100 ms step is (rate + 5) / 10 samples; its first gating
  // block is complete after four of them.
  const std::size_t step = std::max<std::size_t>(1, (rate + 5) / 10);
  if (x.size() < 4 * step) x.resize(4 * step, 0.0);
  TLoudness l;
  for (std::size_t at = 0; at < x.size(); at += step) {
    const std::size_t n = std::min(step, x.size() - at);
    if (ebur128_add_frames_double(st.get(), x.data() + at, n) != EBUR128_SUCCESS)
      throw std::runtime_error("libebur128 is out of memory");
    double m = -HUGE_VAL, s = -HUGE_VAL;
    ebur128_loudness_momentary(st.get(), &m);
    ebur128_loudness_shortterm(st.get(), &s);
    l.Momentary = std::max(l.Momentary, m);
    l.ShortTerm = std::max(l.ShortTerm, s);
  }
  ebur128_loudness_global(st.get(), &l.Integrated);
  return l;
}

// What a sound is for decides how loud it may be:
//   Event: the immediate answers to play (shots, pops, the glass, the nuke,
//     the crash of a lost round, the giggle), heard many times a round.
//   Reward: praise (applause, fanfare, revival, chimes): never weaker than a miss.
//   Music: the tune at the start and the drum roll before a problem.
enum class TSoundKind { Event, Reward, Music };

struct TLoudnessRange {
  TSoundKind Kind;
  const char* Name;
  double Low, High;  // integrated loudness in LUFS, both inclusive
};

// Each range is wide enough for honest variety inside a kind and narrow
// enough that no sound jumps out of the set or gets lost in it.
inline constexpr TLoudnessRange LoudnessRanges[] = {
    {TSoundKind::Event, "event", -30.0, -12.0},
    {TSoundKind::Reward, "reward", -22.0, -12.0},
    {TSoundKind::Music, "music", -22.0, -12.0},
};

// The kind of each of the fourteen sounds, by resource name.
inline TSoundKind KindOf(std::string_view name) {
  static const std::map<std::string_view, TSoundKind> kinds{
      {"SOFTSHOT", TSoundKind::Event},  {"MEDIUMSHOT", TSoundKind::Event}, {"LOUDSHOT", TSoundKind::Event},
      {"GLASS", TSoundKind::Event},     {"WHOOSH", TSoundKind::Event},     {"NUKE", TSoundKind::Event},
      {"CRASH", TSoundKind::Event},     {"KICHER", TSoundKind::Event},     {"APPLAUSE", TSoundKind::Reward},
      {"BONUS", TSoundKind::Reward},    {"REVIVE", TSoundKind::Reward},    {"CHIMES", TSoundKind::Reward},
      {"ENTRY", TSoundKind::Music},     {"DRUMROLL", TSoundKind::Music},
  };
  const auto it = kinds.find(name);
  if (it == kinds.end()) throw std::invalid_argument("no such sound: " + std::string(name));
  return it->second;
}

inline const TLoudnessRange& RangeOf(TSoundKind kind) {
  for (const TLoudnessRange& r : LoudnessRanges)
    if (r.Kind == kind) return r;
  throw std::invalid_argument("no range for this kind");
}

// The loudest an event may be above the loud pop, in integrated and in
// momentary loudness: a nuke or a crash may be bigger than a pop, but not so
// much that a pop sounds feeble beside it. Rewards are held to at least the
// miss in both measures.
inline constexpr double EventAbovePopLu = 6.0;
// How much louder than a miss (the whoosh alone) even the softest pop must be,
// in integrated and in momentary loudness: a hit has to sound like a reward.
inline constexpr double PopAboveMissLu = 2.0;

// Every way the measured set leaves its ranges, one line each; empty when
// all is well. measured holds the fourteen sounds by resource name.
inline std::vector<std::string> LoudnessProblems(const std::map<std::string, TLoudness>& measured) {
  std::vector<std::string> problems;
  auto say = [&](const char* fmt, const std::string& name, double a, double b, double c = 0) {
    char line[200];
    std::snprintf(line, sizeof line, fmt, name.c_str(), a, b, c);
    problems.emplace_back(line);
  };
  auto find = [&](const char* name) -> const TLoudness* {
    const auto it = measured.find(name);
    if (it == measured.end()) problems.emplace_back(std::string(name) + " was not measured");
    return it == measured.end() ? nullptr : &it->second;
  };
  const TLoudness* pop = find("LOUDSHOT");
  const TLoudness* miss = find("WHOOSH");
  for (const auto& [name, l] : measured) {
    const TLoudnessRange& r = RangeOf(KindOf(name));
    if (!(l.Integrated >= r.Low && l.Integrated <= r.High))
      say("%s: %.1f LUFS, outside its range %.1f to %.1f LUFS", name, l.Integrated, r.Low, r.High);
    if (pop && r.Kind == TSoundKind::Event) {
      if (l.Integrated > pop->Integrated + EventAbovePopLu)
        say("%s: %.1f LUFS integrated, more than 6 LU above the pop (%.1f LUFS)", name, l.Integrated,
            pop->Integrated);
      if (l.Momentary > pop->Momentary + EventAbovePopLu)
        say("%s: %.1f LUFS momentary, more than 6 LU above the pop (%.1f LUFS)", name, l.Momentary,
            pop->Momentary);
    }
    if (miss && r.Kind == TSoundKind::Reward) {
      if (l.Integrated < miss->Integrated)
        say("%s: %.1f LUFS integrated, quieter than a miss (%.1f LUFS)", name, l.Integrated, miss->Integrated);
      if (l.Momentary < miss->Momentary)
        say("%s: %.1f LUFS momentary, quieter than a miss (%.1f LUFS)", name, l.Momentary, miss->Momentary);
    }
  }
  if (miss) {
    for (const char* shot : {"SOFTSHOT", "MEDIUMSHOT", "LOUDSHOT"}) {
      const TLoudness* l = find(shot);
      if (!l) continue;
      if (l->Integrated < miss->Integrated + PopAboveMissLu)
        say("%s: %.1f LUFS integrated, not clearly above the miss (%.1f LUFS)", shot, l->Integrated,
            miss->Integrated);
      if (l->Momentary < miss->Momentary + PopAboveMissLu)
        say("%s: %.1f LUFS momentary, not clearly above the miss (%.1f LUFS)", shot, l->Momentary,
            miss->Momentary);
    }
  }
  return problems;
}

}  // namespace soundgen
