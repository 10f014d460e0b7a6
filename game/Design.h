#pragma once
// Values of the game's design that several parts share: the playfield width
// that sizes and speeds were designed for, and the game's colours. Each value
// has its home here and nowhere else. No Qt here: the rules use these too.
#include "platform/Types.h"

// Sizes, speeds and font sizes of balloons, banners and the shelter's motion
// are multiplied by the playfield (or window) width divided by this, pixels.
inline constexpr int DesignWidth = 1152;

// The game window's own colour; also the shadow of the banner text.
inline constexpr TColor WindowColor = 0x00D8EAFE;
// The problem panel (the "yellow frame" of the instructions).
inline constexpr TColor PanelYellow = 0x00ACF4FD;
// The problem panel's text and the control bar's button captions.
inline constexpr TColor LabelColor = 0x005E6D41;
// The captions and items of the three radio groups.
inline constexpr TColor GroupColor = 0x00605A44;
// The banner text on the playfield.
inline constexpr TColor BannerColor = 206;  // $000000CE
// The round clock and the round points.
inline constexpr TColor ClockColor = 12503053;  // $00BEC80D
