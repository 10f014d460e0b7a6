#include "display/OverlayImage.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QtMath>
#include <cmath>
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "display/GraphicsRoutines.h"

namespace {

// Clears a flag when the scope ends, also when an exception passes through.
class TFlagReset {
public:
  explicit TFlagReset(bool& flag) : FFlag(flag) {}
  ~TFlagReset() { FFlag = false; }
  TFlagReset(const TFlagReset&) = delete;
  TFlagReset& operator=(const TFlagReset&) = delete;

private:
  bool& FFlag;
};

// Pixel edges are compared after a multiplication by the ratio; a product that
// lands a hair beside a whole number still means that number.
constexpr qreal kEdgeSlack = 1e-6;

std::optional<TMouseButton> ButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return mbLeft;
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return std::nullopt;
  }
}

}  // namespace

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  TShiftState s;
  if (modifiers & Qt::ShiftModifier) s.Include(ssShift);
  if (modifiers & Qt::AltModifier) s.Include(ssAlt);
  if (modifiers & Qt::ControlModifier) s.Include(ssCtrl);
  if (buttons & Qt::LeftButton) s.Include(ssLeft);
  if (buttons & Qt::RightButton) s.Include(ssRight);
  if (buttons & Qt::MiddleButton) s.Include(ssMiddle);
  return s;
}

TOverlayImage::TOverlayImage(QWidget* parent)
    : QWidget(parent), FBitmap(std::make_unique<TBitmap>(width(), height())) {
  // The control paints every pixel of its area itself, so the parent must not
  // erase under it first: that erase would flicker between frames.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setAutoFillBackground(false);
  setMouseTracking(true);
}

TOverlayImage::~TOverlayImage() = default;

// ---- properties ------------------------------------------------------------

void TOverlayImage::SetBitmap(const TBitmap& value) {
  FBitmap->Assign(value);
  FBitmap->SetPixelFormat(TPixelFormat::pf32bit);
  // A picture that calls itself 32-bit may still hold another Qt format (one
  // adopted as stored); the paint path must never convert per frame.
  QImage& image = FBitmap->Image();
  if (!image.isNull() && image.format() != QImage::Format_RGB32)
    image = image.convertToFormat(QImage::Format_RGB32);
  BaseChanged();
}

TCanvas& TOverlayImage::BaseCanvas() {
  TCanvas& canvas = FBitmap->Canvas();
  canvas.SetClipRegion(std::nullopt);
  return canvas;
}

TFont& TOverlayImage::OverlayFont() {
  EnsureOverlayBuffer();
  return FOverlay->Canvas().Font;
}

void TOverlayImage::SetOverlayFont(const TFont& value) {
  EnsureOverlayBuffer();
  FOverlay->Canvas().Font = value;
}

TBrush& TOverlayImage::OverlayBrush() {
  EnsureOverlayBuffer();
  return FOverlay->Canvas().Brush;
}

TCanvas& TOverlayImage::OverlayCanvas() {
  EnsureOverlayBuffer();
  TCanvas& canvas = FOverlay->Canvas();
  canvas.SetClipRegion(FFrameRegion);
  return canvas;
}

// ---- frame operations --------------------------------------------------------

void TOverlayImage::AddChangedRegion(std::optional<QRegion> region) {
  if (!region) return;
  if (FFrameRegion) {
    *FFrameRegion += *region;
  } else if (!FFrameOpen) {
    FFrameRegion = std::move(region);
  }
  // Otherwise the frame was opened without a record (around OnOverlayPaint),
  // which already stands for the whole control: a rectangle cannot narrow it.
}

void TOverlayImage::BeginOverlayFrame() { OpenFrame(QRegion()); }

void TOverlayImage::OpenFrame(const QRegion& keep) {
  if (FFrameOpen) return;
  FFrameOpen = true;
  EnsureOverlayBuffer();
  TCanvas& canvas = FOverlay->Canvas();
  // Restoring only the previous frame's area erases exactly what it drew.
  if (keep.isEmpty())
    canvas.SetClipRegion(FLastRegion);
  else
    canvas.SetClipRegion((FLastRegion ? *FLastRegion : QRegion(WholeRect())) - keep);
  canvas.CopyRect(0, 0, *FBitmap, ToTRect(WholeRect()));
  canvas.SetClipRegion(FLastRegion);
  FOverlayShown = false;
}

void TOverlayImage::DrawOnOverlay(const TRect& rectangle, const TBitmap& graphic) {
  AddChangedRegion(QRegion(ToQRect(rectangle)));
  BeginOverlayFrame();
  OverlayCanvas().Draw(rectangle.Left, rectangle.Top, graphic);
}

void TOverlayImage::TextOnOverlay(int x, int y, const QString& text) {
  const TCanvas& measure = OverlayCanvas();
  const int w = measure.TextWidth(text);
  const int h = measure.TextHeight(text);
  AddChangedRegion(QRegion(x, y, w, h));
  BeginOverlayFrame();
  OverlayCanvas().TextOut(x, y, text);
}

void TOverlayImage::BlendOnOverlay(const TRect& rectangle, int weight, TBitmap& bitmap) {
  EnsureOverlayBuffer();
  bitmap.SetPixelFormat(TPixelFormat::pf32bit);
  const QRegion area(ToQRect(rectangle));
  if (FFrameOpen) {
    AddChangedRegion(area);
    MixIntoOverlay(rectangle, weight, bitmap);
  } else {
    // As the first call of a frame the blend mixes in what the previous frame
    // drew there, so it runs before the frame restores the background; the
    // restore then leaves the mixed rectangle alone.
    const QRect mixed = MixIntoOverlay(rectangle, weight, bitmap);
    AddChangedRegion(area);
    OpenFrame(mixed);
  }
  OverlayCanvas();  // the clip that later copies see, as after any drawing call
}

namespace {

// How many pixels from s on are plain: neither of the key colour nor covering
// only part of their place (a fourth byte other than 0 and 255). Four at a
// time on x86, since a shelter row is one long plain run.
int PlainRun(const std::uint32_t* s, int n, std::uint32_t key) {
  int i = 0;
#ifdef __SSE2__
  const __m128i colourMask = _mm_set1_epi32(0x00FFFFFF);
  const __m128i keyed = _mm_set1_epi32(static_cast<int>(key));
  const __m128i one = _mm_set1_epi32(0x01000000);
  const __m128i high = _mm_set1_epi32(static_cast<int>(0xFE000000u));
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= n; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i isKey = _mm_cmpeq_epi32(_mm_and_si128(v, colourMask), keyed);
    // The fourth byte plus one is 0 or 1 (in the top byte) only for 255 and 0.
    const __m128i opaque = _mm_cmpeq_epi32(_mm_and_si128(_mm_add_epi32(v, one), high), zero);
    if (_mm_movemask_epi8(_mm_andnot_si128(isKey, opaque)) != 0xFFFF) break;
  }
#endif
  for (; i < n; ++i) {
    const unsigned a = s[i] >> 24;
    if ((s[i] & 0xFFFFFF) == key || (a != 0 && a != 255)) break;
  }
  return i;
}

}  // namespace

QRect TOverlayImage::MixIntoOverlay(const TRect& rectangle, int weight, TBitmap& bitmap) {
  // The shelter is mixed in place, with no temporary pictures: the row blend
  // computes (d * 256 + (s - d) * a) mod 65536 div 256 per byte, and with the
  // overlay's byte u as d, the bitmap's byte b as s and a = 256 - weight this
  // is exactly (b * 256 + (u - b) * weight) mod 65536 div 256, the mix of the
  // bitmap over what lies under it, for every weight.
  const QRect target = ToQRect(rectangle) & FOverlay->Image().rect() &
                       QRect(rectangle.Left, rectangle.Top, bitmap.Width(), bitmap.Height());
  if (target.isEmpty()) return QRect();
  const TRect source = ToTRect(target.translated(-rectangle.Left, -rectangle.Top));
  TCanvas& overlay = FOverlay->Canvas();
  if (!bitmap.Transparent) {
    BlendRect(&bitmap.Canvas(), &overlay, source, TPoint{target.left(), target.top()}, bkUniform, 256 - weight,
              0);
    return target;
  }
  // A transparent bitmap (the shelter with its rounded corners) is mixed only
  // where it is drawn: its key-coloured pixels leave what lies under them, and
  // its edge pixels that cover part of their place mix the blend in by that
  // share. The rows are mixed in runs of plain pixels, so the blend of every
  // frame costs no more than an untransparent one.
  const QImage& pic = bitmap.Image();
  const std::uint32_t key = pic.pixel(0, pic.height() - 1) & 0xFFFFFF;
  QImage& over = FOverlay->Image();
  const int n = target.width();
  for (int y = target.top(); y <= target.bottom(); ++y) {
    const auto* s = reinterpret_cast<const std::uint32_t*>(pic.constScanLine(y - rectangle.Top)) + source.Left;
    auto* d = reinterpret_cast<std::uint32_t*>(over.scanLine(y)) + target.left();
    for (int x = 0; x < n;) {
      const int run = PlainRun(s + x, n - x, key);
      if (run > 0) {
        BlendRowUniform(s + x, d + x, run, 256 - weight, 0);
        x += run;
        continue;
      }
      if ((s[x] & 0xFFFFFF) != key) {  // an edge pixel: its share of the blend
        const std::uint32_t u = d[x];
        BlendRowUniform(s + x, d + x, 1, 256 - weight, 0);
        const int a = qAlpha(s[x]);
        auto mix = [a](int blended, int under) { return (blended * a + under * (255 - a) + 127) / 255; };
        d[x] = qRgba(mix(qRed(d[x]), qRed(u)), mix(qGreen(d[x]), qGreen(u)), mix(qBlue(d[x]), qBlue(u)), qAlpha(u));
      }
      ++x;
    }
  }
  return target;
}

void TOverlayImage::PresentOverlay() {
  EnsureOverlayBuffer();
  FFrameOpen = true;
  if (OnOverlayPaint) OnOverlayPaint(this);

  // The screen needs what the previous frame drew (now erased in the buffer)
  // and what this frame drew; if either is unknown, everything.
  QRegion screen = WholeRect();
  if (FLastRegion && FFrameRegion) screen &= *FLastRegion + *FFrameRegion;
  FLastRegion.reset();

  FPresentedRegion = QRegion();
  {
    FPresenting = true;
    TFlagReset reset(FPresenting);
    repaint(LogicalArea(screen));  // synchronous: the screen shows the frame when we return
  }

  FLastRegion = std::move(FFrameRegion);
  FFrameRegion.reset();
  FFrameOpen = false;
  FOverlayShown = true;
}

void TOverlayImage::ResetOverlay() {
  FOverlayShown = false;
  FLastRegion = QRegion(WholeRect());
  repaint();
}

void TOverlayImage::BaseChanged() {
  if (FBaseNotifySuspended) return;
  // A paint in progress shows the changed picture already; Qt cannot start
  // another paint inside it.
  if (FPainting) return;
  if (FLastRegion) FLastRegion = QRegion(0, 0, FBitmap->Width(), FBitmap->Height());
  FOverlayShown = false;
  update();
}

void TOverlayImage::Loaded() {
  const QSize pixels = PixelSize();
  FBufferWidth = pixels.width();
  FBufferHeight = pixels.height();
  FPixelRatio = devicePixelRatioF();
  // Qt reports the size of a hidden widget only when it is shown, so the
  // pictures may not have followed the owner's set-up yet.
  ResizeBuffers();
  FillBase(BaseCanvas(), Brush().Color);
  BaseChanged();
}

// ---- lower-level operations --------------------------------------------------

void TOverlayImage::EnsureOverlayBuffer() {
  if (!FOverlay) {
    const QSize pixels = PixelSize();
    FOverlay = std::make_unique<TBitmap>(pixels.width(), pixels.height());
  }
}

void TOverlayImage::ResizeBuffers() {
  if (FOverlay) {
    // Discard the old frame entirely: the next frame restores everything.
    FOverlay->SetSize(0, 0);
    FOverlay->SetSize(FBufferWidth, FBufferHeight);
  }
  if (FBitmap) {
    FBitmap->SetSize(FBufferWidth, FBufferHeight);
    BaseChanged();
  }
}

void TOverlayImage::RecordPosition() {
  if (!parentWidget()) return;
  FPosLeft = x();
  FPosTop = y();
}

void TOverlayImage::FillBase(TCanvas& canvas, TColor colour) {
  canvas.Brush.Color = colour;
  // Choosing a colour to fill with means a solid fill, as it does for the
  // toolkit brush this follows.
  canvas.Brush.Style = TBrushStyle::bsSolid;
  const QSize pixels = PixelSize();
  canvas.FillRect(Rect(0, 0, pixels.width(), pixels.height()));
}

// ---- Qt events ---------------------------------------------------------------

bool TOverlayImage::WindowPosChanged() {
  // Unlike a windowless control a widget may have no parent; its size still
  // decides the pictures' size.
  const QSize pixels = PixelSize();
  FPixelRatio = devicePixelRatioF();
  const bool resized = pixels.width() != FBufferWidth || pixels.height() != FBufferHeight;
  if (resized) {
    FBufferWidth = pixels.width();
    FBufferHeight = pixels.height();
    ResizeBuffers();
    FLastRegion = QRegion(WholeRect());
    FFrameOpen = false;
    FOverlayShown = false;
  }
  RecordPosition();
  return resized;
}

void TOverlayImage::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  // At a fractional ratio a move alone can change the size in pixels by one.
  // When the logical size changed too, Qt sends a resize event next, which
  // reports it; otherwise the owner hears of it here.
  if (WindowPosChanged() && size() == FResizedAt && OnResize) OnResize(this);
}

void TOverlayImage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FResizedAt = size();
  WindowPosChanged();
  if (OnResize) OnResize(this);
}

bool TOverlayImage::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  // A window moved to a screen of another scale keeps its logical size but
  // not its size in pixels.
  bool rescaled = event->type() == QEvent::ScreenChangeInternal;
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
  rescaled = rescaled || event->type() == QEvent::DevicePixelRatioChange;
#endif
  if (rescaled && WindowPosChanged() && OnResize) OnResize(this);
  return handled;
}

// ---- device pixels -----------------------------------------------------------

QPoint TOverlayImage::OriginInWindow() const { return isWindow() ? QPoint() : mapTo(window(), QPoint()); }

QSize TOverlayImage::PixelSize() const {
  const qreal r = devicePixelRatioF();
  if (r == 1) return size();
  const QPoint o = OriginInWindow();
  return QSize(qRound((o.x() + width()) * r) - qRound(o.x() * r), qRound((o.y() + height()) * r) - qRound(o.y() * r));
}

QPoint TOverlayImage::ToPixels(const QPointF& local) const {
  const qreal r = devicePixelRatioF();
  // The pixel under the point in the window's backing store, counted from the
  // pixel where the control's pictures begin there.
  const QPointF o = OriginInWindow();
  const QPointF d = (local + o) * r;
  return QPoint(qFloor(d.x() + kEdgeSlack) - qRound(o.x() * r), qFloor(d.y() + kEdgeSlack) - qRound(o.y() * r));
}

QPointF TOverlayImage::EventPosition(const QSinglePointEvent& event) const {
  // Qt hands a widget its mouse position rounded to whole logical pixels; the
  // position in the window keeps the fraction that a fractional ratio gives
  // it. When the event came through the window (the two then agree to within
  // the rounding), the window's position names the exact pixel.
  const QPointF inWindow = event.scenePosition() - QPointF(OriginInWindow());
  const QPointF rounding = inWindow - event.position();
  return std::abs(rounding.x()) < 1 && std::abs(rounding.y()) < 1 ? inWindow : event.position();
}

QPoint TOverlayImage::ScreenToClient(const QPoint& global) const { return ToPixels(mapFromGlobal(QPointF(global))); }

QRegion TOverlayImage::PixelsToPaint(const QPainter& painter, const QRegion& area) const {
  const qreal r = painter.device() ? painter.device()->devicePixelRatioF() : 1;
  if (r == 1) return area;
  // The paint's own translation into its device (the window's backing store,
  // or a picture of the control alone): the pictures' pixel 0 lands on the
  // device pixel it rounds to.
  const QTransform& device = painter.deviceTransform();
  const qreal tx = device.dx(), ty = device.dy();
  const int ox = qRound(tx), oy = qRound(ty);
  QRegion pixels;
  for (const QRect& a : area) {
    const int left = qFloor(a.left() * r + tx + kEdgeSlack) - ox;
    const int top = qFloor(a.top() * r + ty + kEdgeSlack) - oy;
    const int right = qCeil((a.left() + a.width()) * r + tx - kEdgeSlack) - ox;
    const int bottom = qCeil((a.top() + a.height()) * r + ty - kEdgeSlack) - oy;
    pixels += QRect(left, top, right - left, bottom - top);
  }
  return pixels;
}

QRegion TOverlayImage::LogicalArea(const QRegion& pixels) const {
  const qreal r = devicePixelRatioF();
  if (r == 1) return pixels;
  const QPointF o = OriginInWindow();
  const qreal tx = o.x() * r, ty = o.y() * r;
  const int ox = qRound(tx), oy = qRound(ty);
  QRegion area;
  for (const QRect& p : pixels) {
    const int left = qFloor((p.left() + ox - tx) / r + kEdgeSlack);
    const int top = qFloor((p.top() + oy - ty) / r + kEdgeSlack);
    const int right = qCeil((p.left() + p.width() + ox - tx) / r - kEdgeSlack);
    const int bottom = qCeil((p.top() + p.height() + oy - ty) / r - kEdgeSlack);
    area += QRect(left, top, right - left, bottom - top);
  }
  return area;
}

void TOverlayImage::ShowPicture(QPainter& painter, const TBitmap& picture, const QRegion& area) const {
  // Both pictures are RGB32 like the backing store: a plain per-rectangle copy
  // with no pixel conversion and no blending. Clipping to each rectangle makes
  // the clip a plain rectangle, so Qt copies the rows directly; under the paint
  // event's many-rectangle clip it would blend span by span and hand the rows
  // of every rectangle to worker threads.
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  // The pictures are in the device's pixels: undo the ratio's scaling, so
  // each pixel is copied to one pixel (Qt sees a plain translation).
  const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1;
  if (ratio != 1) painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
  const QRegion visible = area & WholeRect() & picture.Image().rect();
  for (const QRect& r : visible) {
    painter.setClipRect(r);
    painter.drawImage(r.topLeft(), picture.Image(), r);
  }
}

void TOverlayImage::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRegion pixels = PixelsToPaint(painter, event->region());
  if (FPresenting) {
    const QRegion area = pixels & WholeRect();
    ShowPicture(painter, *FOverlay, area);
    const qreal r = devicePixelRatioF();
    FPresentedRegion += area.translated(qRound(FPosLeft * r), qRound(FPosTop * r));
    return;
  }
  Paint(painter, pixels);
}

void TOverlayImage::Paint(QPainter& painter, const QRegion& area) {
  if (FPainting) return;
  FPainting = true;
  TFlagReset reset(FPainting);
  if (OnOverlayPaint) {
    EnsureOverlayBuffer();
    // Limited by the clip last selected on the overlay canvas: inside an open
    // frame that is its recorded area, whose drawing is lost for this frame.
    FOverlay->Canvas().CopyRect(0, 0, *FBitmap, ToTRect(WholeRect()));
    FFrameOpen = true;
    OnOverlayPaint(this);
    FFrameOpen = false;
    ShowPicture(painter, *FOverlay, area);
  } else if (FOverlayShown && FOverlay) {
    ShowPicture(painter, *FOverlay, area);
  } else {
    ShowPicture(painter, *FBitmap, area);
  }
}

void TOverlayImage::MouseDown(QMouseEvent* event, bool doubleClick) {
  const std::optional<TMouseButton> button = ButtonOf(event->button());
  if (!OnMouseDown || !button) return;
  TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
  if (doubleClick) shift.Include(ssDouble);
  const QPoint p = ToPixels(EventPosition(*event));
  OnMouseDown(this, *button, shift, p.x(), p.y());
}

void TOverlayImage::mousePressEvent(QMouseEvent* event) { MouseDown(event, false); }

void TOverlayImage::mouseDoubleClickEvent(QMouseEvent* event) { MouseDown(event, true); }

void TOverlayImage::mouseReleaseEvent(QMouseEvent* event) {
  const std::optional<TMouseButton> button = ButtonOf(event->button());
  if (!OnMouseUp || !button) return;
  const QPoint p = ToPixels(EventPosition(*event));
  OnMouseUp(this, *button, ShiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y());
}

void TOverlayImage::mouseMoveEvent(QMouseEvent* event) {
  if (!OnMouseMove) return;
  const QPoint p = ToPixels(EventPosition(*event));
  OnMouseMove(this, ShiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y());
}

void TOverlayImage::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  if (OnMouseEnter) OnMouseEnter(this);
}

void TOverlayImage::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (OnMouseLeave) OnMouseLeave(this);
}
