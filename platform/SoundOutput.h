#pragma once
// The process-wide one-sound-at-a-time player: the interface only, so that
// what plays sounds needs no sound library. A new start cuts the sound that
// plays, whichever thread started it. Callable from any thread.
#include <string>

class TSoundOutput {
public:
  virtual ~TSoundOutput() = default;
  // Stops the sound that plays, if any; returns at once.
  virtual void Stop() = 0;
  // Starts the embedded sound with this resource name (for example "LOUDSHOT").
  // Wait false: returns as soon as it has started. Wait true: returns when it has
  // finished (or was cut). An unknown name or a missing device plays nothing.
  virtual void Play(const std::string& name, bool wait) = 0;
};

// Installs the player for the whole process (not owned; it must outlive every
// sound start). nullptr restores the default, a player that plays nothing. The
// program installs the device player (platform/sdl/SdlSoundOutput.h) at start;
// tests install a recorder.
void SetSoundOutput(TSoundOutput* output);
// The installed player, or the silent one.
TSoundOutput& SoundOutput();
