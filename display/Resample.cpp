#include "display/Resample.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

TResampleAxis::TResampleAxis(int from, int to) : FFrom(std::max(1, from)), FTo(std::max(1, to)) {
  const long long s = FFrom, d = FTo;
  if (FFrom > FTo) {
    // Target i covers source [i*s/d, (i+1)*s/d): in units of 1/d, source j
    // covers [j*d, (j+1)*d) and target i covers [i*s, (i+1)*s).
    FTaps = static_cast<int>((s + d - 1) / d) + 1;
  } else {
    FTaps = FFrom == FTo ? 1 : 2;
  }
  FIndex.assign(static_cast<std::size_t>(FTo) * FTaps, 0);
  FWeight.assign(static_cast<std::size_t>(FTo) * FTaps, 0);
  for (int i = 0; i < FTo; ++i) {
    std::int32_t* index = &FIndex[static_cast<std::size_t>(i) * FTaps];
    std::int32_t* weight = &FWeight[static_cast<std::size_t>(i) * FTaps];
    int n = 0;
    if (FFrom > FTo) {
      const long long lo = i * s, hi = (i + 1) * s;
      for (long long j = lo / d; j * d < hi && n < FTaps; ++j) {
        const long long overlap = std::min((j + 1) * d, hi) - std::max(j * d, lo);
        if (overlap <= 0) continue;
        index[n] = static_cast<std::int32_t>(j);
        weight[n] = static_cast<std::int32_t>((overlap * WeightOne + s / 2) / s);
        ++n;
      }
    } else if (FFrom == FTo) {
      index[0] = i;
      weight[0] = WeightOne;
      n = 1;
    } else {
      // Centre of target i in source units, minus half a sample: the position
      // between source centres, in units of 1/(2d).
      const long long pos = (2 * i + 1) * s - d;
      if (pos <= 0) {
        index[0] = 0;
        weight[0] = WeightOne;
        n = 1;
      } else {
        const long long j = pos / (2 * d);
        const long long frac = pos % (2 * d);
        if (j >= FFrom - 1) {
          index[0] = FFrom - 1;
          weight[0] = WeightOne;
          n = 1;
        } else {
          const int w1 = static_cast<int>((frac * WeightOne + d) / (2 * d));
          index[0] = static_cast<std::int32_t>(j);
          weight[0] = WeightOne - w1;
          index[1] = static_cast<std::int32_t>(j + 1);
          weight[1] = w1;
          n = 2;
        }
      }
    }
    // Rounded shares may miss the whole by a little: the largest takes it up,
    // so a constant picture stays exactly constant.
    int sum = 0, largest = 0;
    for (int k = 0; k < n; ++k) {
      sum += weight[k];
      if (weight[k] > weight[largest]) largest = k;
    }
    weight[largest] += WeightOne - sum;
    // Unused taps read the last source index with no weight.
    for (int k = n; k < FTaps; ++k) index[k] = index[n - 1];
  }
  const int pairs = (FTaps + 1) / 2;
  FPair.assign(static_cast<std::size_t>(FTo) * pairs, 0);
  FNeighbours = FTaps == 2;
  for (int i = 0; i < FTo; ++i) {
    for (int p = 0; p < pairs; ++p) {
      const int k = 2 * p;
      const std::uint32_t second = k + 1 < FTaps ? static_cast<std::uint32_t>(Weight(i, k + 1)) : 0u;
      FPair[static_cast<std::size_t>(i) * pairs + p] = static_cast<std::int32_t>((second << 16) | Weight(i, k));
    }
    if (FTaps == 2 && Weight(i, 1) != 0 && Index(i, 1) != Index(i, 0) + 1) FNeighbours = false;
  }
}

namespace {

// The vertical pass keeps seven bits below the 8-bit sample (up to 255 * 128,
// which fits 16 bits); the horizontal pass then sums within 31 bits.
constexpr int MidShift = 7;
constexpr int OutShift = 14 + 14 - MidShift;

// Sums the taps of one target row down the source rows, seven bits below
// the sample kept.
// Bytes from..to-1 of the row.
void Down(const std::uint8_t* src, std::ptrdiff_t stride, int from, int to, const TResampleAxis& axis, int y,
          std::uint32_t* acc, std::uint16_t* mid) {
  const int taps = axis.Taps();
  int x = from;
#ifdef __SSE2__
  // Sixteen bytes at a time: two source rows interleaved as 16-bit pairs, so
  // one multiply-add weighs both.
  const __m128i zero = _mm_setzero_si128();
  const __m128i half = _mm_set1_epi32(1 << (14 - MidShift - 1));
  for (; x + 16 <= to; x += 16) {
    __m128i sum[4] = {zero, zero, zero, zero};
    for (int k = 0; k < taps; k += 2) {
      const int k1 = std::min(k + 1, taps - 1);
      const __m128i w = _mm_set1_epi32(axis.Pair(y, k / 2));
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + stride * axis.Index(y, k) + x));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + stride * axis.Index(y, k1) + x));
      const __m128i aLo = _mm_unpacklo_epi8(a, zero), aHi = _mm_unpackhi_epi8(a, zero);
      const __m128i bLo = _mm_unpacklo_epi8(b, zero), bHi = _mm_unpackhi_epi8(b, zero);
      sum[0] = _mm_add_epi32(sum[0], _mm_madd_epi16(_mm_unpacklo_epi16(aLo, bLo), w));
      sum[1] = _mm_add_epi32(sum[1], _mm_madd_epi16(_mm_unpackhi_epi16(aLo, bLo), w));
      sum[2] = _mm_add_epi32(sum[2], _mm_madd_epi16(_mm_unpacklo_epi16(aHi, bHi), w));
      sum[3] = _mm_add_epi32(sum[3], _mm_madd_epi16(_mm_unpackhi_epi16(aHi, bHi), w));
    }
    for (__m128i& v : sum) v = _mm_srli_epi32(_mm_add_epi32(v, half), 14 - MidShift);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(mid + x), _mm_packs_epi32(sum[0], sum[1]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(mid + x + 8), _mm_packs_epi32(sum[2], sum[3]));
  }
#endif
  if (x == to) return;
  std::fill(acc + x, acc + to, 0u);
  for (int k = 0; k < taps; ++k) {
    const std::uint32_t w = static_cast<std::uint32_t>(axis.Weight(y, k));
    const std::uint8_t* s = src + stride * axis.Index(y, k);
    for (int i = x; i < to; ++i) acc[i] += w * s[i];
  }
  for (int i = x; i < to; ++i)
    mid[i] = static_cast<std::uint16_t>((acc[i] + (1u << (14 - MidShift - 1))) >> (14 - MidShift));
}

// Targets from..to-1 of the row.
template <int C>
void Across(const std::uint16_t* mid, std::uint8_t* out, const TResampleAxis& axis, int from, int to) {
  const int taps = axis.Taps();
  for (int x = from; x < to; ++x) {
    std::uint32_t acc[C] = {};
    for (int k = 0; k < taps; ++k) {
      const std::uint16_t* s = mid + static_cast<std::ptrdiff_t>(axis.Index(x, k)) * C;
      const std::uint32_t w = static_cast<std::uint32_t>(axis.Weight(x, k));
      for (int c = 0; c < C; ++c) acc[c] += w * s[c];
    }
    for (int c = 0; c < C; ++c) out[x * C + c] = static_cast<std::uint8_t>((acc[c] + (1u << (OutShift - 1))) >> OutShift);
  }
}

#ifdef __SSE2__
// Four channels: a pixel's four 16-bit sums from two taps interleaved, so one
// multiply-add weighs a pair of taps for all channels.
template <>
void Across<4>(const std::uint16_t* mid, std::uint8_t* out, const TResampleAxis& axis, int from, int to) {
  const int taps = axis.Taps();
  const __m128i half = _mm_set1_epi32(1 << (OutShift - 1));
  for (int x = from; x < to; ++x) {
    __m128i sum = _mm_setzero_si128();
    for (int k = 0; k < taps; k += 2) {
      const int k1 = std::min(k + 1, taps - 1);
      const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(mid + 4 * axis.Index(x, k)));
      const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(mid + 4 * axis.Index(x, k1)));
      sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), _mm_set1_epi32(axis.Pair(x, k / 2))));
    }
    sum = _mm_srli_epi32(_mm_add_epi32(sum, half), OutShift);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(sum, sum), sum);
    const int v = _mm_cvtsi128_si32(bytes);
    std::memcpy(out + 4 * x, &v, 4);
  }
}

// Growing: each target mixes a source sample and the next, which one load
// fetches together (mid has room for one sample past the row). Two targets
// per step share the packing to bytes.
void AcrossNeighbours4(const std::uint16_t* mid, std::uint8_t* out, const TResampleAxis& axis, int from, int to) {
  const __m128i half = _mm_set1_epi32(1 << (OutShift - 1));
  // Two taps per target: its first source index at 2x, its weights at x.
  const std::int32_t* const index = axis.Indices();
  const std::int32_t* const pair = axis.Pairs();
  auto one = [&](int x) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mid + 4 * std::ptrdiff_t(index[2 * x])));
    const __m128i sum = _mm_madd_epi16(_mm_unpacklo_epi16(v, _mm_srli_si128(v, 8)), _mm_set1_epi32(pair[x]));
    return _mm_srli_epi32(_mm_add_epi32(sum, half), OutShift);
  };
  int x = from;
  for (; x + 2 <= to; x += 2) {
    const __m128i words = _mm_packs_epi32(one(x), one(x + 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 4 * x), _mm_packus_epi16(words, words));
  }
  if (x < to) {
    const __m128i words = _mm_packs_epi32(one(x), one(x));
    const int v = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(out + 4 * x, &v, 4);
  }
}

// One channel, growing: four targets at a time, each pair of neighbouring
// source samples fetched as one 32-bit word.
void AcrossNeighbours1(const std::uint16_t* mid, std::uint8_t* out, const TResampleAxis& axis, int from, int to) {
  const __m128i half = _mm_set1_epi32(1 << (OutShift - 1));
  const std::int32_t* const index = axis.Indices();
  const std::int32_t* const pair = axis.Pairs();
  auto pairAt = [&](int x) {
    std::int32_t v;
    std::memcpy(&v, mid + index[2 * x], 4);
    return v;
  };
  int x = from;
  for (; x + 4 <= to; x += 4) {
    const __m128i v = _mm_set_epi32(pairAt(x + 3), pairAt(x + 2), pairAt(x + 1), pairAt(x));
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pair + x));
    const __m128i sum = _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(v, w), half), OutShift);
    const __m128i words = _mm_packs_epi32(sum, sum);
    const int bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(out + x, &bytes, 4);
  }
  Across<1>(mid, out, axis, x, to);
}
#endif

}  // namespace

TResampler::TResampler(const std::uint8_t* src, std::ptrdiff_t srcStride, int channels, const TResampleAxis& across,
                       const TResampleAxis& down)
    : FSrc(src), FStride(srcStride), FChannels(channels), FAcross(across), FDown(down) {
  const int sh = down.From();
  const int rowLen = across.From() * channels;
  FAcc.resize(static_cast<std::size_t>(rowLen));
  // Room past the row for reading a sample's neighbour with it (never weighed).
  FMid.resize(static_cast<std::size_t>(rowLen) + 8);
  FFirst.resize(static_cast<std::size_t>(sh));
  FLast.resize(static_cast<std::size_t>(sh));
  // A keyed picture is mostly empty around its outline: zero samples give
  // zero, so only the span of each source row between its first and last
  // non-zero sample is worked on (sample units; first > last: none). Eight
  // bytes are tested at a time.
  for (int y = 0; y < sh; ++y) {
    const std::uint8_t* row = src + srcStride * y;
    auto word = [row](int at) {
      std::uint64_t v;
      std::memcpy(&v, row + at, 8);
      return v;
    };
    int lo = 0, hi = rowLen;
    while (lo + 8 <= hi && word(lo) == 0) lo += 8;
    while (lo < hi && row[lo] == 0) ++lo;
    while (hi - 8 >= lo && word(hi - 8) == 0) hi -= 8;
    while (hi > lo && row[hi - 1] == 0) --hi;
    FFirst[y] = lo / channels;
    FLast[y] = hi == lo ? -1 : (hi - 1) / channels;
  }
}

std::pair<int, int> TResampler::Row(int y, std::uint8_t* out) {
  const int sw = FAcross.From(), w = FAcross.To(), channels = FChannels;
  int lo = sw, hi = -1;
  for (int k = 0; k < FDown.Taps(); ++k) {
    if (FDown.Weight(y, k) == 0) continue;
    const int r = FDown.Index(y, k);
    if (FLast[r] < FFirst[r]) continue;
    lo = std::min(lo, FFirst[r]);
    hi = std::max(hi, FLast[r]);
  }
  // Targets whose taps all miss the span are zero.
  int x0 = 0, x1 = w;
  if (hi >= lo) {
    while (x0 < w && FAcross.Index(x0, FAcross.Taps() - 1) < lo) ++x0;
    while (x1 > x0 && FAcross.Index(x1 - 1, 0) > hi) --x1;
  } else {
    x1 = x0;
  }
  std::memset(out, 0, static_cast<std::size_t>(x0) * channels);
  std::memset(out + x1 * channels, 0, static_cast<std::size_t>(w - x1) * channels);
  if (x0 == x1) return {0, 0};
  // Down first, over the source samples those targets read: it treats the
  // row as plain bytes, whatever the channels.
  std::uint16_t* m = FMid.data();
  Down(FSrc, FStride, FAcross.Index(x0, 0) * channels, (FAcross.Index(x1 - 1, FAcross.Taps() - 1) + 1) * channels,
       FDown, y, FAcc.data(), m);
#ifdef __SSE2__
  if (FAcross.Neighbours() && (channels == 1 || channels == 4)) {
    if (channels == 1)
      AcrossNeighbours1(m, out, FAcross, x0, x1);
    else
      AcrossNeighbours4(m, out, FAcross, x0, x1);
    return {x0, x1};
  }
#endif
  switch (channels) {
    case 1: Across<1>(m, out, FAcross, x0, x1); break;
    case 2: Across<2>(m, out, FAcross, x0, x1); break;
    case 3: Across<3>(m, out, FAcross, x0, x1); break;
    default: Across<4>(m, out, FAcross, x0, x1); break;
  }
  return {x0, x1};
}

void Resample(const std::uint8_t* src, std::ptrdiff_t srcStride, std::uint8_t* dst, std::ptrdiff_t dstStride,
              int channels, const TResampleAxis& across, const TResampleAxis& down) {
  TResampler rows(src, srcStride, channels, across, down);
  for (int y = 0; y < down.To(); ++y) rows.Row(y, dst + dstStride * y);
}
