#pragma once
// The track bar of the mixer panels and of the settings dialog's volume slider: a
// QSlider as a plain track bar behaves, plus EnableSelRange and the mouse events.
//
// As a new track bar: horizontal, range 0 to 10, position 0, line size 1, page
// size 2, tick frequency 1, ticks below (right of a vertical bar). A horizontal
// bar grows to the right; a vertical one grows downwards (minimum at the top).
// Keys as on a track bar in either orientation: Left and Up one line towards the
// minimum, Right and Down towards the maximum, Page Up and Page Down a page, Home
// and End to the ends.
//
// OnChange runs whenever the position actually changes: by the user (mouse, keys,
// wheel) and by program (SetPosition, and SetMin, SetMax or SetRange when the new
// range clamps the position). An error raised by OnChange during a change made by
// program leaves the setter once the slider is done; during a user's change it is
// shown with ShowMixerError and the program goes on. Window thread only.
#include <QSlider>
#include <exception>
#include <functional>

class TmxTrackBar : public QSlider {
public:
  // Event types of the mixer controls, kept in their class: the game's picture
  // control has events of the same names for its own sender type, and both
  // meet in the windows that use the two.
  // Sender is the control that raised the event.
  using TNotifyEvent = std::function<void(QObject* Sender)>;
  // Button that went down or up, the modifier keys held, and the point in the
  // track bar's own pixels.
  using TMouseEvent =
      std::function<void(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;

  explicit TmxTrackBar(QWidget* Parent = nullptr);

  int Min() const { return minimum(); }
  int Max() const { return maximum(); }
  int Position() const { return value(); }
  // A minimum above the maximum raises the maximum to it, a maximum below the
  // minimum lowers the minimum; the position is clamped into the new range.
  void SetMin(int Value);
  void SetMax(int Value);
  void SetRange(int Min, int Max);
  void SetPosition(int Value);
  // Qt::Horizontal or Qt::Vertical (growing downwards).
  void SetOrientation(Qt::Orientation Value);
  // Tick frequency: a tick every Value positions.
  int Frequency() const { return tickInterval(); }
  void SetFrequency(int Value) { setTickInterval(Value); }
  int LineSize() const { return singleStep(); }
  void SetLineSize(int Value) { setSingleStep(Value); }
  int PageSize() const { return pageStep(); }
  void SetPageSize(int Value) { setPageStep(Value); }

  // When true the bar shows the selection range SelStart to SelEnd along its
  // channel; when false (the start) there is none.
  bool EnableSelRange() const { return FEnableSelRange; }
  void SetEnableSelRange(bool Value);
  int SelStart() const { return FSelStart; }
  int SelEnd() const { return FSelEnd; }
  void SetSelStart(int Value);
  void SetSelEnd(int Value);

  TNotifyEvent OnChange;
  // Any mouse button pressed on, or released after a press on, the bar; after the
  // slider has handled it (so a release sees the position just set).
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

  // Tick marks closer than this many pixels are not drawn one by one: a tick at
  // every position of a wide range (a volume of 0 to 65535) would pave the
  // channel's side with lines. Only the two ends keep their marks then.
  static constexpr int MinTickGap = 3;

protected:
  void initStyleOption(QStyleOptionSlider* Option) const override;
  void keyPressEvent(QKeyEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;

private:
  // Runs Change (a setter of QSlider) and rethrows what OnChange raised meanwhile.
  template <class F>
  void ByProgram(F&& Change);
  void PositionChanged();
  void Mouse(const TMouseEvent& Handler, QMouseEvent* Event);

  bool FEnableSelRange = false;
  int FSelStart = 0, FSelEnd = 0;
  int FProgramChanges = 0;  // nesting of setters running
  std::exception_ptr FDeferred;
};
