#include "platform/HeapPolicy.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void KeepPictureMemoryForReuse() {
#if defined(__GLIBC__)
  // Setting either also stops the library from moving the thresholds itself,
  // which it would do only after a block had already gone back.
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(SeparateBlockBytes));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(KeptFreeBytes));
#endif
}
