// AVX2 row routine for the uniform blend: the SSE2 lane arithmetic on 256-bit
// registers, eight pixels per step. Compiled for AVX2 function by function
// (not with a flag for the whole file), so nothing shared with the rest of
// the program is built for a processor that may lack it; the caller checks
// ProcessorHasAvx2() first.
#include "display/GraphicsRoutinesRows.h"

#ifdef ZUGGLE_BLEND_AVX2

#include <cstdint>
#include <immintrin.h>

namespace BlendRows::Avx2 {

namespace {

// Mixes the pixels unpacked into sixteen 16-bit lanes: x = ((d << 8) +
// (s - d) * a) >> 8, all modulo 65536, then the bias around the middle
// value as in SSE2. dHigh is d already in the high byte of each lane.
__attribute__((target("avx2"))) inline __m256i MixLanes(__m256i s, __m256i d, __m256i dHigh, __m256i a,
                                                        bool hasBias, __m256i bias) {
  const __m256i x = _mm256_srli_epi16(_mm256_add_epi16(dHigh, _mm256_mullo_epi16(_mm256_sub_epi16(s, d), a)), 8);
  if (!hasBias) return x;
  const __m256i mid = _mm256_set1_epi16(128);
  return _mm256_add_epi16(_mm256_adds_epi16(_mm256_sub_epi16(x, mid), bias), mid);
}

}  // namespace

__attribute__((target("avx2"))) void BlendRowUniform(const std::uint32_t* Source, std::uint32_t* Dest, int Count,
                                                     int Alpha, int Bias) {
  const std::intptr_t ahead = reinterpret_cast<std::intptr_t>(Dest) - reinterpret_cast<std::intptr_t>(Source);
  int i = 0;
  // A destination one to seven pixels after its source would read pixels
  // written in this very step; such rows (and the tail) go to SSE2, which
  // handles them pixel by pixel as the contract asks.
  if (ahead <= 0 || ahead >= 32) {
    const __m256i a = _mm256_set1_epi16(static_cast<std::int16_t>(static_cast<std::uint16_t>(Alpha)));
    const __m256i bias = _mm256_set1_epi16(static_cast<std::int16_t>(static_cast<std::uint16_t>(Bias)));
    const bool hasBias = static_cast<std::int16_t>(static_cast<std::uint16_t>(Bias)) != 0;
    const __m256i zero = _mm256_setzero_si256();
    for (; i + 8 <= Count; i += 8) {
      const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Source + i));
      const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Dest + i));
      // Unpacking works within each 128-bit half, and so does the pack:
      // the pixels come back in their own order.
      const __m256i lo = MixLanes(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero),
                                  _mm256_unpacklo_epi8(zero, d), a, hasBias, bias);
      const __m256i hi = MixLanes(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero),
                                  _mm256_unpackhi_epi8(zero, d), a, hasBias, bias);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dest + i), _mm256_packus_epi16(lo, hi));
    }
  }
  Sse2::BlendRowUniform(Source + i, Dest + i, Count - i, Alpha, Bias);
}

}  // namespace BlendRows::Avx2

#endif
