// The mixer model on ALSA against a real sound server: the private PulseAudio of
// the test command, reached through ALSA's pulse plugin as device 0. Values are
// compared with what pactl reads and writes; a device that cannot be reached
// raises the multimedia error and leaves the component usable.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "platform/alsa/AlsaMixer.h"
#include "sound/mxMixer.h"
#include "sound/mxMixerVolumeControls.h"
#include "support/PulseTestSink.h"
#include "support/ScopedEnv.h"

namespace {

using TValues = std::vector<std::uint32_t>;

// Runs the window thread's events (the mixer's socket notifiers among them)
// until done() or the limit.
bool PumpUntil(const std::function<bool()>& done, int limitMs = 3000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

class MixerOnServer : public ::testing::Test {
protected:
  void SetUp() override {
    if (!Sink.Unavailable().empty()) GTEST_SKIP() << Sink.Unavailable();
    SetMixerDriver(&DeviceMixerDriver());
    ASSERT_TRUE(Sink.SetVolume(30000, 45000));
    ASSERT_TRUE(Sink.SetMute(false));
    Mixer.SetDeviceID(0);
    ASSERT_TRUE(Mixer.SpeakersLine()) << "no speakers line on ALSA's default device";
    ASSERT_TRUE(Mixer.SpeakersVolume()) << "no volume control on the speakers line";
  }

  void TearDown() override {
    Mixer.SetDeviceID(-1);
    SetMixerDriver(nullptr);
  }

  TPulseTestSink Sink;
  TmxMixer Mixer;
};

TEST_F(MixerOnServer, TheSpeakersLineReadsTheSinkVolumeInTheServersRange) {
  EXPECT_EQ(Mixer.DeviceID(), 0);
  EXPECT_EQ(Mixer.ProductName(), "PulseAudio");
  TmxMixerDestination& speakers = *Mixer.DestinationAt(0);
  EXPECT_EQ(Mixer.SpeakersLine().get(), &speakers);
  EXPECT_EQ(speakers.Name(), "Master");
  EXPECT_EQ(speakers.Info().Channels, 2u);
  EXPECT_EQ(speakers.Info().Flags & mlfActive, mlfActive);
  TmxMixerLineControl& volume = *Mixer.SpeakersVolume();
  EXPECT_EQ(typeid(volume), typeid(TmxMixerFader));
  EXPECT_EQ(volume.Info().Minimum, 0u);
  EXPECT_EQ(volume.Info().Maximum, 65536u);
  EXPECT_EQ(volume.ValueAt(0, 0), 30000u);
  EXPECT_EQ(volume.ValueAt(1, 0), 45000u);
  ASSERT_TRUE(Mixer.SpeakersMute());
  EXPECT_FALSE(Mixer.SpeakersMute()->IsOn());
  EXPECT_FALSE(speakers.Muted());
  EXPECT_TRUE(speakers.Active());
  // The server's source as the recording destination.
  ASSERT_TRUE(Mixer.WaveInLine());
  EXPECT_EQ(Mixer.WaveInLine()->Name(), "Capture");
  EXPECT_TRUE(Mixer.WaveInLine()->VolumeControl());
}

TEST_F(MixerOnServer, WritesReachTheSinkAndAreNotReportedBack) {
  TmxMixerLineControl& volume = *Mixer.SpeakersVolume();
  int reported = 0;
  Mixer.SetOnControlChange([&](TmxMixerLineControl&) { ++reported; });
  volume.SetValueAt(0, 0, 20000);
  EXPECT_EQ(Sink.Volume(), (TValues{20000, 45000}));
  volume.BeginUpdate();
  volume.SetValueAt(0, 0, 12000);
  volume.SetValueAt(1, 0, 70000);  // above the bound: the bound
  volume.EndUpdate();
  EXPECT_EQ(volume.Values(), (TValues{12000, 65536}));
  EXPECT_EQ(Sink.Volume(), (TValues{12000, 65536}));

  TmxMixerLine& speakers = *Mixer.SpeakersLine();
  speakers.SetMuted(true);
  EXPECT_EQ(Sink.Muted(), true);
  EXPECT_TRUE(speakers.Muted());
  speakers.SetActive(true);
  EXPECT_EQ(Sink.Muted(), false);
  EXPECT_EQ(Sink.Volume(), (TValues{12000, 65536})) << "unmuting changed the volume";

  // The server reports our own changes; the mixer does not pass them on.
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(reported, 0);
}

TEST_F(MixerOnServer, ChangesByAnotherProgramArriveAsControlChanges) {
  TmxMixerLineControl& volume = *Mixer.SpeakersVolume();
  TmxMixerSwitch& mute = *Mixer.SpeakersMute();
  std::vector<std::pair<std::uint32_t, TValues>> seen;
  Mixer.SetOnControlChange([&](TmxMixerLineControl& c) { seen.push_back({c.ID(), c.Values()}); });
  auto seenVolume = [&](TValues v) {
    return [&, v] {
      for (const auto& [id, values] : seen)
        if (id == volume.ID() && values == v) return true;
      return false;
    };
  };

  ASSERT_TRUE(Sink.SetVolume(12345, 23456));
  EXPECT_TRUE(PumpUntil(seenVolume({12345, 23456}))) << "the change did not arrive";
  EXPECT_EQ(volume.ValueAt(0, 0), 12345u);
  EXPECT_EQ(volume.ValueAt(1, 0), 23456u);
  for (const auto& [id, values] : seen) EXPECT_EQ(id, volume.ID()) << "a volume change reported the mute switch";

  // Mute both ways.
  seen.clear();
  ASSERT_TRUE(Sink.SetMute(true));
  EXPECT_TRUE(PumpUntil([&] { return !seen.empty() && mute.IsOn(); })) << "muting did not arrive";
  EXPECT_EQ(seen.front().first, mute.ID());
  EXPECT_TRUE(Mixer.SpeakersLine()->Muted());
  seen.clear();
  ASSERT_TRUE(Sink.SetMute(false));
  EXPECT_TRUE(PumpUntil([&] { return !seen.empty() && !mute.IsOn(); })) << "unmuting did not arrive";
  EXPECT_FALSE(Mixer.SpeakersLine()->Muted());
  EXPECT_EQ(volume.Values(), (TValues{12345, 23456}));
}

TEST_F(MixerOnServer, ClosingStopsTheNotifications) {
  int reported = 0;
  Mixer.SetOnControlChange([&](TmxMixerLineControl&) { ++reported; });
  Mixer.SetDeviceID(-1);
  ASSERT_TRUE(Sink.SetVolume(1000, 2000));
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(reported, 0);
  // Opened again, it reads the new values.
  Mixer.SetDeviceID(0);
  EXPECT_EQ(Mixer.SpeakersVolume()->Values(), (TValues{1000, 2000}));
}

TEST_F(MixerOnServer, ThePanelTakesTheSpeakersAndWritesThemBackInItsBalanceSteps) {
  TmxMixerVolumeControls panel;
  panel.SetMixer(&Mixer);
  panel.SetDestinationType(ldSpeakers);
  ASSERT_EQ(panel.SelectedLine(), Mixer.SpeakersLine().get());
  EXPECT_EQ(panel.VolumeMin(), 0);
  EXPECT_EQ(panel.VolumeMax(), 65536);
  EXPECT_EQ(panel.VolumeMax() - panel.VolumePosition(), 45000);
  EXPECT_EQ(panel.BalanceBar()->Position(), 11);
  // The quieter channel in the balance bar's steps: round(21/32 × 45000).
  EXPECT_EQ(Sink.Volume(), (TValues{29531, 45000}));
  panel.SetVolumePosition(panel.VolumeMax() - 20000);
  EXPECT_EQ(Sink.Volume(), (TValues{13125, 20000}));
  // Another program's change moves the bars and is not written back.
  ASSERT_TRUE(Sink.SetVolume(10000, 10000));
  EXPECT_TRUE(PumpUntil([&] { return panel.VolumeMax() - panel.VolumePosition() == 10000; }));
  EXPECT_EQ(panel.BalanceBar()->Position(), 0);
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(Sink.Volume(), (TValues{10000, 10000}));
  // The check box mutes the sink.
  EXPECT_EQ(panel.CheckBox()->text(), "Mute");
  panel.CheckBox()->click();
  EXPECT_EQ(Sink.Muted(), true);
  panel.CheckBox()->click();
  EXPECT_EQ(Sink.Muted(), false);
}

// Without a sound server (and, on a machine without sound cards, without any
// card) device 0 cannot be reached.
TEST(MixerWithoutServer, OpeningDeviceZeroRaisesDeviceIDOutOfRangeAndTheProgramGoesOn) {
  TScopedEnv noServer{{"PULSE_SERVER", "unix:/nonexistent/zuggle/native"}, {"PULSE_SINK", nullptr}};
  SetMixerDriver(&DeviceMixerDriver());
  struct TCase {
    const char* Name;
    bool PulseDefault;
  };
  for (const TCase& c : {TCase{"the system's configuration", false}, TCase{"the pulse plugin as default", true}}) {
    SCOPED_TRACE(c.Name);
    std::optional<TAlsaDefaultOnPulse> alsa;
    std::optional<TScopedEnv> systemConfig;
    if (c.PulseDefault) {
      alsa.emplace("");
      ASSERT_TRUE(alsa->Ok());
    } else {
      systemConfig.emplace(std::initializer_list<std::pair<const char*, const char*>>{{"ALSA_CONFIG_PATH", nullptr}});
      if (TAlsaMixerDriver().DeviceCount() > 1) {
        // The default device would reach the card.
        continue;
      }
    }
    TmxMixer mixer;
    try {
      mixer.SetDeviceID(0);
      ADD_FAILURE() << "device 0 opened";
    } catch (const EMixerError&) {
      ADD_FAILURE() << "raised a mixer error";
    } catch (const EMMSysError& e) {
      EXPECT_EQ(std::string(e.what()), "Multimedia System Error:\rDevice ID out of range");
    }
    EXPECT_EQ(mixer.DeviceID(), -1);
    EXPECT_EQ(mixer.DestinationCount(), 0);
    EXPECT_EQ(mixer.SpeakersLine(), nullptr);
    mixer.SetDeviceID(-1);
    EXPECT_THROW(mixer.SetDeviceID(0), EMMSysError) << "a second try";
  }
  SetMixerDriver(nullptr);
}

}  // namespace
