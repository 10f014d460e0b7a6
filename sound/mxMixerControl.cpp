// Mixer controls: the class table, values, reading and writing, list controls and
// the visual-control adapter.
#include <algorithm>
#include <stdexcept>

#include "sound/mxMixer.h"

namespace {

constexpr std::uint32_t AllBits = 0xFFFFFFFF;

// Lowers a count on every way out of a scope.
class TCountDown {
public:
  explicit TCountDown(int& count) : FCount(count) { ++FCount; }
  ~TCountDown() { --FCount; }
  TCountDown(const TCountDown&) = delete;
  TCountDown& operator=(const TCountDown&) = delete;

private:
  int& FCount;
};

template <class T>
std::unique_ptr<TmxMixerLineControl> Make(TmxMixerLine& line, const TMixerControlInfo& info) {
  return std::make_unique<T>(line, info);
}

std::unique_ptr<TmxMixerLineControl> ByClass(TmxMixerLine& line, const TMixerControlInfo& info) {
  const std::uint32_t type = info.ControlType;
  const int units = int((type >> 16) & 0xFF);
  switch (type >> 28) {
    case 0: return Make<TmxMixerCustomControl>(line, info);
    case 1:
      if (units == 1) return Make<TmxMixerBoolMeter>(line, info);
      if (units == 2) return Make<TmxMixerSignedMeter>(line, info);
      if (units == 3) return Make<TmxMixerUnsignedMeter>(line, info);
      break;
    case 2: return Make<TmxMixerSwitch>(line, info);
    case 3:
      if (units == 2) return Make<TmxMixerSignedControl>(line, info);
      if (units == 3) return Make<TmxMixerUnsignedControl>(line, info);
      if (units == 4) return Make<TmxMixerDecibelControl>(line, info);
      if (units == 5) return Make<TmxMixerPercentControl>(line, info);
      break;
    case 4: return Make<TmxMixerSlider>(line, info);
    case 5:
      if ((type & 0xFFFF) == (mctEqualizer & 0xFFFF)) return Make<TmxMixerEqualizer>(line, info);
      return Make<TmxMixerFader>(line, info);
    case 6: return Make<TmxMixerTimeControl>(line, info);
    case 7: return Make<TmxMixerListControl>(line, info);
    default: break;
  }
  // A class or unit the mixer interface does not define: an unclassified control.
  return std::make_unique<TmxMixerLineControl>(line, info);
}

}  // namespace

// --- TmxVisualMixerControlAdapter ---

void TmxVisualMixerControlAdapter::ControlChanged(TmxMixerLineControl& Control) {
  // A copy, so that a callback that detaches the adapter does not free itself.
  if (TChangeCallback callback = OnControlChange) callback(Owner, Control);
}

void TmxVisualMixerControlAdapter::ControlDestroyed(TmxMixerLineControl& Control) {
  if (TDestroyEvent event = OnControlDestroy) event(Control);
}

void TmxVisualMixerControlAdapter::Detach() {
  OnControlChange = {};
  Owner = nullptr;
  OnControlDestroy = {};
}

// --- TmxMixerLineControl ---

std::unique_ptr<TmxMixerLineControl> TmxMixerLineControl::Create(TmxMixerLine& Line, const TMixerControlInfo& Info) {
  std::unique_ptr<TmxMixerLineControl> control = ByClass(Line, Info);
  control->Reread();
  if (auto* list = dynamic_cast<TmxMixerListControl*>(control.get())) list->ReadItemNames();
  return control;
}

TmxMixerLineControl::TmxMixerLineControl(TmxMixerLine& Line, const TMixerControlInfo& Info) : FLine(Line), FInfo(Info) {
  if (ControlClass() == 0) {
    FValues.assign((std::size_t(FInfo.CustomData) + 3) / 4, 0);
  } else {
    FValues.assign(std::size_t(std::max(ChannelCount(), 1)) * std::size_t(ItemCount()), 0);
  }
}

TmxMixerLineControl::~TmxMixerLineControl() {
  if (FNotify) FNotify->ControlDestroyed(*this);
}

int TmxMixerLineControl::ItemCount() const {
  return (FInfo.Flags & mcfMultiple) != 0 ? int(std::max<std::uint32_t>(FInfo.MultipleItems, 1)) : 1;
}

int TmxMixerLineControl::ChannelCount() const { return int(FLine.Info().Channels); }

void TmxMixerLineControl::SetUniform(bool Value) {
  if (Value == Uniform()) return;
  FForceUniform = Value;
  ReadValues();
}

std::size_t TmxMixerLineControl::IndexOf(int Channel, int Item) const {
  if (Channel < 0 || Item < 0 || Item >= ItemCount()) throw std::out_of_range("mixer control: no such channel or item");
  // The values of a uniform control, and of a line with fewer channels than asked
  // for, are those of channel 0: a stereo panel on a mono line reads and writes
  // the one channel there is.
  const int channel = Uniform() || Channel >= ChannelCount() ? 0 : Channel;
  const std::size_t index = std::size_t(channel) * std::size_t(ItemCount()) + std::size_t(Item);
  if (index >= FValues.size()) throw std::out_of_range("mixer control: no such value");
  return index;
}

std::uint32_t TmxMixerLineControl::ValueAt(int Channel, int Item) const { return FValues[IndexOf(Channel, Item)]; }

void TmxMixerLineControl::SetValueAt(int Channel, int Item, std::uint32_t Value) {
  const std::size_t index = IndexOf(Channel, Item);
  Value = std::clamp(Value, FInfo.Minimum, std::max(FInfo.Minimum, FInfo.Maximum));
  if (FValues[index] == Value) return;
  FValues[index] = Value;
  if (FUpdateCount <= 0) WriteValues();
}

void TmxMixerLineControl::SetFlagAt(int Channel, int Item, std::uint32_t Value) {
  const std::size_t index = IndexOf(Channel, Item);
  if ((FValues[index] != 0) == (Value != 0)) return;
  FValues[index] = Value;
  if (FUpdateCount <= 0) WriteValues();
}

bool TmxMixerLineControl::IsOn() {
  SetUniform(true);
  return ValueAt(0, 0) != 0;
}

void TmxMixerLineControl::SetOn(bool Value) {
  SetUniform(true);
  SetFlagAt(0, 0, Value ? AllBits : 0);
}

void TmxMixerLineControl::BeginUpdate() { ++FUpdateCount; }

void TmxMixerLineControl::EndUpdate() {
  if (FUpdateCount <= 0) return;
  if (--FUpdateCount == 0) WriteValues();
}

TMixerHandle& TmxMixerLineControl::Handle() const {
  TMixerHandle* handle = FLine.Device().Handle();
  if (handle == nullptr) MMCheck(mmInvalidHandle);
  return *handle;
}

TMixerControlDetails TmxMixerLineControl::Details() {
  TMixerControlDetails d;
  d.ControlID = FInfo.ControlID;
  d.Channels = FInfo.ControlType == mctCustom ? 0 : (Uniform() ? 1 : std::uint32_t(ChannelCount()));
  if (ControlClass() == 0) {
    d.ValueSize = FInfo.CustomData;
    d.Values = FValues;
    return d;
  }
  d.MultipleItems = (FInfo.Flags & mcfMultiple) != 0 ? FInfo.MultipleItems : 0;
  const std::size_t count = std::size_t(std::max<std::uint32_t>(d.Channels, 1)) * std::size_t(ItemCount());
  d.Values = std::span<std::uint32_t>(FValues).first(std::min(count, FValues.size()));
  return d;
}

void TmxMixerLineControl::ReadValues() { MMCheck(Handle().GetControlDetails(Details())); }

void TmxMixerLineControl::WriteValues() { MMCheck(Handle().SetControlDetails(Details())); }

void TmxMixerLineControl::NotifyChanged() {
  if (FNotify) FNotify->ControlChanged(*this);
}

void TmxMixerLineControl::Reread() {
  TCountDown updating(FUpdateCount);
  ReadValues();
  NotifyChanged();
  if (TMixerControlNotification own = OnChange) own(*this);
  else if (TMixerControlNotification any = FLine.Device().OnControlChange()) any(*this);
}

// --- TmxMixerListControl ---

TmxMixerListControl::TmxMixerListControl(TmxMixerLine& Line, const TMixerControlInfo& Info)
    : TmxMixerLineControl(Line, Info), FItemNotify(std::size_t(ItemCount())) {}

TmxMixerListControl::~TmxMixerListControl() {
  for (const auto& notify : FItemNotify)
    if (notify) notify->ControlDestroyed(*this);
}

void TmxMixerListControl::ReadItemNames() {
  TMixerControlDetails d = Details();
  const std::size_t channels = Uniform() ? 1 : std::size_t(std::max(ChannelCount(), 1));
  std::vector<TMixerListText> texts(channels * std::size_t(ItemCount()));
  MMCheck(Handle().GetListTexts(d, texts));
  FItemNames.clear();
  for (const TMixerListText& t : texts) FItemNames.append(QString::fromStdString(t.Name));
}

std::uint32_t TmxMixerListControl::ItemSet(int Item) const {
  if (Uniform()) return ValueAt(0, Item);
  for (int c = 0; c < std::max(ChannelCount(), 1); ++c)
    if (const std::uint32_t v = ValueAt(c, Item); v != 0) return v;
  return 0;
}

void TmxMixerListControl::SetItem(int Item, std::uint32_t Value) {
  IndexOf(0, Item);  // a wrong item raises before anything changes
  BeginUpdate();
  const bool singleSelect = SubClass() == 0;
  if (!singleSelect || Value != 0) {
    if (singleSelect) std::fill(MutableValues().begin(), MutableValues().end(), 0);
    if (Uniform()) {
      SetFlagAt(0, Item, Value);
    } else {
      for (int c = 0; c < std::max(ChannelCount(), 1); ++c) SetFlagAt(c, Item, Value);
    }
  }
  EndUpdate();
}

const std::shared_ptr<ImxVisualMixerControl>& TmxMixerListControl::ItemNotify(int Item) const {
  return FItemNotify.at(std::size_t(Item));
}

void TmxMixerListControl::SetItemNotify(int Item, std::shared_ptr<ImxVisualMixerControl> Value) {
  FItemNotify.at(std::size_t(Item)) = std::move(Value);
}

void TmxMixerListControl::NotifyChanged() {
  TmxMixerLineControl::NotifyChanged();
  for (const auto& notify : FItemNotify)
    if (notify) notify->ControlChanged(*this);
}
