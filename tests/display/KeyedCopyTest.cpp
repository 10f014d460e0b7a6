// The keyed row copy takes four pixels at a time: whatever lies in the four
// lanes (edge pixels of every share over every kind of pixel, left-out key
// pixels, opaque ones), each comes out as copying it on its own gives.
#include <gtest/gtest.h>

#include <vector>

#include "display/KeyedCopy.h"

namespace {

TEST(KeyedCopy, FourAtOnceGiveWhatOneAtATimeGives) {
  constexpr QRgb kKey = 0xFFFFFF;
  const int values[] = {0, 1, 2, 127, 128, 200, 254, 255};
  const int underShares[] = {0, 1, 128, 254, 255};
  std::vector<QRgb> source, under;
  for (int share = 0; share < 256; ++share)
    for (const int s : values)
      for (const int u : values)
        for (const int us : underShares) {
          // Every seventh pixel is of the key colour, so key pixels meet
          // edge pixels in every lane.
          source.push_back(source.size() % 7 == 3 ? qRgba(255, 255, 255, share)
                                                  : qRgba(s, 255 - s, (s * 7) & 255, share));
          under.push_back(qRgba(u, (u * 3) & 255, 255 - u, us));
        }
  for (int offset = 0; offset < 4; ++offset) {
    SCOPED_TRACE(offset);
    std::vector<QRgb> whole = under, alone = under;
    const int n = static_cast<int>(source.size()) - offset;
    KeyedCopy(whole.data() + offset, source.data() + offset, n, kKey);
    for (int i = 0; i < n; ++i) KeyedCopy(alone.data() + offset + i, source.data() + offset + i, 1, kKey);
    int differ = 0;
    for (std::size_t i = 0; i < whole.size(); ++i)
      if (whole[i] != alone[i] && ++differ <= 5)
        ADD_FAILURE() << "pixel " << i << ": " << std::hex << source[i] << " over " << under[i] << " gives "
                      << whole[i] << ", alone " << alone[i];
    EXPECT_EQ(differ, 0);
  }
}

}  // namespace
