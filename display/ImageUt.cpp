#include "display/ImageUt.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <vector>

#include "display/Bitmap.h"

namespace {

QPalette::ColorRole SystemColorRole(unsigned index) {
  switch (index) {
    case 5: return QPalette::Base;             // window background
    case 8: return QPalette::Text;             // window text
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;          // button face
    case 16: return QPalette::Dark;            // button shadow
    case 17: return QPalette::PlaceholderText; // grey text
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;           // button highlight
    case 21: return QPalette::Shadow;          // 3D dark shadow
    case 22: return QPalette::Midlight;        // 3D light
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    default: return QPalette::Window;
  }
}

TColor FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

TColor MapChannels(TColor color, int (*f)(int)) {
  const TColor c = ColorToRGB(color);
  return RGB(f(GetRValue(c)), f(GetGValue(c)), f(GetBValue(c)));
}

// One filled rectangle of the bevel; Right and Bottom lie outside.
struct TStroke {
  TRect Area;
  TColor Color;
};

class TBevelPen {
public:
  TBevelPen(int width, std::vector<TStroke>& out) : FWidth(width), FOut(out) {}
  TColor Color = clBlack;

  // A line from a to b, b left out; a and b share x or y.
  void Line(TPoint a, TPoint b) {
    const int lo = FWidth / 2;
    if (a.Y == b.Y && a.X != b.X) {
      const int x0 = a.X < b.X ? a.X : b.X + 1;
      const int x1 = a.X < b.X ? b.X : a.X + 1;
      Add(Rect(x0, a.Y - lo, x1, a.Y - lo + FWidth));
    } else if (a.X == b.X && a.Y != b.Y) {
      const int y0 = a.Y < b.Y ? a.Y : b.Y + 1;
      const int y1 = a.Y < b.Y ? b.Y : a.Y + 1;
      Add(Rect(a.X - lo, y0, a.X - lo + FWidth, y1));
    }
  }
  // Lines through the points in turn; the last point is left out. A wide pen
  // closes each turn with the square around the corner, so corners show no notch.
  void Polyline(std::initializer_list<TPoint> points) {
    const TPoint* p = points.begin();
    const int lo = FWidth / 2;
    for (size_t i = 1; i < points.size(); ++i) {
      Line(p[i - 1], p[i]);
      if (i + 1 < points.size() && FWidth > 1)
        Add(Rect(p[i].X - lo, p[i].Y - lo, p[i].X - lo + FWidth, p[i].Y - lo + FWidth));
    }
  }
  // Left and top through (Left, Bottom), (Left, Top), (Right, Top); then right
  // and bottom through (Right, Top), (Right, Bottom), (Left, Bottom).
  void EdgeRect(const TRect& r) {
    Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
    Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}});
  }

private:
  void Add(const TRect& r) { FOut.push_back({r, Color}); }
  int FWidth;
  std::vector<TStroke>& FOut;
};

// The rectangles to fill, in painting order (later ones cover earlier ones).
std::vector<TStroke> BevelStrokes(TBevelShape shape, TBevelStyle style, int bw, int w, int h, TColor light,
                                  TColor dark) {
  std::vector<TStroke> out;
  if (bw == 0 || shape == bsSpacer) return out;
  const TColor color1 = style == bsRaised ? light : dark;
  const TColor color2 = style == bsRaised ? dark : light;
  switch (shape) {
    case bsBox: {
      TBevelPen pen(1, out);
      TRect r = Rect(0, 0, w - 1, h - 1);
      for (int i = 0; i < bw; ++i) {
        pen.Color = color1;
        pen.Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}, {r.Left, r.Top}, {r.Left, r.Bottom}});
        pen.Color = color2;
        pen.Polyline(
            {{r.Left, r.Bottom}, {r.Right, r.Bottom}, {r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}});
        r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
      }
      break;
    }
    case bsFrame: {
      TBevelPen pen(bw, out);
      pen.Color = color2;
      pen.EdgeRect(Rect(bw, bw, w, h));
      pen.Color = color1;
      pen.EdgeRect(Rect(0, 0, w - bw, h - bw));
      break;
    }
    case bsTopLine:
    case bsBottomLine: {
      TBevelPen pen(bw, out);
      const int y1 = shape == bsTopLine ? 0 : h - 1 - bw;
      const int y2 = shape == bsTopLine ? bw : h - 1;
      pen.Color = color1;
      pen.Line({0, y1}, {w, y1});
      pen.Color = color2;
      pen.Line({0, y2}, {w, y2});
      break;
    }
    case bsLeftLine:
    case bsRightLine: {
      TBevelPen pen(bw, out);
      const int x1 = shape == bsLeftLine ? 0 : w - 1 - bw;
      const int x2 = shape == bsLeftLine ? bw : w - 1;
      pen.Color = color1;
      pen.Line({x1, 0}, {x1, h});
      pen.Color = color2;
      pen.Line({x2, 0}, {x2, h});
      break;
    }
    case bsSpacer:
      break;
  }
  return out;
}

TShiftState ShiftOf(const QMouseEvent& e) {
  TShiftState s;
  if (e.modifiers() & Qt::ShiftModifier) s.Include(ssShift);
  if (e.modifiers() & Qt::AltModifier) s.Include(ssAlt);
  if (e.modifiers() & Qt::ControlModifier) s.Include(ssCtrl);
  if (e.buttons() & Qt::LeftButton) s.Include(ssLeft);
  if (e.buttons() & Qt::RightButton) s.Include(ssRight);
  if (e.buttons() & Qt::MiddleButton) s.Include(ssMiddle);
  if (e.type() == QEvent::MouseButtonDblClick) s.Include(ssDouble);
  return s;
}

bool ButtonOf(Qt::MouseButton b, TMouseButton& out) {
  switch (b) {
    case Qt::LeftButton: out = mbLeft; return true;
    case Qt::RightButton: out = mbRight; return true;
    case Qt::MiddleButton: out = mbMiddle; return true;
    default: return false;
  }
}

}  // namespace

TColor ColorToRGB(TColor Color) {
  if ((Color & 0xFF000000u) == clSystemColor) {
    const QPalette palette = QGuiApplication::palette();
    return FromQColor(palette.color(QPalette::Active, SystemColorRole(Color & 0xFFu)));
  }
  return Color & 0x00FFFFFFu;
}

TColor LighterColor(TColor Color) {
  return MapChannels(Color, [](int c) { return std::min(255, c / 6 * 7 + 8); });
}

TColor DarkerColor(TColor Color) {
  return MapChannels(Color, [](int c) { return std::max(0, c / 7 * 6 - 8); });
}

TColorBevel::TColorBevel(QWidget* Owner)
    : QWidget(Owner), FBevelColor(clGray), FLightColor(LighterColor(clGray)), FDarkColor(DarkerColor(clGray)) {
  // Move events also without a button held, as the control's owner expects them.
  setMouseTracking(true);
}

void TColorBevel::SetBevelColor(TColor Value) {
  if (Value == FBevelColor) return;
  FBevelColor = Value;
  FLightColor = LighterColor(Value);
  FDarkColor = DarkerColor(Value);
  update();
}

void TColorBevel::SetBevelWidth(TBevelWidth Value) {
  Value = std::min(Value, MaxBevelWidth);
  if (Value == FBevelWidth) return;
  FBevelWidth = Value;
  update();
}

void TColorBevel::SetShape(TBevelShape Value) {
  if (Value == FShape) return;
  FShape = Value;
  update();
}

void TColorBevel::SetStyle(TBevelStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  update();
}

void TColorBevel::paintEvent(QPaintEvent*) {
  const std::vector<TStroke> strokes =
      BevelStrokes(FShape, FStyle, FBevelWidth, width(), height(), FLightColor, FDarkColor);
  if (strokes.empty()) return;
  QPainter p(this);
  const QRect inside = rect();
  for (const TStroke& s : strokes) {
    // QRect's right and bottom are inside: convert from the outside edges here.
    const QRect r = QRect(QPoint(s.Area.Left, s.Area.Top), QPoint(s.Area.Right - 1, s.Area.Bottom - 1)) & inside;
    if (!r.isEmpty()) p.fillRect(r, ToQColor(s.Color));
  }
}

void TColorBevel::mousePressEvent(QMouseEvent* event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), button)) return;
  if (button == mbLeft) FLeftDown = true;
  const QPoint at = event->position().toPoint();
  if (OnMouseDown) OnMouseDown(button, ShiftOf(*event), at.x(), at.y());
}

void TColorBevel::mouseReleaseEvent(QMouseEvent* event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), button)) return;
  const QPoint at = event->position().toPoint();
  const bool click = button == mbLeft && FLeftDown && rect().contains(at);
  if (button == mbLeft) FLeftDown = false;
  if (OnMouseUp) OnMouseUp(button, ShiftOf(*event), at.x(), at.y());
  if (click && OnClick) OnClick();
}

void TColorBevel::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (OnMouseMove) OnMouseMove(ShiftOf(*event), at.x(), at.y());
}
