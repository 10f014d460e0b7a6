// One game-like frame on a shown playfield (offscreen platform), at 1920 x 1080
// and 3840 x 2160: ten balloon-sized keyed sprites moved and drawn, one
// shelter-sized blend at weight 100, the clock's text, present. The same frame
// through the full-frame compositor ("naive": FullFrameSurface.h), which
// restores and copies the whole playfield every frame, runs in the same
// program for comparison.
//
// Times are the mean per frame of the process's CPU time over all its threads
// (Qt copies large images on pooled threads; the overlay surface composes on
// two threads), which other programs on a busy machine do not inflate, and the
// wall time, which is what a frame takes. After the runs it prints, per size
// (medians over --benchmark_repetitions):
//   frame WxH: overlay X ms (wall W ms), naive Y ms (wall V ms), naive/overlay Z, by wall time Z'
//   frame WxH: overlay frame = S of 6 ms, by wall time S'
// The goals: naive/overlay >= 5 at both sizes, and S < 1/6. With both cores
// at work the CPU time counts the overlay's frame twice over the time it
// takes; the wall-time figures say how fast the frame is.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/FullFrameSurface.h"
#include "bench/Median.h"
#include "display/Bitmap.h"
#include "display/Fonts.h"
#include "display/OverlayImage.h"
#include "game/Design.h"

namespace {

constexpr double kFrameBudgetNs = 6e6;  // the fastest frame period of the game

// Sizes scale with the playfield's width over the design width.
int Scaled(int designSize, int width) { return designSize * width / DesignWidth; }

// A picture with a blue-to-white sky, so copies move real data.
void PaintSky(TBitmap& b) {
  QPainter p(&b.Image());
  QLinearGradient g(0, 0, 0, b.Height());
  g.setColorAt(0, QColor(70, 130, 220));
  g.setColorAt(1, QColor(220, 235, 250));
  p.fillRect(b.Image().rect(), g);
}

std::unique_ptr<TBitmap> Balloon(int w, int h, QColor colour) {
  auto b = std::make_unique<TBitmap>(w, h);  // white: the key colour
  QPainter p(&b->Image());
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(QRect(1, 1, w - 2, h - 2));
  b->Transparent = true;
  return b;
}

std::unique_ptr<TBitmap> Shelter(int side) {
  auto b = std::make_unique<TBitmap>(side, side);
  QPainter p(&b->Image());
  p.fillRect(b->Image().rect(), QColor(120, 90, 50));
  p.fillRect(QRect(side / 8, side / 8, side * 3 / 4, side / 10), QColor(90, 160, 60));
  return b;
}

// Ten balloons moving and bouncing, a drifting shelter and a clock: the
// drawing calls of one frame, on any surface.
class TScene {
public:
  explicit TScene(int width, int height) : FWidth(width), FHeight(height) {
    const int bw = Scaled(97, width), bh = Scaled(121, width);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::magenta, Qt::cyan};
    for (int i = 0; i < 10; ++i) {
      TSprite s;
      s.Picture = Balloon(bw, bh, colours[i % 5]);
      s.X = (i * width / 10) % (width - bw);
      s.Y = (i * 137 * width / DesignWidth) % (height - bh);
      s.Dx = Scaled(3 + i % 4, width) / 2 + 1;
      s.Dy = -(Scaled(2 + i % 3, width) / 2 + 1);
      FSprites.push_back(std::move(s));
    }
    FShelter = Shelter(Scaled(261, width));
    FShelterX = width / 3;
    FShelterY = height / 2;
  }

  void Move() {
    for (TSprite& s : FSprites) {
      s.X += s.Dx;
      s.Y += s.Dy;
      if (s.X < 0 || s.X + s.Picture->Width() > FWidth) s.Dx = -s.Dx, s.X += 2 * s.Dx;
      if (s.Y < 0 || s.Y + s.Picture->Height() > FHeight) s.Dy = -s.Dy, s.Y += 2 * s.Dy;
    }
    FShelterX += FShelterDx;
    if (FShelterX < 0 || FShelterX + FShelter->Width() > FWidth) FShelterDx = -FShelterDx;
    ++FTick;
  }

  template <class Draw, class Blend, class Text>
  void Frame(Draw draw, Blend blend, Text text) {
    Move();
    for (const TSprite& s : FSprites)
      draw(Rect(s.X, s.Y, s.X + s.Picture->Width(), s.Y + s.Picture->Height()), *s.Picture);
    const int side = FShelter->Width();
    blend(Rect(FShelterX, FShelterY, FShelterX + side, FShelterY + side), *FShelter);
    text(Scaled(20, FWidth), Scaled(10, FWidth),
         QString::asprintf("%02d:%02d", (FTick / 60) % 60, FTick % 60));
  }

  TFont ClockFont() const {
    TFont f;
    f.Name = QStringLiteral("Comic Sans MS");
    f.Bold = true;
    f.Height = -Scaled(37, FWidth);
    f.Color = 206;
    return f;
  }

private:
  struct TSprite {
    std::unique_ptr<TBitmap> Picture;
    int X = 0, Y = 0, Dx = 0, Dy = 0;
  };
  int FWidth, FHeight;
  std::vector<TSprite> FSprites;
  std::unique_ptr<TBitmap> FShelter;
  int FShelterX = 0, FShelterY = 0, FShelterDx = 2;
  int FTick = 0;
};

// The whole playfield restored, drawn on and copied to the screen every frame.
void FullFrame(TFullFrameSurface& surface, TScene& scene) {
  surface.Begin();
  scene.Frame([&](const TRect& r, const TBitmap& g) { surface.Draw(r, g); },
              [&](const TRect& r, TBitmap& g) { surface.Blend(r, 100, g); },
              [&](int x, int y, const QString& t) { surface.Text(x, y, t); });
  surface.Present();
}

int HeightOf(int width) { return width * 9 / 16; }

void BM_OverlayFrame(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = HeightOf(w);
  QWidget window;
  window.resize(w, h);
  auto* surface = new TOverlayImage(&window);  // owned by window
  surface->setGeometry(0, 0, w, h);
  window.show();
  QCoreApplication::processEvents();
  surface->SuspendBaseNotify();
  PaintSky(surface->Bitmap());
  TScene scene(w, h);
  surface->SetOverlayFont(scene.ClockFont());
  surface->OverlayBrush().Style = TBrushStyle::bsClear;
  surface->ResetOverlay();
  auto frame = [&] {
    scene.Frame([&](const TRect& r, const TBitmap& g) { surface->DrawOnOverlay(r, g); },
                [&](const TRect& r, TBitmap& g) { surface->BlendOnOverlay(r, 100, g); },
                [&](int x, int y, const QString& t) { surface->TextOnOverlay(x, y, t); });
    surface->PresentOverlay();
  };
  frame();  // the first frame after a reset copies everything
  if (surface->LastPresentedRegion().isEmpty()) state.SkipWithError("nothing reached the screen");
  for (auto _ : state) frame();
}

void BM_NaiveFrame(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = HeightOf(w);
  TFullFrameSurface surface(w, h);
  PaintSky(surface.Base());
  surface.show();
  QCoreApplication::processEvents();
  TScene scene(w, h);
  surface.Canvas().Font = scene.ClockFont();
  for (auto _ : state) FullFrame(surface, scene);
}

BENCHMARK(BM_OverlayFrame)->Arg(1920)->Arg(3840)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NaiveFrame)->Arg(1920)->Arg(3840)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// Keeps each run's mean times per frame (every repetition), so the ratios
// come from this run; with repetitions the medians are compared.
class TRecordingReporter : public benchmark::ConsoleReporter {
public:
  // Without colours: the console reporter's colour codes would otherwise
  // begin the first summary line and hide it from a search for it.
  TRecordingReporter() : ConsoleReporter(OO_Tabular) {}
  struct TTimes {
    double CpuNs = 0, WallNs = 0;
  };
  std::map<std::string, std::vector<TTimes>> PerFrame;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Iteration || r.iterations <= 0 || r.error_occurred) continue;
      const double n = static_cast<double>(r.iterations);
      PerFrame[r.run_name.str()].push_back({r.cpu_accumulated_time * 1e9 / n, r.real_accumulated_time * 1e9 / n});
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // The median of the repetitions of one benchmark (nullopt: it did not run).
  std::optional<TTimes> Median(const std::string& name) const {
    const auto it = PerFrame.find(name);
    if (it == PerFrame.end() || it->second.empty()) return std::nullopt;
    auto median = [&](double TTimes::*field) {
      std::vector<double> v;
      for (const TTimes& t : it->second) v.push_back(t.*field);
      return ::Median(v);
    };
    return TTimes{median(&TTimes::CpuNs), median(&TTimes::WallNs)};
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  RegisterGameFonts();
  benchmark::Initialize(&argc, argv);
  TRecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::fflush(stdout);
  for (const int w : {1920, 3840}) {
    const std::string size = std::to_string(w);
    const auto o = reporter.Median("BM_OverlayFrame/" + size + "/process_time");
    const auto n = reporter.Median("BM_NaiveFrame/" + size + "/process_time");
    if (!o || !n) {
      std::printf("frame %dx%d: not measured (both benchmarks must run)\n", w, HeightOf(w));
      continue;
    }
    std::printf(
        "frame %dx%d: overlay %.3f ms (wall %.3f ms), naive %.3f ms (wall %.3f ms), naive/overlay %.2f, "
        "by wall time %.2f (goal >= 5)\n",
        w, HeightOf(w), o->CpuNs / 1e6, o->WallNs / 1e6, n->CpuNs / 1e6, n->WallNs / 1e6, n->CpuNs / o->CpuNs,
        n->WallNs / o->WallNs);
    std::printf("frame %dx%d: overlay frame = %.3f of 6 ms, by wall time %.3f (goal < 0.167)\n", w, HeightOf(w),
                o->CpuNs / kFrameBudgetNs, o->WallNs / kFrameBudgetNs);
  }
  benchmark::Shutdown();
  return 0;
}
