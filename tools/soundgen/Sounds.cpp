#include "Sounds.h"

#include <array>

namespace soundgen {

std::size_t Length(double ms, double rate) { return std::size_t(std::floor(ms * rate / 1000.0 + 0.5)); }

const std::vector<TSoundSpec>& SoundSpecs() {
  // The loudness of each sound follows its part in the game: the pops are the
  // reference, the whoosh sits well below the softest pop, the nuke and the
  // crash a little above the loud pop, rewards and music in between.
  static const std::vector<TSoundSpec> recipes{
      {"SOFTSHOT", 1, 11025, 8, 397, 0},     {"MEDIUMSHOT", 1, 11025, 8, 397, 0},
      {"LOUDSHOT", 1, 11025, 8, 397, 0},     {"GLASS", 1, 11025, 8, 223, -17},
      {"WHOOSH", 1, 11025, 8, 155, -25},     {"NUKE", 1, 11025, 8, 804, -14},
      {"CRASH", 1, 22050, 16, 1800, -20},    {"APPLAUSE", 1, 11025, 16, 3294, -17},
      {"DRUMROLL", 1, 11025, 8, 1758, -20},  {"CHIMES", 1, 22050, 16, 1689, -15},
      {"ENTRY", 1, 22050, 16, 4853, -15},    {"BONUS", 2, 22050, 4, 2680, -15},
      {"REVIVE", 1, 22050, 16, 660, -15},    {"KICHER", 1, 16000, 16, 938, -16},
  };
  return recipes;
}

// A dart leaving the gun: a bright "tsk" of air at the release, then the
// rush of the dart flying away, its pitch falling as it goes and its feathers
// fluttering. All of its body lies in the first 25 ms, because a hit cuts it
// after 28 to 44 ms; a miss hears the tail fade.
TSignal Whoosh(double fs, std::size_t n) {
  TSignal s(n);
  TRng rng(4);
  TBiquad low, high, tick;
  tick.SetHighPass(fs, 2000);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = double(i) / fs;
    const double fc = 520 + 1100 * std::exp(-t / 0.045);  // 1620 Hz falling towards 520 Hz
    low.SetBandPass(fs, fc, 1.6);
    high.SetBandPass(fs, fc * 2.0, 3.0);
    const double noise = rng.Noise();
    // Full within a millisecond and a half, held through the first 20 ms.
    const double env = Ramp(t, 0, 0.0015) * (t < 0.02 ? 1.0 : std::exp(-(t - 0.02) / 0.038));
    const double flutter = 1 - 0.22 * (0.5 + 0.5 * std::sin(2 * Pi * 75 * t));
    const double release = tick(noise) * Strike(t, 0.0002, 0.0025);
    s[i] = env * flutter * (low(noise) + 0.3 * high(noise)) + 0.5 * release;
  }
  Finish(s, fs, 0.0004, 0.01, 0.8);
  return s;
}

// A rubber balloon bursting: a sharp, bright crack of the skin tearing, the
// snap of the rubber, the rush of the escaping air, a short thump and two
// flaps of the torn skin, and a small room after it. Softly saturated so that
// it is dense and loud for its peak: it must outshine the whoosh even at 0.36.
TSignal Pop(double fs, std::size_t n) {
  TSignal s(n);
  TRng rng(1);
  TBiquad crackHp, snapLp, bodyBp, roomLp, flapBp;
  crackHp.SetHighPass(fs, 2000);
  snapLp.SetLowPass(fs, 4800);
  bodyBp.SetBandPass(fs, 1900, 0.9);
  roomLp.SetLowPass(fs, 3200);
  flapBp.SetBandPass(fs, 1700, 2.5);
  double phase = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = double(i) / fs;
    const double noise = rng.Noise();
    const double crack = crackHp(noise) * Strike(t, 0.0002, 0.007);
    const double snap = snapLp(noise) * Strike(t, 0.0004, 0.016);
    const double body = bodyBp(noise) * Strike(t, 0.001, 0.045);
    phase += 2 * Pi * (95 + 95 * std::exp(-t / 0.018)) / fs;  // 190 Hz falling to 95 Hz
    const double thump = std::sin(phase) * Strike(t, 0.001, 0.04);
    const double flap = flapBp(noise) * (Strike(t - 0.016, 0.002, 0.010) + 0.6 * Strike(t - 0.034, 0.002, 0.012));
    const double room = roomLp(noise) * Strike(t - 0.003, 0.008, 0.085);
    const double mix = 2.2 * crack + 0.9 * snap + 0.9 * body + 0.3 * thump + 0.5 * flap + 0.22 * room;
    s[i] = std::tanh(1.6 * mix);
  }
  Finish(s, fs, 0.0003, 0.05, 0.93);
  return s;
}

// A dart clinking on a glass pane: a bright tick, then the pane's ring. Its
// modes lie at 1 : 2.32 : 3.30 : 3.87 : 4.41 of the lowest, far from any
// harmonic series, and each is a close pair whose beating makes it shimmer;
// the high modes die within a few tens of milliseconds, the low ones ring on.
// A lighter second tap follows as the dart bounces off.
TSignal Glass(double fs, std::size_t n) {
  TSignal s(n);
  TRng rng(3);
  struct TMode { double Ratio, Amp, Tau; };
  const TMode modes[] = {
      {1.0, 0.55, 0.13}, {2.32, 1.0, 0.085}, {3.30, 0.55, 0.045}, {3.87, 0.6, 0.03}, {4.41, 0.4, 0.02},
  };
  const double lowest = 1180;
  const double taps[][2] = {{0.0, 1.0}, {0.07, 0.3}};
  for (const auto& tap : taps) {
    for (const TMode& m : modes) {
      const double f = lowest * m.Ratio * (tap[0] > 0 ? 1.003 : 1.0);
      AddPartial(s, fs, tap[0], f, m.Amp * tap[1], m.Tau, 0.0003, rng.Range(0, 2 * Pi));
      AddPartial(s, fs, tap[0], f * 1.0065, 0.45 * m.Amp * tap[1], m.Tau * 0.8, 0.0003, rng.Range(0, 2 * Pi));
    }
    TBiquad hp;
    hp.SetHighPass(fs, 3000);
    for (std::size_t i = std::size_t(tap[0] * fs); i < n; ++i) {
      const double t = double(i) / fs - tap[0];
      if (t > 0.01) break;
      s[i] += 0.9 * tap[1] * hp(rng.Noise()) * Strike(t, 0.0002, 0.0012);
    }
  }
  Finish(s, fs, 0.0003, 0.03, 0.8);
  return s;
}

// A cartoon boom: a crack, a deep thud falling 160 to 50 Hz, a roar whose
// weight sits between 150 and 600 Hz (where laptop and tablet speakers still
// play) falling in pitch as it fades, a low rumble, and crackling debris.
// Softly saturated, which also gives the thud overtones small speakers can play.
TSignal Nuke(double fs, std::size_t n) {
  TSignal s(n);
  TRng rng(5);
  TBiquad blastLp, body1, body2, rumble1, rumble2, debris;
  blastLp.SetLowPass(fs, 3500);
  rumble1.SetLowPass(fs, 150, 0.8);
  rumble2.SetLowPass(fs, 150, 0.8);
  debris.SetBandPass(fs, 1800, 1.2);
  double phase = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = double(i) / fs;
    const double noise = rng.Noise();
    const double blast = blastLp(noise) * Strike(t, 0.001, 0.02);
    const double fc = 180 + 340 * std::exp(-t / 0.15);  // 520 Hz falling towards 180 Hz
    body1.SetBandPass(fs, fc, 1.0);
    body2.SetBandPass(fs, fc * 1.25, 1.0);
    const double roar = body2(body1(noise)) * Strike(t, 0.005, 0.2);
    const double rumble = rumble2(rumble1(noise)) * Strike(t, 0.01, 0.3);
    phase += 2 * Pi * (50 + 110 * std::exp(-t / 0.1)) / fs;
    const double thud = std::sin(phase) * Strike(t, 0.004, 0.25);
    const double spark = rng.Uniform() < 0.02 * std::exp(-t / 0.25) ? rng.Noise() : 0.0;
    const double crackle = debris(spark * 6) * Ramp(t, 0.02, 0.06);
    const double mix = 0.6 * blast + 5.0 * roar + 0.7 * rumble + 0.55 * thud + 0.2 * crackle;
    s[i] = std::tanh(1.6 * mix);
  }
  Finish(s, fs, 0.002, 0.12, 0.8);
  return s;
}

namespace {
// One metal clank: a handful of inharmonic modes of a pot or lid, and a tick.
void AddClank(TSignal& s, double fs, TRng& rng, double t0, double amp, double pitch, double tau) {
  const double ratios[] = {1.0, 1.71, 2.62, 3.72, 5.1, 6.8};
  for (int k = 0; k < 6; ++k)
    AddPartial(s, fs, t0, pitch * ratios[k] * rng.Range(0.985, 1.015), amp * (k == 0 ? 0.8 : 0.9 / (1 + 0.4 * k)),
               tau / (1 + 0.35 * k), 0.0006, rng.Range(0, 2 * Pi));
  TBiquad bp;
  bp.SetBandPass(fs, 2500, 0.8);
  for (std::size_t i = std::size_t(t0 * fs); i < s.size(); ++i) {
    const double t = double(i) / fs - t0;
    if (t > 0.03) break;
    s[i] += amp * 0.9 * bp(rng.Noise()) * Strike(t, 0.0004, 0.006);
  }
}
}  // namespace

// Something big falls over: a loud crash of noise and metal, then a pot lid
// bouncing ever faster and lower, with a few bits of glass tinkling.
TSignal Crash(double fs, std::size_t n) {
  TSignal s(n);
  TRng rng(6);
  TBiquad lp, hp;
  lp.SetLowPass(fs, 5000);
  hp.SetHighPass(fs, 120);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = double(i) / fs;
    s[i] = 0.9 * hp(lp(rng.Noise())) * (Strike(t, 0.002, 0.09) + 0.35 * Strike(t, 0.002, 0.35));
  }
  AddClank(s, fs, rng, 0.0, 0.9, 310, 0.5);
  AddClank(s, fs, rng, 0.012, 0.6, 455, 0.35);
  // The lid: each bounce comes sooner and softer, as a real one does.
  double t = 0.34, gap = 0.24, amp = 0.6;
  while (t < 1.45 && amp > 0.05) {
    AddClank(s, fs, rng, t, amp, 520 * rng.Range(0.97, 1.03), 0.12);
    t += gap;
    gap *= 0.74;
    amp *= 0.8;
  }
  for (int k = 0; k < 14; ++k) {  // glass crumbs
    const double at = rng.Range(0.05, 1.0);
    AddPartial(s, fs, at, rng.Range(2800, 6500), 0.12 * rng.Range(0.4, 1.0), rng.Range(0.02, 0.06), 0.0005);
  }
  Finish(s, fs, 0.001, 0.25, 0.89);
  return s;
}

// A room of children clapping: each clapper has an own pace, hand size (the
// pitch of the clap) and loudness; they join in within the first moments and
// stop one by one at the end.
TSignal Applause(double fs, std::size_t n) {
  TSignal s(n);
  TRng rng(7);
  const double T = double(n) / fs;
  for (int c = 0; c < 30; ++c) {
    const double period = rng.Range(0.19, 0.3);
    const double centre = rng.Range(700, 2300), q = rng.Range(0.9, 1.6);
    const double loud = rng.Range(0.45, 1.0);
    const double stop = T - rng.Range(0.15, 1.3);
    double at = rng.Range(0.0, 0.35);
    TBiquad bp;
    bp.SetBandPass(fs, centre, q);
    TBiquad hp;
    hp.SetHighPass(fs, 350);
    while (at < stop) {
      const double a = loud * rng.Range(0.7, 1.0) * (0.55 + 0.45 * Ramp(at, 0, 0.5));
      const double tau = rng.Range(0.006, 0.013);
      for (std::size_t i = std::size_t(at * fs); i < n; ++i) {
        const double t = double(i) / fs - at;
        if (t > 0.08) break;
        s[i] += a * hp(bp(rng.Noise())) * Strike(t, 0.0008, tau);
      }
      at += period * rng.Range(0.88, 1.12);
    }
  }
  Finish(s, fs, 0.01, 0.3, 0.85);
  return s;
}

// A snare drum roll growing louder and faster, ending in a bass drum and cymbal
// hit: "ta-da!" before the next problem.
TSignal DrumRoll(double fs, std::size_t n) {
  TSignal s(n);
  TRng rng(8);
  const double rollEnd = 1.38;
  auto stroke = [&](double t0, double amp) {
    TBiquad wires, hp;
    wires.SetBandPass(fs, 3200, 0.7);
    hp.SetHighPass(fs, 800);
    const double f = rng.Range(180, 195);
    for (std::size_t i = std::size_t(t0 * fs); i < n; ++i) {
      const double t = double(i) / fs - t0;
      if (t > 0.2) break;
      const double noise = hp(wires(rng.Noise())) * Strike(t, 0.0006, 0.028);
      const double body = std::sin(2 * Pi * f * t) * Strike(t, 0.0006, 0.022);
      s[i] += amp * (1.3 * noise + 0.55 * body);
    }
  };
  double t = 0.0;
  bool left = true;
  while (t < rollEnd) {
    const double x = t / rollEnd;
    stroke(t, (0.45 + 0.55 * x * x) * (left ? 1.0 : 0.86) * rng.Range(0.92, 1.0));
    t += 0.058 - 0.02 * x + rng.Range(-0.002, 0.002);
    left = !left;
  }
  // The final hit.
  double phase = 0;
  TBiquad cym, cymHp;
  cym.SetHighPass(fs, 2600);
  cymHp.SetHighPass(fs, 2000);
  for (std::size_t i = std::size_t(rollEnd * fs); i < n; ++i) {
    const double u = double(i) / fs - rollEnd;
    phase += 2 * Pi * (55 + 60 * std::exp(-u / 0.03)) / fs;
    s[i] += 1.1 * std::sin(phase) * Strike(u, 0.001, 0.12);
    s[i] += 0.7 * cymHp(cym(rng.Noise())) * Strike(u, 0.001, 0.16);
  }
  stroke(rollEnd, 1.0);
  Finish(s, fs, 0.001, 0.06, 0.9);
  return s;
}

namespace {
// A struck metal bar or bell: the ratios of a free bar's modes, with an octave
// for sweetness; higher modes die sooner.
void AddBell(TSignal& s, double fs, double t0, double f, double amp, double tau) {
  struct { double Ratio, Amp, TauScale; } modes[] = {
      {1.0, 1.0, 1.0}, {2.0, 0.22, 0.55}, {2.756, 0.3, 0.35}, {5.404, 0.12, 0.15}, {8.933, 0.05, 0.08}};
  for (const auto& m : modes) AddPartial(s, fs, t0, f * m.Ratio, amp * m.Amp, tau * m.TauScale, 0.001);
}
}  // namespace

// A rising arpeggio of bells (C E G C) and a soft repeat of the top: a prize.
TSignal Chimes(double fs, std::size_t n) {
  TSignal s(n);
  const double notes[] = {84, 88, 91, 96};  // C6 E6 G6 C7
  for (int k = 0; k < 4; ++k) AddBell(s, fs, 0.11 * k, Note(notes[k]), 1.0 - 0.08 * k, 0.9);
  AddBell(s, fs, 0.60, Note(91), 0.35, 0.6);
  AddBell(s, fs, 0.68, Note(96), 0.4, 0.7);
  AddBell(s, fs, 0.68, Note(100), 0.25, 0.6);  // E7 over the last C
  Finish(s, fs, 0.001, 0.2, 0.89);
  return s;
}

namespace {
// A band-limited tone from a list of harmonic weights, with vibrato after onset.
void AddTone(TSignal& s, double fs, double t0, double dur, double f, double amp, const std::vector<double>& harm,
             double attack, double release, double vibrato = 0.0) {
  double phase = 0;
  const std::size_t from = std::size_t(t0 * fs);
  for (std::size_t i = from; i < s.size(); ++i) {
    const double t = double(i) / fs - t0;
    if (t > dur + release) break;
    const double vib = 1 + vibrato * Ramp(t, 0.12, 0.3) * std::sin(2 * Pi * 5.5 * t);
    phase += 2 * Pi * f * vib / fs;
    double v = 0;
    for (std::size_t k = 0; k < harm.size(); ++k)
      if (f * double(k + 1) < 0.45 * fs) v += harm[k] * std::sin(double(k + 1) * phase);
    const double env = Ramp(t, 0, attack) * (t < dur ? 1 - 0.25 * Ramp(t, attack, dur) : 0.75 * (1 - Ramp(t, dur, dur + release)));
    s[i] += amp * env * v;
  }
}
}  // namespace

// The program's greeting: a bright four-bar tune in C major over bass, soft
// chords and light percussion, ending on a held chord.
TSignal Entry(double fs, std::size_t n) {
  TSignal s(n);
  TRng rng(10);
  const double e = 60.0 / 180 / 2;  // an eighth at 180 beats per minute
  const std::vector<double> lead{1.0, 0.45, 0.3, 0.18, 0.12, 0.08, 0.05};  // a soft square-ish reed
  const std::vector<double> pad{1.0, 0.1, 0.03};
  const std::vector<double> bass{1.0, 0.5, 0.15, 0.08};
  // Melody in eighths: note, length.
  const std::array<std::pair<int, int>, 22> melody{{
      {72, 1}, {76, 1}, {79, 1}, {84, 2}, {79, 1}, {76, 1}, {79, 1},  // C E G C' . G E G
      {81, 1}, {84, 1}, {89, 2}, {88, 1}, {86, 1}, {83, 1}, {79, 1},  // A C' F' . E' D' B G
      {84, 1}, {83, 1}, {84, 1}, {88, 1}, {91, 1}, {88, 1}, {86, 1}, {84, 9},
  }};
  double t = 0;
  for (const auto& [note, len] : melody) {
    const double dur = len * e * (len > 1 ? 0.95 : 0.8);
    AddTone(s, fs, t, dur, Note(note), 0.32, lead, 0.008, len > 2 ? 0.5 : 0.06, len > 2 ? 0.012 : 0.006);
    t += len * e;
  }
  // Harmony per half bar: C, C, F, G, C (held).
  const int chords[][3] = {{60, 64, 67}, {60, 64, 67}, {60, 65, 69}, {59, 62, 67}, {60, 64, 67}};
  const int roots[] = {36, 43, 41, 43, 36};
  for (int h = 0; h < 5; ++h) {
    const double t0 = h * 4 * e, dur = h == 4 ? 14 * e : 4 * e * 0.95;
    for (int k = 0; k < 3; ++k) AddTone(s, fs, t0, dur, Note(chords[h][k]), 0.07, pad, 0.03, h == 4 ? 0.6 : 0.08);
    for (int b = 0; b < (h == 4 ? 1 : 2); ++b)
      AddTone(s, fs, t0 + b * 2 * e, h == 4 ? dur : 1.6 * e, Note(roots[h] + (b ? 7 : 0)), 0.2, bass, 0.01,
              h == 4 ? 0.6 : 0.05);
  }
  // A kick on each beat and ticks on the eighths, until the final chord.
  for (int k = 0; k < 23; ++k) {
    const double t0 = k * e;
    TBiquad hp;
    hp.SetHighPass(fs, 6000);
    double phase = 0;
    for (std::size_t i = std::size_t(t0 * fs); i < n; ++i) {
      const double u = double(i) / fs - t0;
      if (u > 0.15) break;
      s[i] += 0.06 * (k % 2 ? 0.6 : 1.0) * hp(rng.Noise()) * Strike(u, 0.0005, 0.012);
      if (k % 2 == 0) {
        phase += 2 * Pi * (50 + 70 * std::exp(-u / 0.02)) / fs;
        s[i] += 0.22 * std::sin(phase) * Strike(u, 0.001, 0.05);
      }
    }
  }
  // A cymbal-like shimmer on the last chord.
  TBiquad sh;
  sh.SetHighPass(fs, 5000);
  for (std::size_t i = std::size_t(23 * e * fs); i < n; ++i) {
    const double u = double(i) / fs - 23 * e;
    s[i] += 0.08 * sh(rng.Noise()) * Strike(u, 0.002, 0.5);
  }
  Finish(s, fs, 0.002, 0.35, 0.89);
  return s;
}

namespace {
// A brass note: sawtooth-like harmonics that open up as the note swells.
void AddBrass(TSignal& s, double fs, double t0, double dur, double f, double amp) {
  double phase = 0;
  for (std::size_t i = std::size_t(t0 * fs); i < s.size(); ++i) {
    const double t = double(i) / fs - t0;
    if (t > dur + 0.25) break;
    const double vib = 1 + 0.01 * Ramp(t, 0.15, 0.4) * std::sin(2 * Pi * 5.2 * t);
    phase += 2 * Pi * f * vib / fs;
    const double env = Ramp(t, 0, 0.02) * (t < dur ? 1 - 0.2 * Ramp(t, 0.02, 0.12) : 0.8 * (1 - Ramp(t, dur, dur + 0.25)));
    const double bright = 0.35 + 0.65 * env;
    double v = 0;
    for (int k = 1; k <= 14 && f * k < 0.45 * fs; ++k) v += std::pow(bright, k - 1) * std::sin(k * phase) / k;
    s[i] += amp * env * v;
  }
}
}  // namespace

// A fanfare: "ta-ta-ta taa, ta taaaa", ending on a bright C major chord with a
// sprinkle of glitter.
TSignal Bonus(double fs, std::size_t n) {
  TSignal s(n);
  TRng rng(11);
  struct { double T, Dur; int Notes[3]; } calls[] = {
      {0.00, 0.09, {67, 72, 0}}, {0.12, 0.09, {67, 72, 0}}, {0.24, 0.09, {67, 72, 0}},
      {0.36, 0.42, {72, 76, 79}}, {0.84, 0.14, {71, 74, 79}}, {1.02, 1.2, {72, 76, 84}},
  };
  for (const auto& c : calls)
    for (int k = 0; k < 3; ++k)
      if (c.Notes[k]) AddBrass(s, fs, c.T, c.Dur, Note(c.Notes[k]) * rng.Range(0.998, 1.002), k == 0 ? 0.35 : 0.25);
  for (int k = 0; k < 28; ++k)
    AddPartial(s, fs, rng.Range(1.05, 2.1), rng.Range(3000, 8000), 0.05, rng.Range(0.03, 0.09), 0.001);
  Finish(s, fs, 0.002, 0.3, 0.89);
  return s;
}

// Coming back to life: a warbling tone gliding up three octaves with a fifth
// above it, and a quick sparkle of rising notes.
TSignal Revive(double fs, std::size_t n) {
  TSignal s(n);
  const double T = double(n) / fs;
  double p1 = 0, p2 = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = double(i) / fs, x = t / T;
    const double f = 260 * std::pow(2.0, 3 * std::pow(x, 0.8)) * (1 + 0.03 * std::sin(2 * Pi * 16 * t));
    p1 += 2 * Pi * f / fs;
    p2 += 2 * Pi * f * 1.5 / fs;
    const double env = Ramp(t, 0, 0.03) * (1 - Ramp(t, T - 0.22, T));
    s[i] = env * (0.5 * std::sin(p1) + 0.12 * std::sin(2 * p1) + 0.06 * std::sin(3 * p1) + 0.25 * std::sin(p2));
  }
  const double steps[] = {72, 76, 79, 84, 88, 91, 96};
  for (int k = 0; k < 7; ++k) AddBell(s, fs, 0.05 + 0.07 * k, Note(steps[k]), 0.16, 0.15);
  Finish(s, fs, 0.003, 0.05, 0.85);
  return s;
}

namespace {
// The loudness of a voice's harmonic at frequency f: the resonances of the
// mouth shaping an "ee" of a small child, over a spectrum falling with pitch.
double Formants(double f) {
  struct { double F, B, A; } ee[] = {{420, 110, 1.0}, {2900, 260, 0.5}, {3750, 330, 0.35}, {4950, 400, 0.15}};
  double g = 0.12;
  for (const auto& r : ee) {
    const double d = (f - r.F) / (r.B / 2);
    g += r.A / (1 + d * d);
  }
  return g * std::pow(500.0 / std::max(f, 100.0), 0.6);
}
}  // namespace

// A giggle, "hee-hee-hee-hee-heee": five syllables, each a breathy "h" and a
// voiced "ee" whose pitch jumps up and falls back, wobbling; the last one is
// longer and slides down.
TSignal Kicher(double fs, std::size_t n) {
  TSignal s(n);
  TRng rng(13);
  struct { double T, Dur, Pitch; } syl[] = {
      {0.02, 0.085, 600}, {0.175, 0.08, 640}, {0.32, 0.08, 590}, {0.46, 0.085, 560}, {0.61, 0.2, 540},
  };
  for (std::size_t k = 0; k < std::size(syl); ++k) {
    const auto& y = syl[k];
    const bool last = k + 1 == std::size(syl);
    const double aspir = 0.03;
    // "h": breath through the mouth's resonances.
    TBiquad b2, b3, bv;
    b2.SetBandPass(fs, 2900, 3);
    bv.SetBandPass(fs, 3200, 2);
    b3.SetBandPass(fs, 3800, 3);
    double phase = 0;
    const double wobble = rng.Range(4.5, 7.5), wobblePhase = rng.Range(0, 2 * Pi);
    for (std::size_t i = std::size_t(y.T * fs); i < n; ++i) {
      const double t = double(i) / fs - y.T;
      const double vt = t - aspir;  // time within the voiced part
      if (vt > y.Dur + 0.04) break;
      const double breath = rng.Noise();
      const double h = (b2(breath) + 0.7 * b3(breath)) * Ramp(t, 0, 0.012) * (1 - Ramp(t, aspir * 0.6, aspir + 0.02));
      double voice = 0;
      if (vt > 0) {
        // A quick rise and fall inside the syllable, a wobble, and for the last a long slide down.
        const double contour = 1 + 0.12 * std::exp(-vt / 0.02) - 0.1 * Ramp(vt, 0, y.Dur) - (last ? 0.18 * Ramp(vt, 0.05, y.Dur) : 0);
        const double f0 = y.Pitch * contour * (1 + 0.025 * std::sin(2 * Pi * wobble * vt + wobblePhase));
        phase += 2 * Pi * f0 / fs;
        // Normalised by the harmonics' total power, so a pitch that meets the
        // first resonance does not jump out louder than the others.
        double power = 0;
        for (int m = 1; m * f0 < 0.45 * fs; ++m) {
          const double a = Formants(m * f0);
          voice += a * std::sin(m * phase);
          power += a * a;
        }
        voice *= 0.6 / std::sqrt(power);
        voice *= Ramp(vt, 0, 0.012) * (1 - Ramp(vt, y.Dur - 0.015, y.Dur + 0.03)) * (last ? 0.9 : 1.0);
        voice += 0.08 * bv(breath) * Ramp(vt, 0, 0.01) * (1 - Ramp(vt, y.Dur - 0.01, y.Dur + 0.03));
      }
      s[i] += 0.5 * h + voice * (1.0 - 0.06 * double(k));
    }
  }
  Finish(s, fs, 0.003, 0.04, 0.85);
  return s;
}

}  // namespace soundgen
