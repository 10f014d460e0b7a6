// The glyphs of the settings dialog's two buttons: a green tick for OK and a
// red cross for Cancel, the signs every dialog of the desktop era used, so a
// child who cannot read the captions yet still knows which is which.
#include <QPainter>
#include <QPainterPath>

#include "Pictures.h"

namespace {

const QRgb kMagenta = qRgb(255, 0, 255);
const QColor kButtonFace(245, 245, 245);

// A dark rim under a lighter stroke: the sign stays clear on any button face.
void RimmedStroke(QPainter& p, const QPainterPath& path, QColor rim, QColor fill, double width) {
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(rim, width + 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(path);
  p.setPen(QPen(fill, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(path);
}

}  // namespace

QImage DrawOkGlyph() {
  QImage layer = NewLayer(16, 16);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath tick;
  tick.moveTo(2.6, 8.6);
  tick.lineTo(6.2, 12.2);
  tick.lineTo(13.4, 3.6);
  RimmedStroke(p, tick, QColor(0, 90, 20), QColor(40, 190, 60), 2.6);
  p.end();
  return FlattenGlyph(layer, kMagenta, kButtonFace);
}

QImage DrawCancelGlyph() {
  QImage layer = NewLayer(16, 16);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath cross;
  cross.moveTo(4, 4);
  cross.lineTo(12, 12);
  cross.moveTo(12, 4);
  cross.lineTo(4, 12);
  RimmedStroke(p, cross, QColor(130, 0, 0), QColor(225, 35, 35), 2.2);
  p.end();
  return FlattenGlyph(layer, kMagenta, kButtonFace);
}
