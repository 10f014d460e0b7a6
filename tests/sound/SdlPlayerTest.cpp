// The real SDL2 player: decoding of the embedded files, silence without a sound
// server, and playing into a PulseAudio null sink whose monitor is recorded.
#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "SoundTable.h"
#include "support/MonitorRecording.h"
#include "platform/SoundOutput.h"
#include "platform/sdl/SdlSoundOutput.h"
#include "sound/SoundEffects.h"

extern char** environ;

namespace {
using namespace std::chrono_literals;

// Sets environment variables for one scope and restores them after.
class TScopedEnv {
public:
  TScopedEnv(std::initializer_list<std::pair<const char*, const char*>> vars) {
    for (const auto& [name, value] : vars) {
      const char* old = std::getenv(name);
      FSaved.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
      if (value) setenv(name, value, 1);
      else unsetenv(name);
    }
  }
  ~TScopedEnv() {
    for (const auto& [name, value] : FSaved) {
      if (value) setenv(name.c_str(), value->c_str(), 1);
      else unsetenv(name.c_str());
    }
  }

private:
  std::vector<std::pair<std::string, std::optional<std::string>>> FSaved;
};

TEST(SdlPlayer, DecodesEveryEmbeddedSoundToItsFullLength) {
  // The dummy driver has a device everywhere; the decoding is SDL's own
  // (PCM and MS ADPCM with a short last block) followed by the rate conversion.
  TScopedEnv env{{"SDL_AUDIODRIVER", "dummy"}};
  TSdlSoundOutput player;
  ASSERT_TRUE(player.Open());
  for (const TStoredSound& s : StoredSounds) {
    const std::uint32_t ms = player.DecodedLength(std::string(s.Name));
    EXPECT_NEAR(double(ms), double(s.Ms), 2.0) << s.Name;
  }
  EXPECT_EQ(player.DecodedLength("NOSUCHSOUND"), 0u);
}

TEST(SdlPlayer, StopAndCutEndTheSound) {
  TScopedEnv env{{"SDL_AUDIODRIVER", "dummy"}};
  TSdlSoundOutput player;
  player.Play("CRASH", false);
  EXPECT_TRUE(player.Playing());
  player.Stop();
  EXPECT_FALSE(player.Playing());
  // Waiting returns once the sound is over, here because another thread cut it.
  std::thread cutter([&] {
    std::this_thread::sleep_for(50ms);
    player.Play("WHOOSH", false);
  });
  player.Play("APPLAUSE", true);
  cutter.join();
  player.Play("NOSUCHSOUND", true);  // nothing to wait for
  player.Stop();
  EXPECT_FALSE(player.Playing());
}

TEST(SdlPlayer, WithoutSoundServerStaysSilentAndTheGameGoesOn) {
  TScopedEnv env{{"SDL_AUDIODRIVER", "pulseaudio"}, {"PULSE_SERVER", "unix:/nonexistent/zuggle/native"}};
  TSdlSoundOutput player;
  SetSoundOutput(&player);
  for (TSoundEvent e : {seShoot, seLargeBalloonHit}) PlaySoundEvent(e, false);
  PlaySoundEvent(seShoot, true);  // returns although nothing can play
  SetSoundOutput(nullptr);
  EXPECT_FALSE(player.Playing());
  EXPECT_FALSE(player.Open());
  EXPECT_EQ(player.DecodedLength("LOUDSHOT"), 0u);
}

// The loud shot as stored: 8-bit PCM at 11025 Hz after a 44-byte header.
std::vector<double> StoredLoudShot() {
  QFile f(":/sounds/LOUDSHOT.wav");
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray b = f.readAll();
  std::vector<double> v;
  for (qsizetype i = 44; i < b.size(); ++i) v.push_back((std::uint8_t(b[i]) - 128) / 128.0);
  return v;
}

double Db(double v) { return 20 * std::log10(std::max(v, 1e-9)); }

class SdlPlayerOnServer : public ::testing::Test {
protected:
  void SetUp() override {
    FEnv.emplace(std::initializer_list<std::pair<const char*, const char*>>{{"SDL_AUDIODRIVER", "pulseaudio"}});
    FPlayer.emplace();
    if (!FPlayer->Open())
      GTEST_SKIP() << "no PulseAudio server reachable (scripts/test.sh starts one with a null sink)";
    if (!FRecording.Start()) GTEST_SKIP() << "parec cannot record the default sink's monitor";
    FShot = Envelope(StoredLoudShot(), 11025);
    // Only the audible part of the shot: its tail is digital silence.
    while (!FShot.empty() && FShot.back() < 1e-3) FShot.pop_back();
    ASSERT_GT(FShot.size(), 10u);
  }

  std::optional<TScopedEnv> FEnv;
  std::optional<TSdlSoundOutput> FPlayer;
  TMonitorRecording FRecording{"@DEFAULT_MONITOR@"};
  std::vector<double> FShot;
};

// One recording for both checks: tests of one program may run in parallel,
// and two tests playing into the one sink would hear each other.
TEST_F(SdlPlayerOnServer, PlaysIntoTheSinkAndASecondStartCutsTheFirst) {
  FPlayer->Play("LOUDSHOT", true);
  std::this_thread::sleep_for(300ms);
  // The crash lasts 1800 ms; the shot started 300 ms into it must end it.
  FPlayer->Play("CRASH", false);
  std::this_thread::sleep_for(300ms);
  FPlayer->Play("LOUDSHOT", true);
  std::this_thread::sleep_for(1500ms);
  const std::vector<double> env = Envelope(FRecording.Stop(), TMonitorRecording::Rate);
  auto sounding = [&](std::size_t from) {
    while (from < env.size() && Db(env[from]) < -40) ++from;
    return from;
  };
  auto silentUntil = [&](std::size_t from, std::size_t to, const char* what) {
    ASSERT_LE(to, env.size());
    for (std::size_t i = from; i < to; ++i) ASSERT_LT(Db(env[i]), -60.0) << what << ", window " << i;
  };

  // The first shot, found by its envelope where the sink begins to sound. The
  // server may repeat the first few milliseconds of a new stream (a rewind of
  // the sink), so the best match may lie a little after the first sound.
  const std::size_t onset = sounding(0);
  ASSERT_LT(onset, env.size()) << "nothing was played";
  const auto [match, shot] = FindEnvelope(env, FShot, 0, onset + 40);
  EXPECT_GT(match, 0.95) << "the recording does not show the shot's envelope";
  ASSERT_LE(shot, onset + 20);
  ASSERT_GE(shot + 2, onset);
  EXPECT_GT(Db(*std::max_element(env.begin(), env.end())), -12.0) << "played far too softly";

  // Played once, then silence until the crash.
  const std::size_t crash = sounding(shot + FShot.size() + 10);
  ASSERT_LT(crash, env.size()) << "the crash was not played";
  // (The window before the crash may hold its first fraction of a millisecond.)
  silentUntil(shot + FShot.size() + 20, crash - 1, "the shot sounds on");

  // The second shot cuts the crash: from shortly after the shot's audible part
  // to where the crash would still sound (about -25 dB if it went on), silence.
  const auto [match2, shot2] = FindEnvelope(env, FShot, crash + 20);
  EXPECT_GT(match2, 0.9) << "the shot is not found after the crash's start";
  const std::size_t from = shot2 + FShot.size() + 20, to = crash + std::size_t(1700 / EnvelopeWindowMs);
  ASSERT_LT(from + 40, to) << "the shot started too late to tell";
  silentUntil(from, to, "the crash was not cut");
}

}  // namespace
