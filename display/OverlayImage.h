#pragma once
// The playfield control: a base picture that holds the background and an
// overlay buffer on which every animation frame is composed over a copy of it.
// Each drawing call records the rectangle it touches; a present copies to the
// screen only the union of what this frame and the previous frame touched, so
// moving sprites are erased at their old places and drawn at their new ones
// without flicker and without copying the whole playfield.
//
// A frame: DrawOnOverlay / BlendOnOverlay / TextOnOverlay calls (the first one
// restores the base picture over the previous frame's area), then one
// PresentOverlay.
//
// Coordinates are the control's pixels, origin at its top-left corner. TRect
// has Right and Bottom outside. A region of std::nullopt ("none") stands for
// the whole control. All members are used on the GUI thread only.
//
// Pixels are device pixels: on a screen with a device pixel ratio (a scale of
// 1.25, 1.5, 2 ...) the pictures have PixelSize(), the widget's extent in its
// window's backing store, and are copied to the screen 1:1, so nothing the
// game draws is stretched on its way there. Qt's logical coordinates appear
// only at the widget's edge: mouse positions are converted into pixels once,
// before the mouse events see them, and the areas a present or a repaint
// copies are converted for Qt. At a ratio of 1 both coincide.
#include <QRegion>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "display/Bitmap.h"
#include "display/DrawnTextCache.h"
#include "display/FrameCompositor.h"
#include "display/ShiftState.h"
#include "platform/Types.h"

class TOverlayImage;
class QSinglePointEvent;

using TNotifyEvent = std::function<void(TOverlayImage* Sender)>;
// X, Y: the mouse position in the control's pixels.
using TMouseEvent =
    std::function<void(TOverlayImage* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TOverlayImage* Sender, TShiftState Shift, int X, int Y)>;

// The modifier keys and held mouse buttons of a Qt input event as a TShiftState
// (ssDouble is never set here; the double-click handler adds it).
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

class TOverlayImage : public QWidget {
  Q_OBJECT
public:
  // The base picture is created at the widget's current size (32 bits per
  // pixel, white); the overlay buffer only when first needed. The widget paints
  // opaquely: nothing is painted under it.
  explicit TOverlayImage(QWidget* parent = nullptr);
  ~TOverlayImage() override;

  // ---- events (the sender is this control; empty: not assigned) ----
  // Called inside every present and every repaint of the control, with a frame
  // open: its drawing calls become part of the screen update and restore
  // nothing. Exceptions pass on (from PresentOverlay with the frame still open).
  TNotifyEvent OnOverlayPaint;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  // After every change of the control's size, and after a change of its
  // screen or scale that changed its size in pixels, once the pictures have
  // their new size (the handler normally redraws BaseCanvas and calls
  // ResetOverlay).
  TNotifyEvent OnResize;
  // A press of the left, right or middle button; the second press of a double
  // click arrives here too, with ssDouble in Shift.
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // ---- properties ----
  // The base picture itself (owned by the control). After drawing on it
  // directly, call BaseChanged().
  TBitmap& Bitmap() { return *FBitmap; }
  // Copies value (picture, depth, transparency) into the base picture, makes it
  // 32 bits per pixel and reports the change (see BaseChanged).
  void SetBitmap(const TBitmap& value);
  // Pen, brush and font of the base picture's canvas.
  TPen& Pen() { return FBitmap->Canvas().Pen; }
  void SetPen(const TPen& value) { FBitmap->Canvas().Pen = value; }
  TBrush& Brush() { return FBitmap->Canvas().Brush; }
  void SetBrush(const TBrush& value) { FBitmap->Canvas().Brush = value; }
  TFont& Font() { return FBitmap->Canvas().Font; }
  void SetFont(const TFont& value) { FBitmap->Canvas().Font = value; }

  // The base picture's canvas with its clip removed. What is drawn there is the
  // background of every later frame; call BaseChanged() (or, after
  // SuspendBaseNotify, ResetOverlay()) once the drawing is done.
  TCanvas& BaseCanvas();
  // The overlay canvas's font and brush (creating the overlay buffer). The
  // brush's style decides whether TextOnOverlay fills the text's cell.
  TFont& OverlayFont();
  void SetOverlayFont(const TFont& value);
  TBrush& OverlayBrush();
  // The overlay canvas, clipped to the open frame's recorded area (none: no
  // clip). Does not open a frame.
  TCanvas& OverlayCanvas();

  // ---- frame operations ----
  // Draws graphic at its own size with its top-left corner at
  // (rectangle.Left, rectangle.Top), its transparency honoured. The rectangle
  // is what the frame records; the graphic is clipped to the frame's recorded
  // area, not stretched. An empty rectangle opens the frame and records nothing.
  void DrawOnOverlay(const TRect& rectangle, const TBitmap& graphic);
  // Writes text with the top-left of its cell at (x, y) in the overlay font and
  // brush; records the text's cell.
  void TextOnOverlay(int x, int y, const QString& text);
  // Mixes the top-left rectangle-sized block of bitmap into the rectangle, byte
  // by byte: result = (under * weight + bitmap * (256 - weight)) / 256 for a
  // weight of 0..256 (0: the bitmap as it is; 256: the rectangle unchanged).
  // "Under" is read before the frame opens, so as the first call of a frame it
  // is what the previous frame drew. bitmap is made 32 bits per pixel. Parts
  // of the rectangle beyond the bitmap's size are not mixed and show what the
  // frame has there (the whole rectangle is recorded all the same). A
  // transparent bitmap is mixed only where it is drawn: its pixels of its key
  // colour leave what lies under them, and its partly covering edge pixels
  // (see Bitmap.h) mix the blend in by their share.
  void BlendOnOverlay(const TRect& rectangle, int weight, TBitmap& bitmap);
  // Ends the frame: OnOverlayPaint, then the union of the previous and this
  // frame's recorded areas (the whole control when either is none) is copied
  // from the overlay buffer to the screen before the call returns.
  void PresentOverlay();
  // Makes the next frame restore and show the whole control, and repaints the
  // control at once.
  void ResetOverlay();

  // Reports a change of the base picture: the next present shows the whole
  // control and a repaint is scheduled. Does nothing while the control is
  // painting (that paint already shows the change) and after SuspendBaseNotify.
  void BaseChanged();
  // From now on neither BaseChanged() nor the control's own changes of the base
  // picture (SetBitmap, resizing, Loaded) schedule repaints; the owner calls
  // ResetOverlay() after redrawing the background. Cannot be undone.
  void SuspendBaseNotify() { FBaseNotifySuspended = true; }

  // For the owner, once its set-up has given the control its size: makes both
  // pictures the control's size and fills the base picture with the base
  // brush's colour.
  void Loaded();

  // ---- lower-level operations, used by the ones above ----
  // Adds region to the frame's recorded area. none: nothing happens. If nothing
  // is recorded yet: with no frame open the region becomes the recorded area;
  // with a frame open (opened without a record, which counts as the whole
  // control) the region is dropped.
  void AddChangedRegion(std::optional<QRegion> region);
  // Opens the frame unless it is open: restores the base picture over the
  // previous frame's area (none: everything) on the overlay buffer.
  void BeginOverlayFrame();
  // Creates the overlay buffer at the control's size if it does not exist.
  void EnsureOverlayBuffer();
  // Gives both pictures the size BufferWidth() x BufferHeight(); the overlay
  // buffer loses its contents, the base picture keeps what fits.
  virtual void ResizeBuffers();
  // Records the control's position in its parent (only when it has a parent).
  void RecordPosition();
  // Fills (0, 0, width, height) of canvas with colour (a solid fill).
  void FillBase(TCanvas& canvas, TColor colour);

  // ---- device pixels ----
  // The widget's extent in pixels in its window's backing store: each edge of
  // its rectangle in the window times the device pixel ratio, rounded as Qt
  // rounds it (for a widget at the window's origin, its size times the ratio,
  // rounded). What the pictures are sized to.
  QSize PixelSize() const;
  // The device pixel ratio the pictures were last sized for (1 before that).
  qreal PixelRatio() const { return FPixelRatio; }
  // A position in the widget's logical coordinates (as Qt's events give it,
  // fractions included) as the pixel under it.
  QPoint ToPixels(const QPointF& local) const;
  // A position on the screen, in Qt's global coordinates, as the pixel of the
  // control under it (outside the control for points outside it). Qt gives
  // the pointer's global position in whole logical pixels, so above a ratio
  // of 1 this is the pixel under that logical point, within one logical pixel
  // of the pointer; mouse events are exact.
  QPoint ScreenToClient(const QPoint& global) const;

  // ---- state, read-only ----
  int BufferWidth() const { return FBufferWidth; }
  int BufferHeight() const { return FBufferHeight; }
  // nullptr until first needed. Brings the buffer up to date with the open
  // frame's drawing calls first (they are carried out when the frame is shown).
  const TBitmap* OverlayBuffer() const;
  bool Painting() const { return FPainting; }
  bool FrameOpen() const { return FFrameOpen; }
  bool OverlayShown() const { return FOverlayShown; }
  const std::optional<QRegion>& LastRegion() const { return FLastRegion; }
  const std::optional<QRegion>& FrameRegion() const { return FFrameRegion; }
  int PosLeft() const { return FPosLeft; }
  int PosTop() const { return FPosTop; }
  // What the last PresentOverlay copied to the screen, in the parent's pixels
  // (moved by the recorded position times the ratio, rounded); empty when it
  // copied nothing (a hidden control).
  const QRegion& LastPresentedRegion() const { return FPresentedRegion; }

protected:
  // Paints the control onto painter (origin at the control's top-left),
  // limited to area (the control's pixels). Does nothing while a paint runs. With OnOverlayPaint: the
  // base picture is restored on the overlay buffer (limited by the overlay
  // canvas's current clip), OnOverlayPaint runs in an open frame and the
  // overlay buffer is shown; otherwise the overlay buffer if the screen shows
  // it, else the base picture. Changes neither region nor OverlayShown().
  virtual void Paint(QPainter& painter, const QRegion& area);

  void paintEvent(QPaintEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  // A change of screen or of its scale re-sizes the pictures as a resize does.
  bool event(QEvent* event) override;

private:
  // BeginOverlayFrame, leaving the pixels of `keep` as they are.
  void OpenFrame(const QRegion& keep);
  // Records the blend of BlendOnOverlay, limited to the buffer and to the
  // bitmap's size; answers the area it mixes.
  QRect RecordBlend(const TRect& rectangle, int weight, const TBitmap& bitmap);
  // The overlay canvas with the open frame's recorded area as its clip, as
  // OverlayCanvas() but leaving the recorded drawing calls pending.
  TCanvas& SelectFrameClip();
  // Carries out the recorded drawing calls on the overlay buffer (after the
  // stale pixels), so that it holds the frame as drawn so far.
  void FlushOverlay() const;
  // Copies the background over the stale pixels of the overlay buffer.
  void RepairStale() const;
  // Keeps a drawing call of the open frame (nothing for an empty area).
  void Record(TFrameOp op);
  // Brings the overlay buffer up to date within area: afterwards it holds
  // the frame as drawn so far there, and the recorded calls no longer reach
  // into area.
  void BringUpToDate(const QRegion& area);
  // During a present: composes the frame straight into painter's backing
  // store over area (the overlay buffer is left as it is); false when the
  // store cannot be written directly (nothing done then).
  bool ComposeOnto(QPainter& painter, const QRegion& area);
  // Reaction to every move, size, screen or scale change of the control;
  // true when the pictures got a new size.
  bool WindowPosChanged();
  QRect WholeRect() const { return QRect(0, 0, FBufferWidth, FBufferHeight); }
  // Copies the parts of picture inside area (pixels) to painter 1:1, without
  // conversion.
  void ShowPicture(QPainter& painter, const TBitmap& picture, const QRegion& area) const;
  // The widget's top-left corner in its window, logical coordinates.
  QPoint OriginInWindow() const;
  // A mouse event's position in the widget's logical coordinates, with the
  // fraction that Qt's widget position drops at fractional ratios.
  QPointF EventPosition(const QSinglePointEvent& event) const;
  // The pixels that a paint with painter must fill for area (the widget's
  // logical coordinates): every pixel it touches.
  QRegion PixelsToPaint(const QPainter& painter, const QRegion& area) const;
  // The logical area whose repaint covers the pixels of area.
  QRegion LogicalArea(const QRegion& pixels) const;
  void MouseDown(QMouseEvent* event, bool doubleClick);

  std::unique_ptr<TBitmap> FBitmap;  // never null
  int FBufferWidth = 0;
  int FBufferHeight = 0;
  std::unique_ptr<TBitmap> FOverlay;  // null until EnsureOverlayBuffer
  bool FPainting = false;
  bool FFrameOpen = false;
  bool FOverlayShown = false;
  std::optional<QRegion> FLastRegion;   // none: the whole control
  std::optional<QRegion> FFrameRegion;  // none: nothing recorded yet
  int FPosLeft = 0;
  int FPosTop = 0;
  qreal FPixelRatio = 1;
  // The logical size of the last resize event: a move that changes the size
  // in pixels (fractional ratios) is reported as a resize only when no resize
  // event follows.
  QSize FResizedAt;

  bool FBaseNotifySuspended = false;
  // Set while PresentOverlay's synchronous repaint runs: paintEvent then shows
  // the frame and nothing else.
  bool FPresenting = false;
  QRegion FPresentedRegion;
  // What the overlay buffer holds is, in this order: its own pixels, except
  // in FStale, where it stands for FStaleBase's (the background when those
  // pixels were restored); then the drawing calls of FOps. A present
  // composes that straight onto the screen; the buffer is
  // brought up to date only when someone reads or draws on it, so a frame
  // writes each changed pixel once, to the screen.
  mutable TFrameOps FOps;
  mutable QRegion FStale;
  mutable QImage FStaleBase;
  mutable TFrameCompositor FCompositor;
  TDrawnTextCache FDrawnTexts;
};
