#pragma once
// The system's mixer through ALSA's simple mixer interface.
//
// Devices: 0 is ALSA's "default" control device (on a desktop it reaches
// PulseAudio or PipeWire through their ALSA plugin); 1, 2, … are the sound cards
// in the order of their card numbers ("hw:N"). A device that cannot be reached
// (no card, no sound server) answers mmBadDeviceID when opened.
//
// Lines and controls of an open device, built from its simple elements:
// - destination 0, speakers: the "Master" playback element, else the first
//   element with a playback volume or switch. Its controls: a volume fader from
//   the playback volume and a mute switch from the playback switch (muted = the
//   switch off). Every other playback element is one of its sources, typed by its
//   name (PCM and Wave: wave out, Line, Mic, CD, Synth/MIDI, Phone, PC Speaker/Beep,
//   Aux, IEC958/S/PDIF/Digital, Analog/Video; anything else undefined), with the
//   same two controls.
// - the next destination, wave in: the "Capture" element, else the first element
//   with a capture volume or switch, with capture volume and capture switch as
//   fader and mute; the other capture elements are its sources.
// A destination without any element is left out. Enumerated elements are not
// shown. Line names are the element names (with ", N" for an index above 0).
// Channels are the element's channels in that direction (1 for a mono element).
// Volume bounds and values are the element's raw ALSA range and values as they
// are (PulseAudio: 0..65536); only a range that starts below 0 is shifted to start
// at 0, because bounds are compared unsigned. A joined volume or switch (one value
// for all channels) is a uniform control.
//
// Notifications come from the mixer's poll descriptors through QSocketNotifiers
// on the opening thread: a value change of an element becomes a control change
// for each of its controls whose values differ from those last read or written
// through the handle (so one's own writes are not echoed back), an info change or
// the removal of an element a line change. A removed element's line reads as
// disconnected and its controls answer mixInvalidControl. ALSA's own error
// printing is silenced. Window thread only.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/MixerDevice.h"

class TAlsaMixerDriver final : public TMixerDriver {
public:
  TAlsaMixerDriver();
  // 1 (the default device) plus the number of sound cards.
  std::uint32_t DeviceCount() override;
  // Opens the device for a moment to count its destinations; ProductName is the
  // card's name as ALSA gives it ("PulseAudio" for the sound server).
  TMMResult GetDevCaps(std::uint32_t Device, TMixerCaps& Caps) override;
  TMMResult Open(std::uint32_t Device, TMixerNotifyWindow& Window, std::unique_ptr<TMixerHandle>& Handle) override;

  // ALSA's name of device Device ("default", "hw:0", …); empty when there is none.
  static std::string DeviceName(std::uint32_t Device);
  // The result code for a negative ALSA error number from opening a device (Open)
  // or from a call on an open one.
  static TMMResult OpenResult(int AlsaError);
  static TMMResult CallResult(int AlsaError);
};

// The process-wide ALSA driver, for SetMixerDriver (never destroyed).
TMixerDriver& DeviceMixerDriver();
