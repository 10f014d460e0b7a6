#pragma once
// The fourteen sound effects of the game, synthesised. Each function returns the
// samples in [-1, 1] at the sound's own rate, already faded in and out and
// scaled to its peak; the generator then brings it to its loudness (TSoundSpec).
// Length gives the sample count of a stored length.
#include <cstdint>
#include <string>
#include <vector>

#include "Dsp.h"

namespace soundgen {

// The sample count whose length is nearest to ms at this rate (ms * rate / 1000,
// rounded half up); reading it back as samples * 1000 / rate and rounding to the
// nearest millisecond gives ms again.
std::size_t Length(double ms, double rate);

struct TSoundSpec {
  std::string Name;
  std::uint16_t Format;  // 1 PCM, 2 MS ADPCM
  std::uint32_t Rate;
  int Bits;
  double Ms;
  // Integrated loudness (LUFS) the synthesised sound is scaled to before it is
  // stored; 0 keeps the peak its synthesis gives (the shots, which are as
  // loud as their peak allows, and their scaled copies).
  double Lufs;
};
const std::vector<TSoundSpec>& SoundSpecs();

TSignal Whoosh(double fs, std::size_t n);
TSignal Pop(double fs, std::size_t n);  // the loud shot; soft and medium are scaled copies
TSignal Glass(double fs, std::size_t n);
TSignal Nuke(double fs, std::size_t n);
TSignal Crash(double fs, std::size_t n);
TSignal Applause(double fs, std::size_t n);
TSignal DrumRoll(double fs, std::size_t n);
TSignal Chimes(double fs, std::size_t n);
TSignal Entry(double fs, std::size_t n);
TSignal Bonus(double fs, std::size_t n);
TSignal Revive(double fs, std::size_t n);
TSignal Kicher(double fs, std::size_t n);

}  // namespace soundgen
