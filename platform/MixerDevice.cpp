#include "platform/MixerDevice.h"

namespace {

// A system without any mixer: the driver until the program installs the device's.
class TNoMixer final : public TMixerDriver {
public:
  std::uint32_t DeviceCount() override { return 0; }
  TMMResult GetDevCaps(std::uint32_t, TMixerCaps&) override { return mmBadDeviceID; }
  TMMResult Open(std::uint32_t, TMixerNotifyWindow&, std::unique_ptr<TMixerHandle>&) override { return mmBadDeviceID; }
};

TMixerDriver* Installed = nullptr;
std::uint32_t Generation = 0;

}  // namespace

TMixerDriver& MixerDriver() {
  static TNoMixer none;
  return Installed != nullptr ? *Installed : none;
}

void SetMixerDriver(TMixerDriver* Driver) {
  Installed = Driver;
  ++Generation;
}

std::uint32_t MixerDriverGeneration() { return Generation; }
