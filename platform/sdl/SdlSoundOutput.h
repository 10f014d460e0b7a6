#pragma once
// The real player: one SDL2 audio device for the process (audio subsystem only).
// A start cuts the sound that plays (with a fade of a few milliseconds, so the cut
// does not click). Sounds are the embedded files ":/sounds/<NAME>.wav", decoded
// once each on first use and converted to the device's format.
//
// Without a sound device or server the player stays silent and reports nothing;
// it tries to open the device again at most every ReopenInterval of real time,
// so a game running without sound is never slowed by it.
// Every method may be called from any thread.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/SoundOutput.h"

class TSdlSoundOutput final : public TSoundOutput {
public:
  static constexpr std::chrono::seconds ReopenInterval{10};

  // Opens nothing yet: the device is opened on the first Play.
  TSdlSoundOutput();
  // Closes the device (the sound that plays ends) and releases the audio subsystem.
  ~TSdlSoundOutput() override;

  void Stop() override;
  void Play(const std::string& name, bool wait) override;

  // True when a device is open (opening it first if it is not yet and may be tried).
  bool Open();
  // Length in milliseconds of the named sound as decoded for the device;
  // 0 when it cannot be found or decoded or no device is open.
  std::uint32_t DecodedLength(const std::string& name);
  // True while a started sound has not yet been played out or cut.
  bool Playing();

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// The process's device player: made on first use and never destroyed (sound
// threads still in a pre-delay at program end may call it while static objects
// are torn down; the process's end closes the device anyway). Any thread.
TSoundOutput& DeviceSoundOutput();
