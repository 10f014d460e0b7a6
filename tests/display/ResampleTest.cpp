// Smooth resizing of 8-bit samples: what it makes is the area average when
// shrinking and the linear interpolation between sample centres when
// growing, within one step of rounding, whatever the number of channels,
// and a picture that is empty around its middle is resized as a whole one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "display/Resample.h"

namespace {

// The target sample i of an axis from `from` to `to` samples, as shares of
// source samples, worked out in floating point from the definition.
std::vector<double> Shares(int from, int to, int i) {
  std::vector<double> share(static_cast<std::size_t>(from), 0.0);
  if (from > to) {
    const double lo = double(i) * from / to, hi = double(i + 1) * from / to;
    for (int j = 0; j < from; ++j) share[j] = std::max(0.0, std::min(hi, j + 1.0) - std::max(lo, double(j))) / (hi - lo);
  } else {
    const double pos = std::clamp((i + 0.5) * from / to - 0.5, 0.0, from - 1.0);
    const int j = std::min(static_cast<int>(pos), from - 1);
    const double f = pos - j;
    share[j] += 1 - f;
    if (f > 0) share[j + 1] += f;
  }
  return share;
}

struct TPicture {
  int Width, Height, Channels;
  std::vector<std::uint8_t> Bytes;
  std::uint8_t& At(int x, int y, int c) { return Bytes[(static_cast<std::size_t>(y) * Width + x) * Channels + c]; }
  std::uint8_t At(int x, int y, int c) const {
    return Bytes[(static_cast<std::size_t>(y) * Width + x) * Channels + c];
  }
};

TPicture Resized(const TPicture& src, int w, int h) {
  TPicture out{w, h, src.Channels, std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h * src.Channels, 0xAB)};
  Resample(src.Bytes.data(), src.Width * src.Channels, out.Bytes.data(), w * src.Channels, src.Channels,
           TResampleAxis(src.Width, w), TResampleAxis(src.Height, h));
  return out;
}

// A picture with every kind of content: an empty border (a keyed picture's
// surroundings), hard steps, a thin line, and smooth gradients per channel.
TPicture Fixture(int width, int height, int channels) {
  TPicture p{width, height, channels, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * channels, 0)};
  for (int y = height / 8; y < height - height / 8; ++y)
    for (int x = width / 6; x < width - width / 5; ++x)
      for (int c = 0; c < channels; ++c) {
        int v = (x * 37 + y * 11 * (c + 1) + c * 50) % 256;
        if (x == width / 2) v = 255;  // a line one sample wide
        if ((x / 7 + y / 5) % 3 == 0) v = c == 0 ? 0 : 255 - c;  // hard steps
        p.At(x, y, c) = static_cast<std::uint8_t>(v);
      }
  return p;
}

struct TSize {
  const char* Name;
  int FromW, FromH, ToW, ToH;
};

const TSize Sizes[] = {
    {"shrink both", 150, 188, 56, 70},      {"shrink a little", 150, 188, 132, 165},
    {"grow both", 150, 188, 323, 404},      {"grow a little", 150, 188, 162, 203},
    {"shrink across, grow down", 40, 30, 17, 71}, {"same size", 33, 21, 33, 21},
    {"one sample to many", 1, 1, 9, 5},     {"many to one sample", 29, 13, 1, 1},
    {"same width, shrink down", 24, 40, 24, 9},
};

TEST(Resample, MatchesTheAverageOrTheInterpolationWithinRounding) {
  for (const TSize& s : Sizes)
    for (int channels : {1, 3, 4}) {
      SCOPED_TRACE(std::string(s.Name) + ", " + std::to_string(channels) + " channels");
      const TPicture src = Fixture(s.FromW, s.FromH, channels);
      const TPicture out = Resized(src, s.ToW, s.ToH);
      int worst = 0;
      for (int y = 0; y < s.ToH; ++y) {
        const std::vector<double> down = Shares(s.FromH, s.ToH, y);
        for (int x = 0; x < s.ToW; ++x) {
          const std::vector<double> across = Shares(s.FromW, s.ToW, x);
          for (int c = 0; c < channels; ++c) {
            double want = 0;
            for (int j = 0; j < s.FromH; ++j) {
              if (down[j] == 0) continue;
              for (int i = 0; i < s.FromW; ++i) want += down[j] * across[i] * src.At(i, j, c);
            }
            worst = std::max(worst, static_cast<int>(std::ceil(std::abs(out.At(x, y, c) - want) - 0.5)));
          }
        }
      }
      EXPECT_LE(worst, 1);
    }
}

TEST(Resample, EveryChannelCountGivesTheSameSamples) {
  // A channel resized with three others is the channel resized alone, to the
  // last bit: the wide paths for four channels and for one, and the plain
  // one for other counts, compute the same sums.
  for (const TSize& s : Sizes) {
    SCOPED_TRACE(s.Name);
    const TPicture four = Fixture(s.FromW, s.FromH, 4);
    const TPicture out4 = Resized(four, s.ToW, s.ToH);
    for (int c = 0; c < 4; ++c) {
      TPicture one{s.FromW, s.FromH, 1, {}};
      TPicture three{s.FromW, s.FromH, 3, {}};
      for (int y = 0; y < s.FromH; ++y)
        for (int x = 0; x < s.FromW; ++x) {
          one.Bytes.push_back(four.At(x, y, c));
          for (int k = 0; k < 3; ++k) three.Bytes.push_back(four.At(x, y, (c + k) % 4));
        }
      const TPicture out1 = Resized(one, s.ToW, s.ToH);
      const TPicture out3 = Resized(three, s.ToW, s.ToH);
      int differ = 0;
      for (int y = 0; y < s.ToH; ++y)
        for (int x = 0; x < s.ToW; ++x)
          differ += (out1.At(x, y, 0) != out4.At(x, y, c)) + (out3.At(x, y, 0) != out4.At(x, y, c));
      EXPECT_EQ(differ, 0) << "channel " << c;
    }
  }
}

TEST(Resample, ConstantStaysConstantAndEmptyStaysEmpty) {
  for (const TSize& s : Sizes)
    for (int v : {0, 1, 128, 255}) {
      SCOPED_TRACE(std::string(s.Name) + ", value " + std::to_string(v));
      TPicture src{s.FromW, s.FromH, 4, std::vector<std::uint8_t>(std::size_t(s.FromW) * s.FromH * 4, std::uint8_t(v))};
      const TPicture out = Resized(src, s.ToW, s.ToH);
      EXPECT_EQ(std::count(out.Bytes.begin(), out.Bytes.end(), std::uint8_t(v)), std::ptrdiff_t(out.Bytes.size()));
    }
}

TEST(Resample, ShrinkingKeepsTheTotalOfAThinLine) {
  // A line one source sample wide, shrunk to a third: it spreads over partly
  // covering samples but keeps its weight, so it never vanishes.
  TPicture src{90, 12, 1, std::vector<std::uint8_t>(90 * 12, 0)};
  for (int y = 0; y < 12; ++y) src.At(44, y, 0) = 255;
  const TPicture out = Resized(src, 30, 12);
  for (int y = 0; y < 12; ++y) {
    int total = 0;
    for (int x = 0; x < 30; ++x) total += out.At(x, y, 0);
    EXPECT_NEAR(total, 85, 1) << "row " << y;
  }
}

TEST(ResampleAxis, WeightsSumToOneAndStayWithinTheSource) {
  for (const TSize& s : Sizes)
    for (const auto& [from, to] : {std::pair{s.FromW, s.ToW}, std::pair{s.FromH, s.ToH}}) {
      SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to));
      const TResampleAxis axis(from, to);
      for (int i = 0; i < to; ++i) {
        int sum = 0;
        for (int k = 0; k < axis.Taps(); ++k) {
          EXPECT_GE(axis.Index(i, k), 0);
          EXPECT_LT(axis.Index(i, k), from);
          EXPECT_GE(axis.Weight(i, k), 0);
          sum += axis.Weight(i, k);
        }
        EXPECT_EQ(sum, TResampleAxis::WeightOne) << "target " << i;
      }
    }
}

}  // namespace
