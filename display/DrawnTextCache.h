#pragma once
// What drawing a text did to the pixels around it, kept for the next time the
// same text is drawn at the same place. A clock shows the same second for
// many frames, over the same sky: laying the text out and drawing its glyphs
// again would give the same bytes, so the kept result is put back instead.
// A result is used only where every pixel it was drawn over is as it was.
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QString>
#include <cstddef>
#include <functional>
#include <vector>

#include "display/Bitmap.h"

class TDrawnTextCache {
public:
  // Everything a text drawing depends on besides the pixels under it.
  struct TDrawing {
    QString Text;
    QPoint At;
    TFont Font;
    TBrush Brush;
    bool operator==(const TDrawing&) const = default;
  };

  // Runs draw, which changes image (32-bit) only within area, unless the same
  // drawing with the same area was kept over the same pixels there: then its
  // result is written back instead. Areas of more than kMaxPixels are drawn
  // and not kept.
  void Draw(const TDrawing& drawing, QImage& image, const QRegion& area, const std::function<void()>& draw);

  static constexpr qint64 kMaxPixels = 128 * 1024;
  static constexpr std::size_t kEntries = 8;

private:
  struct TEntry {
    TDrawing Drawing;
    qreal Ratio;  // the picture's device pixel ratio
    QRegion Area;
    std::vector<QRgb> Before, After;  // area's pixels, rectangle by rectangle, row by row
  };
  std::vector<TEntry> FEntries;  // the most recently used last
};
