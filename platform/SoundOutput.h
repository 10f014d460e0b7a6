#pragma once
// The process-wide one-sound-at-a-time player. A new start cuts the sound that
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

// Installs the player for the whole process (not owned); nullptr restores the default
// (the real device player).
void SetSoundOutput(TSoundOutput* output);
TSoundOutput& SoundOutput();
