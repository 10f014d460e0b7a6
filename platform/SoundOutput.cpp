#include "platform/SoundOutput.h"

#include <atomic>

namespace {
// Until a device player is installed the game is silent.
class TSilentOutput final : public TSoundOutput {
public:
  void Stop() override {}
  void Play(const std::string&, bool) override {}
};
TSilentOutput Silent;
std::atomic<TSoundOutput*> Installed{&Silent};
}  // namespace

void SetSoundOutput(TSoundOutput* output) { Installed.store(output ? output : &Silent); }
TSoundOutput& SoundOutput() { return *Installed.load(); }
