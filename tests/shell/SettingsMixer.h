#pragma once
// The in-memory mixer the settings dialog opens as device 0, installed for the
// life of the object: by default a stereo speakers line (volume 0 to 65535 at
// left 30000, right 45000, mute off) and a recording line beside it. Mixer
// errors that reach the user are collected instead of shown in a box.
#include <exception>
#include <vector>

#include "sound/mxMixer.h"
#include "support/MemoryMixer.h"

struct TSettingsMixer {
  enum TShape { SpeakersWithVolume, NoDevice, NoSpeakers, SpeakersWithoutVolume };

  explicit TSettingsMixer(TShape Shape = SpeakersWithVolume, std::vector<std::uint32_t> Start = {30000, 45000}) {
    SetMixerDriver(&Mem);
    SetMixerErrorDisplay([this](std::exception_ptr e) { Errors.push_back(e); });
    if (Shape == NoDevice) return;
    Mem.AddDevice("Memory Mixer");
    if (Shape != NoSpeakers) {
      Speakers = Mem.AddDestination(0, mlcDstFirst + ldSpeakers, "Speakers", 2);
      if (Shape == SpeakersWithVolume) Volume = Mem.AddVolume(Speakers, Start);
      Mem.AddMute(Speakers, false);
    }
    const std::uint32_t waveIn = Mem.AddDestination(0, mlcDstFirst + ldWaveIn, "Recording", 2);
    Mem.AddVolume(waveIn, {20000, 20000});
  }
  ~TSettingsMixer() {
    SetMixerErrorDisplay({});
    SetMixerDriver(nullptr);
  }
  TSettingsMixer(const TSettingsMixer&) = delete;
  TSettingsMixer& operator=(const TSettingsMixer&) = delete;

  // The speakers' two channels as the device holds them now.
  std::vector<std::uint32_t> Channels() { return Mem.Values(Volume); }

  TMemoryMixer Mem;
  std::uint32_t Speakers = 0, Volume = 0;
  std::vector<std::exception_ptr> Errors;
};
