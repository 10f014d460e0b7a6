// Portable row routines: the lane arithmetic written out byte by byte. They
// work on the bytes in memory order, so the fourth byte is the same byte on
// any processor, whatever its byte order.
#include <algorithm>

#include "display/GraphicsRoutinesRows.h"

namespace BlendRows::Plain {
namespace {

using Byte = std::uint8_t;

// The lanes are 16 bits wide: products and sums wrap at 65536, which the
// arithmetic relies on for weights outside 0..256.
constexpr std::uint32_t kLaneMask = 0xFFFF;

std::int32_t SignedLow16(int v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v)); }

// Mixes destination byte d towards source byte s with weight a (0..65535),
// then adds the bias around the middle value 128 the way 16-bit saturating
// lanes do: the sum saturates at the 16-bit limits, the step back by 128 wraps,
// and only then is the result limited to a byte.
Byte MixLane(std::uint32_t s, std::uint32_t d, std::uint32_t a, std::int32_t bias) {
  const std::uint32_t x = (((d << 8) + (s - d) * a) & kLaneMask) >> 8;
  if (bias == 0) return static_cast<Byte>(x);  // the bias steps cancel out
  const std::int32_t y = static_cast<std::int32_t>(x) - 128;
  const std::int32_t z = std::clamp(y + bias, -32768, 32767);
  const std::int32_t w = SignedLow16(z + 128);
  return static_cast<Byte>(std::clamp(w, 0, 255));
}

// One pixel: all four source and destination bytes are read before any is
// written, so overlapping rows behave as a pixel-by-pixel walk.
void MixPixel(const Byte* s, Byte* d, std::uint32_t a, std::int32_t bias) {
  const Byte s0 = s[0], s1 = s[1], s2 = s[2], s3 = s[3];
  const Byte d0 = d[0], d1 = d[1], d2 = d[2], d3 = d[3];
  d[0] = MixLane(s0, d0, a, bias);
  d[1] = MixLane(s1, d1, a, bias);
  d[2] = MixLane(s2, d2, a, bias);
  d[3] = MixLane(s3, d3, a, bias);
}

const Byte* Bytes(const std::uint32_t* p) { return reinterpret_cast<const Byte*>(p); }
Byte* Bytes(std::uint32_t* p) { return reinterpret_cast<Byte*>(p); }

}  // namespace

void BlendRowUniform(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Alpha, int Bias) {
  const std::uint32_t a = static_cast<std::uint32_t>(Alpha) & kLaneMask;
  const std::int32_t bias = SignedLow16(Bias);
  for (int i = 0; i < Count; ++i) MixPixel(Bytes(Source + i), Bytes(Dest + i), a, bias);
}

void BlendRowPixelAlpha(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Bias) {
  const std::int32_t bias = SignedLow16(Bias);
  for (int i = 0; i < Count; ++i) {
    const Byte* s = Bytes(Source + i);
    MixPixel(s, Bytes(Dest + i), s[3], bias);
  }
}

void BlendRowScaledPixelAlpha(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Alpha,
                              int Bias) {
  const std::uint32_t alpha = static_cast<std::uint32_t>(Alpha) & kLaneMask;
  const std::int32_t bias = SignedLow16(Bias);
  for (int i = 0; i < Count; ++i) {
    const Byte* s = Bytes(Source + i);
    const std::uint32_t a = ((s[3] * alpha) & kLaneMask) >> 8;
    MixPixel(s, Bytes(Dest + i), a, bias);
  }
}

void BlendRowUniformColor(std::uint32_t* Dest, int Count, int Alpha, TColor Color) {
  const std::uint32_t a = static_cast<std::uint32_t>(Alpha) & kLaneMask;
  const std::uint32_t keep = (256 - a) & kLaneMask;
  // The colour's bytes in pixel memory order; the fourth byte mixes with 0.
  const std::uint32_t c[4] = {static_cast<std::uint32_t>(GetBValue(Color)),
                              static_cast<std::uint32_t>(GetGValue(Color)),
                              static_cast<std::uint32_t>(GetRValue(Color)), 0};
  const std::uint32_t ca[4] = {c[0] * a, c[1] * a, c[2] * a, c[3] * a};
  for (int i = 0; i < Count; ++i) {
    Byte* d = Bytes(Dest + i);
    for (int k = 0; k < 4; ++k) d[k] = static_cast<Byte>(((d[k] * keep + ca[k]) & kLaneMask) >> 8);
  }
}

}  // namespace BlendRows::Plain
