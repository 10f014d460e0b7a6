#include "MemoryMixer.h"

#include <algorithm>

class TMemoryMixer::THandle final : public TMixerHandle {
public:
  THandle(TMemoryMixer& mixer, std::uint32_t device, TMixerNotifyWindow& window)
      : FMixer(mixer), FDevice(device), FWindow(window) {
    FMixer.FHandles.push_back(this);
  }
  ~THandle() override { std::erase(FMixer.FHandles, this); }

  TMixerNotifyWindow& Window() const { return FWindow; }

  TMMResult GetDevCaps(TMixerCaps& caps) override {
    if (const TMMResult r = FMixer.Enter(TCall::DevCaps)) return r;
    caps.ProductName = Device().ProductName;
    caps.Destinations = std::uint32_t(Device().Destinations.size());
    return mmNoError;
  }

  TMMResult GetDestination(std::uint32_t d, TMixerLineInfo& info) override {
    if (const TMMResult r = FMixer.Enter(TCall::Destination)) return r;
    if (d >= Device().Destinations.size()) return mixInvalidLine;
    info = FMixer.FLines.at(Device().Destinations[d]).Info;
    return mmNoError;
  }

  TMMResult GetSource(std::uint32_t d, std::uint32_t s, TMixerLineInfo& info) override {
    if (const TMMResult r = FMixer.Enter(TCall::Source)) return r;
    if (d >= Device().Destinations.size()) return mixInvalidLine;
    const TLine& dest = FMixer.FLines.at(Device().Destinations[d]);
    if (s >= dest.Sources.size()) return mixInvalidLine;
    info = FMixer.FLines.at(dest.Sources[s]).Info;
    return mmNoError;
  }

  TMMResult GetLineByID(std::uint32_t id, TMixerLineInfo& info) override {
    if (const TMMResult r = FMixer.Enter(TCall::LineByID)) return r;
    const TLine* line = LineOf(id);
    if (line == nullptr) return mixInvalidLine;
    info = line->Info;
    return mmNoError;
  }

  TMMResult GetLineControls(std::uint32_t id, std::span<TMixerControlInfo> controls) override {
    if (const TMMResult r = FMixer.Enter(TCall::LineControls)) return r;
    const TLine* line = LineOf(id);
    if (line == nullptr) return mixInvalidLine;
    if (controls.size() != line->Controls.size()) return mmInvalidParam;
    for (std::size_t i = 0; i < controls.size(); ++i) controls[i] = FMixer.FControls.at(line->Controls[i]).Info;
    return mmNoError;
  }

  TMMResult GetControlDetails(const TMixerControlDetails& details) override {
    if (const TMMResult r = FMixer.Enter(TCall::GetDetails)) return r;
    TControl* c = nullptr;
    if (const TMMResult r = Check(details, c)) return r;
    const std::size_t wanted = Sent(*c, details);
    for (std::size_t k = 0; k < wanted; ++k) details.Values[k] = c->Values[k];
    return mmNoError;
  }

  TMMResult GetListTexts(const TMixerControlDetails& details, std::span<TMixerListText> texts) override {
    if (const TMMResult r = FMixer.Enter(TCall::ListTexts)) return r;
    TControl* c = nullptr;
    if (const TMMResult r = Check(details, c)) return r;
    if ((c->Info.ControlType >> 28) != 7) return mmInvalidParam;
    const std::size_t items = Items(*c);
    if (texts.size() != std::size_t(std::max<std::uint32_t>(details.Channels, 1)) * items) return mmInvalidParam;
    for (std::size_t k = 0; k < texts.size(); ++k) {
      const std::size_t item = k % items;
      texts[k].Param1 = std::uint32_t(item);
      texts[k].Name = item < c->ItemNames.size() ? c->ItemNames[item] : std::string();
    }
    return mmNoError;
  }

  TMMResult SetControlDetails(const TMixerControlDetails& details) override {
    if (const TMMResult r = FMixer.Enter(TCall::SetDetails)) return r;
    TControl* c = nullptr;
    if (const TMMResult r = Check(details, c)) return r;
    const std::size_t sent = Sent(*c, details);
    FMixer.Writes.push_back({details.ControlID, details.Channels,
                             std::vector<std::uint32_t>(details.Values.begin(), details.Values.begin() + sent)});
    if (details.Channels <= 1 && sent < c->Values.size()) {
      // One channel's values act on every channel.
      for (std::size_t k = 0; k < c->Values.size(); ++k) c->Values[k] = details.Values[k % std::min(sent, c->Values.size())];
    } else {
      std::copy_n(details.Values.begin(), sent, c->Values.begin());
    }
    return mmNoError;
  }

private:
  const TDevice& Device() const { return FMixer.FDevices.at(FDevice); }

  const TLine* LineOf(std::uint32_t id) const {
    const auto it = FMixer.FLines.find(id);
    return it == FMixer.FLines.end() || it->second.Device != FDevice ? nullptr : &it->second;
  }

  // How many values a request carries: a custom control's words, else
  // max(channels, 1) × items.
  static std::size_t Sent(const TControl& c, const TMixerControlDetails& details) {
    if ((c.Info.ControlType >> 28) == 0) return c.Values.size();
    return std::size_t(std::max<std::uint32_t>(details.Channels, 1)) * Items(c);
  }

  static std::size_t Items(const TControl& c) {
    return (c.Info.Flags & mcfMultiple) != 0 ? std::max<std::uint32_t>(c.Info.MultipleItems, 1) : 1;
  }

  TMMResult Check(const TMixerControlDetails& details, TControl*& control) {
    const auto it = FMixer.FControls.find(details.ControlID);
    if (it == FMixer.FControls.end()) return mixInvalidControl;
    TControl& c = it->second;
    const TLine& line = FMixer.FLines.at(c.Line);
    if (line.Device != FDevice) return mixInvalidControl;
    if ((c.Info.ControlType >> 28) == 0) {
      if (details.ValueSize != c.Info.CustomData || details.Values.size() * 4 < c.Info.CustomData) return mmInvalidParam;
    } else {
      if (details.ValueSize != 4) return mmInvalidParam;
      if (details.Channels != 1 && details.Channels != line.Info.Channels) return mmInvalidParam;
      const std::uint32_t items = (c.Info.Flags & mcfMultiple) != 0 ? c.Info.MultipleItems : 0;
      if (details.MultipleItems != items) return mmInvalidParam;
      if (details.Values.size() < std::size_t(details.Channels) * Items(c)) return mmInvalidParam;
    }
    control = &c;
    return mmNoError;
  }

  TMemoryMixer& FMixer;
  std::uint32_t FDevice;
  TMixerNotifyWindow& FWindow;
};

TMemoryMixer::~TMemoryMixer() = default;

std::uint32_t TMemoryMixer::AddDevice(std::string ProductName) {
  FDevices.push_back({std::move(ProductName), {}});
  return std::uint32_t(FDevices.size() - 1);
}

std::uint32_t TMemoryMixer::AddDestination(std::uint32_t Device, std::uint32_t ComponentType, std::string Name,
                                           std::uint32_t Channels) {
  TLine line;
  line.Device = Device;
  line.Info.Destination = std::uint32_t(FDevices.at(Device).Destinations.size());
  line.Info.LineID = FNextLineID++;
  line.Info.Flags = mlfActive;
  line.Info.ComponentType = ComponentType;
  line.Info.Channels = Channels;
  line.Info.ShortName = Name.substr(0, 15);
  line.Info.Name = std::move(Name);
  FDevices[Device].Destinations.push_back(line.Info.LineID);
  const std::uint32_t id = line.Info.LineID;
  FLines.emplace(id, std::move(line));
  return id;
}

std::uint32_t TMemoryMixer::AddSource(std::uint32_t DestinationID, std::uint32_t ComponentType, std::string Name,
                                      std::uint32_t Channels) {
  TLine& dest = FLines.at(DestinationID);
  TLine line;
  line.Device = dest.Device;
  line.Info.Destination = dest.Info.Destination;
  line.Info.Source = std::uint32_t(dest.Sources.size());
  line.Info.LineID = FNextLineID++;
  line.Info.Flags = mlfActive | mlfSource;
  line.Info.ComponentType = ComponentType;
  line.Info.Channels = Channels;
  line.Info.ShortName = Name.substr(0, 15);
  line.Info.Name = std::move(Name);
  dest.Sources.push_back(line.Info.LineID);
  dest.Info.Connections = std::uint32_t(dest.Sources.size());
  const std::uint32_t id = line.Info.LineID;
  FLines.emplace(id, std::move(line));
  return id;
}

std::uint32_t TMemoryMixer::AddControl(std::uint32_t LineID, TMixerControlInfo Info, std::vector<std::uint32_t> Values,
                                       std::vector<std::string> ItemNames) {
  TLine& line = FLines.at(LineID);
  Info.ControlID = FNextControlID++;
  TControl c{LineID, std::move(Info), std::move(Values), std::move(ItemNames)};
  line.Controls.push_back(c.Info.ControlID);
  line.Info.Controls = std::uint32_t(line.Controls.size());
  const std::uint32_t id = c.Info.ControlID;
  FControls.emplace(id, std::move(c));
  TControl& stored = FControls.at(id);
  stored.Values.resize(ValueCount(stored), 0);
  return id;
}

std::size_t TMemoryMixer::ValueCount(const TControl& c) const {
  if ((c.Info.ControlType >> 28) == 0) return (std::size_t(c.Info.CustomData) + 3) / 4;
  const std::size_t items = (c.Info.Flags & mcfMultiple) != 0 ? std::max<std::uint32_t>(c.Info.MultipleItems, 1) : 1;
  return std::size_t(std::max<std::uint32_t>(FLines.at(c.Line).Info.Channels, 1)) * items;
}

std::uint32_t TMemoryMixer::AddVolume(std::uint32_t LineID, std::vector<std::uint32_t> Values, std::uint32_t Maximum) {
  TMixerControlInfo info;
  info.ControlType = mctVolume;
  info.Name = info.ShortName = "Volume";
  info.Minimum = 0;
  info.Maximum = Maximum;
  info.Steps = Maximum;
  return AddControl(LineID, info, std::move(Values));
}

std::uint32_t TMemoryMixer::AddMute(std::uint32_t LineID, bool Muted, bool Uniform) {
  TMixerControlInfo info;
  info.ControlType = mctMute;
  info.Flags = Uniform ? mcfUniform : 0;
  info.Name = info.ShortName = "Mute";
  info.Maximum = 1;
  const std::uint32_t channels = FLines.at(LineID).Info.Channels;
  return AddControl(LineID, info, std::vector<std::uint32_t>(std::max<std::uint32_t>(channels, 1), Muted ? 1 : 0));
}

std::uint32_t TMemoryMixer::AddList(std::uint32_t LineID, std::uint32_t ControlType, std::vector<std::string> ItemNames,
                                    std::vector<std::uint32_t> Values, bool Uniform) {
  TMixerControlInfo info;
  info.ControlType = ControlType;
  info.Flags = mcfMultiple | (Uniform ? mcfUniform : 0);
  info.MultipleItems = std::uint32_t(ItemNames.size());
  info.Name = info.ShortName = ControlType == mctMux ? "Mux" : "Mixer";
  info.Maximum = 1;
  return AddControl(LineID, info, std::move(Values), std::move(ItemNames));
}

std::vector<std::uint32_t>& TMemoryMixer::Values(std::uint32_t ControlID) { return FControls.at(ControlID).Values; }

TMixerLineInfo& TMemoryMixer::Line(std::uint32_t LineID) { return FLines.at(LineID).Info; }

void TMemoryMixer::Change(std::uint32_t ControlID, std::vector<std::uint32_t> NewValues) {
  TControl& c = FControls.at(ControlID);
  NewValues.resize(c.Values.size(), 0);
  c.Values = std::move(NewValues);
  NotifyControl(ControlID);
}

void TMemoryMixer::NotifyLine(std::uint32_t LineID) { Deliver(mmMixmLineChange, LineID); }
void TMemoryMixer::NotifyControl(std::uint32_t ControlID) { Deliver(mmMixmControlChange, ControlID); }

void TMemoryMixer::Deliver(std::uint32_t Message, std::uint32_t ID) {
  // A receiver may close its handle, or open another, while it is told.
  const std::vector<THandle*> handles = FHandles;
  for (THandle* h : handles)
    if (std::find(FHandles.begin(), FHandles.end(), h) != FHandles.end()) h->Window().MixerMessage(Message, ID);
}

void TMemoryMixer::Fail(TCall Call, TMMResult Code, int Times) { FFailures[Call] = {Code, Times}; }

int TMemoryMixer::Calls(TCall Call) const {
  const auto it = FCalls.find(Call);
  return it == FCalls.end() ? 0 : it->second;
}

TMMResult TMemoryMixer::Enter(TCall Call) {
  ++FCalls[Call];
  const auto it = FFailures.find(Call);
  if (it == FFailures.end()) return mmNoError;
  auto& [code, times] = it->second;
  if (times > 0 && --times == 0) {
    const TMMResult r = code;
    FFailures.erase(it);
    return r;
  }
  return code;
}

TMMResult TMemoryMixer::GetDevCaps(std::uint32_t Device, TMixerCaps& Caps) {
  if (const TMMResult r = Enter(TCall::DevCaps)) return r;
  if (Device >= FDevices.size()) return mmBadDeviceID;
  Caps.ProductName = FDevices[Device].ProductName;
  Caps.Destinations = std::uint32_t(FDevices[Device].Destinations.size());
  return mmNoError;
}

TMMResult TMemoryMixer::Open(std::uint32_t Device, TMixerNotifyWindow& Window, std::unique_ptr<TMixerHandle>& Handle) {
  if (const TMMResult r = Enter(TCall::Open)) return r;
  if (Device >= FDevices.size()) return mmBadDeviceID;
  Handle = std::make_unique<THandle>(*this, Device, Window);
  return mmNoError;
}
