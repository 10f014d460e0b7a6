#pragma once
// Smooth resizing of 8-bit samples, for the keyed pictures that every balloon
// stretches to the playfield's scale. Along each axis on its own: where the
// target is smaller, each target sample is the average of the source area it
// covers (a thin line becomes a run of partly covering samples, its total
// kept); where it is larger, the two nearest source samples are interpolated
// linearly, sample centres on sample centres (edges repeat outwards); an axis
// of equal size is copied. Integer weights, no division per sample.
//
// Any interleaving of channels works (the same weights apply to each): a row
// is `channels` bytes per sample, rows top-down. Weights are non-negative, so a
// premultiplied picture stays premultiplied (no colour above its alpha), and a
// constant picture stays exactly constant. No shared state: any thread, each
// object on one thread at a time.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// How target samples along one axis are made from source samples: for target
// i, Taps() source indices (all within 0..From-1) and weights in 1/WeightOne
// that sum to exactly WeightOne.
class TResampleAxis {
public:
  static constexpr int WeightOne = 1 << 14;
  // from, to >= 1 (samples along the axis in the source and the target).
  TResampleAxis(int from, int to);

  int From() const { return FFrom; }
  int To() const { return FTo; }
  int Taps() const { return FTaps; }
  // Source index and weight of tap k (0 <= k < Taps()) of target i.
  int Index(int i, int k) const { return FIndex[static_cast<std::size_t>(i) * FTaps + k]; }
  int Weight(int i, int k) const { return FWeight[static_cast<std::size_t>(i) * FTaps + k]; }
  // Weights of taps 2p and 2p + 1 of target i as two 16-bit halves (the
  // second high; 0 past the last tap), 0 <= p < (Taps() + 1) / 2.
  std::int32_t Pair(int i, int p) const { return FPair[static_cast<std::size_t>(i) * ((FTaps + 1) / 2) + p]; }
  // Two taps that are neighbours (or a second without weight): target i is
  // made from source Index(i, 0) and the one after it.
  bool Neighbours() const { return FNeighbours; }
  // The tables as arrays: Index(i, k) is Indices()[i * Taps() + k] and
  // Pair(i, p) is Pairs()[i * ((Taps() + 1) / 2) + p].
  const std::int32_t* Indices() const { return FIndex.data(); }
  const std::int32_t* Pairs() const { return FPair.data(); }

private:
  int FFrom, FTo, FTaps = 1;
  bool FNeighbours = false;
  std::vector<std::int32_t> FIndex;
  std::vector<std::int32_t> FWeight;
  std::vector<std::int32_t> FPair;
};

// Makes the target picture row by row, so that a row can be used while it is
// still in the cache. The source and both axes must outlive it.
class TResampler {
public:
  // The across.From() x down.From() picture at src, rows srcStride bytes
  // apart, channels 1 to 4.
  TResampler(const std::uint8_t* src, std::ptrdiff_t srcStride, int channels, const TResampleAxis& across,
             const TResampleAxis& down);
  // Writes target row y (0 <= y < down.To(), across.To() * channels bytes) to
  // out. Answers the targets [first, last) that may be other than zero; all
  // others are written zero ({0, 0}: the whole row).
  std::pair<int, int> Row(int y, std::uint8_t* out);

private:
  const std::uint8_t* FSrc;
  std::ptrdiff_t FStride;
  int FChannels;
  const TResampleAxis& FAcross;
  const TResampleAxis& FDown;
  std::vector<std::uint32_t> FAcc;
  std::vector<std::uint16_t> FMid;
  std::vector<int> FFirst, FLast;  // each source row's span of non-zero samples
};

// Resamples the across.From() x down.From() picture at src (x along across, y along down,
// rows `srcStride` bytes apart) to across.To() x down.To() at dst (rows
// `dstStride` bytes apart). channels is 1 to 4.
void Resample(const std::uint8_t* src, std::ptrdiff_t srcStride, std::uint8_t* dst, std::ptrdiff_t dstStride,
              int channels, const TResampleAxis& across, const TResampleAxis& down);
