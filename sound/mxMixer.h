#pragma once
// An object model over the system's audio mixer (platform/MixerDevice.h): a
// component, TmxMixer, selects a mixer device by index; its device object opens
// the device, reads its destination lines, each destination's source lines and
// every line's controls, keeps them as objects, keeps their values in step with
// the device through its change notifications and writes changed values back.
// Failures of the mixer interface raise the exceptions of sound/mxMMErrs.h.
//
// Everything here runs on the window thread: the device's change notifications
// arrive there too, between other window events, never in parallel.
//
// Ownership: a TmxMixer holds its device (shared; the device goes with its last
// holder); the device owns its destinations, a destination its sources, a line its
// controls. References to lines and controls stay valid until the device is
// closed or reopened (DeviceID written) or freed.
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/MixerDevice.h"
#include "sound/mxMMErrs.h"

// The source type of a source line: the low byte of its component type.
enum TMixerLineSourceType : std::uint8_t {
  lsUndefined, lsDigital, lsLine, lsMicrophone, lsSynthesizer, lsCompactDisk,
  lsTelephone, lsPCSpeaker, lsWaveOut, lsAuxiliary, lsAnalog,
};

// The destination type of a destination line: the low byte of its component type.
enum TMixerLineDestinationType : std::uint8_t {
  ldUndefined, ldDigital, ldLine, ldMonitor, ldSpeakers, ldHeadPhones, ldTelephone, ldWaveIn, ldVoiceIn,
};

class TmxMixer;
class TmxMixerDevice;
class TmxMixerLine;
class TmxMixerDestination;
class TmxMixerLineControl;
class TmxMixerSwitch;
class TmxMixerListControl;

// A reference to a line or control that may be empty ("none"). Test it with
// `if (ref)`; using an empty one (->, *) raises EMixerError with Missing
// (mixInvalidLine for lines, mixInvalidControl for controls) instead of running.
template <class T, TMMResult Missing>
class TmxRef {
public:
  TmxRef() = default;
  TmxRef(std::nullptr_t) {}
  TmxRef(T* Object) : FObject(Object) {}
  TmxRef(T& Object) : FObject(&Object) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  TmxRef(const TmxRef<U, Missing>& Other) : FObject(Other.get()) {}

  T* operator->() const { return &operator*(); }
  T& operator*() const {
    if (FObject == nullptr) std::rethrow_exception(MMErrorFor(Missing));
    return *FObject;
  }
  T* get() const { return FObject; }
  explicit operator bool() const { return FObject != nullptr; }
  friend bool operator==(const TmxRef& A, const TmxRef& B) { return A.FObject == B.FObject; }
  friend bool operator==(const TmxRef& A, std::nullptr_t) { return A.FObject == nullptr; }

private:
  T* FObject = nullptr;
};

using TmxLineRef = TmxRef<TmxMixerLine, mixInvalidLine>;
using TmxDestinationRef = TmxRef<TmxMixerDestination, mixInvalidLine>;
using TmxControlRef = TmxRef<TmxMixerLineControl, mixInvalidControl>;
using TmxSwitchRef = TmxRef<TmxMixerSwitch, mixInvalidControl>;
using TmxListControlRef = TmxRef<TmxMixerListControl, mixInvalidControl>;

// Change events.
using TMixerLineNotification = std::function<void(TmxMixerDevice& Sender, TmxMixerLine& Line)>;
using TMixerControlNotification = std::function<void(TmxMixerLineControl& Control)>;
// Visitors: return false to stop the visit.
using TmxLineVisitor = std::function<bool(TmxMixerLine& Line)>;
using TmxControlVisitor = std::function<bool(TmxMixerLineControl& Control)>;

// A visual control that shows a mixer control. Attached to a control (its Notify,
// or an item of a list control), it is told when the control's values were read
// again and when the control is freed. Neither may throw.
class ImxVisualMixerControl {
public:
  virtual ~ImxVisualMixerControl() = default;
  virtual void ControlChanged(TmxMixerLineControl& Control) = 0;
  virtual void ControlDestroyed(TmxMixerLineControl& Control) = 0;
};

// ImxVisualMixerControl for a visual control that is not one itself. Its owner
// creates it with std::make_shared and clears it (Detach) when the owner goes, so
// that notifications from mixer objects that still hold it go nowhere; its memory
// goes with the last holder.
class TmxVisualMixerControlAdapter final : public ImxVisualMixerControl {
public:
  using TChangeCallback = std::function<void(QObject* Owner, TmxMixerLineControl& Control)>;
  using TDestroyEvent = std::function<void(TmxMixerLineControl& Control)>;

  QObject* Owner = nullptr;  // not owned
  TChangeCallback OnControlChange;  // called as OnControlChange(Owner, Control) when set
  TDestroyEvent OnControlDestroy;   // called by ControlDestroyed when set

  void ControlChanged(TmxMixerLineControl& Control) override;
  void ControlDestroyed(TmxMixerLineControl& Control) override;
  // Clears owner, callback and event.
  void Detach();
};

// A mixer device: what TmxMixer offers and TmxMixerDevice implements.
class ImxMixerDevice {
public:
  virtual ~ImxMixerDevice() = default;
  // Index of the open device; -1 when none is open.
  virtual int DeviceID() const = 0;
  // The first line or control with that ID (destinations in order, each before its
  // sources), or none.
  virtual TmxControlRef ControlByID(std::uint32_t ID) const = 0;
  virtual TmxLineRef LineByID(std::uint32_t ID) const = 0;
  // The speakers destination's mute switch and volume fader, or none.
  virtual TmxSwitchRef SpeakersMute() const = 0;
  virtual TmxControlRef SpeakersVolume() const = 0;
  // The open device's name; empty while none is open.
  virtual QString ProductName() const = 0;
  // Index from 0 to DestinationCount() − 1 (std::out_of_range otherwise).
  virtual TmxDestinationRef DestinationAt(int Index) const = 0;
  // The first destination of that type, or none.
  virtual TmxDestinationRef DestinationByType(TMixerLineDestinationType Type) const = 0;
  virtual int DestinationCount() const = 0;
  virtual TmxDestinationRef SpeakersLine() const = 0;  // DestinationByType(ldSpeakers)
  virtual TmxDestinationRef WaveInLine() const = 0;    // DestinationByType(ldWaveIn)
  virtual const TMixerControlNotification& OnControlChange() const = 0;
  virtual const TMixerLineNotification& OnLineChange() const = 0;
  // Opens device Value (see TmxMixerDevice::SetDeviceID).
  virtual void SetDeviceID(int Value) = 0;
  virtual void SetOnControlChange(TMixerControlNotification Value) = 0;
  virtual void SetOnLineChange(TMixerLineNotification Value) = 0;
  // Each destination, then each of its sources; false as soon as Visitor says so.
  virtual bool VisitLines(const TmxLineVisitor& Visitor) const = 0;
  // The controls of each destination, then of each of its sources, alike.
  virtual bool VisitControls(const TmxControlVisitor& Visitor) const = 0;
};

// One control of a line. Its values are a buffer of 32-bit values, channel by
// channel (channel c, item i at c × ItemCount() + i); a custom control's buffer
// holds its CustomData bytes instead.
class TmxMixerLineControl {
public:
  // Chooses the class by the control type (class bits, units, equalizer), keeps
  // the record, reads the present values (Reread: the device's OnControlChange
  // already fires for the new control) and, for a list control, its item names.
  static std::unique_ptr<TmxMixerLineControl> Create(TmxMixerLine& Line, const TMixerControlInfo& Info);

  TmxMixerLineControl(TmxMixerLine& Line, const TMixerControlInfo& Info);
  TmxMixerLineControl(const TmxMixerLineControl&) = delete;
  TmxMixerLineControl& operator=(const TmxMixerLineControl&) = delete;
  // Tells the attached Notify ControlDestroyed first.
  virtual ~TmxMixerLineControl();

  TmxMixerLine& Line() const { return FLine; }
  const TMixerControlInfo& Info() const { return FInfo; }
  std::uint32_t ID() const { return FInfo.ControlID; }
  std::uint32_t ControlType() const { return FInfo.ControlType; }
  QString Name() const { return QString::fromStdString(FInfo.Name); }
  // Bits 28-31 (0 custom, 1 meter, 2 switch, 3 number, 4 slider, 5 fader, 6 time,
  // 7 list), bits 24-27, bits 16-23 (0 custom, 1 Boolean, 2 signed, 3 unsigned,
  // 4 decibels, 5 percent) of the control type.
  int ControlClass() const { return int(FInfo.ControlType >> 28); }
  int SubClass() const { return int((FInfo.ControlType >> 24) & 0xF); }
  int Units() const { return int((FInfo.ControlType >> 16) & 0xFF); }
  // The platform's item count with the multiple flag, else 1.
  int ItemCount() const;
  // The line's channel count.
  int ChannelCount() const;
  // ForceUniform or the platform's uniform flag.
  bool Uniform() const { return FForceUniform || (FInfo.Flags & mcfUniform) != 0; }
  // A new value sets ForceUniform and reads the values again.
  void SetUniform(bool Value);
  bool ForceUniform() const { return FForceUniform; }

  const std::vector<std::uint32_t>& Values() const { return FValues; }
  // While above 0, changed values stay in Values and are not written.
  int UpdateCount() const { return FUpdateCount; }
  // Set while a change notification for this control is handled.
  bool Busy() const { return FBusy; }
  // The visual control to tell about changes, or none.
  const std::shared_ptr<ImxVisualMixerControl>& Notify() const { return FNotify; }
  void SetNotify(std::shared_ptr<ImxVisualMixerControl> Value) { FNotify = std::move(Value); }
  // The control's own change event; when unset the device's OnControlChange runs.
  TMixerControlNotification OnChange;

  // The stored value of a channel and item. A channel the values do not hold
  // apart (any channel of a uniform control, a channel beyond the line's) is
  // channel 0. Item from 0 to ItemCount() − 1 (std::out_of_range otherwise).
  std::uint32_t ValueAt(int Channel, int Item) const;
  // Clamps Value to the bounds (unsigned); if it differs from the stored value it
  // is stored and, unless UpdateCount() > 0, all values are written.
  void SetValueAt(int Channel, int Item, std::uint32_t Value);
  // Stores Value and writes as SetValueAt does, only when its truth (zero or not)
  // differs from the stored value's.
  virtual void SetFlagAt(int Channel, int Item, std::uint32_t Value);
  // Makes the control uniform, then tells whether channel 0, item 0 is not 0.
  bool IsOn();
  // Makes the control uniform, then SetFlagAt(0, 0, all bits set or 0).
  void SetOn(bool Value);
  void BeginUpdate();
  // Writes all values when the count comes down to 0; nothing when it is 0.
  void EndUpdate();
  // Reads the present values from the device into Values.
  void ReadValues();
  // Writes Values to the device.
  void WriteValues();
  // Raises UpdateCount, reads the values, tells Notify (and a list's item
  // notifies), runs OnChange (else the device's OnControlChange), and lowers
  // UpdateCount again, also on failure: whatever those write meanwhile stays
  // unwritten.
  void Reread();

protected:
  // Tells Notify that the values were read again.
  virtual void NotifyChanged();
  std::vector<std::uint32_t>& MutableValues() { return FValues; }
  // The request for reading and writing this control's values.
  TMixerControlDetails Details();
  TMixerHandle& Handle() const;
  std::size_t IndexOf(int Channel, int Item) const;

private:
  friend class TmxMixerDevice;  // sets Busy while it handles a notification
  TmxMixerLine& FLine;
  TMixerControlInfo FInfo;
  std::vector<std::uint32_t> FValues;
  int FUpdateCount = 0;
  std::shared_ptr<ImxVisualMixerControl> FNotify;
  bool FForceUniform = false;
  bool FBusy = false;
};

// The classes of the control table; they add nothing but the classification.
class TmxMixerCustomControl final : public TmxMixerLineControl { using TmxMixerLineControl::TmxMixerLineControl; };
class TmxMixerBoolMeter final : public TmxMixerLineControl { using TmxMixerLineControl::TmxMixerLineControl; };
class TmxMixerSignedMeter final : public TmxMixerLineControl { using TmxMixerLineControl::TmxMixerLineControl; };
class TmxMixerUnsignedMeter final : public TmxMixerLineControl { using TmxMixerLineControl::TmxMixerLineControl; };
class TmxMixerSwitch final : public TmxMixerLineControl { using TmxMixerLineControl::TmxMixerLineControl; };
class TmxMixerNumberControl : public TmxMixerLineControl { using TmxMixerLineControl::TmxMixerLineControl; };
class TmxMixerSignedControl final : public TmxMixerNumberControl { using TmxMixerNumberControl::TmxMixerNumberControl; };
class TmxMixerUnsignedControl final : public TmxMixerNumberControl { using TmxMixerNumberControl::TmxMixerNumberControl; };
class TmxMixerDecibelControl final : public TmxMixerNumberControl { using TmxMixerNumberControl::TmxMixerNumberControl; };
class TmxMixerPercentControl final : public TmxMixerNumberControl { using TmxMixerNumberControl::TmxMixerNumberControl; };
class TmxMixerSlider final : public TmxMixerLineControl { using TmxMixerLineControl::TmxMixerLineControl; };
class TmxMixerFader final : public TmxMixerLineControl { using TmxMixerLineControl::TmxMixerLineControl; };
class TmxMixerTimeControl final : public TmxMixerLineControl { using TmxMixerLineControl::TmxMixerLineControl; };

// A fader of the equalizer type, with an item list that starts empty.
class TmxMixerEqualizer final : public TmxMixerLineControl {
public:
  using TmxMixerLineControl::TmxMixerLineControl;
  QStringList Items;
};

// A list of items (single-select when SubClass() is 0), each item able to carry a
// visual control of its own.
class TmxMixerListControl final : public TmxMixerLineControl {
public:
  TmxMixerListControl(TmxMixerLine& Line, const TMixerControlInfo& Info);
  // Tells each item's visual control ControlDestroyed (before Notify is told).
  ~TmxMixerListControl() override;

  // The name of every entry the device gave: (Uniform() ? 1 : ChannelCount()) ×
  // ItemCount() names, channel by channel.
  const QStringList& ItemNames() const { return FItemNames; }
  // Reads the item names from the device (done once by Create).
  void ReadItemNames();
  // Non-zero when the item is set: on channel 0 when uniform, else the value on
  // the first channel where it is set.
  std::uint32_t ItemSet(int Item) const;
  // Sets (Value non-zero) or clears an item and writes the values once. In a
  // single-select list a set item clears every other and clearing changes nothing.
  void SetItem(int Item, std::uint32_t Value);
  const std::shared_ptr<ImxVisualMixerControl>& ItemNotify(int Item) const;
  void SetItemNotify(int Item, std::shared_ptr<ImxVisualMixerControl> Value);

protected:
  void NotifyChanged() override;

private:
  QStringList FItemNames;
  std::vector<std::shared_ptr<ImxVisualMixerControl>> FItemNotify;
};

// One mixer line, with its controls in the device's order.
class TmxMixerLine {
public:
  // Keeps the record and reads the line's controls (all at once).
  TmxMixerLine(TmxMixerDevice& Device, const TMixerLineInfo& Info);
  TmxMixerLine(const TmxMixerLine&) = delete;
  TmxMixerLine& operator=(const TmxMixerLine&) = delete;
  virtual ~TmxMixerLine();

  TmxMixerDevice& Device() const { return FDevice; }
  // The record as the device last gave it.
  const TMixerLineInfo& Info() const { return FInfo; }
  std::uint32_t ID() const { return FInfo.LineID; }
  // Set while a change notification for this line is handled.
  bool Busy() const { return FBusy; }
  // The line's own change event; when unset the device's OnLineChange runs.
  TMixerLineNotification OnChange;

  QString Name() const { return QString::fromStdString(FInfo.Name); }
  bool IsSource() const { return (FInfo.Flags & mlfSource) != 0; }
  // A source's destination (the device's destination at its destination index);
  // none for a destination.
  TmxDestinationRef OwnerDestination() const;
  // A source's index among its destination's sources; -1 for a destination.
  int SourceIndex() const;
  // lsUndefined for a destination; ldUndefined for a source.
  TMixerLineSourceType SourceType() const;
  TMixerLineDestinationType DestinationType() const;

  int ControlCount() const { return int(FControls.size()); }
  // Index from 0 to ControlCount() − 1 (std::out_of_range otherwise).
  TmxMixerLineControl& Controls(int Index) const { return *FControls.at(std::size_t(Index)); }
  // The first control of exactly that type, or none.
  TmxControlRef ControlByType(std::uint32_t ControlType) const;
  bool VisitControls(const TmxControlVisitor& Visitor) const;
  // The first fader whose type has 1 in its low byte (the volume fader), or none.
  TmxControlRef VolumeControl() const;
  // The control of the mute type (always a switch), or none.
  TmxSwitchRef MuteControl() const;
  // The first list control of this line (a destination's source selector), or none.
  TmxListControlRef SelectorControl() const;

  // The mute switch's IsOn; false without one.
  bool Muted() const;
  // SetOn of the mute switch, if there is one.
  void SetMuted(bool Value);
  // Of a source whose destination has a selector: whether its item is set; true
  // otherwise.
  bool Selected() const;
  // Sets or clears the source's item of its destination's selector, if any.
  void SetSelected(bool Value);
  // Not Muted and Selected.
  bool Active() const;
  // SetMuted(not Value), then SetSelected(Value).
  void SetActive(bool Value);

  // Asks the record again by the line ID, then runs OnChange (else the device's
  // OnLineChange).
  void Reread();

private:
  friend class TmxMixerDevice;  // sets Busy while it handles a notification
  TmxMixerDevice& FDevice;
  TMixerLineInfo FInfo;
  std::vector<std::unique_ptr<TmxMixerLineControl>> FControls;
  bool FBusy = false;
};

// A destination line and its sources, in source index order.
class TmxMixerDestination final : public TmxMixerLine {
public:
  // Reads the line and its controls, then every source's record and controls.
  TmxMixerDestination(TmxMixerDevice& Device, const TMixerLineInfo& Info);

  int SourceCount() const { return int(FSources.size()); }
  // Index from 0 to SourceCount() − 1 (std::out_of_range otherwise).
  TmxMixerLine& Sources(int Index) const { return *FSources.at(std::size_t(Index)); }
  // The first source of that type, or none.
  TmxLineRef SourceByType(TMixerLineSourceType Type) const;
  bool VisitSources(const TmxLineVisitor& Visitor) const;

private:
  std::vector<std::unique_ptr<TmxMixerLine>> FSources;
};

// One mixer device, opened by writing DeviceID.
class TmxMixerDevice final : public ImxMixerDevice {
public:
  // Nothing open (DeviceID −1). Mixer: the owning component, or none.
  explicit TmxMixerDevice(TmxMixer* Mixer = nullptr);
  // Closes the open device and frees its lines and controls.
  ~TmxMixerDevice() override;
  TmxMixerDevice(const TmxMixerDevice&) = delete;
  TmxMixerDevice& operator=(const TmxMixerDevice&) = delete;

  int DeviceID() const override { return FDeviceID; }
  // Opening: the same ID does nothing. Otherwise the open device is closed and
  // its lines and controls are freed (DeviceID −1); for −1 that is all. Then the
  // device is opened, its destinations, their sources and all controls are read,
  // and DeviceID becomes Value. A failure raises at once and is not rolled back;
  // when the open itself fails no destination exists and DeviceID stays −1.
  // Not from a change event of this device: it frees the objects being told.
  void SetDeviceID(int Value) override;

  // The open device, or none.
  TMixerHandle* Handle() const { return FHandle.get(); }
  // Receives the device's change notifications (the hidden window).
  TMixerNotifyWindow& Window() const;
  TmxMixer* Mixer() const { return FMixer; }

  TmxControlRef ControlByID(std::uint32_t ID) const override;
  TmxLineRef LineByID(std::uint32_t ID) const override;
  TmxSwitchRef SpeakersMute() const override;
  TmxControlRef SpeakersVolume() const override;
  QString ProductName() const override;
  TmxDestinationRef DestinationAt(int Index) const override;
  TmxDestinationRef DestinationByType(TMixerLineDestinationType Type) const override;
  int DestinationCount() const override { return int(FDestinations.size()); }
  TmxDestinationRef SpeakersLine() const override { return DestinationByType(ldSpeakers); }
  TmxDestinationRef WaveInLine() const override { return DestinationByType(ldWaveIn); }
  const TMixerControlNotification& OnControlChange() const override { return FOnControlChange; }
  const TMixerLineNotification& OnLineChange() const override { return FOnLineChange; }
  void SetOnControlChange(TMixerControlNotification Value) override { FOnControlChange = std::move(Value); }
  void SetOnLineChange(TMixerLineNotification Value) override { FOnLineChange = std::move(Value); }
  bool VisitLines(const TmxLineVisitor& Visitor) const override;
  bool VisitControls(const TmxControlVisitor& Visitor) const override;

  // A change notification as the window receives it: a line change (line ID) or a
  // control change (control ID) rereads that line or control unless it is Busy
  // (a notification for it is being handled) or no object has the ID; every
  // other message is ignored. Errors reach the caller.
  void WndProc(std::uint32_t Message, std::uint32_t ID);

  // Left to the component that frees the device's holder.
  void ForgetMixer() { FMixer = nullptr; }

private:
  class TWindow;
  void Close();

  int FDeviceID = -1;
  std::unique_ptr<TMixerHandle> FHandle;
  std::unique_ptr<TWindow> FWindow;
  std::vector<std::unique_ptr<TmxMixerDestination>> FDestinations;
  TMixerLineNotification FOnLineChange;
  TMixerControlNotification FOnControlChange;
  TmxMixer* FMixer;
};

// The mixer component: selects a device by its index and offers that device's
// interface itself. Its Qt parent (Owner), if any, frees it.
class TmxMixer : public QObject, public ImxMixerDevice {
public:
  // Creates its device, with nothing open (DeviceID −1).
  explicit TmxMixer(QObject* Owner = nullptr);
  // Lets go of its device, which is freed unless someone else still holds it.
  ~TmxMixer() override;

  const std::shared_ptr<TmxMixerDevice>& Device() const { return FDevice; }

  int DeviceID() const override { return FDevice->DeviceID(); }
  void SetDeviceID(int Value) override { FDevice->SetDeviceID(Value); }
  TmxControlRef ControlByID(std::uint32_t ID) const override { return FDevice->ControlByID(ID); }
  TmxLineRef LineByID(std::uint32_t ID) const override { return FDevice->LineByID(ID); }
  TmxSwitchRef SpeakersMute() const override { return FDevice->SpeakersMute(); }
  TmxControlRef SpeakersVolume() const override { return FDevice->SpeakersVolume(); }
  QString ProductName() const override { return FDevice->ProductName(); }
  TmxDestinationRef DestinationAt(int Index) const override { return FDevice->DestinationAt(Index); }
  TmxDestinationRef DestinationByType(TMixerLineDestinationType Type) const override {
    return FDevice->DestinationByType(Type);
  }
  int DestinationCount() const override { return FDevice->DestinationCount(); }
  TmxDestinationRef SpeakersLine() const override { return FDevice->SpeakersLine(); }
  TmxDestinationRef WaveInLine() const override { return FDevice->WaveInLine(); }
  const TMixerControlNotification& OnControlChange() const override { return FDevice->OnControlChange(); }
  const TMixerLineNotification& OnLineChange() const override { return FDevice->OnLineChange(); }
  void SetOnControlChange(TMixerControlNotification Value) override { FDevice->SetOnControlChange(std::move(Value)); }
  void SetOnLineChange(TMixerLineNotification Value) override { FDevice->SetOnLineChange(std::move(Value)); }
  bool VisitLines(const TmxLineVisitor& Visitor) const override { return FDevice->VisitLines(Visitor); }
  bool VisitControls(const TmxControlVisitor& Visitor) const override { return FDevice->VisitControls(Visitor); }

private:
  std::shared_ptr<TmxMixerDevice> FDevice;
};

// The names of all mixer devices of the installed driver, one per index from 0 to
// its DeviceCount() − 1, learnt on first use and kept (until another driver is
// installed). A device whose capabilities cannot be read has an empty name.
const QStringList& MixerDeviceNames();

// An error of the mixer objects that has no caller to reach (raised while a
// change notification is handled, or by a user's move of a mixer bar or box)
// goes to ShowMixerError, which shows it in a message box (as any error that
// reaches the window framework) and returns: the program goes on. Tests install
// their own display; an empty function restores the message box.
using TMixerErrorHandler = std::function<void(std::exception_ptr Error)>;
void SetMixerErrorDisplay(TMixerErrorHandler Handler);
void ShowMixerError(std::exception_ptr Error);
