// Balloons and burst balloons. Light comes from the upper left; the rubber is
// shaded with a radial gradient, carries a soft highlight, and ends in a knot
// and a string. Everything is drawn on a transparent layer and then put on
// exact white with hard edges, so no near-white fringe appears where the game
// keys white out.
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <random>

#include "Pictures.h"

const std::array<TBalloonStyle, 4>& BalloonStyles() {
  static const std::array<TBalloonStyle, 4> styles = {{
      {"Red", QColor(226, 34, 44), QColor(255, 140, 130), QColor(120, 8, 22)},
      {"Yellow", QColor(250, 206, 24), QColor(255, 244, 150), QColor(176, 110, 0)},
      {"Aqua", QColor(20, 196, 222), QColor(150, 238, 248), QColor(0, 92, 140)},
      {"Lime", QColor(104, 206, 36), QColor(196, 246, 130), QColor(34, 112, 10)},
  }};
  return styles;
}

namespace {

constexpr double kCx = 75.0, kCy = 75.0;  // the round body's centre

// The body outline in its own upright frame: a circle that narrows a little
// towards the knot, as a blown-up balloon does.
QPainterPath BodyPath(double r) {
  QPainterPath p;
  const int n = 180;
  for (int i = 0; i <= n; ++i) {
    const double t = 2 * M_PI * i / n;
    const double s = std::sin(t);  // +1 at the bottom
    // Below the equator the sides pull in and the bottom drops a little.
    const double pinch = s > 0 ? 1.0 - 0.10 * s * s * s : 1.0;
    const double x = kCx + r * std::cos(t) * pinch;
    const double y = kCy + r * s * (s > 0 ? 1.04 : 1.0);
    if (i == 0) p.moveTo(x, y); else p.lineTo(x, y);
  }
  p.closeSubpath();
  return p;
}

void PaintBody(QPainter& p, const TBalloonStyle& st, double r) {
  const QPainterPath body = BodyPath(r);
  QRadialGradient g(QPointF(kCx, kCy + 4), r * 1.08, QPointF(kCx - r * 0.36, kCy - r * 0.40));
  g.setColorAt(0.0, st.Light);
  g.setColorAt(0.30, st.Base);
  g.setColorAt(0.78, st.Base.darker(118));
  g.setColorAt(1.0, st.Dark);
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawPath(body);

  // Light passing through the rubber brightens the lower right rim.
  p.save();
  p.setClipPath(body);
  QRadialGradient glow(QPointF(kCx + r * 0.55, kCy + r * 0.62), r * 0.55);
  QColor gl = st.Light;
  gl.setAlpha(90);
  glow.setColorAt(0.0, gl);
  gl.setAlpha(0);
  glow.setColorAt(1.0, gl);
  p.setBrush(glow);
  p.drawEllipse(QPointF(kCx + r * 0.55, kCy + r * 0.62), r * 0.55, r * 0.55);
  p.restore();

  // Soft window highlight and a small bright spot; both stay below white.
  p.save();
  p.translate(kCx - r * 0.38, kCy - r * 0.44);
  p.rotate(-38);
  QRadialGradient hl(QPointF(0, 0), r * 0.30);
  hl.setColorAt(0.0, QColor(250, 250, 246, 210));
  hl.setColorAt(0.55, QColor(250, 250, 246, 120));
  hl.setColorAt(1.0, QColor(250, 250, 246, 0));
  p.setBrush(hl);
  p.drawEllipse(QPointF(0, 0), r * 0.30, r * 0.18);
  p.setBrush(QColor(248, 248, 244, 220));
  p.drawEllipse(QPointF(-r * 0.02, 0), r * 0.10, r * 0.055);
  p.restore();

  QPen rim(st.Dark, 1.6);
  p.setPen(rim);
  p.setBrush(Qt::NoBrush);
  p.drawPath(body);
}

void PaintKnot(QPainter& p, const TBalloonStyle& st, QPointF tip) {
  QPainterPath knot;
  knot.moveTo(tip.x() - 2.5, tip.y() - 2);
  knot.lineTo(tip.x() + 2.5, tip.y() - 2);
  knot.lineTo(tip.x() + 6, tip.y() + 7);
  knot.quadTo(tip.x(), tip.y() + 9.5, tip.x() - 6, tip.y() + 7);
  knot.closeSubpath();
  QLinearGradient g(tip.x() - 6, 0, tip.x() + 6, 0);
  g.setColorAt(0, st.Base);
  g.setColorAt(1, st.Dark);
  p.setBrush(g);
  p.setPen(QPen(st.Dark, 1.2));
  p.drawPath(knot);
}

}  // namespace

QImage DrawBalloon(const TBalloonStyle& st, int frame) {
  const int sway = frame - 1;  // -1, 0, +1
  QImage layer = NewLayer(150, 188);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);

  // The body turns about its own centre, so the centre stays where the game
  // puts numbers and spikes; the knot swings by a few pixels.
  const double angle = 8.0 * sway;
  const double r = 69.0 + (sway == 0 ? 0.6 : 0.0);  // breathes a little upright
  QTransform turn;
  turn.translate(kCx, kCy).rotate(angle).translate(-kCx, -kCy);
  const QPointF knotTip = turn.map(QPointF(kCx, kCy + r * 1.04));

  // String first, so the knot covers its top. It trails the sway.
  QPainterPath str;
  const QPointF top = knotTip + QPointF(0, 8);
  str.moveTo(top);
  const double lag = -15.0 * sway;
  // An S that bends the other way in each frame, so the string ripples.
  const double wave = sway == 0 ? 7.0 : -7.0 * sway;
  str.cubicTo(top + QPointF(lag * 0.2 + wave, 9), top + QPointF(lag * 0.8 - wave, 19), QPointF(75 + lag, 186.0));
  p.setPen(QPen(QColor(84, 84, 94), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(str);

  p.save();
  p.setTransform(turn);
  PaintKnot(p, st, QPointF(kCx, kCy + r * 1.04));
  PaintBody(p, st, r);
  p.restore();
  p.end();
  return FlattenOnKey(layer, qRgb(255, 255, 255));
}

QImage DrawShot(const TBalloonStyle& st, QImage& mask) {
  QImage layer = NewLayer(160, 240);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing);
  std::mt19937 rnd(7 + static_cast<unsigned>(st.Name.size()));
  auto uni = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rnd); };

  // The string trails upwards from the falling scrap.
  const QPointF knot(80, 140);
  QPainterPath str;
  str.moveTo(knot);
  str.cubicTo(QPointF(96, 108), QPointF(60, 62), QPointF(84, 4));
  p.setPen(QPen(QColor(96, 96, 104), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(str);

  // Torn rubber: limp tongues hanging from the knot, each with a ragged end.
  const int tongues = 5;
  for (int i = 0; i < tongues; ++i) {
    const double spread = (i - (tongues - 1) / 2.0);
    const double endX = knot.x() + spread * 19 + uni(-4, 4);
    const double endY = 212 + uni(-6, 14) - std::abs(spread) * 10;
    const double halfW = 14 - std::abs(spread) * 1.5;
    QPainterPath t;
    t.moveTo(knot + QPointF(-4, 2));
    t.cubicTo(knot + QPointF(-4 + spread * 4, 20), QPointF(endX - halfW, endY - 30), QPointF(endX - halfW, endY - 6));
    // Ragged bottom edge: a zigzag across the tongue's end.
    const int teeth = 4;
    for (int k = 0; k <= teeth; ++k) {
      const double x = endX - halfW + 2 * halfW * k / teeth;
      const double y = endY + (k % 2 ? uni(4, 10) : uni(-3, 1));
      t.lineTo(x, y);
    }
    t.cubicTo(QPointF(endX + halfW, endY - 30), knot + QPointF(4 + spread * 4, 20), knot + QPointF(4, 2));
    t.closeSubpath();
    QLinearGradient g(endX - halfW, 0, endX + halfW, 0);
    g.setColorAt(0, st.Light);
    g.setColorAt(0.45, st.Base);
    g.setColorAt(1, st.Dark);
    p.setBrush(g);
    p.setPen(QPen(st.Dark, 1.5));
    p.drawPath(t);
  }
  // The knot, a little crumpled.
  QPainterPath k;
  k.moveTo(knot + QPointF(-7, 2));
  k.quadTo(knot + QPointF(0, -8), knot + QPointF(7, 2));
  k.quadTo(knot + QPointF(0, 9), knot + QPointF(-7, 2));
  p.setBrush(st.Dark.lighter(130));
  p.setPen(QPen(st.Dark, 1.3));
  p.drawPath(k);

  // Scraps flying off where the balloon burst.
  for (int i = 0; i < 9; ++i) {
    const double a = uni(0, 2 * M_PI);
    const double d = uni(38, 62);
    const QPointF c(80 + std::cos(a) * d * 0.95, 82 + std::sin(a) * d * 0.9);
    QPainterPath s;
    const int corners = 5;
    for (int j = 0; j < corners; ++j) {
      const double b = a + 2 * M_PI * j / corners;
      const double rr = uni(4.5, 9.5);
      const QPointF q = c + QPointF(std::cos(b) * rr, std::sin(b) * rr);
      if (j == 0) s.moveTo(q); else s.lineTo(q);
    }
    s.closeSubpath();
    p.setBrush(i % 3 == 0 ? st.Light : st.Base);
    p.setPen(QPen(st.Dark, 1.2));
    p.drawPath(s);
  }
  p.end();
  return FlattenOnKey(layer, qRgb(255, 255, 255), &mask);
}
