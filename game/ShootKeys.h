#pragma once
// When a press of a shooting key (space: a dart, Alt: the nuke) fires. A held
// key fires once; a release re-arms. Desktops repeat a held key in their own
// ways, and all of them must count as one hold:
// - X11 with detectable auto-repeat and Wayland: further presses, each marked
//   as auto-repeat, and one release at the end;
// - X11 without it: pairs of a release and a press of the same key with the
//   same time stamp (or a few milliseconds apart), which the toolkit marks as
//   auto-repeat only when it sees the press already queued behind the release.
// So events marked auto-repeat are skipped, and an unmarked release of the
// held key is taken as real only once the next press of that key comes later
// than RepeatPairWindow after it. A release of any other key re-arms at once.
// No Qt here; the game window feeds it from its key events. Window thread only.
#include <cstdint>

class TShootKeys {
public:
  // A release and a press of the same key at most this far apart (ms of the
  // desktop's event clock) are the desktop repeating a held key. A person
  // needs far longer to let go and press again.
  static constexpr std::uint64_t RepeatPairWindow = 15;

  // A press of Key at Time ms (the event's time stamp; any clock that counts
  // up in milliseconds). Shooting: Key is a shooting key. True when it fires:
  // an unmarked press of a shooting key while none is held.
  bool KeyDown(int Key, bool Shooting, std::uint64_t Time, bool AutoRepeat);
  // A release of Key at Time ms.
  void KeyUp(int Key, std::uint64_t Time, bool AutoRepeat);
  // A shooting key is held (as far as the events told so far).
  bool ShootKeyDown() const { return FDown && !FReleasePending; }

private:
  bool FDown = false;            // a shooting key fired and was not let go for real
  int FHeldKey = 0;              // the key that fired
  bool FReleasePending = false;  // an unmarked release of FHeldKey, maybe a repeat's
  std::uint64_t FReleasedAt = 0;
};
