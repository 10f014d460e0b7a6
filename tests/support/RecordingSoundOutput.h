#pragma once
// A player for tests: plays nothing and notes every stop and start with the time
// of the current clock (timeGetTime), so that a test on the virtual clock can
// compare the timeline of starts and cuts exactly. Callable from any thread.
//
// It knows the lengths of the sounds it is told about (SetLength); a sound
// without a known length counts as endless. A start or stop while a sound is
// still running within its length is recorded as a cut of that sound.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/SoundOutput.h"

class TRecordingSoundOutput final : public TSoundOutput {
public:
  struct TEntry {
    enum TKind : std::uint8_t { Start, Stop } Kind;
    std::string Name;     // the sound started; empty for Stop
    std::uint32_t Time;   // timeGetTime() of the call
    bool Wait = false;    // Start only: the caller asked to wait for the end
  };
  // One sound as it was heard: from its start to its end or to the cut.
  struct TPlayed {
    std::string Name;
    std::uint32_t Start;
    std::uint32_t End;  // Start + length if it ran out, else the time of the cut
    bool Cut;           // stopped before its end
    bool operator==(const TPlayed&) const = default;
  };

  // Length in milliseconds of a sound, used to tell a cut from a sound that ran out.
  void SetLength(const std::string& name, std::uint32_t ms);

  void Stop() override;
  // Notes the start. With wait true it sleeps the sound's length on the current
  // clock (nothing when the length is unknown) before it returns.
  void Play(const std::string& name, bool wait) override;

  std::vector<TEntry> Entries() const;
  // The sounds heard so far, in order of start; a sound still within its length
  // at the time of this call ends at Start + length (or is open-ended, End = 
  // UINT32_MAX, when its length is unknown) and is not cut.
  std::vector<TPlayed> Played() const;
  void Clear();

private:
  mutable std::mutex FLock;
  std::map<std::string, std::uint32_t> FLengths;
  std::vector<TEntry> FEntries;
};
