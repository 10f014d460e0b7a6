#include "platform/SoundOutput.h"

#include <atomic>

namespace {
std::atomic<TSoundOutput*> Installed{nullptr};

// Plays nothing: the player until the program installs a device player.
class TSilentOutput final : public TSoundOutput {
public:
  void Stop() override {}
  void Play(const std::string&, bool) override {}
};

TSoundOutput& Silent() {
  // Never destroyed: sound threads may still call it while statics are torn down.
  static TSilentOutput* silent = new TSilentOutput;
  return *silent;
}
}  // namespace

void SetSoundOutput(TSoundOutput* output) { Installed.store(output); }

TSoundOutput& SoundOutput() {
  TSoundOutput* installed = Installed.load();
  return installed != nullptr ? *installed : Silent();
}
