// The heap policy: blocks the size of a balloon's picture come from the heap
// and stay there when freed, ready for the next round; blocks the size of a
// 4K playfield still go back to the system.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/HeapPolicy.h"

#if defined(__GLIBC__)
#include <malloc.h>

namespace {

TEST(HeapPolicy, PictureBlocksStayForReuseAndPlayfieldBlocksGoBack) {
#ifdef ZUGGLE_SANITIZE
  GTEST_SKIP() << "the sanitizer's allocator stands in for the C library's heap";
#endif
  KeepPictureMemoryForReuse();
  // A round's worth of pictures at 4K: forty blocks of 404 x 323 pixels.
  const std::size_t picture = 404 * 323 * 4;
  const struct mallinfo2 before = mallinfo2();
  std::vector<void*> blocks;  // written to and freed: the calls stay
  for (int i = 0; i < 40; ++i) {
    blocks.push_back(std::malloc(picture));
    std::memset(blocks.back(), i, picture);
  }
  const struct mallinfo2 during = mallinfo2();
  EXPECT_EQ(during.hblks, before.hblks) << "no picture is mapped on its own";
  for (void* b : blocks) std::free(b);
  const struct mallinfo2 after = mallinfo2();
  EXPECT_GE(during.arena, 40 * picture) << "the pictures are on the heap";
  EXPECT_EQ(after.arena, during.arena) << "the freed pictures stay with the heap";

  // A playfield surface at 4K is mapped on its own and returned when freed.
  void* volatile playfield = std::malloc(3840 * 2160 * 4);
  EXPECT_EQ(mallinfo2().hblks, before.hblks + 1);
  std::free(playfield);
  EXPECT_EQ(mallinfo2().hblks, before.hblks);
}

}  // namespace
#endif
