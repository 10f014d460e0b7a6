#include "Wave.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace soundgen {
namespace {

// The predictor pairs every MS ADPCM decoder knows (they are also stored in
// the "fmt " chunk) and the step adaptation table.
constexpr std::array<std::array<int, 2>, 7> Coefs{
    {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}};
constexpr std::array<int, 16> Adapt{230, 230, 230, 230, 307, 409, 512, 614,
                                    768, 614, 512, 409, 307, 230, 230, 230};

void Put16(TBytes& b, std::uint32_t v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
void Put32(TBytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutTag(TBytes& b, const char* tag) {
  for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(tag[i]));
}
void PutChunk(TBytes& b, const char* tag, const TBytes& body) {
  PutTag(b, tag);
  Put32(b, std::uint32_t(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() % 2) b.push_back(0);
}
TBytes Riff(const std::vector<std::pair<const char*, TBytes>>& chunks) {
  TBytes body;
  PutTag(body, "WAVE");
  for (const auto& [tag, data] : chunks) PutChunk(body, tag, data);
  TBytes file;
  PutTag(file, "RIFF");
  Put32(file, std::uint32_t(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

int Clamp16(long v) { return int(std::clamp<long>(v, -32768, 32767)); }

// One ADPCM channel state, shared by the encoder and the decoder so that the
// encoder tracks exactly what a decoder will reconstruct.
struct TAdpcmState {
  int C1 = 256, C2 = 0, Delta = 16, S1 = 0, S2 = 0;
  int Predict() const { return int((long(S1) * C1 + long(S2) * C2) >> 8); }
  int Apply(int nibble) {  // nibble 0..15, returns the new sample
    const int signedNibble = nibble >= 8 ? nibble - 16 : nibble;
    const int sample = Clamp16(long(Predict()) + long(signedNibble) * Delta);
    S2 = S1;
    S1 = sample;
    Delta = std::max(16, (Adapt[nibble] * Delta) >> 8);
    return sample;
  }
  int Choose(int target) const {  // the nibble whose result lies nearest target
    const long err = long(target) - Predict();
    long q = std::lround(double(err) / Delta);
    q = std::clamp<long>(q, -8, 7);
    return int(q & 15);
  }
};

// Encodes one block with predictor pair p; returns its squared error.
double EncodeBlock(const std::int16_t* s, int n, int p, int delta, TBytes* out) {
  TAdpcmState st;
  st.C1 = Coefs[p][0];
  st.C2 = Coefs[p][1];
  st.Delta = delta;
  st.S2 = s[0];
  st.S1 = n > 1 ? s[1] : s[0];
  if (out) {
    out->push_back(std::uint8_t(p));
    Put16(*out, std::uint16_t(std::int16_t(st.Delta)));
    Put16(*out, std::uint16_t(std::int16_t(st.S1)));
    Put16(*out, std::uint16_t(std::int16_t(st.S2)));
  }
  double err = 0;
  int pending = -1;
  for (int i = 2; i < n; ++i) {
    const int nib = st.Choose(s[i]);
    const int got = st.Apply(nib);
    err += double(got - s[i]) * double(got - s[i]);
    if (!out) continue;
    if (pending < 0) {
      pending = nib;
    } else {
      out->push_back(std::uint8_t((pending << 4) | nib));
      pending = -1;
    }
  }
  if (out && pending >= 0) out->push_back(std::uint8_t(pending << 4));
  return err;
}

}  // namespace

TBytes EncodePcm8(const std::vector<double>& samples) {
  TBytes b;
  b.reserve(samples.size());
  for (double x : samples) b.push_back(std::uint8_t(std::clamp(128 + std::lround(x * 127.0), 0L, 255L)));
  return b;
}

TBytes EncodePcm16(const std::vector<double>& samples) {
  TBytes b;
  b.reserve(samples.size() * 2);
  for (double x : samples) Put16(b, std::uint16_t(std::int16_t(Clamp16(std::lround(x * 32767.0)))));
  return b;
}

TBytes EncodeMsAdpcm(const std::vector<std::int16_t>& samples) {
  TBytes out;
  for (std::size_t at = 0; at < samples.size(); at += AdpcmBlockSamples) {
    const int n = int(std::min<std::size_t>(AdpcmBlockSamples, samples.size() - at));
    // The predictor pair that suits this block best, tried in full.
    // The predictor pair and starting step that suit this block best, each
    // tried in full; the step starts near the block's first differences.
    int d = 0;
    for (int i = 2; i < std::min(n, 6); ++i) d += std::abs(samples[at + i] - samples[at + i - 1]);
    int best = 0, bestDelta = 16;
    double bestErr = std::numeric_limits<double>::max();
    for (int p = 0; p < int(Coefs.size()); ++p) {
      for (int delta : {16, d / 8, d / 4, d / 2, d}) {
        delta = std::clamp(delta, 16, 32767);
        const double e = EncodeBlock(&samples[at], n, p, delta, nullptr);
        if (e < bestErr) {
          bestErr = e;
          best = p;
          bestDelta = delta;
        }
      }
    }
    EncodeBlock(&samples[at], n, best, bestDelta, &out);
  }
  return out;
}

std::vector<std::int16_t> DecodeMsAdpcm(const TBytes& data, std::uint32_t sampleCount) {
  std::vector<std::int16_t> out;
  for (std::size_t at = 0; at < data.size() && out.size() < sampleCount; at += AdpcmBlockBytes) {
    const std::size_t end = std::min(data.size(), at + AdpcmBlockBytes);
    if (end - at < 7) throw TWaveError("ADPCM block shorter than its header");
    const std::uint8_t* b = &data[at];
    if (b[0] >= Coefs.size()) throw TWaveError("ADPCM predictor out of range");
    TAdpcmState st;
    st.C1 = Coefs[b[0]][0];
    st.C2 = Coefs[b[0]][1];
    st.Delta = std::int16_t(b[1] | b[2] << 8);
    st.S1 = std::int16_t(b[3] | b[4] << 8);
    st.S2 = std::int16_t(b[5] | b[6] << 8);
    out.push_back(std::int16_t(st.S2));
    out.push_back(std::int16_t(st.S1));
    for (std::size_t i = at + 7; i < end; ++i) {
      out.push_back(std::int16_t(st.Apply(data[i] >> 4)));
      out.push_back(std::int16_t(st.Apply(data[i] & 15)));
    }
  }
  if (out.size() > sampleCount) out.resize(sampleCount);
  return out;
}

TBytes WavePcm(std::uint32_t rate, int bits, const TBytes& data) {
  TBytes fmt;
  Put16(fmt, 1);
  Put16(fmt, 1);
  Put32(fmt, rate);
  Put32(fmt, rate * std::uint32_t(bits / 8));
  Put16(fmt, std::uint16_t(bits / 8));
  Put16(fmt, std::uint16_t(bits));
  return Riff({{"fmt ", fmt}, {"data", data}});
}

TBytes WaveMsAdpcm(std::uint32_t rate, std::uint32_t sampleCount, const TBytes& data) {
  TBytes fmt;
  Put16(fmt, 2);
  Put16(fmt, 1);
  Put32(fmt, rate);
  Put32(fmt, std::uint32_t(std::uint64_t(rate) * AdpcmBlockBytes / AdpcmBlockSamples));
  Put16(fmt, AdpcmBlockBytes);
  Put16(fmt, 4);
  Put16(fmt, 4 + 4 * Coefs.size());  // extra bytes: samples per block, count, pairs
  Put16(fmt, AdpcmBlockSamples);
  Put16(fmt, Coefs.size());
  for (const auto& c : Coefs) {
    Put16(fmt, std::uint16_t(std::int16_t(c[0])));
    Put16(fmt, std::uint16_t(std::int16_t(c[1])));
  }
  TBytes fact;
  Put32(fact, sampleCount);
  return Riff({{"fmt ", fmt}, {"fact", fact}, {"data", data}});
}

TWave ReadWave(const TBytes& file) {
  auto u16 = [&](std::size_t at) { return std::uint16_t(file[at] | file[at + 1] << 8); };
  auto u32 = [&](std::size_t at) { return std::uint32_t(u16(at) | std::uint32_t(u16(at + 2)) << 16); };
  if (file.size() < 12 || std::memcmp(&file[0], "RIFF", 4) || std::memcmp(&file[8], "WAVE", 4))
    throw TWaveError("not a RIFF WAVE file");
  TWave w;
  TBytes data;
  bool haveFmt = false, haveData = false;
  for (std::size_t at = 12; at + 8 <= file.size();) {
    const std::uint32_t size = u32(at + 4);
    if (size > file.size() - at - 8) throw TWaveError("chunk runs past the end of the file");
    const std::uint8_t* body = &file[at + 8];
    if (!std::memcmp(&file[at], "fmt ", 4)) {
      if (size < 16) throw TWaveError("short fmt chunk");
      w.Format = u16(at + 8);
      w.Channels = u16(at + 10);
      w.Rate = u32(at + 12);
      w.BlockAlign = u16(at + 20);
      w.Bits = u16(at + 22);
      haveFmt = true;
    } else if (!std::memcmp(&file[at], "fact", 4) && size >= 4) {
      w.FactSamples = u32(at + 8);
    } else if (!std::memcmp(&file[at], "data", 4)) {
      data.assign(body, body + size);
      w.DataBytes = size;
      haveData = true;
    }
    at += 8 + size + (size & 1);
  }
  if (!haveFmt || !haveData) throw TWaveError("fmt or data chunk missing");
  if (w.Channels != 1) throw TWaveError("not mono");
  if (w.Format == 1 && w.Bits == 8) {
    for (std::uint8_t b : data) w.Samples.push_back((int(b) - 128) / 128.0);
  } else if (w.Format == 1 && w.Bits == 16) {
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) w.Samples.push_back(std::int16_t(data[i] | data[i + 1] << 8) / 32768.0);
  } else if (w.Format == 2 && w.Bits == 4 && w.BlockAlign == AdpcmBlockBytes) {
    for (std::int16_t s : DecodeMsAdpcm(data, w.FactSamples)) w.Samples.push_back(s / 32768.0);
  } else {
    throw TWaveError("unsupported encoding");
  }
  return w;
}

}  // namespace soundgen
