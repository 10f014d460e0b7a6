#include "display/OverlayImage.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <QPaintEngine>
#include <vector>

#include "display/FrameCompositor.h"

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
  FlushOverlay();  // whoever draws or reads here sees the frame as drawn so far
  return SelectFrameClip();
}

TCanvas& TOverlayImage::SelectFrameClip() {
  TCanvas& canvas = FOverlay->Canvas();
  canvas.SetClipRegion(FFrameRegion);
  return canvas;
}

const TBitmap* TOverlayImage::OverlayBuffer() const {
  FlushOverlay();
  return FOverlay.get();
}

void TOverlayImage::FlushOverlay() const {
  if (FOverlay && !FOverlay->Empty()) {
    RepairStale();
    ApplyFrameOps(FOverlay->Image(), FOps);
  }
  FOps.clear();
}

void TOverlayImage::RepairStale() const {
  if (!FStale.isEmpty() && FOverlay && !FOverlay->Empty()) {
    QImage& overlay = FOverlay->Image();
    const std::vector<TPixelTarget> targets{{overlay.bits(), overlay.bytesPerLine(), QPoint(), FStale}};
    FCompositor.Compose(FStaleBase, QImage(), QRegion(), {}, FStale, targets);
  }
  FStale = QRegion();
  FStaleBase = QImage();
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

namespace {

// The stale area's rectangles beyond which it is brought up to date.
constexpr int kStaleRectangles = 256;

}  // namespace

void TOverlayImage::OpenFrame(const QRegion& keep) {
  if (FFrameOpen) return;
  FFrameOpen = true;
  EnsureOverlayBuffer();
  // Restoring only the previous frame's area erases exactly what it drew.
  QRegion restore = FLastRegion ? *FLastRegion : QRegion(WholeRect());
  if (!keep.isEmpty()) restore -= keep;
  if (!FBitmap->Empty() && !FOverlay->Empty()) {
    const QImage base = Pixels32(*FBitmap);
    restore &= WholeRect() & FOverlay->Image().rect() & base.rect();
    if (!restore.isEmpty()) {
      // The restore is not copied now: the area joins the stale pixels, which
      // the next present takes from the background directly. Drawing still
      // pending inside it is overwritten; drawing reaching outside it (or a
      // blend that has read it) is carried out first.
      if (std::all_of(FOps.begin(), FOps.end(), [&](const TFrameOp& op) { return (op.Area - restore).isEmpty(); })) {
        FOps.clear();
      } else {
        FlushOverlay();
      }
      // Stale pixels stand for one background: those of another one are
      // brought up to date, unless the restore covers them anyway.
      if (!FStale.isEmpty() && FStaleBase.cacheKey() != base.cacheKey() && !(FStale - restore).isEmpty())
        RepairStale();
      FStale += restore;
      FStaleBase = base;
      // A region of many rectangles costs time in every present: the stale
      // pixels are then brought up to date once.
      if (FStale.rectCount() > kStaleRectangles) RepairStale();
    }
  }
  FOverlay->Canvas().SetClipRegion(FLastRegion);
  FOverlayShown = false;
}

void TOverlayImage::DrawOnOverlay(const TRect& rectangle, const TBitmap& graphic) {
  AddChangedRegion(QRegion(ToQRect(rectangle)));
  BeginOverlayFrame();
  const std::optional<QRegion>& clip = SelectFrameClip().ClipRegion();
  if (graphic.Empty() || FOverlay->Empty()) return;
  TFrameOp op;
  op.Kind = TFrameOp::TKind::Sprite;
  op.Picture = Pixels32(graphic);
  op.At = QPoint(rectangle.Left, rectangle.Top);
  if (graphic.Transparent) op.Key = KeyPixel(op.Picture);
  const QRect placed(op.At, op.Picture.size());
  const QRect inside = placed & FOverlay->Image().rect();
  // The recorded area holds the rectangle, so a graphic within its rectangle
  // needs no clip of its own.
  if (!clip || ToQRect(rectangle).contains(placed))
    op.Area = inside;
  else
    op.Area = *clip & inside;
  Record(std::move(op));
}

void TOverlayImage::Record(TFrameOp op) {
  if (op.Area.isEmpty()) return;
  FOps.push_back(std::move(op));
}

void TOverlayImage::TextOnOverlay(int x, int y, const QString& text) {
  EnsureOverlayBuffer();
  const TCanvas& measure = SelectFrameClip();
  const int w = measure.TextWidth(text);
  const int h = measure.TextHeight(text);
  AddChangedRegion(QRegion(x, y, w, h));
  BeginOverlayFrame();
  TCanvas& canvas = SelectFrameClip();
  if (text.isEmpty() || FOverlay->Empty()) return;
  // Text is written at once, on the buffer, over the frame as drawn so far
  // under it: smoothed glyphs are mixed with what lies under them, and Qt
  // need not give the same bytes when it writes the same text again. Glyphs
  // may reach a little beyond their cell (overhangs, smoothing); a cell's
  // height around it holds them.
  QRegion area(QRect(x - h, y - h, w + 2 * h, 3 * h) & FOverlay->Image().rect());
  if (canvas.ClipRegion()) area &= *canvas.ClipRegion();
  if (area.isEmpty()) return;
  BringUpToDate(area);
  canvas.SetClipRegion(area);
  FDrawnTexts.Draw({text, QPoint(x, y), canvas.Font, canvas.Brush}, FOverlay->Image(), area,
                   [&] { canvas.TextOut(x, y, text); });
  canvas.SetClipRegion(FFrameRegion);
}

void TOverlayImage::BringUpToDate(const QRegion& area) {
  QImage& overlay = FOverlay->Image();
  const QRegion stale = FStale & area;
  if (!stale.isEmpty()) {
    TFrameOp restore;
    restore.Picture = FStaleBase;
    restore.Area = stale;
    ApplyFrameOps(overlay, {restore});
    FStale -= area;
  }
  // The drawing calls are carried out here and leave the area for good: the
  // buffer holds their result there from now on.
  TFrameOps inside;
  for (TFrameOp& op : FOps) {
    if (!op.Area.intersects(area)) continue;
    inside.push_back(op);
    inside.back().Area &= area;
    op.Area -= area;
  }
  ApplyFrameOps(overlay, inside);
  std::erase_if(FOps, [](const TFrameOp& op) { return op.Area.isEmpty(); });
}

void TOverlayImage::BlendOnOverlay(const TRect& rectangle, int weight, TBitmap& bitmap) {
  EnsureOverlayBuffer();
  bitmap.SetPixelFormat(TPixelFormat::pf32bit);
  const QRegion area(ToQRect(rectangle));
  if (FFrameOpen) {
    AddChangedRegion(area);
    RecordBlend(rectangle, weight, bitmap);
  } else {
    // As the first call of a frame the blend mixes in what the previous frame
    // drew there, so it comes before the frame restores the background; the
    // restore then leaves the mixed rectangle alone.
    const QRect mixed = RecordBlend(rectangle, weight, bitmap);
    AddChangedRegion(area);
    OpenFrame(mixed);
  }
  SelectFrameClip();  // the clip that later copies see, as after any drawing call
}

QRect TOverlayImage::RecordBlend(const TRect& rectangle, int weight, const TBitmap& bitmap) {
  // Limited to the buffer and to the bitmap's size; not to the recorded area,
  // which holds the rectangle anyway.
  const QImage& pic = bitmap.Image();
  const QRect target = ToQRect(rectangle) & FOverlay->Image().rect() &
                       QRect(rectangle.Left, rectangle.Top, bitmap.Width(), bitmap.Height());
  if (target.isEmpty()) return QRect();
  TFrameOp op;
  op.Kind = TFrameOp::TKind::Blend;
  op.Picture = pic;
  op.At = QPoint(rectangle.Left, rectangle.Top);
  op.Area = target;
  op.Weight = weight;
  // A transparent bitmap (the shelter with its rounded corners) is mixed only
  // where it is drawn (see BlendRun).
  if (bitmap.Transparent) op.Key = KeyPixel(pic);
  Record(std::move(op));
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
  // Drawn on the buffer that is discarded now.
  FOps.clear();
  FStale = QRegion();
  FStaleBase = QImage();
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

bool TOverlayImage::ComposeOnto(QPainter& painter, const QRegion& area) {
  // Only a backing store of 32-bit pixels, placed on whole pixels, takes the
  // frame's bytes as they are; anything else gets the buffer through Qt. The
  // painter's own device is the widget; its engine paints on the store.
  QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
  if (!FOverlay || FOverlay->Empty() || !device || device->devType() != QInternal::Image) return false;
  auto* store = static_cast<QImage*>(device);
  // A premultiplied store takes our pixels as opaque, as Qt's copy of them
  // would: the fourth byte becomes 255.
  const bool opaque = store->format() == QImage::Format_ARGB32_Premultiplied;
  if ((store->format() != QImage::Format_RGB32 && !opaque) || !store->isDetached()) return false;
  const QTransform& t = painter.deviceTransform();
  if (t.type() > QTransform::TxScale) return false;
  const int ox = qRound(t.dx()), oy = qRound(t.dy());
  if (std::abs(t.dx() - ox) > kEdgeSlack || std::abs(t.dy() - oy) > kEdgeSlack) return false;

  // What Qt lets this paint change: its system clip (the repainted area less
  // what lies under opaque children), in the store's pixels.
  QRegion visible = area & store->rect().translated(-ox, -oy);
  const QRegion system = painter.paintEngine() ? painter.paintEngine()->systemClip() : QRegion();
  if (!system.isEmpty()) visible &= system.translated(-ox, -oy);

  // The overlay buffer is not written: what the frame drew stays recorded
  // until someone needs the buffer (FlushOverlay).
  const std::vector<TPixelTarget> targets{{store->bits(), store->bytesPerLine(), QPoint(ox, oy), visible, opaque}};
  FCompositor.Compose(FOverlay->Image(), FStaleBase, FStale, FOps, visible, targets);
  return true;
}

void TOverlayImage::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRegion pixels = PixelsToPaint(painter, event->region());
  if (FPresenting) {
    const QRegion area = pixels & WholeRect();
    if (!ComposeOnto(painter, area)) {
      FlushOverlay();
      ShowPicture(painter, *FOverlay, area);
    }
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
  FlushOverlay();  // the frame drawn so far, before the paint builds on it
  if (OnOverlayPaint) {
    EnsureOverlayBuffer();
    // Limited by the clip last selected on the overlay canvas: inside an open
    // frame that is its recorded area, whose drawing is lost for this frame.
    FOverlay->Canvas().CopyRect(0, 0, *FBitmap, ToTRect(WholeRect()));
    FFrameOpen = true;
    OnOverlayPaint(this);
    FFrameOpen = false;
    FlushOverlay();
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
