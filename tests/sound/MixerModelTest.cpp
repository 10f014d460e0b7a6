// The mixer object model on the in-memory mixer: opening and closing, the
// structure it reads, values and writes, notifications with their Busy and
// update rules, list controls, line state, searches, visits and errors.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "support/MemoryMixer.h"
#include "sound/mxMixer.h"

namespace {

using TCall = TMemoryMixer::TCall;
using TWrite = TMemoryMixer::TWrite;
using TValues = std::vector<std::uint32_t>;

constexpr std::uint32_t AllBits = 0xFFFFFFFF;

// The code of the mixer error a call raises; 0 when it raises none.
TMMResult CodeOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const EMMSysError& e) {
    return e.Code();
  }
  return 0;
}

// Device 0 "Memory Mixer":
//   speakers (stereo): volume 30000/45000 of 0..65535, uniform mute (off);
//     sources wave out (stereo: volume 1000/2000, mute) and CD (stereo: volume);
//   wave in (stereo): volume, single-select selector "Microphone"/"Line In" with
//     the microphone selected; sources microphone and line (mono, no controls).
// Device 1 "Second Mixer": a mono speakers line with a volume only.
class MixerModel : public ::testing::Test {
protected:
  void SetUp() override {
    SetMixerDriver(&Mem);
    SetMixerErrorDisplay([this](std::exception_ptr e) { Errors.push_back(e); });
    Mem.AddDevice("Memory Mixer");
    Speakers = Mem.AddDestination(0, mlcDstFirst + ldSpeakers, "Speakers", 2);
    Volume = Mem.AddVolume(Speakers, {30000, 45000});
    Mute = Mem.AddMute(Speakers, false);
    Wave = Mem.AddSource(Speakers, mlcSrcFirst + lsWaveOut, "Wave", 2);
    WaveVolume = Mem.AddVolume(Wave, {1000, 2000});
    WaveMute = Mem.AddMute(Wave, false);
    CD = Mem.AddSource(Speakers, mlcSrcFirst + lsCompactDisk, "CD", 2);
    Mem.AddVolume(CD, {0, 0});
    WaveIn = Mem.AddDestination(0, mlcDstFirst + ldWaveIn, "Recording", 2);
    Mem.AddVolume(WaveIn, {500, 500});
    Selector = Mem.AddList(WaveIn, mctMux, {"Microphone", "Line In"}, {1, 0});
    Mic = Mem.AddSource(WaveIn, mlcSrcFirst + lsMicrophone, "Microphone", 1);
    LineIn = Mem.AddSource(WaveIn, mlcSrcFirst + lsLine, "Line In", 1);
    Mem.AddDevice("Second Mixer");
    MonoSpeakers = Mem.AddDestination(1, mlcDstFirst + ldSpeakers, "Mono Speakers", 1);
    MonoVolume = Mem.AddVolume(MonoSpeakers, {7000});
  }
  void TearDown() override {
    Mixer.reset();
    SetMixerErrorDisplay({});
    SetMixerDriver(nullptr);
  }

  TmxMixer& Open(int id = 0) {
    Mixer = std::make_unique<TmxMixer>();
    Mixer->SetDeviceID(id);
    return *Mixer;
  }
  TmxMixerLineControl& Control(std::uint32_t id) { return *Mixer->ControlByID(id); }
  TmxMixerLine& Line(std::uint32_t id) { return *Mixer->LineByID(id); }

  TMemoryMixer Mem;
  std::unique_ptr<TmxMixer> Mixer;
  std::vector<std::exception_ptr> Errors;
  std::uint32_t Speakers = 0, Volume = 0, Mute = 0, Wave = 0, WaveVolume = 0, WaveMute = 0, CD = 0;
  std::uint32_t WaveIn = 0, Selector = 0, Mic = 0, LineIn = 0, MonoSpeakers = 0, MonoVolume = 0;
};

// --- opening, closing and what is read ---

TEST_F(MixerModel, OpeningReadsDestinationsSourcesAndControlsInOrder) {
  TmxMixer& m = Open();
  EXPECT_EQ(m.DeviceID(), 0);
  EXPECT_EQ(m.ProductName(), "Memory Mixer");
  ASSERT_EQ(m.DestinationCount(), 2);
  TmxMixerDestination& speakers = *m.DestinationAt(0);
  TmxMixerDestination& waveIn = *m.DestinationAt(1);
  EXPECT_EQ(speakers.Name(), "Speakers");
  EXPECT_EQ(speakers.ID(), Speakers);
  EXPECT_FALSE(speakers.IsSource());
  EXPECT_EQ(speakers.DestinationType(), ldSpeakers);
  EXPECT_EQ(speakers.SourceType(), lsUndefined);
  EXPECT_EQ(speakers.SourceIndex(), -1);
  EXPECT_EQ(speakers.OwnerDestination(), nullptr);
  ASSERT_EQ(speakers.SourceCount(), 2);
  EXPECT_EQ(speakers.Sources(0).Name(), "Wave");
  EXPECT_EQ(speakers.Sources(1).Name(), "CD");
  TmxMixerLine& cd = speakers.Sources(1);
  EXPECT_TRUE(cd.IsSource());
  EXPECT_EQ(cd.SourceType(), lsCompactDisk);
  EXPECT_EQ(cd.DestinationType(), ldUndefined);
  EXPECT_EQ(cd.SourceIndex(), 1);
  EXPECT_EQ(cd.OwnerDestination().get(), &speakers);
  EXPECT_EQ(waveIn.DestinationType(), ldWaveIn);
  ASSERT_EQ(waveIn.SourceCount(), 2);
  EXPECT_EQ(waveIn.Sources(1).OwnerDestination().get(), &waveIn);

  // Controls in the device's order, classed by their type, holding the values.
  ASSERT_EQ(speakers.ControlCount(), 2);
  EXPECT_EQ(speakers.Controls(0).ID(), Volume);
  EXPECT_EQ(typeid(speakers.Controls(0)), typeid(TmxMixerFader));
  EXPECT_EQ(typeid(speakers.Controls(1)), typeid(TmxMixerSwitch));
  EXPECT_EQ(&speakers.Controls(0).Line(), &speakers);
  EXPECT_EQ(speakers.VolumeControl()->ID(), Volume);
  EXPECT_EQ(speakers.MuteControl()->ID(), Mute);
  EXPECT_EQ(speakers.SelectorControl(), nullptr);
  EXPECT_EQ(speakers.ControlByType(mctMute)->ID(), Mute);
  EXPECT_EQ(speakers.ControlByType(mctMux), nullptr);
  EXPECT_EQ(m.SpeakersVolume()->ID(), Volume);
  EXPECT_EQ(m.SpeakersMute()->ID(), Mute);
  EXPECT_EQ(m.SpeakersLine().get(), &speakers);
  EXPECT_EQ(m.WaveInLine().get(), &waveIn);
  EXPECT_EQ(m.DestinationByType(ldHeadPhones), nullptr);
  EXPECT_EQ(speakers.SourceByType(lsWaveOut)->ID(), Wave);
  EXPECT_EQ(speakers.SourceByType(lsMicrophone), nullptr);

  TmxMixerListControl& selector = *waveIn.SelectorControl();
  EXPECT_EQ(selector.ID(), Selector);
  EXPECT_EQ(selector.ItemNames(), (QStringList{"Microphone", "Line In"}));
  EXPECT_EQ(selector.ItemCount(), 2);
  EXPECT_EQ(selector.ItemSet(0), 1u);
  EXPECT_EQ(selector.ItemSet(1), 0u);
  // Reading alone writes nothing.
  EXPECT_TRUE(Mem.Writes.empty());
}

TEST_F(MixerModel, TheSameDeviceIDDoesNothingAndMinusOneClosesAndEmpties) {
  TmxMixer& m = Open();
  const int opens = Mem.Calls(TCall::Open), reads = Mem.Calls(TCall::GetDetails),
            lines = Mem.Calls(TCall::Destination);
  TmxMixerLineControl* volume = &Control(Volume);
  m.SetDeviceID(0);
  EXPECT_EQ(Mem.Calls(TCall::Open), opens) << "opened again";
  EXPECT_EQ(Mem.Calls(TCall::GetDetails), reads) << "values read again";
  EXPECT_EQ(Mem.Calls(TCall::Destination), lines) << "lines read again";
  EXPECT_EQ(Mem.OpenHandles(), 1) << "closed";
  EXPECT_EQ(m.SpeakersVolume().get(), volume) << "objects made anew";

  m.SetDeviceID(-1);
  EXPECT_EQ(m.DeviceID(), -1);
  EXPECT_EQ(m.DestinationCount(), 0);
  EXPECT_EQ(Mem.OpenHandles(), 0);
  EXPECT_EQ(m.ProductName(), "");
  EXPECT_EQ(m.SpeakersLine(), nullptr);
  EXPECT_EQ(m.LineByID(Speakers), nullptr);
  m.SetDeviceID(-1);  // already closed: nothing
  EXPECT_EQ(Mem.OpenHandles(), 0);

  // Another device: the first is closed before the second opens.
  m.SetDeviceID(0);
  m.SetDeviceID(1);
  EXPECT_EQ(Mem.OpenHandles(), 1);
  EXPECT_EQ(m.ProductName(), "Second Mixer");
  EXPECT_EQ(m.DestinationCount(), 1);
  EXPECT_EQ(m.LineByID(Speakers), nullptr);
}

TEST_F(MixerModel, AFailedOpenLeavesNoDeviceAndTheProgramGoesOn) {
  struct TCase {
    const char* Name;
    int Device;
    TCall Fails;
    TMMResult Code;
    const char* Message;
  };
  const TCase cases[] = {
      {"no such device", 7, TCall::Open, 0, "Multimedia System Error:\rDevice ID out of range"},
      {"negative index", -5, TCall::Open, 0, "Multimedia System Error:\rDevice ID out of range"},
      {"open refused", 0, TCall::Open, mmAllocated, "Multimedia System Error:\rDevice already allocated"},
      {"capabilities", 0, TCall::DevCaps, mmNoMem, "Multimedia System Error:\rMemory allocation error"},
      {"a line", 0, TCall::Source, mixInvalidLine, "Mixer Error:\rInvalid mixer line"},
      {"controls", 0, TCall::LineControls, 500, "Multimedia System Error #500"},
      {"values", 0, TCall::GetDetails, mixInvalidControl, "Mixer Error:\rInvalid mixer control"},
      {"item names", 0, TCall::ListTexts, mmInvalidParam, "Multimedia System Error:\rInvalid parameter passed"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Mixer = std::make_unique<TmxMixer>();
    if (c.Code != 0) Mem.Fail(c.Fails, c.Code);
    try {
      Mixer->SetDeviceID(c.Device);
      ADD_FAILURE() << "opened";
    } catch (const EMMSysError& e) {
      EXPECT_EQ(std::string(e.what()), c.Message);
    }
    EXPECT_EQ(Mixer->DeviceID(), -1);
    if (c.Fails == TCall::Open) {
      EXPECT_EQ(Mixer->DestinationCount(), 0);
    }
    // The same component opens the device once it can be opened.
    Mixer->SetDeviceID(0);
    EXPECT_EQ(Mixer->DeviceID(), 0);
    EXPECT_EQ(Mixer->DestinationCount(), 2);
    EXPECT_EQ(Mixer->SpeakersVolume()->ValueAt(1, 0), 45000u);
    Mixer.reset();
    EXPECT_EQ(Mem.OpenHandles(), 0);
  }
}

TEST(MixerWithoutDriver, ASystemWithoutMixerHasNoDeviceToOpen) {
  SetMixerDriver(nullptr);
  EXPECT_TRUE(MixerDeviceNames().isEmpty());
  TmxMixer m;
  try {
    m.SetDeviceID(0);
    ADD_FAILURE() << "opened";
  } catch (const EMMSysError& e) {
    EXPECT_EQ(std::string(e.what()), "Multimedia System Error:\rDevice ID out of range");
  }
  EXPECT_EQ(m.DeviceID(), -1);
  EXPECT_EQ(m.ProductName(), "");
}

TEST_F(MixerModel, EachControlTypeGetsItsClass) {
  struct TCase {
    const char* Name;
    std::uint32_t Type;
    const std::type_info& Class;
  };
  const TCase cases[] = {
      {"custom", mctCustom, typeid(TmxMixerCustomControl)},
      {"boolean meter", mctBooleanMeter, typeid(TmxMixerBoolMeter)},
      {"signed meter", mctPeakMeter, typeid(TmxMixerSignedMeter)},
      {"unsigned meter", mctUnsignedMeter, typeid(TmxMixerUnsignedMeter)},
      {"on/off switch", mctOnOff, typeid(TmxMixerSwitch)},
      {"mute switch", mctMute, typeid(TmxMixerSwitch)},
      {"signed number", mctSigned, typeid(TmxMixerSignedControl)},
      {"unsigned number", mctUnsigned, typeid(TmxMixerUnsignedControl)},
      {"decibels", mctDecibels, typeid(TmxMixerDecibelControl)},
      {"percent", mctPercent, typeid(TmxMixerPercentControl)},
      {"slider", mctSlider, typeid(TmxMixerSlider)},
      {"volume fader", mctVolume, typeid(TmxMixerFader)},
      {"bass fader", 0x50030002, typeid(TmxMixerFader)},
      {"equalizer", mctEqualizer, typeid(TmxMixerEqualizer)},
      {"time", mctMicroTime, typeid(TmxMixerTimeControl)},
      {"single-select list", mctMux, typeid(TmxMixerListControl)},
      {"multiple-select list", mctMixer, typeid(TmxMixerListControl)},
      // Units the mixer interface does not define for a class: unclassified.
      {"percent meter", 0x10050000, typeid(TmxMixerLineControl)},
      {"boolean number", 0x30010000, typeid(TmxMixerLineControl)},
  };
  const std::uint32_t line = Mem.AddDestination(0, mlcDstFirst + ldLine, "Line", 2);
  for (const TCase& c : cases) {
    TMixerControlInfo info;
    info.ControlType = c.Type;
    info.Maximum = 100;
    info.CustomData = 6;
    Mem.AddControl(line, info);
  }
  TmxMixer& m = Open();
  TmxMixerLine& l = Line(line);
  ASSERT_EQ(l.ControlCount(), int(std::size(cases)));
  for (int i = 0; i < l.ControlCount(); ++i) {
    EXPECT_EQ(typeid(l.Controls(i)), cases[i].Class) << cases[i].Name << " is a " << typeid(l.Controls(i)).name();
  }
  // The number classes share a base; the equalizer is no volume fader, the bass
  // fader is none either (its low byte is not 1).
  EXPECT_NE(dynamic_cast<TmxMixerNumberControl*>(&l.Controls(9)), nullptr);
  EXPECT_TRUE(static_cast<TmxMixerEqualizer&>(l.Controls(13)).Items.isEmpty());
  EXPECT_EQ(l.VolumeControl()->ID(), l.Controls(11).ID());
  // A custom control holds its data size in bytes and is read with no channels.
  EXPECT_EQ(l.Controls(0).Values().size(), 2u);
  EXPECT_EQ(l.Controls(0).ItemCount(), 1);
  (void)m;
}

TEST_F(MixerModel, DeviceNamesAreLearntOnceForAllDevices) {
  Mem.Fail(TCall::DevCaps, mmNoMem);  // the first device does not answer
  EXPECT_EQ(MixerDeviceNames(), (QStringList{"", "Second Mixer"}));
  const int asked = Mem.Calls(TCall::DevCaps);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(MixerDeviceNames(), (QStringList{"", "Second Mixer"}));
  TmxMixer& m = Open(1);
  EXPECT_EQ(m.ProductName(), "Second Mixer");
  EXPECT_EQ(Mem.Calls(TCall::DevCaps), asked + 1) << "only the open device's capabilities are asked again";
  // Another driver: learnt anew.
  TMemoryMixer other;
  other.AddDevice("Other");
  SetMixerDriver(&other);
  EXPECT_EQ(MixerDeviceNames(), (QStringList{"Other"}));
  SetMixerDriver(&Mem);
}

// --- values ---

TEST_F(MixerModel, AStereoFaderReadsEachChannel) {
  Open();
  TmxMixerLineControl& volume = Control(Volume);
  EXPECT_EQ(volume.ValueAt(0, 0), 30000u);
  EXPECT_EQ(volume.ValueAt(1, 0), 45000u);
  EXPECT_EQ(volume.Values(), (TValues{30000, 45000}));
  EXPECT_EQ(volume.ChannelCount(), 2);
  EXPECT_FALSE(volume.Uniform());
  EXPECT_EQ(volume.Info().Maximum, 65535u);
  EXPECT_THROW(volume.ValueAt(0, 1), std::out_of_range);
  EXPECT_THROW(volume.ValueAt(-1, 0), std::out_of_range);
}

TEST_F(MixerModel, SetValueAtClampsStoresAChangeAndWritesAllValues) {
  struct TCase {
    const char* Name;
    std::uint32_t Minimum, Maximum;
    int Channel;
    std::uint32_t Value;
    TValues Stored;
    std::vector<TWrite> Writes;  // ControlID filled in below
  };
  const TCase cases[] = {
      {"a new value", 0, 65535, 0, 20000, {20000, 45000}, {{0, 2, {20000, 45000}}}},
      {"the other channel", 0, 65535, 1, 0, {30000, 0}, {{0, 2, {30000, 0}}}},
      {"above the bound", 0, 65535, 1, 70000, {30000, 65535}, {{0, 2, {30000, 65535}}}},
      {"far above, unsigned", 0, 65535, 0, 0xFFFFFFF0, {65535, 45000}, {{0, 2, {65535, 45000}}}},
      {"below the lower bound", 100, 65535, 0, 5, {100, 45000}, {{0, 2, {100, 45000}}}},
      {"the value it holds", 0, 65535, 0, 30000, {30000, 45000}, {}},
      {"clamped onto the value it holds", 0, 45000, 1, 50000, {30000, 45000}, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TMemoryMixer mem;
    SetMixerDriver(&mem);
    mem.AddDevice("Case");
    const std::uint32_t line = mem.AddDestination(0, mlcDstFirst + ldSpeakers, "Speakers", 2);
    TMixerControlInfo info;
    info.ControlType = mctVolume;
    info.Minimum = c.Minimum;
    info.Maximum = c.Maximum;
    const std::uint32_t id = mem.AddControl(line, info, {30000, 45000});
    TmxMixer m;
    m.SetDeviceID(0);
    TmxMixerLineControl& volume = *m.ControlByID(id);
    volume.SetValueAt(c.Channel, 0, c.Value);
    EXPECT_EQ(volume.Values(), c.Stored);
    std::vector<TWrite> expected = c.Writes;
    for (TWrite& w : expected) w.ControlID = id;
    EXPECT_EQ(mem.Writes, expected);
    if (!c.Writes.empty()) {
      EXPECT_EQ(mem.Values(id), c.Stored) << "the device holds what was written";
    }
  }
  SetMixerDriver(&Mem);
}

TEST_F(MixerModel, ChangesBetweenBeginAndEndUpdateAreWrittenOnce) {
  Open();
  TmxMixerLineControl& volume = Control(Volume);
  volume.BeginUpdate();
  volume.SetValueAt(0, 0, 1);
  volume.SetValueAt(1, 0, 2);
  volume.BeginUpdate();  // nested
  volume.SetValueAt(0, 0, 3);
  volume.EndUpdate();
  EXPECT_TRUE(Mem.Writes.empty()) << "written before the outer EndUpdate";
  EXPECT_EQ(volume.UpdateCount(), 1);
  volume.EndUpdate();
  EXPECT_EQ(Mem.Writes, (std::vector<TWrite>{{Volume, 2, {3, 2}}}));
  EXPECT_EQ(volume.UpdateCount(), 0);
  // Unbalanced: nothing to write, and later changes are written at once.
  volume.EndUpdate();
  EXPECT_EQ(volume.UpdateCount(), 0);
  EXPECT_EQ(Mem.Writes.size(), 1u);
  volume.SetValueAt(0, 0, 4);
  EXPECT_EQ(Mem.Writes.size(), 2u);
}

TEST_F(MixerModel, SwitchesAreUniformFlagsThatWriteOnlyAChangeOfTruth) {
  // A mute switch the device keeps per channel.
  const std::uint32_t perChannel = Mem.AddMute(CD, true, /*Uniform=*/false);
  Open();
  TmxMixerLineControl& mute = Control(perChannel);
  EXPECT_FALSE(mute.Uniform());
  EXPECT_EQ(mute.Values(), (TValues{1, 1}));
  const int reads = Mem.Calls(TCall::GetDetails);
  EXPECT_TRUE(mute.IsOn());
  EXPECT_TRUE(mute.Uniform());
  EXPECT_TRUE(mute.ForceUniform());
  EXPECT_EQ(Mem.Calls(TCall::GetDetails), reads + 1) << "becoming uniform reads the values again";
  EXPECT_TRUE(mute.IsOn());
  EXPECT_EQ(Mem.Calls(TCall::GetDetails), reads + 1) << "already uniform";

  mute.SetOn(false);
  EXPECT_EQ(Mem.Writes, (std::vector<TWrite>{{perChannel, 1, {0}}}));
  EXPECT_EQ(Mem.Values(perChannel), (TValues{0, 0})) << "one value acts on every channel";
  mute.SetOn(true);
  EXPECT_EQ(Mem.Writes.back(), (TWrite{perChannel, 1, {AllBits}}));
  // A different non-zero value is the same truth: not stored, not written.
  mute.SetFlagAt(0, 0, 1);
  EXPECT_EQ(mute.ValueAt(0, 0), AllBits);
  EXPECT_EQ(Mem.Writes.size(), 2u);

  // Back to the device's own (non-uniform) form.
  mute.SetUniform(false);
  EXPECT_FALSE(mute.Uniform());
  EXPECT_EQ(mute.Values(), (TValues{AllBits, AllBits}));

  // Line state through the switch.
  TmxMixerLine& speakers = Line(Speakers);
  EXPECT_FALSE(speakers.Muted());
  EXPECT_TRUE(speakers.Active());
  speakers.SetMuted(true);
  EXPECT_TRUE(speakers.Muted());
  EXPECT_FALSE(speakers.Active());
  EXPECT_EQ(Mem.Values(Mute), (TValues{AllBits, AllBits}));
  speakers.SetActive(true);
  EXPECT_FALSE(speakers.Muted());
  EXPECT_EQ(Mem.Values(Mute), (TValues{0, 0}));
  // A line without a mute switch is never muted, and setting it does nothing.
  TmxMixerLine& lineIn = Line(LineIn);
  EXPECT_FALSE(lineIn.Muted());
  const std::size_t writes = Mem.Writes.size();
  lineIn.SetMuted(true);
  EXPECT_FALSE(lineIn.Muted());
  EXPECT_EQ(Mem.Writes.size(), writes);
}

TEST_F(MixerModel, AMonoLineReadsAndWritesItsOneChannelForEitherChannel) {
  Open(1);
  TmxMixerLineControl& volume = Control(MonoVolume);
  EXPECT_EQ(volume.ChannelCount(), 1);
  EXPECT_EQ(volume.ValueAt(0, 0), 7000u);
  EXPECT_EQ(volume.ValueAt(1, 0), 7000u);
  volume.SetValueAt(1, 0, 8000);
  EXPECT_EQ(volume.ValueAt(0, 0), 8000u);
  EXPECT_EQ(Mem.Writes, (std::vector<TWrite>{{MonoVolume, 1, {8000}}}));
}

TEST_F(MixerModel, ACustomControlIsReadAsItsBytes) {
  TMixerControlInfo info;
  info.ControlType = mctCustom;
  info.CustomData = 8;
  const std::uint32_t custom = Mem.AddControl(CD, info, {0x11223344, 0x55667788});
  Open();
  TmxMixerLineControl& c = Control(custom);
  EXPECT_EQ(c.Values(), (TValues{0x11223344, 0x55667788}));
  c.WriteValues();
  EXPECT_EQ(Mem.Writes, (std::vector<TWrite>{{custom, 0, {0x11223344, 0x55667788}}}));
}

// --- notifications ---

TEST_F(MixerModel, ANotificationRereadsTheControlAndTellsItsHandlers) {
  TmxMixer& m = Open();
  std::vector<TValues> seenByDevice;
  m.SetOnControlChange([&](TmxMixerLineControl& c) { seenByDevice.push_back(c.Values()); });
  Mem.Change(Volume, {12345, 23456});
  EXPECT_EQ(seenByDevice, (std::vector<TValues>{{12345, 23456}}));
  EXPECT_EQ(Control(Volume).ValueAt(1, 0), 23456u);
  EXPECT_TRUE(Mem.Writes.empty());

  // The control's own event takes the place of the device's.
  int own = 0;
  Control(Volume).OnChange = [&](TmxMixerLineControl& c) {
    ++own;
    EXPECT_EQ(c.ID(), Volume);
  };
  Mem.Change(Volume, {1, 2});
  EXPECT_EQ(own, 1);
  EXPECT_EQ(seenByDevice.size(), 1u);
  // Other controls still report to the device.
  Mem.Change(WaveVolume, {3, 4});
  EXPECT_EQ(seenByDevice.back(), (TValues{3, 4}));
}

TEST_F(MixerModel, ALineNotificationRereadsTheRecord) {
  TmxMixer& m = Open();
  std::vector<std::pair<TmxMixerDevice*, std::uint32_t>> seen;
  m.SetOnLineChange([&](TmxMixerDevice& sender, TmxMixerLine& line) { seen.push_back({&sender, line.ID()}); });
  Mem.Line(Wave).Flags &= ~mlfActive;
  Mem.NotifyLine(Wave);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].first, m.Device().get());
  EXPECT_EQ(seen[0].second, Wave);
  EXPECT_EQ(Line(Wave).Info().Flags & mlfActive, 0u);
  int own = 0;
  Line(Wave).OnChange = [&](TmxMixerDevice&, TmxMixerLine&) { ++own; };
  Mem.NotifyLine(Wave);
  EXPECT_EQ(own, 1);
  EXPECT_EQ(seen.size(), 1u);
}

TEST_F(MixerModel, NotificationsForUnknownIDsAreIgnored) {
  TmxMixer& m = Open();
  int calls = 0;
  m.SetOnControlChange([&](TmxMixerLineControl&) { ++calls; });
  m.SetOnLineChange([&](TmxMixerDevice&, TmxMixerLine&) { ++calls; });
  const int reads = Mem.Calls(TCall::GetDetails), lineReads = Mem.Calls(TCall::LineByID);
  Mem.NotifyControl(0xBAD);
  Mem.NotifyLine(0xBAD);
  Mem.NotifyControl(Speakers);  // a line's ID is no control's
  Mem.NotifyLine(Volume);       // and a control's no line's
  m.Device()->WndProc(0x3D2, Volume);  // not a mixer notification
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(Mem.Calls(TCall::GetDetails), reads);
  EXPECT_EQ(Mem.Calls(TCall::LineByID), lineReads);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(MixerModel, ANotificationForABusyLineOrControlIsNotHandledAgain) {
  TmxMixer& m = Open();
  int controlCalls = 0, otherCalls = 0, lineCalls = 0;
  m.SetOnControlChange([&](TmxMixerLineControl& c) {
    if (c.ID() != Volume) {
      ++otherCalls;
      return;
    }
    ++controlCalls;
    EXPECT_TRUE(c.Busy());
    const int reads = Mem.Calls(TCall::GetDetails);
    Mem.NotifyControl(Volume);  // arrives while this one is handled
    EXPECT_EQ(Mem.Calls(TCall::GetDetails), reads) << "reread again";
    Mem.NotifyControl(WaveVolume);  // another control is not busy
  });
  m.SetOnLineChange([&](TmxMixerDevice&, TmxMixerLine& line) {
    ++lineCalls;
    EXPECT_TRUE(line.Busy());
    Mem.NotifyLine(line.ID());
  });
  Mem.NotifyControl(Volume);
  EXPECT_EQ(controlCalls, 1);
  EXPECT_FALSE(Control(Volume).Busy());
  EXPECT_EQ(otherCalls, 1);
  Mem.NotifyLine(Wave);
  EXPECT_EQ(lineCalls, 1);
  EXPECT_FALSE(Line(Wave).Busy());
  // Handled again once the first handling is over.
  Mem.NotifyControl(Volume);
  EXPECT_EQ(controlCalls, 2);
}

// A visual control that writes its own idea of the values back when told.
struct TEchoingControl final : ImxVisualMixerControl {
  std::vector<std::uint32_t> Told;
  int Destroyed = 0;
  std::function<void(TmxMixerLineControl&)> OnChanged;
  void ControlChanged(TmxMixerLineControl& c) override {
    Told.push_back(c.ID());
    if (OnChanged) OnChanged(c);
  }
  void ControlDestroyed(TmxMixerLineControl&) override { ++Destroyed; }
};

TEST_F(MixerModel, WritesMadeWhileAControlIsRereadStayUnwritten) {
  TmxMixer& m = Open();
  TmxMixerLineControl& volume = Control(Volume);
  auto visual = std::make_shared<TEchoingControl>();
  visual->OnChanged = [](TmxMixerLineControl& c) {
    EXPECT_EQ(c.UpdateCount(), 1);
    c.SetValueAt(0, 0, 29531);  // e.g. a balance rounded to the visual control's steps
  };
  volume.SetNotify(visual);
  m.SetOnControlChange([](TmxMixerLineControl& c) { c.SetValueAt(1, 0, 44999); });
  Mem.Change(Volume, {30000, 45000});
  EXPECT_EQ(visual->Told, (std::vector<std::uint32_t>{Volume}));
  EXPECT_EQ(volume.Values(), (TValues{29531, 44999})) << "stored";
  EXPECT_TRUE(Mem.Writes.empty()) << "written back during the reread";
  EXPECT_EQ(volume.UpdateCount(), 0);
  // Afterwards the next change is written as usual.
  volume.SetValueAt(0, 0, 1);
  EXPECT_EQ(Mem.Writes, (std::vector<TWrite>{{Volume, 2, {1, 44999}}}));
}

TEST_F(MixerModel, AFailedRereadReachesTheErrorDisplayAndLeavesTheControlUsable) {
  Open();
  TmxMixerLineControl& volume = Control(Volume);
  Mem.Fail(TCall::GetDetails, mmInvalidHandle);
  Mem.NotifyControl(Volume);
  ASSERT_EQ(Errors.size(), 1u);
  try {
    std::rethrow_exception(Errors[0]);
  } catch (const EMMSysError& e) {
    EXPECT_EQ(e.Code(), mmInvalidHandle);
  }
  EXPECT_EQ(volume.UpdateCount(), 0);
  EXPECT_FALSE(volume.Busy());
  Mem.Fail(TCall::LineByID, 500);
  Mem.NotifyLine(Speakers);
  EXPECT_EQ(Errors.size(), 2u);
  EXPECT_FALSE(Line(Speakers).Busy());
  Mem.Change(Volume, {5, 6});
  EXPECT_EQ(volume.Values(), (TValues{5, 6}));
}

TEST_F(MixerModel, AttachedVisualControlsHearOfChangesAndOfTheEnd) {
  Open();
  auto onVolume = std::make_shared<TEchoingControl>();
  auto onItem = std::make_shared<TEchoingControl>();
  Control(Volume).SetNotify(onVolume);
  auto& selector = static_cast<TmxMixerListControl&>(Control(Selector));
  selector.SetItemNotify(1, onItem);
  Mem.Change(Selector, {0, 1});
  EXPECT_EQ(onItem->Told, (std::vector<std::uint32_t>{Selector}));
  EXPECT_TRUE(onVolume->Told.empty());

  // An adapter whose owner has gone: still held by the control, tells nobody.
  auto adapter = std::make_shared<TmxVisualMixerControlAdapter>();
  int changed = 0, destroyed = 0;
  QObject owner;
  adapter->Owner = &owner;
  adapter->OnControlChange = [&](QObject* o, TmxMixerLineControl&) {
    EXPECT_EQ(o, &owner);
    ++changed;
  };
  adapter->OnControlDestroy = [&](TmxMixerLineControl&) { ++destroyed; };
  Control(Mute).SetNotify(adapter);
  Mem.Change(Mute, {1, 1});
  EXPECT_EQ(changed, 1);
  adapter->Detach();
  std::weak_ptr<TmxVisualMixerControlAdapter> held = adapter;
  adapter.reset();
  EXPECT_FALSE(held.expired()) << "the control holds the adapter";
  Mem.Change(Mute, {0, 0});
  EXPECT_EQ(changed, 1);

  // Closing frees the controls, which tell their visual controls first.
  Mixer->SetDeviceID(-1);
  EXPECT_EQ(onVolume->Destroyed, 1);
  EXPECT_EQ(onItem->Destroyed, 1);
  EXPECT_EQ(destroyed, 0);
  EXPECT_TRUE(held.expired()) << "the adapter goes with its last holder";
}

// --- list controls and selection ---

TEST_F(MixerModel, SetItemOfSingleAndMultipleSelectLists) {
  struct TCase {
    const char* Name;
    std::uint32_t Type;
    bool Uniform;
    TValues Start;
    int Item;
    std::uint32_t Value;
    TValues Stored;
  };
  const TCase cases[] = {
      {"single: select another", mctMux, true, {1, 0, 0}, 2, 1, {0, 0, 1}},
      {"single: clearing leaves the selection", mctMux, true, {1, 0, 0}, 0, 0, {1, 0, 0}},
      {"single: clearing another item", mctMux, true, {1, 0, 0}, 1, 0, {1, 0, 0}},
      {"single: select the selected", mctMux, true, {0, 1, 0}, 1, 1, {0, 1, 0}},
      {"multiple: add an item", mctMixer, true, {1, 0, 0}, 2, 1, {1, 0, 1}},
      {"multiple: clear an item", mctMixer, true, {1, 0, 1}, 0, 0, {0, 0, 1}},
      {"single per channel", mctMux, false, {1, 0, 0, 0, 1, 0}, 2, 1, {0, 0, 1, 0, 0, 1}},
      {"multiple per channel", mctMixer, false, {1, 0, 0, 0, 1, 0}, 2, 1, {1, 0, 1, 0, 1, 1}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TMemoryMixer mem;
    SetMixerDriver(&mem);
    mem.AddDevice("Case");
    const std::uint32_t line = mem.AddDestination(0, mlcDstFirst + ldWaveIn, "In", 2);
    const std::uint32_t id = mem.AddList(line, c.Type, {"A", "B", "C"}, c.Start, c.Uniform);
    TmxMixer m;
    m.SetDeviceID(0);
    auto& list = static_cast<TmxMixerListControl&>(*m.ControlByID(id));
    EXPECT_EQ(list.ItemNames().size(), c.Uniform ? 3 : 6);
    EXPECT_EQ(list.ItemNames()[2], "C");
    list.SetItem(c.Item, c.Value);
    // A uniform list holds its values in channel 0's place.
    const TValues held = c.Uniform ? TValues(list.Values().begin(), list.Values().begin() + 3) : list.Values();
    EXPECT_EQ(held, c.Stored);
    // One write, at the end, whatever changed.
    ASSERT_EQ(mem.Writes.size(), 1u);
    // The device applies a uniform write to every channel.
    TValues device = c.Stored;
    if (c.Uniform) device.insert(device.end(), c.Stored.begin(), c.Stored.end());
    EXPECT_EQ(mem.Values(id), device);
    EXPECT_EQ(list.UpdateCount(), 0);
  }
  SetMixerDriver(&Mem);
}

TEST_F(MixerModel, ASourceIsSelectedThroughItsDestinationsSelector) {
  Open();
  TmxMixerLine& mic = Line(Mic);
  TmxMixerLine& lineIn = Line(LineIn);
  EXPECT_TRUE(mic.Selected());
  EXPECT_FALSE(lineIn.Selected());
  EXPECT_TRUE(mic.Active());
  EXPECT_FALSE(lineIn.Active());
  lineIn.SetActive(true);
  EXPECT_TRUE(lineIn.Selected());
  EXPECT_FALSE(mic.Selected()) << "a single-select list keeps one source";
  EXPECT_EQ(Mem.Values(Selector), (TValues{0, 1, 0, 1}));
  // Deselecting in a single-select list changes nothing.
  lineIn.SetSelected(false);
  EXPECT_TRUE(lineIn.Selected());
  // A source whose destination has no selector is always selected; a
  // destination has no destination.
  EXPECT_TRUE(Line(Wave).Selected());
  EXPECT_TRUE(Line(Speakers).Selected());
  const std::size_t writes = Mem.Writes.size();
  Line(Wave).SetSelected(false);
  Line(Speakers).SetSelected(false);
  EXPECT_EQ(Mem.Writes.size(), writes);
}

// --- searches, visits and missing objects ---

TEST_F(MixerModel, SearchesAndVisitsGoDestinationByDestinationEachBeforeItsSources) {
  TmxMixer& m = Open();
  std::vector<std::uint32_t> lines, controls;
  EXPECT_TRUE(m.VisitLines([&](TmxMixerLine& l) {
    lines.push_back(l.ID());
    return true;
  }));
  EXPECT_EQ(lines, (std::vector<std::uint32_t>{Speakers, Wave, CD, WaveIn, Mic, LineIn}));
  EXPECT_TRUE(m.VisitControls([&](TmxMixerLineControl& c) {
    controls.push_back(c.ID());
    return true;
  }));
  ASSERT_EQ(controls.size(), 7u);
  EXPECT_EQ(controls[0], Volume);
  EXPECT_EQ(controls[2], WaveVolume);
  EXPECT_EQ(controls[6], Selector);
  // Stopping early.
  lines.clear();
  EXPECT_FALSE(m.VisitLines([&](TmxMixerLine& l) {
    lines.push_back(l.ID());
    return l.ID() != Wave;
  }));
  EXPECT_EQ(lines, (std::vector<std::uint32_t>{Speakers, Wave}));
  int seen = 0;
  EXPECT_FALSE(m.VisitControls([&](TmxMixerLineControl&) { return ++seen < 3; }));
  EXPECT_EQ(seen, 3);
  EXPECT_FALSE(Line(Speakers).VisitControls([](TmxMixerLineControl&) { return false; }));
  EXPECT_TRUE(m.DestinationAt(1)->VisitSources([](TmxMixerLine& l) { return l.IsSource(); }));

  EXPECT_EQ(m.LineByID(CD)->Name(), "CD");
  EXPECT_EQ(m.ControlByID(WaveMute)->Line().ID(), Wave);
  EXPECT_EQ(m.LineByID(0xBAD), nullptr);
  EXPECT_EQ(m.ControlByID(0xBAD), nullptr);
  EXPECT_THROW(m.DestinationAt(2), std::out_of_range);
}

TEST_F(MixerModel, OperationsOnAMissingLineOrControlRaiseMixerErrors) {
  Open(1);  // speakers without mute, no wave in
  TmxMixer& m = *Mixer;
  const struct {
    const char* Name;
    std::function<void()> Call;
    TMMResult Code;
  } cases[] = {
      {"wave in line's name", [&] { (void)m.WaveInLine()->Name(); }, mixInvalidLine},
      {"wave in line's volume", [&] { (void)m.WaveInLine()->VolumeControl(); }, mixInvalidLine},
      {"a line by an unknown ID", [&] { m.LineByID(0xBAD)->SetMuted(true); }, mixInvalidLine},
      {"an empty line reference", [&] { (void)(*TmxLineRef()).Active(); }, mixInvalidLine},
      {"speakers mute", [&] { (void)m.SpeakersMute()->IsOn(); }, mixInvalidControl},
      {"speakers line's mute", [&] { m.SpeakersLine()->MuteControl()->SetOn(true); }, mixInvalidControl},
      {"a control by an unknown ID", [&] { (void)m.ControlByID(0xBAD)->ValueAt(0, 0); }, mixInvalidControl},
      {"an empty control reference", [&] { TmxControlRef()->SetValueAt(0, 0, 1); }, mixInvalidControl},
      {"an existing control", [&] { (void)m.SpeakersVolume()->ValueAt(0, 0); }, 0},
  };
  for (const auto& c : cases) {
    try {
      c.Call();
      EXPECT_EQ(c.Code, 0u) << c.Name << ": ran";
    } catch (const EMixerError& e) {
      EXPECT_EQ(e.Code(), c.Code) << c.Name;
      EXPECT_EQ(std::string(e.what()), c.Code == mixInvalidLine ? "Mixer Error:\rInvalid mixer line"
                                                                : "Mixer Error:\rInvalid mixer control")
          << c.Name;
    }
  }
  EXPECT_TRUE(Mem.Writes.empty());
  EXPECT_EQ(CodeOf([&] { m.SpeakersVolume()->SetValueAt(0, 0, 1); }), 0u);
}

TEST_F(MixerModel, TheComponentOffersItsDeviceAndTheDeviceOutlivesItWhileHeld) {
  TmxMixer& m = Open();
  std::shared_ptr<TmxMixerDevice> device = m.Device();
  EXPECT_EQ(device->Mixer(), &m);
  ImxMixerDevice& viaComponent = m;
  EXPECT_EQ(viaComponent.SpeakersVolume().get(), device->SpeakersVolume().get());
  EXPECT_EQ(viaComponent.DeviceID(), device->DeviceID());
  // A component owned by a Qt parent goes with it; the held device stays open.
  {
    QObject parent;
    auto* owned = new TmxMixer(&parent);
    owned->SetDeviceID(1);
    EXPECT_EQ(Mem.OpenHandles(), 2);
  }
  EXPECT_EQ(Mem.OpenHandles(), 1);
  Mixer.reset();
  EXPECT_EQ(device->Mixer(), nullptr);
  EXPECT_EQ(device->DeviceID(), 0);
  EXPECT_EQ(Mem.OpenHandles(), 1);
  EXPECT_EQ(device->SpeakersVolume()->ValueAt(0, 0), 30000u);
  device.reset();
  EXPECT_EQ(Mem.OpenHandles(), 0);
}

}  // namespace
