#pragma once
// Value types shared by every subsystem. No Qt here: the rules of the game use them.
#include <cmath>
#include <cstdint>

// A rectangle whose Right and Bottom edges lie OUTSIDE it (Left <= x < Right).
// QRect::right() is inside; convert only through display/Geometry.h.
struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  // Empty when it has no width or no height (or a negative one).
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  // Moves all four edges.
  constexpr void Offset(int dx, int dy) { Left += dx; Right += dx; Top += dy; Bottom += dy; }
  // True when (x, y) is strictly inside: greater than Left and Top, less than Right and Bottom.
  constexpr bool StrictlyContains(int x, int y) const {
    return x > Left && x < Right && y > Top && y < Bottom;
  }
  constexpr bool operator==(const TRect&) const = default;
};

constexpr TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }

struct TPoint {
  int X = 0, Y = 0;
  constexpr bool operator==(const TPoint&) const = default;
};

// $00BBGGRR: red in the lowest byte.
using TColor = std::uint32_t;
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }
constexpr TColor RGB(int r, int g, int b) { return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16); }

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;

// Nearest whole number; exact halves go to the even neighbour (banker's rounding).
inline int Round(long double x) { return static_cast<int>(std::nearbyintl(x)); }
