#pragma once
// The compositor that the overlay surface replaces, and the one a game
// without it would use: every frame restores the whole playfield from the
// background, draws the frame's calls on it with Qt's painter (through the
// canvas), and copies the whole playfield to the screen.
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include "display/Bitmap.h"
#include "display/GraphicsRoutines.h"

class TFullFrameSurface : public QWidget {
public:
  TFullFrameSurface(int width, int height) : FBase(width, height), FBuffer(width, height) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    resize(width, height);
    FBuffer.Canvas().Brush.Style = TBrushStyle::bsClear;
  }

  // The background every frame starts from.
  TBitmap& Base() { return FBase; }
  TCanvas& Canvas() { return FBuffer.Canvas(); }

  void Begin() { FBuffer.Canvas().CopyRect(0, 0, FBase, Rect(0, 0, FBase.Width(), FBase.Height())); }
  void Draw(const TRect& r, const TBitmap& g) { FBuffer.Canvas().Draw(r.Left, r.Top, g); }
  // The overlay surface's blend: what lies under keeps weight / 256.
  void Blend(const TRect& r, int weight, TBitmap& g) {
    FUnder.SetSize(r.Width(), r.Height());
    FMixed.SetSize(r.Width(), r.Height());
    FUnder.Canvas().CopyRect(0, 0, FBuffer, r);
    BlendBitmaps(FUnder, g, FMixed, weight, 0, 0, 0, 0, r.Width(), r.Height());
    FBuffer.Canvas().CopyRect(r.Left, r.Top, FMixed, Rect(0, 0, r.Width(), r.Height()));
  }
  void Text(int x, int y, const QString& t) { FBuffer.Canvas().TextOut(x, y, t); }
  void Present() { repaint(); }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, FBuffer.Image());
  }

private:
  TBitmap FBase, FBuffer, FUnder, FMixed;
};
