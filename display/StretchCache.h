#pragma once
// Keyed pictures stretched to a size, kept for reuse. Making a balloon
// stretches four pictures to its size, which is most of its cost; balloons of
// the same colour and size class show the same stretched pictures, in one
// round and in every later one on a playfield of the same size, so each is
// made once and copied after that.
//
// An entry is found again only for the same picture object with the same
// contents (its address and its image's cache key, which changes whenever the
// pixels may have been written to) and the same transparency flag and size: a
// picture that changed or went is never answered from an old entry, whose
// memory stays until Clear or until the cache is full. At most MaxEntries
// pictures of each kind are kept; a new one beyond that empties the cache
// first. Game thread only.
#include <QImage>
#include <map>
#include <tuple>

#include "display/Bitmap.h"

class TStretchCache {
public:
  // Enough for every balloon, shot and badge picture of the game at its three
  // balloon sizes.
  static constexpr int MaxEntries = 72;

  // picture stretched over a white w x h bitmap as TCanvas::StretchDraw does
  // it (a transparent picture as keyed coverage). Null for an empty picture
  // or size. Each call answers its own copy (shared until written to).
  QImage Stretched(const TBitmap& picture, int w, int h);
  // KeyedCoverage(picture, w, h), made once.
  QImage Coverage(const TBitmap& picture, int w, int h);
  void Clear();
  // How many pictures were stretched (not found in the cache) since the cache
  // was made; Clear keeps the count.
  int Misses() const { return FMisses; }

private:
  using TKey = std::tuple<const TBitmap*, qint64, bool, int, int>;
  static TKey KeyOf(const TBitmap& picture, int w, int h) {
    return {&picture, picture.Image().cacheKey(), picture.Transparent, w, h};
  }
  std::map<TKey, QImage> FStretched;
  std::map<TKey, QImage> FCoverage;
  int FMisses = 0;
};
