// The sky behind the balloons, the glassy shelter that drifts over them, and
// the hit marker.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <random>

#include "FileWriters.h"
#include "Pictures.h"

namespace {

// A fluffy cloud: overlapping puffs, lit from above, shaded underneath.
void Cloud(QPainter& p, QPointF c, double size, std::mt19937& rnd) {
  auto uni = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rnd); };
  QPainterPath shape;
  shape.setFillRule(Qt::WindingFill);  // overlapping puffs make one body
  const int puffs = 6;
  for (int i = 0; i < puffs; ++i) {
    const double t = (i + 0.5) / puffs;        // across the cloud
    const double x = c.x() + (t - 0.5) * size * 2.0;
    const double hump = std::sin(t * M_PI);    // taller in the middle
    const double r = size * (0.32 + 0.38 * hump) * uni(0.85, 1.1);
    const double y = c.y() - r * 0.45 * hump;
    shape.addEllipse(QPointF(x, y), r, r);
  }
  // A flat-ish bottom.
  shape.addRoundedRect(QRectF(c.x() - size * 1.05, c.y() - size * 0.1, size * 2.1, size * 0.42), size * 0.2,
                       size * 0.2);
  shape = shape.simplified();
  const QRectF b = shape.boundingRect();
  QLinearGradient g(0, b.top(), 0, b.bottom());
  g.setColorAt(0, QColor(255, 255, 255));
  g.setColorAt(0.55, QColor(246, 249, 253));
  g.setColorAt(1, QColor(196, 212, 232));
  // A faint shadow below first, then the cloud.
  p.save();
  p.translate(3, 5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 100, 160, 30));
  p.drawPath(shape);
  p.restore();
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawPath(shape);
}

}  // namespace

QImage DrawSky() {
  const int w = 543, h = 407;
  QImage img(w, h, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, h);
  sky.setColorAt(0, QColor(58, 138, 222));
  sky.setColorAt(0.6, QColor(128, 188, 242));
  sky.setColorAt(1, QColor(200, 230, 250));
  p.fillRect(img.rect(), sky);

  // A smiling-warm sun in the upper right corner with a wide glow.
  const QPointF sun(470, 62);
  QRadialGradient glow(sun, 150);
  glow.setColorAt(0, QColor(255, 250, 200, 200));
  glow.setColorAt(0.3, QColor(255, 240, 170, 70));
  glow.setColorAt(1, QColor(255, 240, 170, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(sun, 150, 150);
  for (int i = 0; i < 12; ++i) {
    const double a = 2 * M_PI * i / 12 + 0.13;
    QPainterPath ray;
    ray.moveTo(sun + QPointF(std::cos(a - 0.07), std::sin(a - 0.07)) * 42);
    ray.lineTo(sun + QPointF(std::cos(a), std::sin(a)) * 62);
    ray.lineTo(sun + QPointF(std::cos(a + 0.07), std::sin(a + 0.07)) * 42);
    ray.closeSubpath();
    p.setBrush(QColor(255, 226, 90, 200));
    p.drawPath(ray);
  }
  QRadialGradient disc(sun + QPointF(-8, -8), 40);
  disc.setColorAt(0, QColor(255, 252, 200));
  disc.setColorAt(1, QColor(255, 208, 50));
  p.setBrush(disc);
  p.drawEllipse(sun, 34, 34);

  // Clouds at several depths; farther ones are smaller and paler.
  std::mt19937 rnd(2024);
  struct TCloudAt { double x, y, size; };
  const TCloudAt clouds[] = {
      {90, 70, 55}, {300, 48, 40}, {200, 170, 62}, {440, 200, 50},
      {70, 280, 46}, {330, 310, 58}, {520, 340, 40}, {160, 375, 36},
  };
  for (const auto& c : clouds) Cloud(p, QPointF(c.x, c.y), c.size, rnd);

  // Gentle green hills along the bottom edge.
  QPainterPath hills;
  hills.moveTo(0, h);
  hills.lineTo(0, h - 22);
  hills.cubicTo(120, h - 52, 210, h - 18, 300, h - 30);
  hills.cubicTo(390, h - 44, 470, h - 14, w, h - 34);
  hills.lineTo(w, h);
  hills.closeSubpath();
  QLinearGradient hg(0, h - 50, 0, h);
  hg.setColorAt(0, QColor(120, 200, 90));
  hg.setColorAt(1, QColor(60, 150, 60));
  p.setBrush(hg);
  p.drawPath(hills);
  p.end();
  return img;
}

QImage DrawShelter() {
  const int w = 190, h = 200;
  // The pane is drawn inside its rounded frame only; the corners outside stay
  // exact white, the key the game leaves out when it mixes the shelter in, so
  // the sky shows there. Nothing inside is exact white.
  QImage layer = NewLayer(w, h);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF outer(0.5, 0.5, w - 1, h - 1);
  QPainterPath pane;
  pane.addRoundedRect(outer, 12, 12);
  p.setClipPath(pane);
  // Pale blue glass, lighter towards the top.
  QLinearGradient base(0, 0, w * 0.3, h);
  base.setColorAt(0, QColor(214, 240, 255));
  base.setColorAt(1, QColor(150, 204, 240));
  p.fillRect(QRect(0, 0, w, h), base);

  // A honeycomb force field.
  const double s = 14.0;  // hexagon radius
  const double dx = s * std::sqrt(3.0), dy = s * 1.5;
  p.setBrush(Qt::NoBrush);
  for (int row = -1; row * dy < h + s; ++row)
    for (int col = -1; col * dx < w + s; ++col) {
      const QPointF c(col * dx + (row % 2 ? dx / 2 : 0), row * dy);
      QPainterPath hex;
      for (int k = 0; k < 6; ++k) {
        const double a = M_PI / 3 * k + M_PI / 6;
        const QPointF q = c + QPointF(std::cos(a), std::sin(a)) * (s - 1.2);
        if (k == 0) hex.moveTo(q); else hex.lineTo(q);
      }
      hex.closeSubpath();
      p.setPen(QPen(QColor(248, 252, 255), 1.6));
      p.drawPath(hex);
      p.setPen(QPen(QColor(110, 170, 220), 0.8));
      p.translate(0.9, 0.9);
      p.drawPath(hex);
      p.translate(-0.9, -0.9);
    }

  // Two diagonal shine bands, as on a pane of glass.
  p.setPen(Qt::NoPen);
  for (const auto& band : {std::pair{30.0, 26.0}, std::pair{78.0, 10.0}}) {
    QPainterPath b;
    b.moveTo(band.first, 0);
    b.lineTo(band.first + band.second, 0);
    b.lineTo(band.first + band.second - 70, h);
    b.lineTo(band.first - 70, h);
    b.closeSubpath();
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawPath(b);
  }
  // A frame so the pane reads as a solid thing, following the rounded edge.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(70, 130, 200), 5));
  p.drawRoundedRect(outer, 12, 12);
  p.setPen(QPen(QColor(236, 248, 255), 1.5));
  p.drawRoundedRect(QRectF(5.5, 5.5, w - 11, h - 11), 8, 8);
  p.end();
  return FlattenOnKey(layer, qRgb(255, 255, 255));
}

QImage DrawHitMarker() {
  QImage layer = NewLayer(32, 32);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(16, 16);
  auto star = [&](double outer, double inner, int n, double turn) {
    QPainterPath s;
    for (int i = 0; i < 2 * n; ++i) {
      const double a = turn + M_PI * i / n;
      const double r = i % 2 ? inner : outer;
      const QPointF q = c + QPointF(std::cos(a), std::sin(a)) * r;
      if (i == 0) s.moveTo(q); else s.lineTo(q);
    }
    s.closeSubpath();
    return s;
  };
  p.setPen(QPen(QColor(150, 0, 0), 1.3, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
  p.setBrush(QColor(255, 60, 20));
  p.drawPath(star(15.5, 7.5, 9, 0.2));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 170, 0));
  p.drawPath(star(10.5, 5.5, 9, 0.2 + M_PI / 9));
  p.setBrush(QColor(255, 240, 80));
  p.drawEllipse(c, 4.2, 4.2);
  p.end();
  const QImage flat = FlattenOnKey(layer, qRgb(255, 255, 255));
  // 16 colours with white first; the drawing maps to its nearest non-white entry.
  const QList<QRgb> palette = {
      qRgb(255, 255, 255), qRgb(0, 0, 0),       qRgb(150, 0, 0),     qRgb(200, 20, 10),
      qRgb(255, 60, 20),   qRgb(255, 110, 10),  qRgb(255, 170, 0),   qRgb(255, 205, 40),
      qRgb(255, 240, 80),  qRgb(255, 250, 170), qRgb(230, 90, 40),   qRgb(180, 40, 10),
      qRgb(255, 135, 60),  qRgb(240, 200, 120), qRgb(120, 0, 0),     qRgb(255, 220, 120),
  };
  QImage out(32, 32, QImage::Format_Indexed8);
  out.setColorTable(palette);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const QRgb v = flat.pixel(x, y);
      if ((v & 0xFFFFFF) == 0xFFFFFF) { out.setPixel(x, y, 0); continue; }
      int best = 1, bestD = INT_MAX;
      for (int i = 1; i < palette.size(); ++i) {
        const int dr = qRed(v) - qRed(palette[i]), dg = qGreen(v) - qGreen(palette[i]),
                  db = qBlue(v) - qBlue(palette[i]);
        const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < bestD) { bestD = d; best = i; }
      }
      out.setPixel(x, y, static_cast<uint>(best));
    }
  return out;
}
