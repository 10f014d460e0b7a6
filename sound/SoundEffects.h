#pragma once
// The sounds and pre-delays of the game's fourteen sound events, and the worker
// threads that play sequences of them.
//
// Only one sound is ever audible: every start goes through the process-wide
// player (platform/SoundOutput.h), where a new start cuts the sound that plays,
// whichever thread started it. No lock is taken here.
#include <cstdint>
#include <string_view>

#include "sound/SoundEvents.h"

// The embedded sound of an event: its resource name (the file
// ":/sounds/<name>.wav") and the pause in milliseconds before it cuts the sound
// that plays and starts. Event must be one of the fourteen values.
struct TSoundResource {
  std::string_view Name;
  std::uint32_t PreDelay;
};
const TSoundResource& SoundResource(TSoundEvent event);

// Sleeps the event's pre-delay on the calling thread (platform Sleep, so the
// virtual clock of the tests applies), stops the sound that plays and starts the
// event's sound. Wait false: returns once it has started; Wait true: returns when
// it has finished. Does not look at the game's mute flag: callers do. Any thread.
void PlaySoundEvent(TSoundEvent event, bool wait);

// A short-lived worker that plays its own copy of a sequence with
// PlaySoundEvent(…, false), each event after its pre-delay, and then ends; only
// the last sound plays to its end. It runs at once on a detached thread, touches
// no game state and frees itself when done: create it with new and keep no
// pointer (see StartSoundThread). Several may run at once; the last start wins.
class TSndThrd {
public:
  explicit TSndThrd(const TSoundArray& sounds);
  TSndThrd(const TSndThrd&) = delete;
  TSndThrd& operator=(const TSndThrd&) = delete;

  // The events to play, in order: the thread's own copy, taken at creation.
  const TSoundArray Sounds;

private:
  ~TSndThrd();
  void Execute();
};

// Starts a TSndThrd on a copy of sounds and returns at once (the caller keeps
// nothing). An empty sequence still starts a thread that plays nothing.
void StartSoundThread(const TSoundArray& sounds);

// Sound threads created and not yet ended (tests wait on it to know when every
// worker has settled; the game does not need it).
int RunningSoundThreads();
