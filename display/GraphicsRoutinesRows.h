#pragma once
// The row routines behind BlendRowUniform and its siblings, in every version
// this build carries: the portable one and, on x86, the SSE2 one (and AVX2
// for the uniform blend). The public routines in GraphicsRoutines.h pick the
// fastest the processor runs; tests and the benchmark call each version
// directly to prove they give the same bytes.
//
// Contract shared by every version (and by the public routines):
// - Count pixels are processed; Count <= 0 processes none.
// - Each of the four bytes of a pixel (memory order blue, green, red, fourth
//   byte) is one lane; all four are mixed alike.
// - Alpha is taken as its low 16 bits, Bias as its low 16 bits read as signed.
// - Pixels are handled as if one after another: source pixel i is read after
//   destination pixel i - 1 was written, so overlapping rows give the same
//   bytes in every version. Pointers must be aligned to 4 bytes.
#include <cstdint>

#include "platform/Types.h"

#if defined(__x86_64__) || defined(__SSE2__)
#define ZUGGLE_BLEND_SSE2 1
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ZUGGLE_BLEND_AVX2 1
#endif

namespace BlendRows {

// Plain C++: no processor-specific code, any byte order.
namespace Plain {
void BlendRowUniform(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Alpha, int Bias);
void BlendRowPixelAlpha(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Bias);
void BlendRowScaledPixelAlpha(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Alpha,
                              int Bias);
void BlendRowUniformColor(std::uint32_t* Dest, int Count, int Alpha, TColor Color);
}  // namespace Plain

#ifdef ZUGGLE_BLEND_SSE2
// SSE2 (every x86-64 processor has it): four pixels per step.
namespace Sse2 {
void BlendRowUniform(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Alpha, int Bias);
void BlendRowPixelAlpha(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Bias);
void BlendRowScaledPixelAlpha(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Alpha,
                              int Bias);
void BlendRowUniformColor(std::uint32_t* Dest, int Count, int Alpha, TColor Color);
}  // namespace Sse2
#endif

#ifdef ZUGGLE_BLEND_AVX2
// AVX2, only where ProcessorHasAvx2() (Processor.h): eight pixels per step.
// Only the uniform blend, the one animation frames use.
namespace Avx2 {
void BlendRowUniform(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Alpha, int Bias);
}  // namespace Avx2
#endif

}  // namespace BlendRows
