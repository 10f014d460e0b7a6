// The real SDL2 player: decoding of the embedded files, silence without a sound
// server, and playing into a PulseAudio null sink whose monitor is recorded.
#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "SoundTable.h"
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

// parec recording the default sink's monitor as 16-bit mono samples, on a thread
// of its own so that the pipe never fills.
class TMonitorRecording {
public:
  static constexpr int Rate = 44100;

  bool Start() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const std::string rate = "--rate=" + std::to_string(Rate);
    const char* argv[] = {"parec", "-d", "@DEFAULT_MONITOR@", "--raw", "--format=s16le", "--channels=1",
                          rate.c_str(), "--latency-msec=10", nullptr};
    const int rc = posix_spawnp(&FPid, "parec", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
      close(fds[0]);
      return false;
    }
    FFd = fds[0];
    FReader = std::thread([this] {
      std::int16_t buf[4096];
      for (;;) {
        const ssize_t got = read(FFd, buf, sizeof buf);
        if (got <= 0) break;
        std::lock_guard<std::mutex> g(FLock);
        FSamples.insert(FSamples.end(), buf, buf + got / 2);
      }
    });
    // Recording runs once samples arrive (the monitor sends silence at once).
    for (int i = 0; i < 500 && Count() < Rate / 10; ++i) std::this_thread::sleep_for(10ms);
    return Count() >= Rate / 10;
  }
  std::size_t Count() {
    std::lock_guard<std::mutex> g(FLock);
    return FSamples.size();
  }
  std::vector<double> Stop() {
    if (FPid > 0) {
      kill(FPid, SIGTERM);
      waitpid(FPid, nullptr, 0);
      FPid = 0;
    }
    if (FReader.joinable()) FReader.join();
    if (FFd >= 0) close(FFd);
    FFd = -1;
    std::vector<double> v;
    for (std::int16_t s : FSamples) v.push_back(s / 32768.0);
    return v;
  }
  ~TMonitorRecording() { Stop(); }

private:
  pid_t FPid = 0;
  int FFd = -1;
  std::thread FReader;
  std::mutex FLock;
  std::vector<std::int16_t> FSamples;
};

// RMS in windows of 5 ms: an envelope that does not depend on the sample rate
// or on the resampling on the way through the server.
constexpr double WindowMs = 5;
std::vector<double> Envelope(const std::vector<double>& x, double rate) {
  const std::size_t w = std::size_t(rate * WindowMs / 1000);
  std::vector<double> env;
  for (std::size_t at = 0; at + w <= x.size(); at += w) {
    double e = 0;
    for (std::size_t i = at; i < at + w; ++i) e += x[i] * x[i];
    env.push_back(std::sqrt(e / double(w)));
  }
  return env;
}

// The best normalised correlation of the pattern's envelope within the
// recording's, starting at a window from `from` to `to`, and that window.
std::pair<double, std::size_t> Find(const std::vector<double>& env, const std::vector<double>& pattern, std::size_t from,
                                     std::size_t to = SIZE_MAX) {
  double best = -1;
  std::size_t at = 0;
  double pp = 0;
  for (double p : pattern) pp += p * p;
  for (std::size_t lag = from; lag <= to && lag + pattern.size() <= env.size(); ++lag) {
    double xy = 0, xx = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
      xy += env[lag + i] * pattern[i];
      xx += env[lag + i] * env[lag + i];
    }
    const double c = xx > 0 ? xy / std::sqrt(xx * pp) : 0;
    if (c > best) best = c, at = lag;
  }
  return {best, at};
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
  TMonitorRecording FRecording;
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
  const auto [match, shot] = Find(env, FShot, 0, onset + 40);
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
  const auto [match2, shot2] = Find(env, FShot, crash + 20);
  EXPECT_GT(match2, 0.9) << "the shot is not found after the crash's start";
  const std::size_t from = shot2 + FShot.size() + 20, to = crash + std::size_t(1700 / WindowMs);
  ASSERT_LT(from + 40, to) << "the shot started too late to tell";
  silentUntil(from, to, "the crash was not cut");
}

}  // namespace
