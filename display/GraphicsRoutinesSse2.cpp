// SSE2 row routines: every byte of a pixel becomes a 16-bit lane, so one
// 128-bit register carries two pixels and a step handles four. The 16-bit
// instructions wrap and saturate exactly as the lane arithmetic asks, so these
// give the same bytes as the plain routines for every input.
#include "display/GraphicsRoutinesRows.h"

#if defined(__x86_64__) || defined(__SSE2__)

#include <emmintrin.h>

namespace BlendRows::Sse2 {
namespace {

std::int16_t SignedLow16(int v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v)); }

// Mixes two pixels (eight 16-bit lanes): x = ((d << 8) + (s - d) * a) >> 8,
// all modulo 65536. dHigh is d already in the high byte of each lane.
inline __m128i MixLanes(__m128i s, __m128i d, __m128i dHigh, __m128i a) {
  return _mm_srli_epi16(_mm_add_epi16(dHigh, _mm_mullo_epi16(_mm_sub_epi16(s, d), a)), 8);
}

// The bias around the middle value: (x - 128) + bias saturating, + 128
// wrapping; the signed-to-byte pack then limits to 0..255.
template <bool HasBias>
inline __m128i AddBias(__m128i x, __m128i bias) {
  if constexpr (!HasBias) {
    return x;  // the two 128 steps cancel and nothing saturates
  } else {
    const __m128i mid = _mm_set1_epi16(128);
    return _mm_add_epi16(_mm_adds_epi16(_mm_sub_epi16(x, mid), bias), mid);
  }
}

// The fourth byte of each of the two pixels, spread over that pixel's lanes.
inline __m128i FourthByteLanes(__m128i s) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
}

// How a kind finds the weight lanes of two source pixels.
struct UniformWeight {
  __m128i a;
  __m128i operator()(__m128i) const { return a; }
};
struct PixelWeight {
  __m128i operator()(__m128i s) const { return FourthByteLanes(s); }
};
struct ScaledPixelWeight {
  __m128i alpha;
  __m128i operator()(__m128i s) const {
    return _mm_srli_epi16(_mm_mullo_epi16(FourthByteLanes(s), alpha), 8);
  }
};

// Mixes the pixels held in the low bytes of s and d (up to four of them).
template <bool HasBias, class Weight>
inline __m128i MixPixels(__m128i s, __m128i d, const Weight& weight, __m128i bias) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i sLo = _mm_unpacklo_epi8(s, zero);
  const __m128i sHi = _mm_unpackhi_epi8(s, zero);
  const __m128i xLo = MixLanes(sLo, _mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(zero, d), weight(sLo));
  const __m128i xHi = MixLanes(sHi, _mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(zero, d), weight(sHi));
  return _mm_packus_epi16(AddBias<HasBias>(xLo, bias), AddBias<HasBias>(xHi, bias));
}

inline __m128i LoadOne(const std::uint32_t* p) { return _mm_cvtsi32_si128(static_cast<int>(*p)); }
inline void StoreOne(std::uint32_t* p, __m128i v) { *p = static_cast<std::uint32_t>(_mm_cvtsi128_si32(v)); }

template <bool HasBias, class Weight>
void MixRow(const std::uint32_t* Source, std::uint32_t* Dest, int Count, const Weight& weight, __m128i bias) {
  int i = 0;
  // A destination that starts one to three pixels after its source would feed
  // pixels written in this very step back as sources in a pixel-by-pixel walk;
  // four at a time would read them too early. Such rows go one pixel at a time.
  const std::intptr_t ahead = reinterpret_cast<std::intptr_t>(Dest) - reinterpret_cast<std::intptr_t>(Source);
  if (ahead <= 0 || ahead >= 16) {
    for (; i + 4 <= Count; i += 4) {
      const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Source + i));
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Dest + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(Dest + i), MixPixels<HasBias>(s, d, weight, bias));
    }
    if (i + 2 <= Count) {
      const __m128i s = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(Source + i));
      const __m128i d = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(Dest + i));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(Dest + i), MixPixels<HasBias>(s, d, weight, bias));
      i += 2;
    }
  }
  for (; i < Count; ++i)
    StoreOne(Dest + i, MixPixels<HasBias>(LoadOne(Source + i), LoadOne(Dest + i), weight, bias));
}

template <class Weight>
void MixRow(const std::uint32_t* Source, std::uint32_t* Dest, int Count, const Weight& weight, int Bias) {
  const std::int16_t bias = SignedLow16(Bias);
  if (bias == 0)
    MixRow<false>(Source, Dest, Count, weight, _mm_setzero_si128());
  else
    MixRow<true>(Source, Dest, Count, weight, _mm_set1_epi16(bias));
}

}  // namespace

void BlendRowUniform(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Alpha, int Bias) {
  MixRow(Source, Dest, Count, UniformWeight{_mm_set1_epi16(SignedLow16(Alpha))}, Bias);
}

void BlendRowPixelAlpha(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Bias) {
  MixRow(Source, Dest, Count, PixelWeight{}, Bias);
}

void BlendRowScaledPixelAlpha(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Alpha,
                              int Bias) {
  MixRow(Source, Dest, Count, ScaledPixelWeight{_mm_set1_epi16(SignedLow16(Alpha))}, Bias);
}

void BlendRowUniformColor(std::uint32_t* Dest, int Count, int Alpha, TColor Color) {
  const std::int16_t a = SignedLow16(Alpha);
  const __m128i keep = _mm_set1_epi16(static_cast<std::int16_t>(256 - a));
  // Colour lanes in pixel memory order (blue, green, red, 0), for two pixels,
  // already multiplied by the weight.
  const __m128i colour = _mm_setr_epi16(static_cast<std::int16_t>(GetBValue(Color)),
                                        static_cast<std::int16_t>(GetGValue(Color)),
                                        static_cast<std::int16_t>(GetRValue(Color)), 0,
                                        static_cast<std::int16_t>(GetBValue(Color)),
                                        static_cast<std::int16_t>(GetGValue(Color)),
                                        static_cast<std::int16_t>(GetRValue(Color)), 0);
  const __m128i ca = _mm_mullo_epi16(colour, _mm_set1_epi16(a));
  const __m128i zero = _mm_setzero_si128();
  auto mix = [&](__m128i d) {
    const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), keep), ca), 8);
    const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), keep), ca), 8);
    return _mm_packus_epi16(lo, hi);  // every lane is 0..255 after the shift
  };
  int i = 0;
  for (; i + 4 <= Count; i += 4) {
    auto* p = reinterpret_cast<__m128i*>(Dest + i);
    _mm_storeu_si128(p, mix(_mm_loadu_si128(p)));
  }
  if (i + 2 <= Count) {
    auto* p = reinterpret_cast<__m128i*>(Dest + i);
    _mm_storel_epi64(p, mix(_mm_loadl_epi64(p)));
    i += 2;
  }
  for (; i < Count; ++i) StoreOne(Dest + i, mix(LoadOne(Dest + i)));
}

}  // namespace BlendRows::Sse2

#endif
