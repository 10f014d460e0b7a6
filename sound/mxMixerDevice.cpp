// The mixer device and component: opening, searches, visits, change
// notifications and the process-wide list of device names.
#include <QApplication>
#include <QMessageBox>
#include <optional>

#include "sound/mxMixer.h"

namespace {

TMixerErrorHandler ErrorHandler;

}  // namespace

void ShowMixerError(std::exception_ptr error) {
  if (TMixerErrorHandler handler = ErrorHandler) {
    handler(error);
    return;
  }
  QString message;
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    message = QString::fromUtf8(e.what());
  } catch (...) {
    message = QStringLiteral("Unknown error");
  }
  // The texts break their line with a carriage return, which a Qt label does not.
  message.replace(QChar('\r'), QChar('\n'));
  QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
}

namespace {

// Sets a Busy flag for the length of a scope.
class TBusy {
public:
  explicit TBusy(bool& flag) : FFlag(flag) { FFlag = true; }
  ~TBusy() { FFlag = false; }
  TBusy(const TBusy&) = delete;
  TBusy& operator=(const TBusy&) = delete;

private:
  bool& FFlag;
};

}  // namespace

void SetMixerErrorDisplay(TMixerErrorHandler Handler) { ErrorHandler = std::move(Handler); }

const QStringList& MixerDeviceNames() {
  static QStringList names;
  static std::optional<std::uint32_t> learntFor;
  if (learntFor != MixerDriverGeneration()) {
    TMixerDriver& driver = MixerDriver();
    names.clear();
    const std::uint32_t count = driver.DeviceCount();
    for (std::uint32_t i = 0; i < count; ++i) {
      TMixerCaps caps;
      driver.GetDevCaps(i, caps);  // a device that does not answer keeps an empty name
      names.append(QString::fromStdString(caps.ProductName));
    }
    learntFor = MixerDriverGeneration();
  }
  return names;
}

// --- the hidden window ---

class TmxMixerDevice::TWindow final : public TMixerNotifyWindow {
public:
  explicit TWindow(TmxMixerDevice& device) : FDevice(device) {}
  void MixerMessage(std::uint32_t Message, std::uint32_t ID) noexcept override {
    try {
      FDevice.WndProc(Message, ID);
    } catch (...) {
      ShowMixerError(std::current_exception());
    }
  }

private:
  TmxMixerDevice& FDevice;
};

// --- TmxMixerDevice ---

TmxMixerDevice::TmxMixerDevice(TmxMixer* Mixer) : FWindow(std::make_unique<TWindow>(*this)), FMixer(Mixer) {}

TmxMixerDevice::~TmxMixerDevice() {
  // No notification can arrive once the handle is closed; the lines and
  // controls go last.
  FHandle.reset();
  FWindow.reset();
  FDestinations.clear();
}

TMixerNotifyWindow& TmxMixerDevice::Window() const { return *FWindow; }

void TmxMixerDevice::Close() {
  FHandle.reset();
  FDestinations.clear();
  FDeviceID = -1;
}

void TmxMixerDevice::SetDeviceID(int Value) {
  if (Value == FDeviceID) return;
  Close();
  if (Value == -1) return;
  std::unique_ptr<TMixerHandle> handle;
  MMCheck(MixerDriver().Open(std::uint32_t(Value), *FWindow, handle));
  FHandle = std::move(handle);
  TMixerCaps caps;
  MMCheck(FHandle->GetDevCaps(caps));
  for (std::uint32_t d = 0; d < caps.Destinations; ++d) {
    TMixerLineInfo info;
    MMCheck(FHandle->GetDestination(d, info));
    FDestinations.push_back(std::make_unique<TmxMixerDestination>(*this, info));
  }
  FDeviceID = Value;
}

TmxLineRef TmxMixerDevice::LineByID(std::uint32_t ID) const {
  for (const auto& d : FDestinations) {
    if (d->ID() == ID) return d.get();
    for (int s = 0; s < d->SourceCount(); ++s)
      if (d->Sources(s).ID() == ID) return d->Sources(s);
  }
  return nullptr;
}

TmxControlRef TmxMixerDevice::ControlByID(std::uint32_t ID) const {
  TmxControlRef found;
  VisitControls([&](TmxMixerLineControl& c) {
    if (c.ID() == ID) found = c;
    return !found;
  });
  return found;
}

TmxSwitchRef TmxMixerDevice::SpeakersMute() const {
  const TmxDestinationRef speakers = SpeakersLine();
  return speakers ? speakers->MuteControl() : nullptr;
}

TmxControlRef TmxMixerDevice::SpeakersVolume() const {
  const TmxDestinationRef speakers = SpeakersLine();
  return speakers ? speakers->VolumeControl() : nullptr;
}

QString TmxMixerDevice::ProductName() const {
  if (FDeviceID < 0) return {};
  const QStringList& names = MixerDeviceNames();
  return FDeviceID < names.size() ? names[FDeviceID] : QString();
}

TmxDestinationRef TmxMixerDevice::DestinationAt(int Index) const { return *FDestinations.at(std::size_t(Index)); }

TmxDestinationRef TmxMixerDevice::DestinationByType(TMixerLineDestinationType Type) const {
  for (const auto& d : FDestinations)
    if (d->DestinationType() == Type) return d.get();
  return nullptr;
}

bool TmxMixerDevice::VisitLines(const TmxLineVisitor& Visitor) const {
  for (const auto& d : FDestinations) {
    if (!Visitor(*d)) return false;
    if (!d->VisitSources(Visitor)) return false;
  }
  return true;
}

bool TmxMixerDevice::VisitControls(const TmxControlVisitor& Visitor) const {
  for (const auto& d : FDestinations) {
    if (!d->VisitControls(Visitor)) return false;
    for (int s = 0; s < d->SourceCount(); ++s)
      if (!d->Sources(s).VisitControls(Visitor)) return false;
  }
  return true;
}

void TmxMixerDevice::WndProc(std::uint32_t Message, std::uint32_t ID) {
  if (Message == mmMixmLineChange) {
    const TmxLineRef line = LineByID(ID);
    if (!line || line->Busy()) return;
    TBusy busy(line->FBusy);
    line->Reread();
  } else if (Message == mmMixmControlChange) {
    const TmxControlRef control = ControlByID(ID);
    if (!control || control->Busy()) return;
    TBusy busy(control->FBusy);
    control->Reread();
  }
}

// --- TmxMixer ---

TmxMixer::TmxMixer(QObject* Owner) : QObject(Owner), FDevice(std::make_shared<TmxMixerDevice>(this)) {}

TmxMixer::~TmxMixer() { FDevice->ForgetMixer(); }
