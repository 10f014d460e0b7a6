#include "shell/DummyUnit.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "display/Bitmap.h"
#include "display/Fonts.h"
#include "display/ImageUt.h"

namespace {
constexpr QColor WindowColor(81, 95, 124);
constexpr QColor TitleColor(206, 0, 0);
constexpr QColor RimColor(254, 234, 216);
constexpr int BevelWidth = 3;
// The title box and its three layers' places (design pixels): the rim
// below-right, the rim above-left, the red title between them.
constexpr int TitleBoxWidth = 357;
constexpr int TitleBoxHeight = 60;
constexpr int TitleLeft = 41;
constexpr int TitleTop = 43;
constexpr int TitleCharHeight = 43;

int Px(double designPixels, double scale) { return static_cast<int>(std::lround(designPixels * scale)); }

}  // namespace

void PaintSplash(QPainter& P, int Width, int Height, double Scale) {
  P.fillRect(0, 0, Width, Height, WindowColor);

  QFont font(GameFontFamily(QStringLiteral("Comic Sans MS")));
  font.setBold(true);
  font.setPixelSize(std::max(1, Px(TitleCharHeight, Scale)));
  font.setHintingPreference(QFont::PreferNoHinting);
  P.setFont(font);
  // The rim is one design pixel, never less than one device pixel.
  const int rim = std::max(1, Px(1, Scale));
  const int x = Px(TitleLeft, Scale), y = Px(TitleTop, Scale);
  const int bw = Px(TitleBoxWidth, Scale), bh = Px(TitleBoxHeight, Scale);
  const QString title = QStringLiteral("Zuggle Dart");
  const QRect below(x + rim, y + rim, bw, bh), above(x - rim, y - rim, bw, bh), middle(x, y, bw, bh);
  P.fillRect(below, WindowColor);  // the lowest layer is opaque
  P.setPen(RimColor);
  P.drawText(below, Qt::AlignCenter, title);
  P.drawText(above, Qt::AlignCenter, title);
  P.setPen(TitleColor);
  P.drawText(middle, Qt::AlignCenter, title);
}

double TForm2::Scale() { return ScreenPixelsPerInch() / 120.0; }

TForm2::TForm2(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Zuggle Dart"));
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  // Everything is painted in paintEvent; nothing to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  const double s = Scale();
  const QSize size(Px(DesignWidth, s), Px(DesignHeight, s));
  setFixedSize(size);
  ColorBevel1 = new TColorBevel(this);
  ColorBevel1->setObjectName(QStringLiteral("ColorBevel1"));
  ColorBevel1->setGeometry(rect());
  ColorBevel1->SetShape(bsFrame);
  ColorBevel1->SetStyle(bsLowered);
  ColorBevel1->SetBevelColor(RGB(WindowColor.red(), WindowColor.green(), WindowColor.blue()));
  ColorBevel1->SetBevelWidth(static_cast<TBevelWidth>(std::clamp(Px(BevelWidth, s), 1, int(MaxBevelWidth))));
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - QPoint(size.width() / 2, size.height() / 2));
}

void TForm2::MakeOrdinary() {
  // On the platform window directly: QWidget::setWindowFlags would re-create
  // the window, which unmaps it for a moment.
  if (QWindow* w = windowHandle()) w->setFlag(Qt::WindowStaysOnTopHint, false);
}

void TForm2::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!FShowHandlerSet) return;
  FShowHandlerSet = false;
  QCoreApplication::postEvent(this, new QEvent(WM_SPLASHSTART));
}

bool TForm2::event(QEvent* event) {
  if (event->type() == WM_SPLASHSTART) {
    if (OnSplashStart) OnSplashStart();
    return true;
  }
  return QWidget::event(event);
}

void TForm2::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  emit Closed();
}

void TForm2::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // Paint in device pixels, so that a device pixel ratio above 1 (a scaled
  // desktop) gets a frame of whole pixels and glyphs rendered at full size.
  const qreal dpr = devicePixelRatioF();
  p.scale(1 / dpr, 1 / dpr);
  PaintSplash(p, static_cast<int>(std::lround(width() * dpr)), static_cast<int>(std::lround(height() * dpr)),
              Scale() * dpr);
}
