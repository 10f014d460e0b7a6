// The settings dialog's volume slider against a real sound server: the test
// command's private PulseAudio, whose sink of our own the dialog reaches as
// mixer device 0 through ALSA and plays into through SDL. What the dialog did
// is read back with pactl and heard in a recording of the sink's monitor.
#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <thread>

#include "SettingsDriver.h"
#include "platform/MixerDevice.h"
#include "platform/SoundOutput.h"
#include "platform/alsa/AlsaMixer.h"
#include "platform/sdl/SdlSoundOutput.h"
#include "shell/SettingsU.h"
#include "sound/mxTrackBars.h"
#include "support/MonitorRecording.h"
#include "support/PulseTestSink.h"
#include "support/ScopedEnv.h"

namespace {

using TValues = std::vector<std::uint32_t>;

// The loud shot's envelope as stored (8-bit PCM at 11025 Hz after a 44-byte
// header), without its silent tail.
std::vector<double> StoredLoudShotEnvelope() {
  QFile f(QStringLiteral(":/sounds/LOUDSHOT.wav"));
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray b = f.readAll();
  std::vector<double> v;
  for (qsizetype i = 44; i < b.size(); ++i) v.push_back((std::uint8_t(b[i]) - 128) / 128.0);
  std::vector<double> env = Envelope(v, 11025);
  while (!env.empty() && env.back() < 1e-3) env.pop_back();
  return env;
}

class SettingsSoundOnServer : public ::testing::Test {
protected:
  void SetUp() override {
    if (!Sink.Unavailable().empty()) GTEST_SKIP() << Sink.Unavailable();
    SetMixerDriver(&DeviceMixerDriver());
    ASSERT_TRUE(Sink.SetVolume(30000, 45000));
    ASSERT_TRUE(Sink.SetMute(false));
    // SDL plays into the test sink (the sink points PULSE_SINK at itself).
    Player.emplace();
    if (!Player->Open()) GTEST_SKIP() << "SDL cannot reach the PulseAudio server";
    SetSoundOutput(&*Player);
    Recording.emplace(Sink.Name() + ".monitor");
    if (!Recording->Start()) GTEST_SKIP() << "parec cannot record the test sink's monitor";
  }
  void TearDown() override {
    SetSoundOutput(nullptr);
    SetMixerDriver(nullptr);
  }

  TPulseTestSink Sink;
  TScopedEnv Env{{"SDL_AUDIODRIVER", "pulseaudio"}};
  std::optional<TSdlSoundOutput> Player;
  std::optional<TMonitorRecording> Recording;
};

// One dialog and one recording for all of it: tests of one program may run in
// parallel, and two of them playing into the server would hear each other.
TEST_F(SettingsSoundOnServer, TheSliderSetsTheSinkAndItsReleasePopsThere) {
  TForm1 form;
  form.FNoSound = true;
  form.show();
  bool opened = false;
  int moved = 0;
  TValues atOpen, atMove, atPop;
  std::chrono::steady_clock::time_point released, back;
  WhenSettingsOpen([&](TSettingsForm& f) {
    opened = true;
    TmxTrackBar& bar = *f.VolumeBar;
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 65536);
    EXPECT_EQ(bar.Position(), 45000);
    atOpen = Sink.Volume();
    // Louder, by a drag through the dialog's window; then the release.
    QWindow* w = f.windowHandle();
    const QPoint from = bar.mapTo(&f, ThumbCentre(bar));
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    QTest::mouseMove(w, from + QPoint(30, 0));
    QTest::mouseMove(w, from + QPoint(60, 0));
    moved = bar.Position();
    atMove = Sink.Volume();
    released = std::chrono::steady_clock::now();
    QTest::mouseRelease(w, Qt::LeftButton, {}, from + QPoint(60, 0));
    back = std::chrono::steady_clock::now();
    atPop = Sink.Volume();
    PressKey(f, Qt::Key_Escape);
  });
  ShowSettingsDialog(form);
  ASSERT_TRUE(opened);
  // The panel took the speakers with the quieter channel in its balance steps.
  EXPECT_EQ(atOpen, (TValues{29531, 45000}));
  ASSERT_GT(moved, 45000);
  const TValues expected{std::uint32_t(std::nearbyint(moved * 21.0 / 32.0)), std::uint32_t(moved)};
  EXPECT_EQ(atMove, expected);
  EXPECT_EQ(atPop, expected);
  EXPECT_EQ(Sink.Volume(), expected) << "Cancel undid the volume";
  // The dialog was held while the pop played (28 ms, then about 400 ms).
  EXPECT_GE(back - released, std::chrono::milliseconds(28 + 350));

  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const std::vector<double> env = Envelope(Recording->Stop(), TMonitorRecording::Rate);
  const std::vector<double> shot = StoredLoudShotEnvelope();
  ASSERT_GT(shot.size(), 10u);
  std::size_t onset = 0;
  while (onset < env.size() && Decibels(env[onset]) < -40) ++onset;
  ASSERT_LT(onset, env.size()) << "the sink heard nothing";
  const auto [match, at] = FindEnvelope(env, shot, 0, onset + 40);
  EXPECT_GT(match, 0.9) << "the recording does not show the loud shot";
  // Once: silence from shortly after it to the end of the recording.
  for (std::size_t i = at + shot.size() + 20; i < env.size(); ++i)
    ASSERT_LT(Decibels(env[i]), -60.0) << "more sound after the pop, window " << i;
}

}  // namespace
