#pragma once
// Keyed pictures stretched to a size, kept for reuse. Making a balloon
// stretches four pictures to its size, which is most of its cost; balloons of
// the same colour and size class in one round show the same stretched
// pictures, so each is made once and copied after that.
//
// Entries are keyed by the picture's address and the size: the owner clears
// the cache whenever a picture it was given may have changed or gone (the
// round does so when it frees its balloons). Game thread only.
#include <QImage>
#include <map>
#include <tuple>

#include "display/Bitmap.h"

class TStretchCache {
public:
  // picture stretched over a white w x h bitmap as TCanvas::StretchDraw does
  // it (a transparent picture as keyed coverage). Null for an empty picture
  // or size. Each call answers its own copy (shared until written to).
  QImage Stretched(const TBitmap& picture, int w, int h);
  // KeyedCoverage(picture, w, h), made once.
  QImage Coverage(const TBitmap& picture, int w, int h);
  void Clear();
  // How many pictures were stretched (not found in the cache) since the last
  // Clear.
  int Misses() const { return FMisses; }

private:
  using TKey = std::tuple<const TBitmap*, int, int>;
  std::map<TKey, QImage> FStretched;
  std::map<TKey, QImage> FCoverage;
  int FMisses = 0;
};
