#pragma once
// RIFF WAVE files, mono only: 8- and 16-bit PCM and Microsoft ADPCM.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace soundgen {

using TBytes = std::vector<std::uint8_t>;

// The MS ADPCM layout of the game's fanfare: 512-byte blocks of 1012 samples.
inline constexpr int AdpcmBlockBytes = 512;
inline constexpr int AdpcmBlockSamples = 2 + (AdpcmBlockBytes - 7) * 2;

// Samples in [-1, 1] (clamped) rounded to the nearest code; 8-bit is unsigned
// with 128 as silence.
TBytes EncodePcm8(const std::vector<double>& samples);
TBytes EncodePcm16(const std::vector<double>& samples);
// 16-bit samples to MS ADPCM with the seven standard predictor pairs; the
// last block holds only the samples that are left (the "fact" chunk and the
// data size both give the exact count).
TBytes EncodeMsAdpcm(const std::vector<std::int16_t>& samples);
std::vector<std::int16_t> DecodeMsAdpcm(const TBytes& data, std::uint32_t sampleCount);

// A complete file: "RIFF", "fmt ", for ADPCM "fact", then "data" (padded to an
// even size as RIFF asks).
TBytes WavePcm(std::uint32_t rate, int bits, const TBytes& data);
TBytes WaveMsAdpcm(std::uint32_t rate, std::uint32_t sampleCount, const TBytes& data);

struct TWaveError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A parsed file: its format fields and its samples in [-1, 1).
struct TWave {
  std::uint16_t Format = 0;  // 1 PCM, 2 MS ADPCM
  std::uint16_t Channels = 0;
  std::uint32_t Rate = 0;
  std::uint16_t Bits = 0;
  std::uint16_t BlockAlign = 0;
  std::uint32_t DataBytes = 0;
  std::uint32_t FactSamples = 0;  // 0 when there is no "fact" chunk
  std::vector<double> Samples;
};
// Throws TWaveError on a damaged or unsupported file.
TWave ReadWave(const TBytes& file);

}  // namespace soundgen
