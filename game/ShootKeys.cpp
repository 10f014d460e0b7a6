#include "game/ShootKeys.h"

bool TShootKeys::KeyDown(int Key, bool Shooting, std::uint64_t Time, bool AutoRepeat) {
  if (FReleasePending && Key == FHeldKey) {
    // A press of the released key: soon after the release (or marked as a
    // repeat) it is the desktop repeating the held key; later it is a new press.
    FReleasePending = false;
    if (AutoRepeat || Time - FReleasedAt <= RepeatPairWindow) return false;
    FDown = false;
  }
  if (AutoRepeat || !Shooting) return false;
  if (FReleasePending) {
    // Another shooting key: the earlier release was real.
    FReleasePending = false;
    FDown = false;
  }
  if (FDown) return false;
  FDown = true;
  FHeldKey = Key;
  return true;
}

void TShootKeys::KeyUp(int Key, std::uint64_t Time, bool AutoRepeat) {
  if (AutoRepeat) return;
  if (FDown && Key == FHeldKey) {
    FReleasePending = true;
    FReleasedAt = Time;
    return;
  }
  // Any other key's release re-arms at once.
  FDown = false;
  FReleasePending = false;
}
