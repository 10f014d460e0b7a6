#include "sound/SoundEffects.h"

#include <array>
#include <atomic>
#include <string>
#include <thread>

#include "platform/Clock.h"
#include "platform/SoundOutput.h"

namespace {
// The pre-delays shape a shot's sequence: the hit sound follows the whoosh the
// sooner the larger the balloon.
constexpr std::array<TSoundResource, SoundEventCount> Resources{{
    {"SOFTSHOT", 44},
    {"MEDIUMSHOT", 36},
    {"LOUDSHOT", 28},
    {"GLASS", 28},
    {"WHOOSH", 0},
    {"NUKE", 80},
    {"CRASH", 100},
    {"APPLAUSE", 140},
    {"DRUMROLL", 100},
    {"CHIMES", 100},
    {"ENTRY", 50},
    {"BONUS", 134},
    {"REVIVE", 134},
    {"KICHER", 450},
}};

std::atomic<int> Running{0};
}  // namespace

const TSoundResource& SoundResource(TSoundEvent event) { return Resources.at(event); }

void PlaySoundEvent(TSoundEvent event, bool wait) {
  const TSoundResource& r = SoundResource(event);
  // The pause comes before the stop, so in a sequence every sound plays for the
  // next event's pre-delay and is then cut.
  Sleep(r.PreDelay);
  TSoundOutput& out = SoundOutput();
  out.Stop();
  out.Play(std::string(r.Name), wait);
}

TSndThrd::TSndThrd(const TSoundArray& sounds) : Sounds(sounds) {
  // Counted before the thread exists, so a watcher never sees a gap between the
  // creation and the first sleep.
  Running.fetch_add(1);
  try {
    std::thread([this] {
      Execute();
      delete this;
    }).detach();
  } catch (...) {
    // No thread could be made: the sequence stays silent, like a missing device.
    Running.fetch_sub(1);
    throw;
  }
}

TSndThrd::~TSndThrd() { Running.fetch_sub(1); }

void TSndThrd::Execute() {
  for (TSoundEvent e : Sounds) PlaySoundEvent(e, false);
}

void StartSoundThread(const TSoundArray& sounds) {
  try {
    new TSndThrd(sounds);
  } catch (const std::system_error&) {
    // Out of threads: the game goes on without this sequence.
  }
}

int RunningSoundThreads() { return Running.load(); }
