#pragma once
// TColorBevel: a bevel that draws its lines in a lighter and a darker shade of
// a colour of its own (instead of the desktop's button highlight and shadow),
// with lines BevelWidth pixels wide. The borderless windows lay one over their
// whole client area, in their own background colour, to get an engraved edge.
#include <QWidget>
#include <cstdint>
#include <functional>

#include "display/ShiftState.h"
#include "platform/Types.h"

// System colours: $80000000 plus the index of the desktop colour. They are
// resolved to plain red, green and blue (from the application's palette) before
// any arithmetic on their channels.
constexpr TColor clSystemColor = 0x80000000;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;

// Plain $00BBGGRR for any colour: a system colour becomes its current value from
// the application palette (an unknown system index gives the window colour);
// the top byte of a plain colour is dropped.
TColor ColorToRGB(TColor Color);
// Each channel c of the resolved colour becomes (c div 6) * 7 + 8, at most 255.
TColor LighterColor(TColor Color);
// Each channel c of the resolved colour becomes (c div 7) * 6 - 8, at least 0.
TColor DarkerColor(TColor Color);

enum TBevelShape : std::uint8_t { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle : std::uint8_t { bsLowered, bsRaised };
// Line width in pixels, 0 to 4; 0 draws nothing.
using TBevelWidth = std::uint8_t;
inline constexpr TBevelWidth MaxBevelWidth = 4;

// A windowless control: it paints only its lines, what lies under it shows
// through everywhere else. Painting on a control of W x H pixels, with BW the
// bevel width, Color1 the top/left colour (dark when lowered, light when raised)
// and Color2 the bottom/right colour:
//   bsBox      pen 1 wide; BW nested rectangles from (0, 0, W-1, H-1) inwards,
//              left and top in Color1, then right and bottom in Color2
//   bsFrame    edge rectangle (BW, BW, W, H) in Color2, then (0, 0, W-BW, H-BW)
//              in Color1: the engraved (lowered) or embossed (raised) double line
//   bsTopLine  line at y = 0 in Color1 and at y = BW in Color2, full width;
//              bsBottomLine at y = H-1-BW and H-1; bsLeftLine at x = 0 and BW;
//              bsRightLine at x = W-1-BW and W-1 (full height)
//   bsSpacer   nothing
// Pixel geometry of a line from a to b (always horizontal or vertical): along
// its path it covers a up to b with b itself left out; across it, a pen of width
// BW covers the BW pixels from c - BW div 2 (c the line's coordinate), so wide
// lines are centred on their path; where a polyline turns, the BW x BW square
// around the corner is covered too. Everything is clipped to the control, so a
// line on the edge W or H shows only the part of its width that lies inside.
class TColorBevel : public QWidget {
  Q_OBJECT
public:
  // Grey ($808080) lines, 1 pixel wide, bsBox, bsLowered. The owner (may be
  // nullptr) owns the control through Qt's parent chain.
  explicit TColorBevel(QWidget* Owner = nullptr);

  TColor BevelColor() const { return FBevelColor; }
  // A different value stores it, derives both shades anew and repaints; an equal
  // value does nothing (the shades are not derived again).
  void SetBevelColor(TColor Value);
  TBevelWidth BevelWidth() const { return FBevelWidth; }
  // A different value (above 4 taken as 4) is stored and repaints; equal: nothing.
  void SetBevelWidth(TBevelWidth Value);
  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape Value);
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle Value);
  // The shades derived when BevelColor was last changed.
  TColor LightColor() const { return FLightColor; }
  TColor DarkColor() const { return FDarkColor; }

  // Mouse events over the control (each may be empty). X and Y are control
  // pixels. OnClick: the left button went down and came up again over the control.
  std::function<void(TMouseButton Button, TShiftState Shift, int X, int Y)> OnMouseDown;
  std::function<void(TMouseButton Button, TShiftState Shift, int X, int Y)> OnMouseUp;
  std::function<void(TShiftState Shift, int X, int Y)> OnMouseMove;
  std::function<void()> OnClick;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

private:
  TColor FBevelColor;
  TColor FLightColor;
  TColor FDarkColor;
  TBevelWidth FBevelWidth = 1;
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
  bool FLeftDown = false;  // the left button went down over the control
};
