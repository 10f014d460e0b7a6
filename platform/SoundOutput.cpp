#include "platform/SoundOutput.h"

#include <atomic>

#include "platform/sdl/SdlSoundOutput.h"

namespace {
std::atomic<TSoundOutput*> Installed{nullptr};

// The device player, opened on the first sound. It is never destroyed: sound
// threads still in a pre-delay at program end may call it while static objects
// are torn down, and the process's end closes the device anyway.
TSoundOutput& DevicePlayer() {
  static TSdlSoundOutput* player = new TSdlSoundOutput;
  return *player;
}
}  // namespace

void SetSoundOutput(TSoundOutput* output) { Installed.store(output); }

TSoundOutput& SoundOutput() {
  TSoundOutput* installed = Installed.load();
  return installed != nullptr ? *installed : DevicePlayer();
}
