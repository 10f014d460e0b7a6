// Badges laid over a balloon of the same box (100 x 125 here, the body centred
// at (50, 50) with radius ~46). The balloon's number is written over them
// afterwards, centred a little above (50, 40), so each badge frames it.
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include "Pictures.h"

namespace {

constexpr double kCx = 50.0, kCy = 50.0;

QPainterPath Star(QPointF c, double outer, double inner, int points, double turn) {
  QPainterPath s;
  for (int i = 0; i < 2 * points; ++i) {
    const double a = turn + M_PI * i / points - M_PI / 2;
    const double r = i % 2 ? inner : outer;
    const QPointF q = c + QPointF(std::cos(a) * r, std::sin(a) * r);
    if (i == 0) s.moveTo(q); else s.lineTo(q);
  }
  s.closeSubpath();
  return s;
}

// Text centred on a point, with a dark outline so it reads on any balloon.
void OutlinedText(QPainter& p, QPointF centre, const QString& text, int px, QColor fill, QColor outline) {
  QPainterPath path;
  const QFont f = LetterFont(px);
  path.addText(0, 0, f, text);
  const QRectF b = path.boundingRect();
  path.translate(centre - b.center());
  p.setPen(QPen(outline, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawPath(path);
}

QPainterPath Heart(QPointF c, double s) {
  QPainterPath h;
  h.moveTo(c + QPointF(0, s * 0.95));
  h.cubicTo(c + QPointF(-s * 1.35, s * 0.05), c + QPointF(-s * 0.8, -s * 1.05), c + QPointF(0, -s * 0.4));
  h.cubicTo(c + QPointF(s * 0.8, -s * 1.05), c + QPointF(s * 1.35, s * 0.05), c + QPointF(0, s * 0.95));
  return h;
}

}  // namespace

QImage DrawBonusBadge() {
  QImage layer = NewLayer(100, 125);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  // A golden star behind the number, with a soft glow of rays.
  const QPointF c(kCx, 43);
  const QPainterPath star = Star(c, 33, 15.5, 5, 0);
  QRadialGradient g(c + QPointF(-6, -8), 36);
  g.setColorAt(0, QColor(255, 246, 160));
  g.setColorAt(0.5, QColor(255, 204, 30));
  g.setColorAt(1, QColor(236, 140, 0));
  p.setBrush(g);
  p.setPen(QPen(QColor(150, 80, 0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(star);
  // A ribbon across the lower body carrying the word.
  QPainterPath ribbon;
  ribbon.moveTo(8, 70);
  ribbon.quadTo(50, 62, 92, 70);
  ribbon.lineTo(92, 88);
  ribbon.quadTo(50, 80, 8, 88);
  ribbon.closeSubpath();
  QLinearGradient rg(0, 64, 0, 88);
  rg.setColorAt(0, QColor(236, 40, 60));
  rg.setColorAt(1, QColor(170, 10, 40));
  p.setBrush(rg);
  p.setPen(QPen(QColor(110, 0, 20), 1.8));
  p.drawPath(ribbon);
  OutlinedText(p, QPointF(50, 77), QStringLiteral("BONUS"), 17, QColor(255, 236, 90), QColor(110, 0, 20));
  return FlattenOnKey(layer, qRgb(255, 255, 255));
}

QImage DrawReviveBadge() {
  QImage layer = NewLayer(100, 125);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  // A circular arrow around the number: "everything comes back".
  const QPointF c(kCx, 44);
  const double r = 31;
  const double start = 130, span = -300;  // degrees, Qt's counter-clockwise positive
  QPainterPath arc;
  arc.arcMoveTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), start);
  arc.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), start, span);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(10, 90, 30), 10, Qt::SolidLine, Qt::FlatCap));
  p.drawPath(arc);
  p.setPen(QPen(QColor(70, 210, 90), 6.5, Qt::SolidLine, Qt::FlatCap));
  p.drawPath(arc);
  // Arrow head at the arc's end, pointing along the turn.
  const double endA = qDegreesToRadians(start + span);
  const QPointF tip0 = c + QPointF(std::cos(endA) * r, -std::sin(endA) * r);
  const QPointF along(std::sin(endA), std::cos(endA));  // clockwise tangent in screen space
  const QPointF out(std::cos(endA), -std::sin(endA));
  QPainterPath head;
  head.moveTo(tip0 + along * 11);
  head.lineTo(tip0 + out * 10);
  head.lineTo(tip0 - out * 10);
  head.closeSubpath();
  p.setBrush(QColor(70, 210, 90));
  p.setPen(QPen(QColor(10, 90, 30), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(head);
  // A heart below: a life given back.
  const QPainterPath heart = Heart(QPointF(50, 83), 11);
  QRadialGradient hg(QPointF(46, 78), 14);
  hg.setColorAt(0, QColor(255, 150, 180));
  hg.setColorAt(1, QColor(222, 20, 70));
  p.setBrush(hg);
  p.setPen(QPen(QColor(120, 0, 30), 2));
  p.drawPath(heart);
  return FlattenOnKey(layer, qRgb(255, 255, 255));
}

QImage DrawSpikyBadge() {
  QImage layer = NewLayer(100, 125);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  // Metal thorns standing out of the rim all round the body.
  const int n = 16;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * M_PI * (i + 0.5) / n;
    const QPointF dir(std::cos(a), std::sin(a));
    const QPointF side(-dir.y(), dir.x());
    const double base = 39, tip = 50.5;
    const double halfW = 6.0;
    const QPointF c(kCx, kCy);
    QPainterPath spike;
    spike.moveTo(c + dir * base + side * halfW);
    spike.lineTo(c + dir * tip);
    spike.lineTo(c + dir * base - side * halfW);
    spike.closeSubpath();
    QLinearGradient g(c + dir * base + side * halfW, c + dir * base - side * halfW);
    g.setColorAt(0, QColor(240, 240, 246));
    g.setColorAt(0.5, QColor(170, 172, 184));
    g.setColorAt(1, QColor(90, 92, 106));
    p.setBrush(g);
    p.setPen(QPen(QColor(50, 50, 62), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(spike);
  }
  // A cheeky grin under the number: this balloon giggles when it pops others.
  QPainterPath grin;
  grin.moveTo(34, 68);
  grin.quadTo(50, 84, 66, 68);
  grin.quadTo(50, 76, 34, 68);
  p.setBrush(QColor(60, 20, 30));
  p.setPen(QPen(QColor(40, 10, 20), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(grin);
  return FlattenOnKey(layer, qRgb(255, 255, 255));
}
