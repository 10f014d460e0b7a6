// Timelines of starts and cuts that sound sequences produce, on virtual time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SettlingClock.h"
#include "SoundTable.h"
#include "support/RecordingSoundOutput.h"
#include "platform/SoundOutput.h"
#include "sound/SoundEffects.h"

namespace {
using TPlayed = TRecordingSoundOutput::TPlayed;
constexpr std::uint32_t T0 = 5000;

class SoundThreads : public ::testing::Test {
protected:
  void SetUp() override {
    for (const TStoredSound& s : StoredSounds) FOutput.SetLength(std::string(s.Name), s.Ms);
    SetClock(&FClock);
    SetSoundOutput(&FOutput);
  }
  void TearDown() override {
    // No worker may outlive the clock and the recorder it uses.
    ASSERT_TRUE(FClock.RunUntilIdle(10000));
    SetSoundOutput(nullptr);
    SetClock(nullptr);
  }
  // The heard sounds with times relative to the start of the test.
  std::vector<TPlayed> Heard() const {
    std::vector<TPlayed> r = FOutput.Played();
    for (TPlayed& p : r) {
      p.Start -= T0;
      p.End -= T0;
    }
    return r;
  }

  TSettlingClock FClock{T0};
  TRecordingSoundOutput FOutput;
};

std::string Show(const std::vector<TPlayed>& v) {
  std::string s;
  for (const TPlayed& p : v)
    s += p.Name + " " + std::to_string(p.Start) + ".." + std::to_string(p.End) + (p.Cut ? " cut" : "") + "; ";
  return s;
}

struct TSequenceCase {
  const char* What;
  TSoundArray Sequence;
  std::vector<TPlayed> Expected;  // ms from the thread's creation
};

TEST_F(SoundThreads, SequencesGiveTheirTimelines) {
  const TSequenceCase cases[] = {
      {"a miss: the whoosh plays to its end", {seShoot}, {{"WHOOSH", 0, 155, false}}},
      {"the shelter: whoosh cut after 28 ms by the glass",
       {seShoot, seShelterHit},
       {{"WHOOSH", 0, 28, true}, {"GLASS", 28, 251, false}}},
      {"small pop after 44 ms",
       {seShoot, seSmallBalloonHit},
       {{"WHOOSH", 0, 44, true}, {"SOFTSHOT", 44, 441, false}}},
      {"medium pop after 36 ms",
       {seShoot, seMediumBalloonHit},
       {{"WHOOSH", 0, 36, true}, {"MEDIUMSHOT", 36, 433, false}}},
      {"large pop after 28 ms",
       {seShoot, seLargeBalloonHit},
       {{"WHOOSH", 0, 28, true}, {"LOUDSHOT", 28, 425, false}}},
      {"a small Bonus balloon: pop cut 134 ms later by the fanfare",
       {seShoot, seSmallBalloonHit, seBonus},
       {{"WHOOSH", 0, 44, true}, {"SOFTSHOT", 44, 178, true}, {"BONUS", 178, 2858, false}}},
      {"a Revive balloon after a medium pop and a giggle for the Spiky one it brings",
       {seShoot, seMediumBalloonHit, seRevive, seKicher},
       {{"WHOOSH", 0, 36, true},
        {"MEDIUMSHOT", 36, 170, true},
        {"REVIVE", 170, 620, true},
        {"KICHER", 620, 1558, false}}},
      {"three Spiky balloons at set-up: giggles 450 ms apart, nothing before 450 ms",
       {seKicher, seKicher, seKicher},
       {{"KICHER", 450, 900, true}, {"KICHER", 900, 1350, true}, {"KICHER", 1350, 2288, false}}},
      {"an empty sequence plays nothing", {}, {}},
  };
  for (const TSequenceCase& c : cases) {
    SCOPED_TRACE(c.What);
    FOutput.Clear();
    const std::uint32_t start = timeGetTime();
    StartSoundThread(c.Sequence);
    ASSERT_TRUE(FClock.RunUntilIdle(10000));
    // Let the last sound run out before the next case, so it is not cut.
    Sleep(5000);
    std::vector<TPlayed> heard = FOutput.Played();
    for (TPlayed& p : heard) {
      p.Start -= start;
      p.End -= start;
    }
    EXPECT_EQ(heard, c.Expected) << Show(heard);
    // Every start cuts what plays first, at the same moment.
    const auto entries = FOutput.Entries();
    ASSERT_EQ(entries.size(), 2 * c.Sequence.size());
    for (std::size_t i = 0; i + 1 < entries.size(); i += 2) {
      EXPECT_EQ(entries[i].Kind, TRecordingSoundOutput::TEntry::Stop);
      EXPECT_EQ(entries[i + 1].Kind, TRecordingSoundOutput::TEntry::Start);
      EXPECT_EQ(entries[i].Time, entries[i + 1].Time);
      EXPECT_FALSE(entries[i + 1].Wait);
    }
  }
}

TEST_F(SoundThreads, LaterSequenceCutsTheEarlierAndIsCutAgain) {
  StartSoundThread({seShoot, seSmallBalloonHit});
  Sleep(10);
  StartSoundThread({seShoot, seLargeBalloonHit});
  ASSERT_TRUE(FClock.RunUntilIdle(10000));
  const std::vector<TPlayed> expected{
      {"WHOOSH", 0, 10, true},     // the second shot's whoosh cuts the first
      {"WHOOSH", 10, 38, true},    // its large pop follows after 28 ms
      {"LOUDSHOT", 38, 44, true},  // the first thread's small pop, due at 44, cuts it
      {"SOFTSHOT", 44, 441, false},
  };
  EXPECT_EQ(Heard(), expected) << Show(Heard());
}

TEST_F(SoundThreads, ThreadKeepsItsOwnCopyOfTheQueue) {
  TSoundArray queue{seShoot, seShelterHit};
  StartSoundThread(queue);
  // The game goes on with its queue at once: a new shot, then more hits.
  queue = {seShoot};
  queue.push_back(seNuke);
  queue.push_back(seKicher);
  ASSERT_TRUE(FClock.RunUntilIdle(10000));
  const std::vector<TPlayed> expected{{"WHOOSH", 0, 28, true}, {"GLASS", 28, 251, false}};
  EXPECT_EQ(Heard(), expected) << Show(Heard());
}

struct TDirectCase {
  TSoundEvent Event;
  bool Wait;
  std::uint32_t Returns;  // ms after the call
};

TEST_F(SoundThreads, DirectCallPausesTheCallerThenStarts) {
  // The pre-delay is spent on the calling thread; with Wait the call returns only
  // when the sound has ended (the volume slider's test sound: 28 + 397 ms).
  const TDirectCase cases[] = {
      {seSuccess, false, 140}, {seEntry, false, 50}, {seShoot, false, 0}, {seLargeBalloonHit, true, 28 + 397}};
  for (const TDirectCase& c : cases) {
    SCOPED_TRACE(std::string(SoundResource(c.Event).Name));
    FOutput.Clear();
    const std::uint32_t start = timeGetTime();
    PlaySoundEvent(c.Event, c.Wait);
    EXPECT_EQ(timeGetTime() - start, c.Returns);
    const auto entries = FOutput.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].Name, SoundResource(c.Event).Name);
    EXPECT_EQ(entries[1].Time - start, SoundResource(c.Event).PreDelay);
    EXPECT_EQ(entries[1].Wait, c.Wait);
    Sleep(5000);
  }
}

TEST(SoundEvents, EveryEventNamesAnEmbeddedSound) {
  static_assert(sizeof(TSoundEvent) == 1);
  ASSERT_EQ(int(seKicher) + 1, SoundEventCount);
  for (int e = 0; e < SoundEventCount; ++e) {
    const std::string_view name = SoundResource(TSoundEvent(e)).Name;
    bool found = false;
    for (const TStoredSound& s : StoredSounds) found = found || s.Name == name;
    EXPECT_TRUE(found) << name;
  }
}
}  // namespace
