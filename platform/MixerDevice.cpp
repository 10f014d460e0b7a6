#include "platform/MixerDevice.h"

#include "platform/alsa/AlsaMixer.h"

namespace {
TMixerDriver* Installed = nullptr;
std::uint32_t Generation = 0;
}  // namespace

TMixerDriver& MixerDriver() {
  if (Installed != nullptr) return *Installed;
  static TAlsaMixerDriver alsa;
  return alsa;
}

void SetMixerDriver(TMixerDriver* Driver) {
  Installed = Driver;
  ++Generation;
}

std::uint32_t MixerDriverGeneration() { return Generation; }
