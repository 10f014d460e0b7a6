#include "display/Processor.h"

#include <thread>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The probe runs first, since these may be asked before the library's own
// start-up code has run it.
#define ZUGGLE_PROCESSOR_HAS(feature) (__builtin_cpu_init(), __builtin_cpu_supports(feature) != 0)
#else
#define ZUGGLE_PROCESSOR_HAS(feature) false
#endif

bool ProcessorHasAvx2() {
  static const bool has = ZUGGLE_PROCESSOR_HAS("avx2");
  return has;
}

bool ProcessorHasAvx512() {
  static const bool has = ZUGGLE_PROCESSOR_HAS("avx512f");
  return has;
}

bool ProcessorHasManyCores() {
  static const bool has = std::thread::hardware_concurrency() > 1;
  return has;
}
