#pragma once
// Which modifier keys and mouse buttons were held when an input event happened,
// and which mouse button an event is about. No Qt here: the game's rules read
// these without any widget (display/OverlayImage.h converts from Qt).
#include <cstdint>
#include <initializer_list>

enum TShiftStateItem : std::uint8_t {
  ssShift,
  ssAlt,
  ssCtrl,
  ssLeft,    // left mouse button held
  ssRight,   // right mouse button held
  ssMiddle,  // middle mouse button held
  ssDouble,  // the event is the second press of a double click
};

// A set of TShiftStateItem; the empty set means nothing was held.
class TShiftState {
public:
  constexpr TShiftState() = default;
  constexpr TShiftState(std::initializer_list<TShiftStateItem> items) {
    for (const TShiftStateItem i : items) Include(i);
  }

  constexpr bool Contains(TShiftStateItem item) const { return (FBits & Bit(item)) != 0; }
  constexpr TShiftState& Include(TShiftStateItem item) {
    FBits = static_cast<std::uint8_t>(FBits | Bit(item));
    return *this;
  }
  constexpr TShiftState& Exclude(TShiftStateItem item) {
    FBits = static_cast<std::uint8_t>(FBits & ~Bit(item));
    return *this;
  }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr bool operator==(const TShiftState&) const = default;

private:
  static constexpr std::uint8_t Bit(TShiftStateItem item) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(item));
  }
  std::uint8_t FBits = 0;
};

// The button that a mouse-down or mouse-up event is about.
enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };
