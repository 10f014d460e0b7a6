// A held shooting key fires once however the desktop repeats it, and a real
// release re-arms it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/ShootKeys.h"

namespace {

constexpr int Space = 32, Alt = 18, KeyA = 65;

struct TKey {
  bool Press;
  int Key;
  std::uint64_t Time;
  bool AutoRepeat = false;
};

// A key held from At for Ms milliseconds, repeated every 33 ms after a 500 ms
// delay as an X server does: a release and a press with the same time stamp
// (PairGap apart), each pair marked as auto-repeat when Marked(n) says so; or,
// with Detectable, marked presses only. Ends with the real release.
std::vector<TKey> Hold(int key, std::uint64_t At, std::uint64_t Ms, bool Detectable, std::uint64_t PairGap,
                       bool (*Marked)(int)) {
  std::vector<TKey> out{{true, key, At}};
  int n = 0;
  for (std::uint64_t t = At + 500; t < At + Ms; t += 33, ++n) {
    if (Detectable) {
      out.push_back({true, key, t, true});
    } else {
      out.push_back({false, key, t, Marked(n)});
      out.push_back({true, key, t + PairGap, Marked(n)});
    }
  }
  out.push_back({false, key, At + Ms});
  return out;
}

bool Never(int) { return false; }
bool Always(int) { return true; }
// As seen under Xvfb: most pairs unmarked, a few marked.
bool SomeMarked(int n) { return n % 4 == 3; }

int Fires(TShootKeys& keys, const std::vector<TKey>& events) {
  int fired = 0;
  for (const TKey& e : events) {
    if (e.Press)
      fired += keys.KeyDown(e.Key, e.Key == Space || e.Key == Alt, e.Time, e.AutoRepeat);
    else
      keys.KeyUp(e.Key, e.Time, e.AutoRepeat);
  }
  return fired;
}

}  // namespace

TEST(ShootKeys, AHoldFiresOnceHoweverTheDesktopRepeatsIt) {
  struct {
    const char* Name;
    bool Detectable;
    std::uint64_t PairGap;
    bool (*Marked)(int);
  } const cases[] = {
      {"detectable auto-repeat: marked presses only", true, 0, Never},
      {"release/press pairs, none marked", false, 0, Never},
      {"release/press pairs, all marked", false, 0, Always},
      {"release/press pairs, some marked", false, 0, SomeMarked},
      {"pairs a few milliseconds apart", false, 3, Never},
      {"pairs at the window's edge", false, TShootKeys::RepeatPairWindow, SomeMarked},
  };
  for (const auto& c : cases) {
    for (const int key : {Space, Alt}) {
      TShootKeys keys;
      EXPECT_EQ(Fires(keys, Hold(key, 1000, 1500, c.Detectable, c.PairGap, c.Marked)), 1) << c.Name << ", " << key;
      // The hold is over: the next press fires again, and holding it fires once.
      EXPECT_FALSE(keys.ShootKeyDown()) << c.Name;
      EXPECT_EQ(Fires(keys, Hold(key, 2700, 900, c.Detectable, c.PairGap, c.Marked)), 1) << c.Name << ", " << key;
    }
  }
}

TEST(ShootKeys, ReleasesAndPressesThatAreAPersonsFireEachTime) {
  struct {
    const char* Name;
    std::vector<TKey> Events;
    int Fires;
  } const cases[] = {
      {"two taps", {{true, Space, 100}, {false, Space, 180}, {true, Space, 260}, {false, Space, 330}}, 2},
      {"let go and pressed again just after the window",
       {{true, Space, 100}, {false, Space, 200}, {true, Space, 200 + TShootKeys::RepeatPairWindow + 1}}, 2},
      {"space then Alt while space is held", {{true, Space, 100}, {true, Alt, 150}}, 1},
      {"space let go, then Alt at once", {{true, Space, 100}, {false, Space, 200}, {true, Alt, 200}}, 2},
      {"any other key's release re-arms", {{true, Space, 100}, {false, KeyA, 150}, {true, Space, 160}}, 2},
      {"but a marked repeat never fires", {{true, Space, 100}, {false, KeyA, 150}, {true, Space, 160, true}}, 1},
      {"other keys never fire", {{true, KeyA, 100}, {false, KeyA, 150}, {true, KeyA, 300}}, 0},
      {"a marked press alone never fires", {{true, Space, 100, true}}, 0},
  };
  for (const auto& c : cases) {
    TShootKeys keys;
    EXPECT_EQ(Fires(keys, c.Events), c.Fires) << c.Name;
  }
}
