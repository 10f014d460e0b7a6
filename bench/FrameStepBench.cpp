// The real frame of a round (ten balloons moved and drawn, the shelter mixed in,
// the clock, present) on the game window, offscreen, at two screen sizes.
// Prints the frame's cost as a share of the shortest frame period, 6 ms.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>

#include "display/Fonts.h"
#include "display/OverlayImage.h"
#include "game/MainUnit.h"
#include "platform/Clock.h"
#include "platform/Random.h"

namespace {

double FrameMs(int width, int height, int frames) {
  RandSeed(99);
  TForm1 form;
  form.setGeometry(0, 0, width, height);
  form.show();
  QCoreApplication::processEvents();
  form.SpeedTest();  // makes the shelter picture, as the start kick does
  form.rgrpSpeed->SetItemIndex(4);
  form.rgrpSpecial->SetItemIndex(2);
  form.FFrameTime = 4;
  form.FRoundState.FAnswer = 12;
  form.SetupRound();
  form.FRoundState.FRoundRunning = true;
  for (int i = 0; i < 20; ++i) form.FrameStep(0);  // warm up
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    form.FRoundState.FRoundStart = timeGetTime();  // the clock never runs out
    form.FrameStep(0);
  }
  const auto t1 = std::chrono::steady_clock::now();
  form.FreeBalloons();
  return std::chrono::duration<double, std::milli>(t1 - t0).count() / frames;
}

void BM_FrameStep(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  double ms = 0;
  for (auto _ : state) ms = FrameMs(w, h, 300);
  state.counters["ms_per_frame"] = ms;
  state.counters["share_of_6ms"] = ms / 6.0;
  std::printf("FrameStep %dx%d: %.3f ms per frame = %.3f of the 6 ms Ultra period (goal < 0.167)\n", w, h, ms,
              ms / 6.0);
}
BENCHMARK(BM_FrameStep)->Args({1920, 1080})->Args({3840, 2160})->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  RegisterGameFonts();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
