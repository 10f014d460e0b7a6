#pragma once
// A mixer held in memory for tests, installed with SetMixerDriver: devices built
// line by line and control by control, values that "another program" may change,
// result codes to fail with, change notifications to inject, and a log of every
// write the model makes. Window thread only, like the real one.
//
// A control's values are kept per channel (× items) as a device would hold them:
// a request for one channel (uniform) reads channel 0 and writes every channel.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/MixerDevice.h"

class TMemoryMixer final : public TMixerDriver {
public:
  // The calls of the mixer interface, for scripted failures and counting.
  enum class TCall : std::uint8_t {
    DevCaps,         // the driver's and the handle's
    Open,
    Destination,
    Source,
    LineByID,
    LineControls,
    GetDetails,
    ListTexts,
    SetDetails,
  };

  // One write the model made.
  struct TWrite {
    std::uint32_t ControlID;
    std::uint32_t Channels;
    std::vector<std::uint32_t> Values;  // as sent: max(Channels, 1) × items
    bool operator==(const TWrite&) const = default;
  };

  ~TMemoryMixer() override;

  // --- building (also allowed while a device is open: the model sees changes
  // only where it asks again) ---

  // A new device; returns its index.
  std::uint32_t AddDevice(std::string ProductName);
  // A destination line of a device (ComponentType mlcDstFirst + type) or a source
  // of a destination (mlcSrcFirst + type), active; returns the line ID.
  std::uint32_t AddDestination(std::uint32_t Device, std::uint32_t ComponentType, std::string Name,
                               std::uint32_t Channels);
  std::uint32_t AddSource(std::uint32_t DestinationID, std::uint32_t ComponentType, std::string Name,
                          std::uint32_t Channels);
  // A control of a line; its ControlID is assigned and returned. Values: the
  // device's values, channels × items (zeros when shorter). ItemNames: one per
  // item of a list control.
  std::uint32_t AddControl(std::uint32_t LineID, TMixerControlInfo Info, std::vector<std::uint32_t> Values = {},
                           std::vector<std::string> ItemNames = {});
  // Shorthands for the controls tests use most.
  std::uint32_t AddVolume(std::uint32_t LineID, std::vector<std::uint32_t> Values, std::uint32_t Maximum = 65535);
  std::uint32_t AddMute(std::uint32_t LineID, bool Muted, bool Uniform = true);
  // A list control (mctMux single-select, mctMixer multiple-select) with one item
  // per name; Values as AddControl.
  std::uint32_t AddList(std::uint32_t LineID, std::uint32_t ControlType, std::vector<std::string> ItemNames,
                        std::vector<std::uint32_t> Values, bool Uniform = true);

  // --- the device's state ---

  // The values the device holds now (channels × items).
  std::vector<std::uint32_t>& Values(std::uint32_t ControlID);
  TMixerLineInfo& Line(std::uint32_t LineID);
  // Another program changes the values: they are set, then every open handle is
  // told (a control change), as the real mixer does.
  void Change(std::uint32_t ControlID, std::vector<std::uint32_t> NewValues);
  // Injects a notification into every open handle (also for IDs nobody has).
  void NotifyLine(std::uint32_t LineID);
  void NotifyControl(std::uint32_t ControlID);

  // --- scripting and the log ---

  // The next Times calls of that kind answer Code (Times −1: every call from now).
  void Fail(TCall Call, TMMResult Code, int Times = 1);
  // How many calls of that kind were made (failed ones too).
  int Calls(TCall Call) const;
  std::vector<TWrite> Writes;
  int OpenHandles() const { return int(FHandles.size()); }

  // --- TMixerDriver ---
  std::uint32_t DeviceCount() override { return std::uint32_t(FDevices.size()); }
  TMMResult GetDevCaps(std::uint32_t Device, TMixerCaps& Caps) override;
  TMMResult Open(std::uint32_t Device, TMixerNotifyWindow& Window, std::unique_ptr<TMixerHandle>& Handle) override;

private:
  class THandle;
  friend class THandle;
  struct TControl {
    std::uint32_t Line = 0;  // line ID
    TMixerControlInfo Info;
    std::vector<std::uint32_t> Values;
    std::vector<std::string> ItemNames;
  };
  struct TLine {
    TMixerLineInfo Info;
    std::uint32_t Device = 0;
    std::vector<std::uint32_t> Controls;  // control IDs
    std::vector<std::uint32_t> Sources;   // line IDs, for a destination
  };
  struct TDevice {
    std::string ProductName;
    std::vector<std::uint32_t> Destinations;  // line IDs
  };
  // Counts the call; the scripted failure for it, if any, else 0.
  TMMResult Enter(TCall Call);
  std::size_t ValueCount(const TControl& c) const;
  void Deliver(std::uint32_t Message, std::uint32_t ID);

  std::vector<TDevice> FDevices;
  std::map<std::uint32_t, TLine> FLines;
  std::map<std::uint32_t, TControl> FControls;
  std::uint32_t FNextLineID = 0x10;
  std::uint32_t FNextControlID = 0x100;
  std::map<TCall, int> FCalls;
  std::map<TCall, std::pair<TMMResult, int>> FFailures;
  std::vector<THandle*> FHandles;
};
