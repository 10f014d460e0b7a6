// soundgen OUTDIR          writes the fourteen sounds as OUTDIR/<NAME>.wav
// soundgen --analyse FILES  reports on WAVE files
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>

#include "Analyse.h"
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

// The soft and medium shots: the loud one's stored samples scaled, so that the
// three are the very same recording at three levels.
TBytes ScaledPcm8(const TBytes& loud, double gain) {
  TBytes b;
  for (std::uint8_t v : loud) b.push_back(std::uint8_t(128 + std::lround((int(v) - 128) * gain)));
  return b;
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
    const TSignal x = it->second(double(s.Rate), n);
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
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc >= 2 && std::string(argv[1]) == "--analyse") {
      for (int i = 2; i < argc; ++i) Analyse(argv[i], ReadFile(argv[i]), std::cout);
      return 0;
    }
    if (argc == 2) return Generate(argv[1]);
    std::cerr << "usage: soundgen OUTDIR | soundgen --analyse FILE...\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "soundgen: " << e.what() << "\n";
    return 1;
  }
}
