// The SIMD row routines against the plain ones on a shelter-sized block
// (800 x 800 pixels), each kind at the weight the game uses. Both versions
// must give the same bytes; the program refuses to time them otherwise.
// After the runs it prints one line per kind:
//   blend rows <kind>: plain X ms, simd Y ms, ratio Z
// (processor time for the block, mean over the runs). The goal is a ratio of at least 4.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "display/GraphicsRoutines.h"
#include "display/GraphicsRoutinesRows.h"

namespace {

constexpr int kSide = 800;
constexpr int kAlpha = 100;  // the shelter's weight

using Pixels = std::vector<std::uint32_t>;

struct TRows {
  void (*Uniform)(const std::uint32_t*, std::uint32_t*, int, int, int);
  void (*PixelAlpha)(const std::uint32_t*, std::uint32_t*, int, int);
  void (*ScaledPixelAlpha)(const std::uint32_t*, std::uint32_t*, int, int, int);
  void (*UniformColor)(std::uint32_t*, int, int, TColor);
};

const TRows kPlain{BlendRows::Plain::BlendRowUniform, BlendRows::Plain::BlendRowPixelAlpha,
                   BlendRows::Plain::BlendRowScaledPixelAlpha, BlendRows::Plain::BlendRowUniformColor};
#ifdef ZUGGLE_BLEND_SSE2
const TRows kSimd{BlendRows::Sse2::BlendRowUniform, BlendRows::Sse2::BlendRowPixelAlpha,
                  BlendRows::Sse2::BlendRowScaledPixelAlpha, BlendRows::Sse2::BlendRowUniformColor};
#else
const TRows kSimd = kPlain;
#endif

const char* const kKindNames[] = {"uniform", "pixel alpha", "scaled pixel alpha", "uniform colour"};

struct TBlock {
  Pixels Source, Dest;
  TBlock() : Source(kSide * kSide), Dest(kSide * kSide) {
    std::mt19937 rng(1);
    for (auto& p : Source) p = static_cast<std::uint32_t>(rng());
    for (auto& p : Dest) p = static_cast<std::uint32_t>(rng());
  }
};

// Blends the whole block row by row, as BlendRect walks a rectangle.
void BlendBlock(const TRows& rows, int kind, const Pixels& source, Pixels& dest) {
  for (int y = 0; y < kSide; ++y) {
    const std::uint32_t* s = source.data() + y * kSide;
    std::uint32_t* d = dest.data() + y * kSide;
    switch (kind) {
      case bkUniform: rows.Uniform(s, d, kSide, kAlpha, 0); break;
      case bkPixelAlpha: rows.PixelAlpha(s, d, kSide, 0); break;
      case bkScaledPixelAlpha: rows.ScaledPixelAlpha(s, d, kSide, kAlpha, 0); break;
      default: rows.UniformColor(d, kSide, kAlpha, 0x3080C0); break;
    }
  }
}

void CheckSameBytes() {
  const TBlock block;
  for (int kind = bkUniform; kind <= bkUniformColor; ++kind) {
    Pixels plain = block.Dest, simd = block.Dest;
    BlendBlock(kPlain, kind, block.Source, plain);
    BlendBlock(kSimd, kind, block.Source, simd);
    if (plain != simd) {
      std::fprintf(stderr, "blend rows %s: plain and simd differ\n", kKindNames[kind]);
      std::exit(1);
    }
  }
}

void BM_BlendRows(benchmark::State& state, const TRows* rows, int kind) {
  TBlock block;
  for (auto _ : state) {
    BlendBlock(*rows, kind, block.Source, block.Dest);
    benchmark::DoNotOptimize(block.Dest.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}

// Keeps the console output and notes each run's processor time per block, in
// ms: on a machine shared with builds the wall time mostly measures waiting.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
  TRatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Defaults : OO_Tabular) {}
  std::map<std::string, double> Ms;
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      Ms[run.run_name.function_name] = run.cpu_accumulated_time * 1e3 / static_cast<double>(run.iterations);
    }
  }
};

std::string Name(const char* version, int kind) { return std::string(version) + "/" + kKindNames[kind]; }

}  // namespace

int main(int argc, char** argv) {
  CheckSameBytes();
  for (int kind = bkUniform; kind <= bkUniformColor; ++kind) {
    benchmark::RegisterBenchmark(Name("plain", kind).c_str(), BM_BlendRows, &kPlain, kind)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(Name("simd", kind).c_str(), BM_BlendRows, &kSimd, kind)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (int kind = bkUniform; kind <= bkUniformColor; ++kind) {
    const auto plain = reporter.Ms.find(Name("plain", kind));
    const auto simd = reporter.Ms.find(Name("simd", kind));
    if (plain == reporter.Ms.end() || simd == reporter.Ms.end()) continue;
    std::printf("blend rows %s: plain %.3f ms, simd %.3f ms, ratio %.2f\n", kKindNames[kind], plain->second,
                simd->second, plain->second / simd->second);
  }
  benchmark::Shutdown();
  return 0;
}
