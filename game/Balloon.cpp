#include "game/Balloon.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include "game/Design.h"
#include "platform/Random.h"

namespace {

const char* const ColourNames[] = {"Red", "Yellow", "Aqua", "Lime"};

// Cosine and sine of a whole number of degrees (0..359), worked out once:
// a spiky balloon asks 1200 times while it is made.
std::pair<long double, long double> WholeDegree(int degrees) {
  static const auto table = [] {
    std::array<std::pair<long double, long double>, 360> t{};
    for (int d = 0; d < 360; ++d) {
      const long double angle = d * (std::numbers::pi_v<long double> / 180);
      t[d] = {std::cos(angle), std::sin(angle)};
    }
    return t;
  }();
  return table[static_cast<std::size_t>(degrees)];
}

// A w x h picture with the looked-up picture stretched over it (white where
// there is none), from the round's cache of stretched pictures.
std::unique_ptr<TBitmap> StretchLookedUp(TStretchCache& cache, const TImageLookup& lookup, std::uint8_t colour,
                                         int index, int w, int h) {
  const TBitmap* picture = lookup ? lookup(colour, index) : nullptr;
  QImage stretched = picture ? cache.Stretched(*picture, w, h) : QImage();
  if (stretched.isNull()) return std::make_unique<TBitmap>(w, h);
  return std::make_unique<TBitmap>(stretched, TPixelFormat::pf32bit);
}

// A badge stretched once to w x h, for all three animation pictures: stretching
// is the costly part of making a balloon. It is kept as coverage, so its edge
// is mixed into the balloon where it lies on it and stays smooth where it
// reaches past the balloon onto the sky.
class TBadgeLayer {
public:
  TBadgeLayer(TStretchCache& cache, const TBitmap* badge, int w, int h) {
    // The badge is keyed on its own white background whatever flag it was
    // stored with, so it never hides the balloon behind it.
    if (badge) FLayer = cache.Coverage(*badge, w, h);
  }

  // Lays the badge over a picture of the layer's size.
  void DrawOn(TBitmap& target) const {
    if (!FLayer.isNull()) target.Canvas().Compose(0, 0, FLayer);
  }

private:
  QImage FLayer;
};

// The number, black with a silver outline (it keeps the number readable on
// every balloon colour), centred across in the upper third of a w x h picture,
// on a transparent layer. Large glyphs are costly to draw and the number is
// the same on all three animation pictures, so it is drawn once and laid over
// each; laying a layer over a picture blends exactly as drawing on it would.
QImage NumberLabel(const TFont& font, int w, int h, const QString& number) {
  if (w <= 0 || h <= 0) return QImage();
  QImage layer(w, h, QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  // Measured as TCanvas measures (advance width, ascent + descent cell) and
  // placed with the top of the character cell at y, as TCanvas::TextOut does.
  const QFont f = font.ToQFont();
  const QFontMetrics metrics(f);
  const int tw = metrics.horizontalAdvance(number);
  const int th = metrics.ascent() + metrics.descent();
  const int x = w / 2 - tw / 2;
  const int y = h / 3 - th / 3 + metrics.ascent();
  QPainter p(&layer);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setFont(f);
  p.setPen(ToQColor(clSilver));
  for (const auto& [dx, dy] : {std::pair{1, 1}, std::pair{-1, 1}, std::pair{1, -1}, std::pair{-1, -1}})
    p.drawText(QPoint(x + dx, y + dy), number);
  p.setPen(ToQColor(clBlack));
  p.drawText(QPoint(x, y), number);
  return layer;
}

// The points of a burst balloon in the font's colour over a dark rim of the
// same hue, with the top of the character cell at (x, y), on a transparent
// w x h layer. Grey or red letters alone are lost on confetti, sky and clouds;
// the rim makes them read at a glance on all of them.
QImage PointsLabel(const TFont& font, int w, int h, int x, int y, const QString& points) {
  if (w <= 0 || h <= 0) return QImage();
  QImage layer(w, h, QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  const QFont f = font.ToQFont();
  const QFontMetrics metrics(f);
  QPainterPath text;
  text.addText(x, y + metrics.ascent(), f, points);
  const QColor colour = ToQColor(font.Color);
  const QColor rim(colour.red() * 3 / 10, colour.green() * 3 / 10, colour.blue() * 3 / 10);
  QPainter p(&layer);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.strokePath(text, QPen(rim, std::max(2.0, f.pixelSize() / 5.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.fillPath(text, colour);
  return layer;
}

// A one-pixel line from (x0, y0) towards (x1, y1), the end point left out,
// clipped to the picture. The spikes are hundreds of short strokes per
// picture; plotting them directly spares a painter set-up for each.
void PlotLine(QImage& img, int x0, int y0, int x1, int y1, QRgb colour) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  const int w = img.width(), h = img.height();
  while (x0 != x1 || y0 != y1) {
    if (x0 >= 0 && x0 < w && y0 >= 0 && y0 < h) reinterpret_cast<QRgb*>(img.scanLine(y0))[x0] = colour;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

}  // namespace

QString BalloonImageName(std::uint8_t Colour, int Index) {
  if (Colour > 3) return QString();
  return QStringLiteral("img") + QLatin1String(ColourNames[Colour]) + QString::number(Index);
}

QString ShotImageName(std::uint8_t Colour) {
  if (Colour > 3) return QString();
  return QStringLiteral("img") + QLatin1String(ColourNames[Colour]) + QStringLiteral("Shot");
}

int SpecialChance(int ItemIndex) { return ItemIndex * (ItemIndex + 1); }

TBalloon::TBalloon(int ANumber, std::uint8_t Colour, std::uint8_t Size, const TImageLookup& GetImage,
                   const TImageLookup& GetShot, const TRect& Area, double Speed, int Chance,
                   const TBadgePictures& Badges, TStretchCache* Stretched)
    // The kind is drawn here, before any other draw of the balloon, so that
    // the draws of a seeded game come in the same order every time.
    : TBalloon(ANumber, Colour, Size, GetImage, GetShot, Area, Speed, DrawKind(Chance), Badges, Stretched) {}

TBalloon::TBalloon(int ANumber, std::uint8_t Colour, std::uint8_t Size, const TImageLookup& GetImage,
                   const TImageLookup& GetShot, const TRect& Area, double Speed, bool Bonus, bool Revive,
                   bool Spiky, const TBadgePictures& Badges, TStretchCache* Stretched)
    : TBalloon(ANumber, Colour, Size, GetImage, GetShot, Area, Speed, TKind{Bonus, Revive, Spiky}, Badges,
               Stretched) {}

TBalloon::TKind TBalloon::DrawKind(int Chance) {
  TKind kind;
  kind.Bonus = Random(80) < Chance;
  kind.Spiky = Random(1500) < Chance;
  if (kind.Bonus && Random(20) < 8) {
    kind.Revive = true;
    kind.Bonus = false;
  }
  return kind;
}

TBalloon::TBalloon(int ANumber, std::uint8_t Colour, std::uint8_t Size, const TImageLookup& GetImage,
                   const TImageLookup& GetShot, const TRect& Area, double Speed, TKind Kind,
                   const TBadgePictures& Badges, TStretchCache* Stretched) {
  FNumber = ANumber;
  FSize = Size;
  FColour = Colour;
  FArea = Area;
  FBonus = Kind.Bonus;
  FRevive = Kind.Revive;
  FSpiky = Kind.Spiky;
  FShot = false;

  FPoints = FSize == 0 ? 10 : FSize == 1 ? 8 : 6;
  if (FBonus) FPoints += 25;
  if (FSpiky) FPoints += 5;

  // Sizes come from the width alone, so a wide screen gets bigger balloons.
  FScale = static_cast<float>((FArea.Right - FArea.Left) / static_cast<long double>(DesignWidth));
  const int w = Round(std::sqrt(static_cast<long double>((FSize + 1) * 3136)) * FScale);
  const int h = Round(w * 1.25L);

  FRect.Left = FArea.Left + Random(FArea.Width() - w);
  FRect.Top = FArea.Top + Random(FArea.Height() - h);
  FRect.Right = FRect.Left + w;
  FRect.Bottom = FRect.Top + h;
  FX = static_cast<float>(FRect.Left);
  FY = static_cast<float>(FRect.Top);

  const int i = Round(5.0L * FScale);
  FHitRect = Rect(FRect.Left + i, FRect.Top + i, FRect.Right - i, FRect.Bottom - h / 5 - i);

  if (Stretched) {
    RenderPictures(GetImage, GetShot, Badges, *Stretched, w, h);
  } else {
    TStretchCache own;
    RenderPictures(GetImage, GetShot, Badges, own, w, h);
  }

  FFrame = Random(3) + 1;
  FAnimDelay = 5;
  FAnimTick = 0;

  FSpeed = static_cast<float>(std::sqrt((FSize + 2) / 3.0L) * Speed * FScale);

  // The horizontal sign is drawn first.
  const int hSign = 2 * Random(2) - 1;
  const int vSign = 2 * Random(2) - 1;
  NewDirection(hSign, vSign);
}

void TBalloon::RenderPictures(const TImageLookup& GetImage, const TImageLookup& GetShot,
                              const TBadgePictures& Badges, TStretchCache& Stretched, int w, int h) {
  const QString number = QString::number(FNumber);
  const TBadgeLayer bonus(Stretched, FBonus ? Badges.Bonus : nullptr, w, h);
  const TBadgeLayer revive(Stretched, FRevive ? Badges.Revive : nullptr, w, h);
  const TBadgeLayer spiky(Stretched, FSpiky ? Badges.Spiky : nullptr, w, h);
  TFont font;
  font.Name = QStringLiteral("ComicSansMS");
  font.SetSize(Round((3 * FSize + 14) * static_cast<long double>(FScale)));
  font.Bold = true;
  const QImage label = NumberLabel(font, w, h, number);
  for (int n = 1; n <= 3; ++n) {
    auto picture = StretchLookedUp(Stretched, GetImage, FColour, n, w, h);
    picture->Transparent = true;

    if (FSpiky) {
      // Short silver strokes pointing outwards, scattered over the round upper
      // part; every picture gets its own scatter, so the spikes shimmer.
      const int c = w / 2;
      const QRgb silver = qRgb(GetRValue(clSilver), GetGValue(clSilver), GetBValue(clSilver));
      for (int k = 0; k < 400; ++k) {
        const long double rho = Random() * static_cast<long double>(w / 2 - 3);
        const auto [cs, sn] = WholeDegree(Random(360));
        PlotLine(picture->Image(), c + Round(rho * cs), c + Round(rho * sn), c + Round(1.2L * rho * cs),
                 c + Round(1.2L * rho * sn), silver);
      }
    }

    bonus.DrawOn(*picture);
    revive.DrawOn(*picture);
    spiky.DrawOn(*picture);
    if (!picture->Empty()) {
      QPainter painter(&picture->Image());
      painter.drawImage(0, 0, label);
    }
    FImages[n] = std::move(picture);
  }

  FShotImage = StretchLookedUp(Stretched, GetShot, FColour, 0, w, h);
  FShotImage->Transparent = true;
  TCanvas& canvas = FShotImage->Canvas();
  const QString points = QString::number(FPoints);
  canvas.Font.Name = QStringLiteral("ComicSansMS");
  canvas.Font.SetSize(Round((3 * FSize + 13) * static_cast<long double>(FScale)));
  canvas.Font.Bold = false;
  canvas.Font.Color = FBonus ? clRed : clGray;
  canvas.Brush.Style = TBrushStyle::bsClear;
  const int tw = canvas.TextWidth(points);
  const int th = canvas.TextHeight(points);
  FShotImage->Canvas().Compose(0, 0, PointsLabel(canvas.Font, w, h, w / 2 - tw / 2, (h - th) / 2, points));
}

void TBalloon::NewDirection(int HSign, int VSign) {
  // Without speed or a horizontal sign no draw could ever give a velocity
  // with both parts non-zero: the loop below would never end.
  if (!(FSpeed > 0) || HSign == 0) {
    FVX = 0;
    FVY = 0;
    return;
  }
  const long double m = VSign < 0 ? FSpeed * 0.8L : FSpeed * 1.6L;
  do {
    FVX = static_cast<float>(Random() * HSign * m);
    if (std::fabs(FVX) >= FSpeed)
      FVY = 0;
    else
      FVY = static_cast<float>(std::sqrt(m * m - static_cast<long double>(FVX) * FVX) * VSign);
  } while (FVX == 0 || FVY == 0);
}

void TBalloon::Move() {
  // The sums are carried out in extended precision and stored as Single, so
  // that a seeded game follows the same paths on every machine.
  FVX = static_cast<float>(FVX - FVX * 0.0001L);
  FX = static_cast<float>(static_cast<long double>(FX) + FVX);
  if (FShot)
    FVY = static_cast<float>(FVY + static_cast<long double>(FScale) - FVY * 0.0001L);
  else
    FVY = static_cast<float>(FVY - 0.008L * FSpeed - FVY * 0.0001L);
  FY = static_cast<float>(static_cast<long double>(FY) + FVY);

  const int dx = Round(FX) - FRect.Left;
  const int dy = Round(FY) - FRect.Top;
  FRect.Offset(dx, dy);
  FHitRect.Offset(dx, dy);

  if (FAnimTick == FAnimDelay) FFrame = ((FFrame + 2 * Random(2) - 2) + 300) % 3 + 1;
  FAnimTick = FAnimTick % FAnimDelay + 1;

  if (FShot) return;
  // A balloon turns only once its hit box is wholly outside, so it spends a
  // little time out of view; only the first edge found counts.
  if (FHitRect.Left >= FArea.Right)
    NewDirection(-1, SignOf(FVY));
  else if (FHitRect.Right <= FArea.Left)
    NewDirection(+1, SignOf(FVY));
  else if (FHitRect.Bottom <= FArea.Top)
    NewDirection(SignOf(FVX), +1);
  else if (FHitRect.Top >= FArea.Bottom)
    NewDirection(SignOf(FVX), -1);
}

void TBalloon::MoveBy(int DX, int DY) {
  FRect.Offset(DX, DY);
  FHitRect.Offset(DX, DY);
  FX = static_cast<float>(static_cast<long double>(FX) + DX);
  FY = static_cast<float>(static_cast<long double>(FY) + DY);
}

TPoint TBalloon::Lead(int FramePeriod) const {
  const long double t = DartFlightTime();
  return {Round(t * FVX / FramePeriod), Round(t * FVY / FramePeriod)};
}

bool TBalloon::HitTest(int X, int Y, const TRect& Exclude) {
  if (FShot) return false;
  if (!FHitRect.StrictlyContains(X, Y)) return false;
  if (Exclude.StrictlyContains(X, Y)) return false;
  Burst();
  return true;
}

bool TBalloon::SpikyTouches(const TBalloon& A, const TBalloon& B) {
  if (A.FShot || B.FShot || A.FSpiky || A.FSize != B.FSize) return false;
  const int left = std::max(A.FHitRect.Left, B.FHitRect.Left);
  const int right = std::min(A.FHitRect.Right, B.FHitRect.Right);
  const int top = std::max(A.FHitRect.Top, B.FHitRect.Top);
  const int bottom = std::min(A.FHitRect.Bottom, B.FHitRect.Bottom);
  return left < right && top < bottom;
}
