#pragma once
// The one conversion between the game's rectangles and Qt's. A TRect has its
// Right and Bottom edges outside (Left <= x < Right); QRect::right() and
// QRect::bottom() are the last pixel inside. Width and height agree. And the
// count of a region's pixels.
#include <QRect>
#include <QRegion>

#include "platform/Types.h"

// Same pixels: QRect(Left, Top, Width, Height). An empty or inverted TRect
// gives a QRect of that (zero or negative) width and height, which Qt treats
// as empty.
inline QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }
// Same pixels: Right = left() + width(), Bottom = top() + height().
inline TRect ToTRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// The pixels of region (its rectangles do not overlap).
inline qint64 PixelCount(const QRegion& region) {
  qint64 n = 0;
  for (const QRect& r : region) n += qint64{r.width()} * r.height();
  return n;
}
