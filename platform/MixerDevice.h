#pragma once
// The system's audio mixer as the mixer object model (sound/mxMixer.h) sees it:
// numbered devices, each with destination lines, their source lines and the
// controls of every line, read and written as records and answered with
// multimedia result codes (0 = success). Two implementations: ALSA
// (platform/alsa/AlsaMixer.h) and a scriptable in-memory mixer for tests
// (tests/support/MemoryMixer.h).
//
// Every call, and every change notification, happens on the thread that opened the
// device (the window thread). The records and classes need no .cpp file, so a
// backend builds against this header alone.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

// A multimedia result code: 0 success, otherwise one of the codes below (the error
// texts and exception classes for every code are in sound/mxMMErrs.h).
using TMMResult = std::uint32_t;
constexpr TMMResult mmNoError = 0;
constexpr TMMResult mmUnspecified = 1;
constexpr TMMResult mmBadDeviceID = 2;      // no device with that index can be reached
constexpr TMMResult mmAllocated = 4;        // the device is in use and cannot be shared
constexpr TMMResult mmInvalidHandle = 5;    // the open device went away
constexpr TMMResult mmNoMem = 7;
constexpr TMMResult mmNotSupported = 8;
constexpr TMMResult mmInvalidParam = 11;
constexpr TMMResult mixInvalidLine = 1024;
constexpr TMMResult mixInvalidControl = 1025;
constexpr TMMResult mixInvalidValue = 1026;

// The two change notifications, each with the ID of what changed.
constexpr std::uint32_t mmMixmLineChange = 0x3D0;
constexpr std::uint32_t mmMixmControlChange = 0x3D1;

// Line flags.
constexpr std::uint32_t mlfActive = 0x00000001;
constexpr std::uint32_t mlfDisconnected = 0x00008000;  // its hardware went away
constexpr std::uint32_t mlfSource = 0x80000000;

// Component types: destinations count from mlcDstFirst in the order of
// TMixerLineDestinationType (undefined, digital, line, monitor, speakers,
// headphones, telephone, wave in, voice in), sources from mlcSrcFirst in the order
// of TMixerLineSourceType (undefined, digital, line, microphone, synthesizer,
// compact disc, telephone, PC speaker, wave out, auxiliary, analog).
constexpr std::uint32_t mlcDstFirst = 0x0000;
constexpr std::uint32_t mlcSrcFirst = 0x1000;

// Control types: class in bits 28-31, subclass in bits 24-27, units in bits 16-23.
constexpr std::uint32_t mctCustom = 0x00000000;
constexpr std::uint32_t mctBooleanMeter = 0x10010000;
constexpr std::uint32_t mctPeakMeter = 0x10020001;     // signed meter
constexpr std::uint32_t mctUnsignedMeter = 0x10030000;
constexpr std::uint32_t mctOnOff = 0x20010001;         // switch
constexpr std::uint32_t mctMute = 0x20010002;          // switch: 1 = muted
constexpr std::uint32_t mctSigned = 0x30020000;        // number
constexpr std::uint32_t mctUnsigned = 0x30030000;
constexpr std::uint32_t mctDecibels = 0x30040000;
constexpr std::uint32_t mctPercent = 0x30050000;
constexpr std::uint32_t mctSlider = 0x40020000;
constexpr std::uint32_t mctVolume = 0x50030001;        // fader
constexpr std::uint32_t mctEqualizer = 0x50030004;     // fader
constexpr std::uint32_t mctMicroTime = 0x60030000;     // time
constexpr std::uint32_t mctMux = 0x70010001;           // single-select list
constexpr std::uint32_t mctMixer = 0x71010001;         // multiple-select list

// Control flags.
constexpr std::uint32_t mcfUniform = 0x00000001;   // one value acts on all channels
constexpr std::uint32_t mcfMultiple = 0x00000002;  // MultipleItems items per channel
constexpr std::uint32_t mcfDisabled = 0x80000000;

// What a device is: its name and how many destination lines it has.
struct TMixerCaps {
  std::string ProductName;  // UTF-8
  std::uint32_t Destinations = 0;
};

// One line. A destination has Source 0 and Connections sources; a source has
// mlfSource in Flags and Connections 0.
struct TMixerLineInfo {
  std::uint32_t Destination = 0;  // index of the destination (of its own, for a source)
  std::uint32_t Source = 0;       // index among its destination's sources
  std::uint32_t LineID = 0;       // unique within the open device, stable while it is open
  std::uint32_t Flags = 0;        // mlf…
  std::uint32_t ComponentType = 0;
  std::uint32_t Channels = 0;     // 1 mono, 2 stereo, …
  std::uint32_t Connections = 0;
  std::uint32_t Controls = 0;
  std::string ShortName, Name;    // UTF-8; ShortName at most 15 bytes
  bool operator==(const TMixerLineInfo&) const = default;
};

// One control of a line.
struct TMixerControlInfo {
  std::uint32_t ControlID = 0;      // unique within the open device, stable while it is open
  std::uint32_t ControlType = 0;    // mct…
  std::uint32_t Flags = 0;          // mcf…
  std::uint32_t MultipleItems = 0;  // items per channel when mcfMultiple is set
  std::string ShortName, Name;      // UTF-8
  std::uint32_t Minimum = 0, Maximum = 0;  // bounds, compared unsigned
  std::uint32_t Steps = 0;
  std::uint32_t CustomData = 0;     // bytes of a custom control's value
  bool operator==(const TMixerControlInfo&) const = default;
};

// A request to read or write the values of a control.
struct TMixerControlDetails {
  std::uint32_t ControlID = 0;
  // 0 for a custom control, 1 for one value acting on all channels, otherwise the
  // line's channel count.
  std::uint32_t Channels = 0;
  std::uint32_t MultipleItems = 0;  // items per channel; 0 = one
  std::uint32_t ValueSize = 4;      // bytes of one value (a custom control: its CustomData)
  // max(Channels, 1) × max(MultipleItems, 1) values, channel by channel (value of
  // channel c, item i at c × items + i); a custom control's bytes fill the words
  // from the first. Not owned.
  std::span<std::uint32_t> Values;
};

// The name of one item of a list control.
struct TMixerListText {
  std::uint32_t Param1 = 0, Param2 = 0;
  std::string Name;  // UTF-8
};

// Receives the change notifications of an open device (the model's hidden
// window). Called on the thread that opened the device, from its event loop,
// never in parallel with itself and never from within a call on the handle.
class TMixerNotifyWindow {
public:
  virtual ~TMixerNotifyWindow() = default;
  // Message is mmMixmLineChange with a line ID or mmMixmControlChange with a
  // control ID. Must not throw: there is no caller to catch it.
  virtual void MixerMessage(std::uint32_t Message, std::uint32_t ID) noexcept = 0;
};

// One open device. Destroying it closes the device; no notification arrives after.
class TMixerHandle {
public:
  virtual ~TMixerHandle() = default;
  virtual TMMResult GetDevCaps(TMixerCaps& Caps) = 0;
  // The record of a destination by its index, of a source by its destination's
  // index and its own, or of any line by its ID (the record as it is now).
  virtual TMMResult GetDestination(std::uint32_t Destination, TMixerLineInfo& Info) = 0;
  virtual TMMResult GetSource(std::uint32_t Destination, std::uint32_t Source, TMixerLineInfo& Info) = 0;
  virtual TMMResult GetLineByID(std::uint32_t LineID, TMixerLineInfo& Info) = 0;
  // All controls of a line at once, in the line's order; Controls.size() must be
  // the line's control count.
  virtual TMMResult GetLineControls(std::uint32_t LineID, std::span<TMixerControlInfo> Controls) = 0;
  // Reads the present values into Details.Values.
  virtual TMMResult GetControlDetails(const TMixerControlDetails& Details) = 0;
  // The names of a list control's items: Texts.size() must be
  // max(Channels, 1) × MultipleItems of the request.
  virtual TMMResult GetListTexts(const TMixerControlDetails& Details, std::span<TMixerListText> Texts) = 0;
  // Writes Details.Values to the device.
  virtual TMMResult SetControlDetails(const TMixerControlDetails& Details) = 0;
};

// The mixer devices of the system.
class TMixerDriver {
public:
  virtual ~TMixerDriver() = default;
  // How many devices there are; indexes run from 0 to DeviceCount() − 1.
  virtual std::uint32_t DeviceCount() = 0;
  virtual TMMResult GetDevCaps(std::uint32_t Device, TMixerCaps& Caps) = 0;
  // Opens device Device; its change notifications go to Window (not owned; it
  // must outlive the handle). On failure Handle stays empty.
  virtual TMMResult Open(std::uint32_t Device, TMixerNotifyWindow& Window, std::unique_ptr<TMixerHandle>& Handle) = 0;
};

// The process-wide driver: the one installed, else one of a system without any
// mixer (no device: opening answers mmBadDeviceID). The program installs the
// device's (platform/alsa/AlsaMixer.h) at start; tests install the in-memory one.
TMixerDriver& MixerDriver();
// Installs a driver for the whole process (not owned; it must outlive every
// device it opens); nullptr restores the default.
void SetMixerDriver(TMixerDriver* Driver);
// Changes with every SetMixerDriver, so that what was learnt about the devices of
// one driver is not taken for another's.
std::uint32_t MixerDriverGeneration();
