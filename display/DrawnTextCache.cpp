#include "display/DrawnTextCache.h"

#include <algorithm>
#include <cstring>

#include "display/Geometry.h"

namespace {

// Calls f(x, y, at, n) for each row of each rectangle of area: n pixels from
// (x, y) on, kept from offset at on.
template <class F>
void ForAreaRows(const QRegion& area, F f) {
  std::size_t at = 0;
  for (const QRect& r : area) {
    const auto n = static_cast<std::size_t>(r.width());
    for (int y = r.top(); y <= r.bottom(); ++y, at += n) f(r.left(), y, at, n);
  }
}

// Copies area's pixels (count of them) out of image, in the order kept.
void Keep(const QImage& image, const QRegion& area, qint64 count, std::vector<QRgb>& kept) {
  kept.resize(static_cast<std::size_t>(count));
  ForAreaRows(area, [&](int x, int y, std::size_t at, std::size_t n) {
    std::memcpy(kept.data() + at, reinterpret_cast<const QRgb*>(image.constScanLine(y)) + x, n * sizeof(QRgb));
  });
}

}  // namespace

void TDrawnTextCache::Draw(const TDrawing& drawing, QImage& image, const QRegion& area,
                           const std::function<void()>& draw) {
  const qint64 count = PixelCount(area);
  const bool keepable = image.format() == QImage::Format_RGB32 && count > 0 &&
                        image.rect().contains(area.boundingRect()) && count <= kMaxPixels;
  if (!keepable) return draw();
  const qreal ratio = image.devicePixelRatio();
  for (auto it = FEntries.begin(); it != FEntries.end(); ++it) {
    if (!(it->Drawing == drawing) || it->Ratio != ratio || it->Area != area) continue;
    bool same = true;
    ForAreaRows(area, [&](int x, int y, std::size_t at, std::size_t n) {
      same = same && std::memcmp(reinterpret_cast<const QRgb*>(image.constScanLine(y)) + x, it->Before.data() + at,
                                 n * sizeof(QRgb)) == 0;
    });
    if (!same) continue;
    uchar* const bits = image.bits();
    ForAreaRows(area, [&](int x, int y, std::size_t at, std::size_t n) {
      std::memcpy(reinterpret_cast<QRgb*>(bits + y * image.bytesPerLine()) + x, it->After.data() + at,
                  n * sizeof(QRgb));
    });
    std::rotate(it, it + 1, FEntries.end());  // the most recently used last
    return;
  }
  TEntry entry{drawing, ratio, area, {}, {}};
  Keep(image, area, count, entry.Before);
  draw();
  // A drawing that changed the picture's form or size is not kept.
  if (image.format() != QImage::Format_RGB32 || !image.rect().contains(area.boundingRect())) return;
  Keep(image, area, count, entry.After);
  if (FEntries.size() >= kEntries) FEntries.erase(FEntries.begin());
  FEntries.push_back(std::move(entry));
}
