#include "display/StretchCache.h"

QImage TStretchCache::Stretched(const TBitmap& picture, int w, int h) {
  if (picture.Empty() || w <= 0 || h <= 0) return QImage();
  const TKey key = KeyOf(picture, w, h);
  const auto found = FStretched.find(key);
  if (found != FStretched.end()) return found->second;
  ++FMisses;
  if (FStretched.size() >= MaxEntries) FStretched.clear();
  TBitmap target(w, h);
  target.Canvas().StretchDraw(Rect(0, 0, w, h), picture);
  return FStretched.emplace(key, target.Image()).first->second;
}

QImage TStretchCache::Coverage(const TBitmap& picture, int w, int h) {
  if (picture.Empty() || w <= 0 || h <= 0) return QImage();
  const TKey key = KeyOf(picture, w, h);
  const auto found = FCoverage.find(key);
  if (found != FCoverage.end()) return found->second;
  ++FMisses;
  if (FCoverage.size() >= MaxEntries) FCoverage.clear();
  return FCoverage.emplace(key, KeyedCoverage(picture, w, h)).first->second;
}

void TStretchCache::Clear() {
  FStretched.clear();
  FCoverage.clear();
}
