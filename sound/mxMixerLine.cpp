// Mixer lines and destinations: their records, controls, searches and the
// mute, selection and activity rules.
#include "sound/mxMixer.h"

// --- TmxMixerLine ---

TmxMixerLine::TmxMixerLine(TmxMixerDevice& Device, const TMixerLineInfo& Info) : FDevice(Device), FInfo(Info) {
  if (FInfo.Controls == 0) return;
  TMixerHandle* handle = FDevice.Handle();
  if (handle == nullptr) MMCheck(mmInvalidHandle);
  std::vector<TMixerControlInfo> records(FInfo.Controls);
  MMCheck(handle->GetLineControls(FInfo.LineID, records));
  for (const TMixerControlInfo& record : records) FControls.push_back(TmxMixerLineControl::Create(*this, record));
}

TmxMixerLine::~TmxMixerLine() = default;

TmxDestinationRef TmxMixerLine::OwnerDestination() const {
  // While the device is being read a source exists before its destination is
  // listed; it then has none yet.
  if (!IsSource() || FInfo.Destination >= std::uint32_t(FDevice.DestinationCount())) return nullptr;
  return FDevice.DestinationAt(int(FInfo.Destination));
}

int TmxMixerLine::SourceIndex() const { return IsSource() ? int(FInfo.Source) : -1; }

TMixerLineSourceType TmxMixerLine::SourceType() const {
  return IsSource() ? TMixerLineSourceType(FInfo.ComponentType & 0xFF) : lsUndefined;
}

TMixerLineDestinationType TmxMixerLine::DestinationType() const {
  return IsSource() ? ldUndefined : TMixerLineDestinationType(FInfo.ComponentType & 0xFF);
}

TmxControlRef TmxMixerLine::ControlByType(std::uint32_t ControlType) const {
  for (const auto& c : FControls)
    if (c->ControlType() == ControlType) return c.get();
  return nullptr;
}

bool TmxMixerLine::VisitControls(const TmxControlVisitor& Visitor) const {
  for (const auto& c : FControls)
    if (!Visitor(*c)) return false;
  return true;
}

TmxControlRef TmxMixerLine::VolumeControl() const {
  for (const auto& c : FControls)
    if (dynamic_cast<TmxMixerFader*>(c.get()) != nullptr && (c->ControlType() & 0xFF) == 1) return c.get();
  return nullptr;
}

TmxSwitchRef TmxMixerLine::MuteControl() const {
  for (const auto& c : FControls)
    if (c->ControlType() == mctMute) return dynamic_cast<TmxMixerSwitch*>(c.get());
  return nullptr;
}

TmxListControlRef TmxMixerLine::SelectorControl() const {
  for (const auto& c : FControls)
    if (auto* list = dynamic_cast<TmxMixerListControl*>(c.get())) return list;
  return nullptr;
}

bool TmxMixerLine::Muted() const {
  const TmxSwitchRef mute = MuteControl();
  return mute ? mute->IsOn() : false;
}

void TmxMixerLine::SetMuted(bool Value) {
  if (const TmxSwitchRef mute = MuteControl()) mute->SetOn(Value);
}

bool TmxMixerLine::Selected() const {
  const TmxDestinationRef destination = OwnerDestination();
  if (!destination) return true;
  const TmxListControlRef selector = destination->SelectorControl();
  if (!selector) return true;
  return selector->ItemSet(SourceIndex()) != 0;
}

void TmxMixerLine::SetSelected(bool Value) {
  const TmxDestinationRef destination = OwnerDestination();
  if (!destination) return;
  if (const TmxListControlRef selector = destination->SelectorControl()) selector->SetItem(SourceIndex(), Value ? 1 : 0);
}

bool TmxMixerLine::Active() const { return !Muted() && Selected(); }

void TmxMixerLine::SetActive(bool Value) {
  SetMuted(!Value);
  SetSelected(Value);
}

void TmxMixerLine::Reread() {
  TMixerHandle* handle = FDevice.Handle();
  if (handle == nullptr) MMCheck(mmInvalidHandle);
  TMixerLineInfo info;
  MMCheck(handle->GetLineByID(FInfo.LineID, info));
  FInfo = std::move(info);
  if (TMixerLineNotification own = OnChange) own(FDevice, *this);
  else if (TMixerLineNotification any = FDevice.OnLineChange()) any(FDevice, *this);
}

// --- TmxMixerDestination ---

TmxMixerDestination::TmxMixerDestination(TmxMixerDevice& Device, const TMixerLineInfo& Info) : TmxMixerLine(Device, Info) {
  TMixerHandle* handle = Device.Handle();
  if (handle == nullptr && this->Info().Connections > 0) MMCheck(mmInvalidHandle);
  for (std::uint32_t s = 0; s < this->Info().Connections; ++s) {
    TMixerLineInfo source;
    MMCheck(handle->GetSource(this->Info().Destination, s, source));
    FSources.push_back(std::make_unique<TmxMixerLine>(Device, source));
  }
}

TmxLineRef TmxMixerDestination::SourceByType(TMixerLineSourceType Type) const {
  for (const auto& s : FSources)
    if (s->SourceType() == Type) return s.get();
  return nullptr;
}

bool TmxMixerDestination::VisitSources(const TmxLineVisitor& Visitor) const {
  for (const auto& s : FSources)
    if (!Visitor(*s)) return false;
  return true;
}
