// The embedded sound files: the stored formats and lengths the game counts on.
#include <gtest/gtest.h>

#include <QFile>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "SoundTable.h"

namespace {

QByteArray Embedded(std::string_view name) {
  QFile f(QStringLiteral(":/sounds/%1.wav").arg(QString::fromUtf8(name.data(), qsizetype(name.size()))));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::uint32_t U16(const QByteArray& b, qsizetype at) { return std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8; }
std::uint32_t U32(const QByteArray& b, qsizetype at) { return U16(b, at) | U16(b, at + 2) << 16; }
std::int16_t S16(const QByteArray& b, qsizetype at) { return std::int16_t(U16(b, at)); }

struct TChunk {
  std::string Tag;
  qsizetype At;  // offset of the body
  std::uint32_t Size;
};

// The chunks of a RIFF WAVE file in order; fails the test on a damaged layout.
std::vector<TChunk> Chunks(const QByteArray& f) {
  std::vector<TChunk> chunks;
  EXPECT_GE(f.size(), 12);
  if (f.size() < 12) return chunks;
  EXPECT_EQ(f.left(4), "RIFF");
  EXPECT_EQ(f.mid(8, 4), "WAVE");
  EXPECT_EQ(U32(f, 4), std::uint32_t(f.size() - 8));
  for (qsizetype at = 12; at + 8 <= f.size();) {
    const std::uint32_t size = U32(f, at + 4);
    EXPECT_LE(at + 8 + qsizetype(size), f.size()) << "chunk runs past the end";
    chunks.push_back({f.mid(at, 4).toStdString(), at + 8, size});
    at += 8 + size + (size & 1);  // RIFF pads odd chunks
  }
  return chunks;
}

const std::array<std::int16_t, 14> StandardCoefs{256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232};

TEST(SoundAssets, FormatsAndLengthsFromTheDataSize) {
  for (const TStoredSound& s : StoredSounds) {
    SCOPED_TRACE(std::string(s.Name));
    const QByteArray f = Embedded(s.Name);
    ASSERT_FALSE(f.isEmpty()) << "not embedded";
    const std::vector<TChunk> chunks = Chunks(f);
    std::vector<std::string> order;
    for (const TChunk& c : chunks) order.push_back(c.Tag);
    const std::vector<std::string> expected =
        s.Format == 2 ? std::vector<std::string>{"fmt ", "fact", "data"} : std::vector<std::string>{"fmt ", "data"};
    ASSERT_EQ(order, expected);
    const TChunk& fmt = chunks.front();
    const TChunk& data = chunks.back();
    EXPECT_EQ(U16(f, fmt.At), s.Format);
    EXPECT_EQ(U16(f, fmt.At + 2), 1u) << "mono";
    EXPECT_EQ(U32(f, fmt.At + 4), s.Rate);
    EXPECT_EQ(U16(f, fmt.At + 14), s.Bits);
    std::uint64_t samples = 0;
    if (s.Format == 1) {
      EXPECT_EQ(fmt.Size, 16u);
      EXPECT_EQ(U16(f, fmt.At + 12), s.Bits / 8u) << "block align";
      EXPECT_EQ(U32(f, fmt.At + 8), s.Rate * s.Bits / 8) << "bytes per second";
      samples = data.Size / (s.Bits / 8);
    } else {
      // MS ADPCM: 512-byte blocks of 1012 samples (a 7-byte header holding two
      // samples, then two samples a byte); the last block holds what is left.
      ASSERT_EQ(fmt.Size, 50u);
      EXPECT_EQ(U16(f, fmt.At + 12), 512u);
      EXPECT_EQ(U16(f, fmt.At + 16), 32u) << "extra format bytes";
      EXPECT_EQ(U16(f, fmt.At + 18), 1012u) << "samples per block";
      EXPECT_EQ(U16(f, fmt.At + 20), 7u) << "predictor pairs";
      for (int i = 0; i < 14; ++i) EXPECT_EQ(S16(f, fmt.At + 22 + 2 * i), StandardCoefs[i]);
      EXPECT_EQ(U32(f, fmt.At + 8), s.Rate * 512 / 1012) << "bytes per second";
      const std::uint32_t full = data.Size / 512, rest = data.Size % 512;
      ASSERT_TRUE(rest == 0 || rest >= 7) << "a last block shorter than its header";
      samples = std::uint64_t(full) * 1012 + (rest ? 2 + (rest - 7) * 2 : 0);
      EXPECT_EQ(U32(f, chunks[1].At), samples) << "fact chunk";
      for (std::uint32_t at = 0; at < data.Size; at += 512) EXPECT_LT(std::uint8_t(f[data.At + at]), 7) << "block at " << at;
    }
    EXPECT_EQ(std::lround(double(samples) * 1000.0 / s.Rate), long(s.Ms)) << samples << " samples";
  }
}

// PCM samples as signed values around silence (8-bit is stored offset by 128).
std::vector<int> PcmSamples(const QByteArray& f, const TStoredSound& s) {
  const TChunk data = Chunks(f).back();
  std::vector<int> v;
  for (std::uint32_t i = 0; i < data.Size; i += s.Bits / 8)
    v.push_back(s.Bits == 8 ? int(std::uint8_t(f[data.At + i])) - 128 : S16(f, data.At + i));
  return v;
}

TEST(SoundAssets, PcmSoundsStartAndEndSilentAndNeverClip) {
  for (const TStoredSound& s : StoredSounds) {
    if (s.Format != 1) continue;
    SCOPED_TRACE(std::string(s.Name));
    const std::vector<int> v = PcmSamples(Embedded(s.Name), s);
    ASSERT_FALSE(v.empty());
    const int top = s.Bits == 8 ? 127 : 32767, bottom = s.Bits == 8 ? -128 : -32768;
    // Faded in and out: no step at either end to click.
    EXPECT_LE(std::abs(v.front()), s.Bits == 8 ? 1 : 16);
    EXPECT_LE(std::abs(v.back()), s.Bits == 8 ? 1 : 16);
    int peak = 0;
    for (int x : v) {
      ASSERT_LT(x, top);
      ASSERT_GT(x, bottom);
      peak = std::max(peak, std::abs(x));
    }
    // Each is meant to be heard: its peak lies within 10 dB of full scale.
    EXPECT_GT(peak, top * 0.316);
  }
}

TEST(SoundAssets, ThreeShotsAreOneRecordingAtThreeLevels) {
  const TStoredSound& loudSpec = StoredSounds[2];
  ASSERT_EQ(loudSpec.Name, "LOUDSHOT");
  const std::vector<int> loud = PcmSamples(Embedded("LOUDSHOT"), loudSpec);
  struct { std::string_view Name; double Gain; } levels[] = {{"MEDIUMSHOT", 0.6}, {"SOFTSHOT", 0.36}};
  for (const auto& level : levels) {
    SCOPED_TRACE(std::string(level.Name));
    const std::vector<int> v = PcmSamples(Embedded(level.Name), loudSpec);
    ASSERT_EQ(v.size(), loud.size());
    // Sample by sample, within the rounding of the 8-bit code.
    for (std::size_t i = 0; i < v.size(); ++i)
      ASSERT_LE(std::abs(v[i] - loud[i] * level.Gain), 0.5 + 1e-9) << "sample " << i;
  }
}

}  // namespace
