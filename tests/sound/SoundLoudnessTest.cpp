// How loud the embedded sounds are to a listener (EBU R 128): every sound in
// the range of its kind, the pops above the miss, no event far above a pop.
// The files are decoded by SDL, as the game's player decodes them.
#include <gtest/gtest.h>

#include <SDL.h>

#include <QFile>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "SoundTable.h"
#include "tools/soundgen/Loudness.h"

namespace {

using soundgen::LoudnessProblems;
using soundgen::MeasureLoudness;
using soundgen::TLoudness;

struct TDecoded {
  std::vector<double> Samples;  // mono, [-1, 1)
  unsigned long Rate = 0;
};

// The embedded file through SDL's own WAVE reader (PCM and MS ADPCM).
TDecoded Decode(std::string_view name) {
  QFile f(QStringLiteral(":/sounds/%1.wav").arg(QString::fromUtf8(name.data(), qsizetype(name.size()))));
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = f.readAll();
  // The fanfare's short last ADPCM block is part of its length.
  SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "dropframe");
  SDL_AudioSpec format{};
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(bytes.constData(), int(bytes.size())), 1, &format, &buffer, &length))
    return {};
  TDecoded d;
  d.Rate = format.freq;
  if (format.channels == 1 && format.format == AUDIO_U8) {
    for (Uint32 i = 0; i < length; ++i) d.Samples.push_back((int(buffer[i]) - 128) / 128.0);
  } else if (format.channels == 1 && format.format == AUDIO_S16LSB) {
    for (Uint32 i = 0; i + 1 < length; i += 2)
      d.Samples.push_back(std::int16_t(buffer[i] | buffer[i + 1] << 8) / 32768.0);
  }
  SDL_FreeWAV(buffer);
  return d;
}

TEST(SoundLoudness, MeasuresAsTheStandardReadsATone) {
  // A 1 kHz tone of amplitude 0.1 reads -23 LUFS (mono: the K-weighting is
  // close to 0 dB at 1 kHz). A sound shorter than a 400 ms gating block counts
  // as followed by silence up to it, so it reads 10 log10(length / 400 ms) lower.
  struct {
    unsigned long Rate;
    double Ms;
    double Lufs;
  } cases[] = {
      {11025, 1000, -23.0}, {22050, 1000, -23.0}, {16000, 1000, -23.0},
      {11025, 200, -23.0 + 10 * std::log10(200 / 400.0)}, {22050, 155, -23.0 + 10 * std::log10(155 / 400.0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Rate) + " Hz, " + std::to_string(c.Ms) + " ms");
    std::vector<double> x(std::size_t(c.Rate * c.Ms / 1000));
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = 0.1 * std::sin(2 * M_PI * 1000 * double(i) / c.Rate);
    const TLoudness l = MeasureLoudness(x, c.Rate);
    EXPECT_NEAR(l.Integrated, c.Lufs, 0.3);
    EXPECT_NEAR(l.Momentary, c.Lufs, 0.3) << "the loudest 400 ms hold the whole tone or a part as loud";
    // A 3 s window holds the whole tone and silence around it.
    EXPECT_NEAR(l.ShortTerm, -23.0 + 10 * std::log10(c.Ms / 3000), 0.3);
  }
}

TEST(SoundLoudness, EmbeddedSoundsKeepTheirRanges) {
  std::map<std::string, TLoudness> measured;
  std::string table;
  for (const TStoredSound& s : StoredSounds) {
    SCOPED_TRACE(std::string(s.Name));
    const TDecoded d = Decode(s.Name);
    ASSERT_EQ(d.Rate, s.Rate) << SDL_GetError();
    ASSERT_EQ(std::lround(double(d.Samples.size()) * 1000 / d.Rate), long(s.Ms)) << "decoded in full";
    const TLoudness l = MeasureLoudness(d.Samples, d.Rate);
    measured[std::string(s.Name)] = l;
    table += std::string(s.Name) + ": " + std::to_string(l.Integrated) + " LUFS integrated, " +
             std::to_string(l.Momentary) + " momentary\n";
  }
  const std::vector<std::string> problems = LoudnessProblems(measured);
  std::string all;
  for (const std::string& p : problems) all += p + "\n";
  EXPECT_TRUE(problems.empty()) << all << table;
}

// The check itself, on a set of figures like the generator's, changed in one
// place at a time; each change must be caught with the sound it concerns.
TEST(SoundLoudness, CheckCatchesEachWayOut) {
  const std::map<std::string, TLoudness> good{
      {"SOFTSHOT", {-21.5, -30, -21.5}}, {"MEDIUMSHOT", {-17, -26, -17}}, {"LOUDSHOT", {-12.5, -21, -12.5}},
      {"GLASS", {-17, -26, -17}},        {"WHOOSH", {-25, -34, -25}},     {"NUKE", {-14, -18, -9.5}},
      {"CRASH", {-20, -21.5, -14}},      {"KICHER", {-16, -21, -15}},     {"APPLAUSE", {-17, -17, -15}},
      {"BONUS", {-15, -16, -13.5}},      {"REVIVE", {-15, -22, -14.5}},   {"CHIMES", {-15, -18, -12.5}},
      {"ENTRY", {-15, -14.7, -14}},      {"DRUMROLL", {-20, -23, -16.5}},
  };
  ASSERT_TRUE(LoudnessProblems(good).empty());
  struct {
    const char* Why;
    const char* Name;
    TLoudness Changed;
    const char* Blamed;  // the sound the problem names
  } cases[] = {
      {"an event above its range", "KICHER", {-11.5, -20, -11}, "KICHER"},
      {"music below its range", "ENTRY", {-23, -22, -21}, "ENTRY"},
      {"a reward above its range", "CHIMES", {-11, -14, -9}, "CHIMES"},
      {"an event more than 6 LU above the pop, integrated", "NUKE", {-6, -10, -6}, "NUKE"},
      {"an event more than 6 LU above the pop, momentary only", "NUKE", {-14, -18, -6.3}, "NUKE"},
      {"a reward quieter than the miss", "REVIVE", {-26, -33, -26}, "REVIVE"},
      {"a reward quieter than the miss, momentary only", "BONUS", {-21, -22, -25.5}, "BONUS"},
      {"the softest pop not 2 LU above the miss", "SOFTSHOT", {-23.5, -32, -23.5}, "SOFTSHOT"},
      {"a pop below the miss in momentary loudness", "MEDIUMSHOT", {-17, -26, -24}, "MEDIUMSHOT"},
      {"the miss as loud as the soft pop", "WHOOSH", {-21.6, -30, -21.6}, "SOFTSHOT"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Why);
    std::map<std::string, TLoudness> set = good;
    set[c.Name] = c.Changed;
    const std::vector<std::string> problems = LoudnessProblems(set);
    ASSERT_FALSE(problems.empty());
    bool named = false;
    for (const std::string& p : problems) named = named || p.find(c.Blamed) != std::string::npos;
    EXPECT_TRUE(named) << problems.front();
  }
  std::map<std::string, TLoudness> withoutPop = good;
  withoutPop.erase("LOUDSHOT");
  EXPECT_FALSE(LoudnessProblems(withoutPop).empty()) << "the pop is the reference and must be there";
}

}  // namespace
