// Button glyphs, the aiming cursor and the program icon. The glyphs are drawn
// on a transparent layer and put on their key colour with edges mixed against
// a light button face, since that is where they are seen.
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include "Pictures.h"

namespace {

const QRgb kMagenta = qRgb(255, 0, 255);
const QColor kFace(240, 240, 240);

QPainterPath CircularArrow(QPointF c, double r, double startDeg, double spanDeg) {
  QPainterPath arc;
  const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
  arc.arcMoveTo(box, startDeg);
  arc.arcTo(box, startDeg, spanDeg);
  return arc;
}

void ArrowHead(QPainter& p, QPointF c, double r, double endDeg, bool clockwise, double len, double half) {
  const double a = qDegreesToRadians(endDeg);
  const QPointF at = c + QPointF(std::cos(a) * r, -std::sin(a) * r);
  const QPointF out(std::cos(a), -std::sin(a));
  QPointF along(-std::sin(a), -std::cos(a));  // counter-clockwise tangent on screen
  if (clockwise) along = -along;
  QPainterPath head;
  head.moveTo(at + along * len);
  head.lineTo(at + out * half);
  head.lineTo(at - out * half);
  head.closeSubpath();
  p.drawPath(head);
}

}  // namespace

QImage DrawExitGlyph() {
  QImage layer = NewLayer(16, 16);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath x;
  x.moveTo(3.5, 3.5); x.lineTo(12.5, 12.5);
  x.moveTo(12.5, 3.5); x.lineTo(3.5, 12.5);
  p.setPen(QPen(QColor(120, 0, 0), 4.2, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(x);
  p.setPen(QPen(QColor(232, 30, 30), 2.4, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(x);
  p.end();
  return FlattenGlyph(layer, qRgb(254, 230, 248), kFace);
}

QImage DrawHelpGlyph() {
  QImage layer = NewLayer(16, 16);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient g(QPointF(6, 5), 10);
  g.setColorAt(0, QColor(110, 170, 255));
  g.setColorAt(1, QColor(20, 80, 200));
  p.setBrush(g);
  p.setPen(QPen(QColor(10, 40, 120), 1));
  p.drawEllipse(QPointF(8, 8), 7.3, 7.3);
  QPainterPath q;
  const QFont f = LetterFont(14);
  q.addText(0, 0, f, QStringLiteral("?"));
  q.translate(QPointF(8, 8.3) - q.boundingRect().center());
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255));
  p.drawPath(q);
  p.end();
  return FlattenGlyph(layer, kMagenta, kFace);
}

QImage DrawOptionsGlyph() {
  QImage layer = NewLayer(16, 16);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  // A sheet with three rows, each with a tick box; two ticked.
  p.setPen(QPen(QColor(90, 90, 100), 1));
  p.setBrush(QColor(255, 255, 250));
  p.drawRoundedRect(QRectF(1.5, 0.5, 13, 15), 1.5, 1.5);
  for (int i = 0; i < 3; ++i) {
    const double y = 3.5 + i * 4.2;
    p.setPen(QPen(QColor(60, 60, 70), 1));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(3.5, y - 1.5, 3, 3));
    p.setPen(QPen(QColor(70, 110, 200), 1.2));
    p.drawLine(QPointF(8.5, y), QPointF(13, y));
  }
  QPainterPath tick;
  for (int i : {0, 2}) {
    const double y = 3.5 + i * 4.2;
    tick.moveTo(3, y - 0.2);
    tick.lineTo(5, y + 1.8);
    tick.lineTo(8.2, y - 3);
  }
  p.setPen(QPen(QColor(20, 150, 40), 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(tick);
  p.end();
  return FlattenGlyph(layer, kMagenta, kFace);
}

QImage DrawRestartGlyph() {
  QImage layer = NewLayer(16, 16);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(8, 8.5);
  const double r = 5.2;
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(10, 90, 30), 3.6, Qt::SolidLine, Qt::FlatCap));
  p.drawPath(CircularArrow(c, r, 70, -290));
  p.setPen(QPen(QColor(60, 200, 80), 2.0, Qt::SolidLine, Qt::FlatCap));
  p.drawPath(CircularArrow(c, r, 70, -290));
  p.setPen(QPen(QColor(10, 90, 30), 0.9));
  p.setBrush(QColor(60, 200, 80));
  ArrowHead(p, c, r, 70 - 290, true, 4.2, 3.6);
  p.end();
  return FlattenGlyph(layer, kMagenta, kFace);
}

QImage DrawSpeakerGlyph() {
  QImage layer = NewLayer(24, 24);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath body;
  body.moveTo(2.5, 8.5);
  body.lineTo(7, 8.5);
  body.lineTo(12.5, 3.5);
  body.lineTo(12.5, 20.5);
  body.lineTo(7, 15.5);
  body.lineTo(2.5, 15.5);
  body.closeSubpath();
  QLinearGradient g(0, 3, 0, 21);
  g.setColorAt(0, QColor(150, 150, 165));
  g.setColorAt(1, QColor(60, 60, 75));
  p.setBrush(g);
  p.setPen(QPen(QColor(30, 30, 40), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(body);
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < 3; ++i) {
    const double r = 4.5 + i * 3.4;
    const QRectF box(11 - r, 12 - r, 2 * r, 2 * r);
    p.setPen(QPen(QColor(30, 110, 220), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(box, -40 * 16, 80 * 16);
  }
  p.end();
  return FlattenGlyph(layer, kMagenta, kFace);
}

QImage DrawAimCursor() {
  // Pixel by pixel: a cursor is seen 1:1, and each pixel's role is fixed.
  // The ring's centre is the hot spot pixel (16, 16); with radius 15 it spans
  // pixels 1..31, which leaves row and column 0 for the light rim at upper left.
  QImage img(32, 32, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  const QRgb dark = qRgb(80, 80, 80), mid = qRgb(120, 120, 120), light = qRgb(204, 204, 204);
  const QRgb line = qRgb(255, 255, 255), centre = qRgb(230, 20, 20);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const double dx = x - 16, dy = y - 16;
      const double d = std::sqrt(dx * dx + dy * dy);
      if (d >= 12.9 && d <= 15.1) img.setPixel(x, y, dark);
      else if ((d > 15.1 && d <= 15.7) || (d >= 12.3 && d < 12.9)) img.setPixel(x, y, mid);
      else if (d > 15.7 && d <= 16.8 && dx + dy < 0) img.setPixel(x, y, light);
    }
  // The cross: a white line edged in dark grey, so it shows on the sky, on a
  // balloon and across the dark ring alike. It stops short of the centre to
  // leave the target visible; one red dot marks the hot spot.
  for (int t = 1; t <= 31; ++t) {
    if (std::abs(t - 16) <= 3) continue;
    img.setPixel(16, t, line);
    img.setPixel(t, 16, line);
    for (int side : {15, 17}) {
      if (qAlpha(img.pixel(side, t)) == 0 || (t > 2 && t < 30)) img.setPixel(side, t, dark);
      if (qAlpha(img.pixel(t, side)) == 0 || (t > 2 && t < 30)) img.setPixel(t, side, dark);
    }
  }
  img.setPixel(16, 16, centre);
  for (auto [x, y] : {std::pair{15, 16}, {17, 16}, {16, 15}, {16, 17}}) img.setPixel(x, y, dark);
  return img;
}

QImage DrawIcon(int size) {
  QImage layer = NewLayer(size, size);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  // A red balloon with a number, under a crosshair.
  p.setPen(QPen(QColor(80, 80, 90), 1.6));
  p.drawLine(QPointF(30, 50), QPointF(34, 63));
  const QPointF c(30, 27);
  QRadialGradient g(c, 25, c + QPointF(-8, -9));
  g.setColorAt(0, QColor(255, 150, 140));
  g.setColorAt(0.35, QColor(226, 34, 44));
  g.setColorAt(1, QColor(120, 8, 22));
  p.setBrush(g);
  p.setPen(QPen(QColor(110, 8, 22), 1.4));
  QPainterPath knot;
  knot.moveTo(28, 50); knot.lineTo(32, 50); knot.lineTo(34, 54); knot.lineTo(26, 54); knot.closeSubpath();
  p.drawPath(knot);
  p.drawEllipse(c, 23, 24);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(250, 250, 246, 190));
  p.drawEllipse(QPointF(21, 16), 6, 4);
  QPainterPath digit;
  digit.addText(0, 0, LetterFont(30), QStringLiteral("7"));
  digit.translate(c + QPointF(1, 2) - digit.boundingRect().center());
  p.setPen(QPen(QColor(60, 0, 10), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(digit);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 240, 120));
  p.drawPath(digit);
  // Crosshair over the lower right of the balloon.
  const QPointF a(44, 42);
  for (auto [col, wdt] : {std::pair{QColor(30, 30, 40), 5.0}, std::pair{QColor(245, 245, 245), 2.2}}) {
    p.setPen(QPen(col, wdt, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(a, 12, 12);
    p.drawLine(a + QPointF(0, -17), a + QPointF(0, -5));
    p.drawLine(a + QPointF(0, 5), a + QPointF(0, 17));
    p.drawLine(a + QPointF(-17, 0), a + QPointF(-5, 0));
    p.drawLine(a + QPointF(5, 0), a + QPointF(17, 0));
  }
  p.end();
  return layer.convertToFormat(QImage::Format_ARGB32);
}
