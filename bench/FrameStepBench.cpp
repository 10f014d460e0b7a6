// The real frame of a round (ten balloons moved and drawn, the shelter mixed in,
// the clock, present) on the game window, offscreen, at two screen sizes; and
// the same frames of the same round through a full-frame compositor (the
// whole playfield restored, drawn on and copied to the screen every frame),
// in the same run, three times. Prints, per size, the medians:
//   FrameStep WxH: X ms per frame = S of the 6 ms Ultra period (goal < 0.167)
//   FrameStep WxH: full-frame compositor Y ms per frame, full-frame/FrameStep R (goal >= 5)
#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "bench/FullFrameSurface.h"
#include "bench/Median.h"
#include "display/Fonts.h"
#include "display/OverlayImage.h"
#include "game/MainUnit.h"
#include "game/RoundTiming.h"
#include "platform/Clock.h"
#include "platform/Random.h"

namespace {

constexpr int kFrames = 300;

// A round at Ultra speed with the glass shelter, running, on a game window of
// the given size; frame(form) is timed kFrames times after a warm-up.
double RoundFrameMs(int width, int height, const std::function<void(TForm1&)>& frame) {
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
  for (int i = 0; i < 20; ++i) frame(form);  // warm up
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < kFrames; ++i) {
    form.FRoundState.FRoundStart = timeGetTime();  // the clock never runs out
    frame(form);
  }
  const auto t1 = std::chrono::steady_clock::now();
  form.FreeBalloons();
  return std::chrono::duration<double, std::milli>(t1 - t0).count() / kFrames;
}

// FrameStep's frame: the game window's own drawing.
double FrameStepMs(int w, int h) {
  return RoundFrameMs(w, h, [](TForm1& form) { form.FrameStep(0); });
}

// The frame FrameStep shows, drawn the full-frame way: the same moves, the
// same pictures and places, the blend and both texts.
double FullFrameMs(int w, int h) {
  std::unique_ptr<TFullFrameSurface> surface;
  return RoundFrameMs(w, h, [&](TForm1& form) {
    TOverlayImage& field = *form.BaseImage1;
    if (!surface) {
      surface = std::make_unique<TFullFrameSurface>(field.BufferWidth(), field.BufferHeight());
      surface->Base().Assign(field.Bitmap());
      surface->Canvas().Font = form.InPixels(form.FontDialog1Font);
      surface->show();
      QCoreApplication::processEvents();
    }
    TRound& r = form.FRoundState;
    r.MoveBalloons();
    r.MoveShelter();
    surface->Begin();
    for (int i = 1; i <= 10; ++i) {
      const TBalloon& b = *r.FBalloons[i];
      surface->Draw(b.FRect, b.FShot ? *b.FShotImage : *b.FImages[b.FFrame]);
    }
    // The whole rectangle is mixed, the corners outside the pane too: the
    // same work as leaving them out.
    surface->Blend(r.FShelterRect, 100, *form.FShelterBitmap);
    surface->Text(form.InPixels(10), form.InPixels(10), ClockText(RemainingRoundTime(r.FRoundStart, timeGetTime())));
    surface->Text(form.Playfield().Right - form.InPixels(110), form.InPixels(10), QString::number(r.FRoundPoints));
    surface->Present();
  });
}

// Per size, every repetition's pair of times (FrameStep, full frame), taken
// back to back so that a busy spell of the machine weighs on both.
std::map<std::pair<int, int>, std::vector<std::pair<double, double>>> Times;

void BM_FrameStep(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  for (auto _ : state) {
    const double step = FrameStepMs(w, h), full = FullFrameMs(w, h);
    Times[{w, h}].emplace_back(step, full);
    state.counters["ms_per_frame"] = step;
    state.counters["share_of_6ms"] = step / 6.0;
    state.counters["full_frame_ms"] = full;
  }
}
BENCHMARK(BM_FrameStep)->Args({1920, 1080})->Args({3840, 2160})->Iterations(1)->Repetitions(3)->Unit(
    benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  RegisterGameFonts();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::fflush(stdout);
  for (const auto& [size, pairs] : Times) {
    const auto [w, h] = size;
    std::vector<double> step, full, ratio;
    for (const auto& [s, f] : pairs) step.push_back(s), full.push_back(f), ratio.push_back(f / s);
    std::printf("FrameStep %dx%d: %.3f ms per frame = %.3f of the 6 ms Ultra period (goal < 0.167)\n", w, h,
                Median(step), Median(step) / 6.0);
    std::printf("FrameStep %dx%d: full-frame compositor %.3f ms per frame, full-frame/FrameStep %.2f (goal >= 5)\n",
                w, h, Median(full), Median(ratio));
  }
  benchmark::Shutdown();
  return 0;
}
