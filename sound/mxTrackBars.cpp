#include "sound/mxTrackBars.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionSlider>
#include <QStylePainter>
#include <algorithm>
#include <utility>

#include "sound/mxMixer.h"

TmxTrackBar::TmxTrackBar(QWidget* Parent) : QSlider(Qt::Horizontal, Parent) {
  setRange(0, 10);
  setValue(0);
  setSingleStep(1);
  setPageStep(2);
  setTickInterval(1);
  setTickPosition(QSlider::TicksBelow);
  setFocusPolicy(Qt::StrongFocus);
  connect(this, &QAbstractSlider::valueChanged, this, [this] { PositionChanged(); });
}

template <class F>
void TmxTrackBar::ByProgram(F&& Change) {
  ++FProgramChanges;
  Change();
  --FProgramChanges;
  if (FProgramChanges == 0 && FDeferred) std::rethrow_exception(std::exchange(FDeferred, nullptr));
}

void TmxTrackBar::SetMin(int Value) { ByProgram([&] { setMinimum(Value); }); }
void TmxTrackBar::SetMax(int Value) { ByProgram([&] { setMaximum(Value); }); }
void TmxTrackBar::SetRange(int Min, int Max) { ByProgram([&] { setRange(Min, Max); }); }
void TmxTrackBar::SetPosition(int Value) { ByProgram([&] { setValue(Value); }); }

void TmxTrackBar::SetOrientation(Qt::Orientation Value) {
  setOrientation(Value);
  // Qt puts a vertical slider's minimum at the bottom; a track bar's is at the
  // top. The wheel then still moves the thumb the way it turns.
  const bool vertical = Value == Qt::Vertical;
  setInvertedAppearance(vertical);
  setInvertedControls(vertical);
}

void TmxTrackBar::initStyleOption(QStyleOptionSlider* Option) const {
  QSlider::initStyleOption(Option);
  const int range = maximum() - minimum();
  const int length = orientation() == Qt::Horizontal ? width() : height();
  if (Option->tickInterval > 0 && range > 0 &&
      double(length) * Option->tickInterval < double(MinTickGap) * range)
    Option->tickInterval = range;
}

void TmxTrackBar::PositionChanged() {
  const TNotifyEvent handler = OnChange;
  if (!handler) return;
  // The slider's own code is no place for an error to pass through: it waits
  // until the slider is done (a change by program) or is shown (a user's).
  try {
    handler(this);
  } catch (...) {
    if (FProgramChanges > 0) {
      if (!FDeferred) FDeferred = std::current_exception();
    } else {
      ShowMixerError(std::current_exception());
    }
  }
}

void TmxTrackBar::SetEnableSelRange(bool Value) {
  if (Value == FEnableSelRange) return;
  FEnableSelRange = Value;
  update();
}

void TmxTrackBar::SetSelStart(int Value) {
  FSelStart = Value;
  if (FEnableSelRange) update();
}

void TmxTrackBar::SetSelEnd(int Value) {
  FSelEnd = Value;
  if (FEnableSelRange) update();
}

void TmxTrackBar::Mouse(const TMouseEvent& Handler, QMouseEvent* Event) {
  if (!Handler) return;
  const QPoint at = Event->position().toPoint();
  try {
    Handler(this, Event->button(), Event->modifiers(), at.x(), at.y());
  } catch (...) {
    ShowMixerError(std::current_exception());
  }
}

void TmxTrackBar::keyPressEvent(QKeyEvent* Event) {
  SliderAction action = SliderNoAction;
  switch (Event->key()) {
    case Qt::Key_Left: case Qt::Key_Up: action = SliderSingleStepSub; break;
    case Qt::Key_Right: case Qt::Key_Down: action = SliderSingleStepAdd; break;
    case Qt::Key_PageUp: action = SliderPageStepSub; break;
    case Qt::Key_PageDown: action = SliderPageStepAdd; break;
    case Qt::Key_Home: action = SliderToMinimum; break;
    case Qt::Key_End: action = SliderToMaximum; break;
    default: QSlider::keyPressEvent(Event); return;
  }
  triggerAction(action);
  setRepeatAction(SliderNoAction);
  Event->accept();
}

void TmxTrackBar::mousePressEvent(QMouseEvent* Event) {
  QSlider::mousePressEvent(Event);
  // Every button's press belongs to the bar, so that its release comes here too.
  Event->accept();
  Mouse(OnMouseDown, Event);
}

void TmxTrackBar::mouseReleaseEvent(QMouseEvent* Event) {
  QSlider::mouseReleaseEvent(Event);
  Event->accept();
  Mouse(OnMouseUp, Event);
}

void TmxTrackBar::paintEvent(QPaintEvent* Event) {
  if (!FEnableSelRange) {
    QSlider::paintEvent(Event);
    return;
  }
  // Channel and ticks, then the selection over the channel, then the thumb.
  QStylePainter painter(this);
  QStyleOptionSlider option;
  initStyleOption(&option);
  option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderTickmarks;
  painter.drawComplexControl(QStyle::CC_Slider, option);
  const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
  const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  const bool horizontal = orientation() == Qt::Horizontal;
  const int span = horizontal ? groove.width() - handle.width() : groove.height() - handle.height();
  const int low = std::clamp(std::min(FSelStart, FSelEnd), minimum(), maximum());
  const int high = std::clamp(std::max(FSelStart, FSelEnd), minimum(), maximum());
  const int from = QStyle::sliderPositionFromValue(minimum(), maximum(), low, span, option.upsideDown);
  const int to = QStyle::sliderPositionFromValue(minimum(), maximum(), high, span, option.upsideDown);
  const int a = std::min(from, to), b = std::max(from, to);
  QRect band;
  if (horizontal) {
    const int x = groove.left() + handle.width() / 2;
    band = QRect(x + a, groove.center().y() - 2, b - a + 1, 5);
  } else {
    const int y = groove.top() + handle.height() / 2;
    band = QRect(groove.center().x() - 2, y + a, 5, b - a + 1);
  }
  painter.fillRect(band, palette().color(QPalette::Highlight));
  option.subControls = QStyle::SC_SliderHandle;
  painter.drawComplexControl(QStyle::CC_Slider, option);
}
