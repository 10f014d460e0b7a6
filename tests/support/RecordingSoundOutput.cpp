#include "support/RecordingSoundOutput.h"

#include <limits>

#include "platform/Clock.h"

void TRecordingSoundOutput::SetLength(const std::string& name, std::uint32_t ms) {
  std::lock_guard<std::mutex> g(FLock);
  FLengths[name] = ms;
}

void TRecordingSoundOutput::Stop() {
  std::lock_guard<std::mutex> g(FLock);
  FEntries.push_back({TEntry::Stop, {}, timeGetTime(), false});
}

void TRecordingSoundOutput::Play(const std::string& name, bool wait) {
  std::uint32_t length = 0;
  {
    std::lock_guard<std::mutex> g(FLock);
    FEntries.push_back({TEntry::Start, name, timeGetTime(), wait});
    auto it = FLengths.find(name);
    if (it != FLengths.end()) length = it->second;
  }
  // Outside the lock: other threads keep recording while this one waits.
  if (wait && length > 0) Sleep(length);
}

std::vector<TRecordingSoundOutput::TEntry> TRecordingSoundOutput::Entries() const {
  std::lock_guard<std::mutex> g(FLock);
  return FEntries;
}

std::vector<TRecordingSoundOutput::TPlayed> TRecordingSoundOutput::Played() const {
  std::lock_guard<std::mutex> g(FLock);
  constexpr std::uint32_t Open = std::numeric_limits<std::uint32_t>::max();
  std::vector<TPlayed> played;
  bool sounding = false;  // the last of `played` may still be running
  auto endOf = [&](const TPlayed& p) {
    auto it = FLengths.find(p.Name);
    return it == FLengths.end() ? Open : p.Start + it->second;
  };
  // Differences are taken as unsigned, so a timeline across the clock's wrap
  // is ordered as the game sees it.
  auto cutAt = [&](std::uint32_t t) {
    if (!sounding) return;
    TPlayed& last = played.back();
    const std::uint32_t end = endOf(last);
    if (end == Open || t - last.Start < end - last.Start) {
      last.End = t;
      last.Cut = true;
    }
    sounding = false;
  };
  for (const TEntry& e : FEntries) {
    cutAt(e.Time);
    if (e.Kind == TEntry::Start) {
      played.push_back({e.Name, e.Time, 0, false});
      played.back().End = endOf(played.back());
      sounding = true;
    }
  }
  return played;
}

void TRecordingSoundOutput::Clear() {
  std::lock_guard<std::mutex> g(FLock);
  FEntries.clear();
}
