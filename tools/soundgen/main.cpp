// soundgen OUTDIR           writes the fourteen sounds as OUTDIR/<NAME>.wav,
//                           prints their loudness and fails (exit 1) when a
//                           sound leaves the range of its kind
// soundgen --analyse FILES   reports on WAVE files
// soundgen --loudness FILES  the loudness table of the game's sounds and its check
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>

#include "Analyse.h"
#include "Loudness.h"
#include "Sounds.h"
#include "Wave.h"

using namespace soundgen;

namespace {
TBytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw TWaveError("cannot open " + path);
  return TBytes(std::istreambuf_iterator<char>(f), {});
}

void WriteFile(const std::string& path, const TBytes& b) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  if (!f) throw TWaveError("cannot write " + path);
}

std::string SoundName(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  if (const auto dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);
  return name;
}

// Measures the files as stored (after their 8-bit or ADPCM coding), prints one
// row each and every problem, and returns how many problems there were.
int LoudnessTable(const std::vector<std::string>& paths) {
  std::map<std::string, TLoudness> measured;
  std::printf("%-11s %-7s %11s %11s %11s   range (integrated)\n", "sound", "kind", "integrated", "short-term",
              "momentary");
  for (const std::string& path : paths) {
    const std::string name = SoundName(path);
    const TWave w = ReadWave(ReadFile(path));
    const TLoudness l = MeasureLoudness(w.Samples, w.Rate);
    measured[name] = l;
    const TLoudnessRange& r = RangeOf(KindOf(name));
    std::printf("%-11s %-7s %7.1f LUFS %6.1f LUFS %6.1f LUFS   %.0f to %.0f\n", name.c_str(), r.Name, l.Integrated,
                l.ShortTerm, l.Momentary, r.Low, r.High);
  }
  const std::vector<std::string> problems = LoudnessProblems(measured);
  for (const std::string& p : problems) std::printf("OUT OF RANGE: %s\n", p.c_str());
  if (problems.empty()) std::printf("every sound within its range\n");
  return int(problems.size());
}

// The soft and medium shots: the loud one's stored samples scaled, so that the
// three are the very same recording at three levels.
TBytes ScaledPcm8(const TBytes& loud, double gain) {
  TBytes b;
  for (std::uint8_t v : loud) b.push_back(std::uint8_t(128 + std::lround((int(v) - 128) * gain)));
  return b;
}

// Scales a sound to its target loudness; a target that its peak cannot reach
// without clipping is an error of the recipe, not something to hide.
void ToLoudness(TSignal& x, const TSoundSpec& s) {
  const double gain = std::pow(10.0, (s.Lufs - MeasureLoudness(x, s.Rate).Integrated) / 20);
  double peak = 0;
  for (double& v : x) peak = std::max(peak, std::abs(v *= gain));
  if (peak > 0.97) throw TWaveError(s.Name + " would clip at " + std::to_string(s.Lufs) + " LUFS");
}

int Generate(const std::string& dir) {
  using TSynth = TSignal (*)(double, std::size_t);
  const std::map<std::string, TSynth> synth{
      {"LOUDSHOT", Pop},        {"GLASS", Glass},   {"WHOOSH", Whoosh}, {"NUKE", Nuke},
      {"CRASH", Crash},         {"APPLAUSE", Applause}, {"DRUMROLL", DrumRoll}, {"CHIMES", Chimes},
      {"ENTRY", Entry},         {"BONUS", Bonus},   {"REVIVE", Revive}, {"KICHER", Kicher},
  };
  std::map<std::string, TBytes> pcm;
  for (const TSoundSpec& s : SoundSpecs()) {
    auto it = synth.find(s.Name);
    if (it == synth.end()) continue;
    const std::size_t n = Length(s.Ms, s.Rate);
    TSignal x = it->second(double(s.Rate), n);
    if (s.Lufs != 0) ToLoudness(x, s);
    TBytes file;
    if (s.Format == 2) {
      std::vector<std::int16_t> v;
      for (double d : x) v.push_back(std::int16_t(std::lround(std::clamp(d, -1.0, 1.0) * 32767)));
      const TBytes data = EncodeMsAdpcm(v);
      file = WaveMsAdpcm(s.Rate, std::uint32_t(n), data);
      // How faithful the 4-bit coding is: signal to coding-noise ratio.
      const std::vector<std::int16_t> back = DecodeMsAdpcm(data, std::uint32_t(n));
      double sig = 0, err = 0;
      for (std::size_t i = 0; i < n; ++i) {
        sig += double(v[i]) * v[i];
        err += double(back[i] - v[i]) * (back[i] - v[i]);
      }
      std::printf("%s: ADPCM signal to noise %.1f dB\n", s.Name.c_str(), 10 * std::log10(sig / err));
    } else {
      pcm[s.Name] = s.Bits == 8 ? EncodePcm8(x) : EncodePcm16(x);
      file = WavePcm(s.Rate, s.Bits, pcm[s.Name]);
    }
    WriteFile(dir + "/" + s.Name + ".wav", file);
  }
  WriteFile(dir + "/MEDIUMSHOT.wav", WavePcm(11025, 8, ScaledPcm8(pcm["LOUDSHOT"], 0.6)));
  WriteFile(dir + "/SOFTSHOT.wav", WavePcm(11025, 8, ScaledPcm8(pcm["LOUDSHOT"], 0.36)));
  std::vector<std::string> paths;
  for (const TSoundSpec& s : SoundSpecs()) paths.push_back(dir + "/" + s.Name + ".wav");
  return LoudnessTable(paths) == 0 ? 0 : 1;
}
}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc >= 2 && std::string(argv[1]) == "--analyse") {
      for (int i = 2; i < argc; ++i) Analyse(argv[i], ReadFile(argv[i]), std::cout);
      return 0;
    }
    if (argc >= 2 && std::string(argv[1]) == "--loudness")
      return LoudnessTable(std::vector<std::string>(argv + 2, argv + argc)) == 0 ? 0 : 1;
    if (argc == 2) return Generate(argv[1]);
    std::cerr << "usage: soundgen OUTDIR | soundgen --analyse FILE... | soundgen --loudness FILE...\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "soundgen: " << e.what() << "\n";
    return 1;
  }
}
