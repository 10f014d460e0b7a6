#include "display/FrameCompositor.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <limits>
#include <span>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define ZUGGLE_STREAM_AVX512 1
#endif

#include "display/Geometry.h"
#include "display/GraphicsRoutines.h"
#include "display/KeyedCopy.h"
#include "display/Processor.h"

namespace {

// Frame rows [Top, Bottom) in memory: Row(y) is frame pixel (0, y).
struct TRows {
  std::uint32_t* Origin;  // frame pixel (0, Top)
  qsizetype Stride;       // in pixels
  int Top, Bottom, Width;
  std::uint32_t* Row(int y) const { return Origin + (y - Top) * Stride; }
};

// Calls f(rect) for each rectangle of region cut to rows [top, bottom) and
// columns [0, width). QRegion keeps its rectangles sorted by their top rows.
// Its rectangles lie in bands of equal top and bottom, so the bottoms rise too,
// and the first rectangle reaching row top is found by halving.
template <class F>
void ForRectsInRows(const QRegion& region, int top, int bottom, int width, F f) {
  const QRect* const from =
      std::partition_point(region.begin(), region.end(), [top](const QRect& r) { return r.bottom() < top; });
  for (const QRect& r : std::span(from, region.end())) {
    if (r.top() >= bottom) break;
    const int left = std::max(r.left(), 0), right = std::min(r.right() + 1, width);
    if (left < right)
      f(QRect(left, std::max(r.top(), top), right - left, std::min(r.bottom() + 1, bottom) - std::max(r.top(), top)));
  }
}

bool TouchesRows(const QRegion& region, int top, int bottom) {
  bool touched = false;
  ForRectsInRows(region, top, bottom, std::numeric_limits<int>::max(), [&](const QRect&) { touched = true; });
  return touched;
}

const std::uint32_t* PictureRow(const QImage& picture, int y) {
  return reinterpret_cast<const std::uint32_t*>(picture.constBits() + y * picture.bytesPerLine());
}

// Copies rect of picture (placed at `at`) into rows.
void CopyPicture(const QImage& picture, QPoint at, const QRect& rect, const TRows& rows) {
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    std::memcpy(rows.Row(y) + rect.left(), PictureRow(picture, y - at.y()) + (rect.left() - at.x()),
                static_cast<size_t>(rect.width()) * 4);
}

// How many pixels from s on are plain: neither of the key colour nor covering
// only part of their place (a fourth byte other than 0 and 255). Four at a
// time on x86, since a shelter row is one long plain run.
int PlainRun(const std::uint32_t* s, int n, std::uint32_t key) {
  int i = 0;
#ifdef __SSE2__
  const __m128i colourMask = _mm_set1_epi32(0x00FFFFFF);
  const __m128i keyed = _mm_set1_epi32(static_cast<int>(key));
  const __m128i one = _mm_set1_epi32(0x01000000);
  const __m128i high = _mm_set1_epi32(static_cast<int>(0xFE000000u));
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= n; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i isKey = _mm_cmpeq_epi32(_mm_and_si128(v, colourMask), keyed);
    // The fourth byte plus one is 0 or 1 (in the top byte) only for 255 and 0.
    const __m128i opaque = _mm_cmpeq_epi32(_mm_and_si128(_mm_add_epi32(v, one), high), zero);
    if (_mm_movemask_epi8(_mm_andnot_si128(isKey, opaque)) != 0xFFFF) break;
  }
#endif
  for (; i < n; ++i) {
    const unsigned a = s[i] >> 24;
    if ((s[i] & 0xFFFFFF) == key || (a != 0 && a != 255)) break;
  }
  return i;
}

// Carries out op on rows within area (a part of op.Area). spans: for a keyed
// picture, its plain run per row (see TFrameCompositor::TSpans), copied or
// mixed in without comparing; may be null.
void ApplyOp(const TFrameOp& op, const QRegion& area, const TRows& rows, const TFrameCompositor::TSpans* spans) {
  const bool blend = op.Kind == TFrameOp::TKind::Blend;
  ForRectsInRows(area, rows.Top, rows.Bottom, rows.Width, [&](const QRect& r) {
    if (!blend && !op.Key) return CopyPicture(op.Picture, op.At, r, rows);
    const QRgb key = op.Key ? *op.Key & 0xFFFFFF : 0;
    const int x0 = r.left() - op.At.x(), x1 = x0 + r.width();  // picture columns
    for (int y = r.top(); y <= r.bottom(); ++y) {
      // The plain run [a, b) among the columns needs no look at the key.
      int a = x1, b = x1;
      if (spans) {
        const auto& span = (*spans)[y - op.At.y()];
        a = std::clamp(span.first, x0, x1);
        b = std::clamp(span.second, a, x1);
      }
      std::uint32_t* d = rows.Row(y) + op.At.x();
      const std::uint32_t* s = PictureRow(op.Picture, y - op.At.y());
      if (blend) {
        BlendRun(s + x0, d + x0, a - x0, op.Weight, op.Key);
        BlendRowUniform(s + a, d + a, b - a, 256 - op.Weight, 0);
        BlendRun(s + b, d + b, x1 - b, op.Weight, op.Key);
      } else {
        KeyedCopy(d + x0, s + x0, a - x0, key);
        std::memcpy(d + a, s + a, static_cast<size_t>(b - a) * 4);
        KeyedCopy(d + b, s + b, x1 - b, key);
      }
    }
  });
}

// Copies n pixels through the cache, each ORed with fill.
void CopyRow(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t fill) {
  if (!fill) return void(std::memcpy(d, s, static_cast<size_t>(n) * 4));
  for (; n > 0; --n) *d++ = *s++ | fill;
}

// Copies n pixels to memory that is not read again soon: on x86 the aligned
// middle bypasses the cache, so writing a destination costs no read of it.
// fill is ORed into every pixel (0xFF000000 stores the fourth byte as 255).
void StreamRowSse2(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t fill) {
#ifdef __SSE2__
  if (n >= 32) {
    for (; reinterpret_cast<std::uintptr_t>(d) & 15; --n) *d++ = *s++ | fill;
    const __m128i f = _mm_set1_epi32(static_cast<int>(fill));
    for (; n >= 4; n -= 4, d += 4, s += 4)
      _mm_stream_si128(reinterpret_cast<__m128i*>(d),
                       _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)), f));
  }
#endif
  CopyRow(d, s, n, fill);
}

#ifdef ZUGGLE_STREAM_AVX512
// The same with whole cache lines: a 64-byte streaming store fills its line
// at once, where four 16-byte ones are merged by the processor, which is the
// slower part of a frame on processors that have them.
__attribute__((target("avx512f"))) void StreamRowAvx512(std::uint32_t* d, const std::uint32_t* s, int n,
                                                        std::uint32_t fill) {
  if (n >= 64) {
    for (; reinterpret_cast<std::uintptr_t>(d) & 63; --n) *d++ = *s++ | fill;
    const __m512i f = _mm512_set1_epi32(static_cast<int>(fill));
    for (; n >= 16; n -= 16, d += 16, s += 16)
      _mm512_stream_si512(reinterpret_cast<__m512i*>(d), _mm512_or_si512(_mm512_loadu_si512(s), f));
  }
  CopyRow(d, s, n, fill);
}
#endif

}  // namespace

TStreamRow StreamRowFor(bool avx512) {
#ifdef ZUGGLE_STREAM_AVX512
  if (avx512 && ProcessorHasAvx512()) return StreamRowAvx512;
#endif
  return StreamRowSse2;
}

void BlendRun(const std::uint32_t* s, std::uint32_t* d, int n, int weight, std::optional<QRgb> key) {
  // The row blend computes (d * 256 + (s - d) * a) mod 65536 div 256 per byte;
  // with what lies under as d, the picture as s and a = 256 - weight this is
  // (s * 256 + (d - s) * weight) mod 65536 div 256, the mix of the picture
  // over what lies under it, for every weight.
  if (!key) return BlendRowUniform(s, d, n, 256 - weight, 0);
  const std::uint32_t k = *key & 0xFFFFFF;
  for (int x = 0; x < n;) {
    const int run = PlainRun(s + x, n - x, k);
    if (run > 0) {
      BlendRowUniform(s + x, d + x, run, 256 - weight, 0);
      x += run;
      continue;
    }
    if ((s[x] & 0xFFFFFF) != k) {  // an edge pixel: its share of the blend
      const std::uint32_t u = d[x];
      BlendRowUniform(s + x, d + x, 1, 256 - weight, 0);
      const int a = qAlpha(s[x]);
      auto mix = [a](int blended, int under) { return (blended * a + under * (255 - a) + 127) / 255; };
      d[x] = qRgba(mix(qRed(d[x]), qRed(u)), mix(qGreen(d[x]), qGreen(u)), mix(qBlue(d[x]), qBlue(u)), qAlpha(u));
    }
    ++x;
  }
}

void ApplyFrameOps(QImage& image, const TFrameOps& ops) {
  if (ops.empty() || image.isNull()) return;
  const TRows rows{reinterpret_cast<std::uint32_t*>(image.bits()), image.bytesPerLine() / 4, 0, image.height(),
                   image.width()};
  for (const TFrameOp& op : ops) ApplyOp(op, op.Area, rows, nullptr);
}

// ---- the compositor ------------------------------------------------------------

namespace {

// Writes past the cache, with the widest stores this processor has.
const TStreamRow StreamRow = StreamRowFor(true);

// A store that fits in a processor's last-level cache stays there from frame
// to frame (and the window system reads it from there): it is written
// through the cache. A larger one would only push out the pictures being
// read, so it is written past the cache.
bool InCache(const TPixelTarget& t, int height) {
  constexpr qsizetype kCachedStoreBytes = qsizetype{16} << 20;
  return t.Stride * (height + t.Origin.y()) <= kCachedStoreBytes;
}

// The rows of the frame (height rows) in t's memory share bytes with image's.
bool Overlaps(const TPixelTarget& t, int height, const QImage& image) {
  if (image.isNull()) return false;
  const auto* first = t.Bits;
  const auto* last = t.Bits + t.Stride * (height + t.Origin.y());
  return first < image.constBits() + image.sizeInBytes() && image.constBits() < last;
}

}  // namespace

struct TFrameCompositor::TJob {
  const QImage* Start;
  const QImage* Under;
  const TFrameOps* Ops;
  const std::vector<TPixelTarget>* Targets;
  QRegion FromStart;  // pixels that start as start's
  QRegion FromUnder;  // pixels that start as under's
  int Width;
  struct TBand {
    int Top, Bottom;
  };
  std::vector<TBand> Bands;
  // Per operation: a keyed sprite's plain runs; null for the others.
  std::vector<std::shared_ptr<const TSpans>> Spans;
  // Composed in the one target itself rather than on scratch bands; then
  // each operation's area is cut to the composed area (Areas).
  bool Direct = false;
  std::vector<QRegion> Areas;
  // Otherwise, per target: how a finished band's rows are written to it.
  std::vector<TStreamRow> Writes;
  std::atomic<std::size_t> Next{0};
  std::exception_ptr Error;
};

int TFrameCompositor::BandRows(int width) {
  constexpr int kBandBytes = 1024 * 1024;
  return std::clamp(kBandBytes / std::max(1, width * 4), 4, 128);
}

TFrameCompositor::~TFrameCompositor() {
  if (!FWorker.joinable()) return;
  {
    std::lock_guard lock(FMutex);
    FStop = true;
  }
  FWake.notify_one();
  FWorker.join();
}

void TFrameCompositor::Compose(const QImage& start, const QImage& under, const QRegion& underArea,
                               const TFrameOps& ops, const QRegion& area, const std::vector<TPixelTarget>& targets) {
  if (start.isNull()) return;
  const QRegion inside = area & start.rect();
  const QRect bounds = inside.boundingRect();
  if (bounds.isEmpty()) return;
  TJob job;
  job.Start = &start;
  job.Under = &under;
  job.Ops = &ops;
  job.Targets = &targets;
  if (!under.isNull() && !underArea.isEmpty()) {
    job.FromUnder = inside & underArea & under.rect();
    job.FromStart = inside - job.FromUnder;
  } else {
    job.FromStart = inside;
  }
  job.Width = start.width();
  job.Spans.resize(ops.size());
  for (std::size_t k = 0; k < ops.size(); ++k)
    if (ops[k].Key) job.Spans[k] = PlainSpans(ops[k].Picture, *ops[k].Key);
  // A store that stays in cache and takes the pixels as they are is composed
  // in place: the bands' pixels need no second copy. The operations are then
  // kept to the area, since beyond it the store is not ours to write.
  if (targets.size() == 1 && !targets[0].Opaque && InCache(targets[0], start.height()) &&
      targets[0].Area == inside && !Overlaps(targets[0], start.height(), start) &&
      !Overlaps(targets[0], start.height(), under)) {
    job.Direct = true;
    for (const TFrameOp& op : ops) job.Areas.push_back(op.Area & inside);
  } else {
    for (const TPixelTarget& t : targets) job.Writes.push_back(InCache(t, start.height()) ? CopyRow : StreamRow);
  }

  const int rows = BandRows(job.Width);
  for (int top = bounds.top(); top <= bounds.bottom(); top += rows) {
    const int bottom = std::min(top + rows, bounds.bottom() + 1);
    if (TouchesRows(inside, top, bottom)) job.Bands.push_back({top, bottom});
  }

  // A second thread pays for waking it only on a large area.
  constexpr qint64 kParallelPixels = 128 * 1024;
  const bool parallel = PixelCount(inside) >= kParallelPixels && job.Bands.size() >= 2 && ProcessorHasManyCores();
  if (parallel) {
    std::lock_guard lock(FMutex);
    if (!FWorker.joinable()) FWorker = std::thread([this] { WorkerLoop(); });
    FOffered = &job;
  }
  if (parallel) FWake.notify_one();

  std::exception_ptr error;
  try {
    RunBands(job, FScratch[0]);
  } catch (...) {
    error = std::current_exception();
    job.Next = job.Bands.size();  // the worker stops after its band
  }
  if (parallel) {
    {
      std::lock_guard lock(FMutex);
      if (FOffered == &job) FOffered = nullptr;  // the worker never took it up
    }
    // The worker is within its last band: waiting for it awake is shorter
    // than being woken, which costs a system call on each side.
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(200);
    while (FBusy.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < until) {
#ifdef __SSE2__
      _mm_pause();
#endif
    }
    std::unique_lock lock(FMutex);
    FIdle.wait(lock, [this] { return !FBusy; });
  }
  if (error) std::rethrow_exception(error);
  if (job.Error) std::rethrow_exception(job.Error);
}

std::shared_ptr<const TFrameCompositor::TSpans> TFrameCompositor::PlainSpans(const QImage& picture, QRgb key) {
  const auto id = std::make_pair(picture.cacheKey(), key & 0xFFFFFF);
  if (const auto it = FSpans.find(id); it != FSpans.end()) return it->second;
  // The pictures of a round are few; a cache that only grows would keep
  // those of every round.
  if (FSpans.size() >= kSpanPictures) FSpans.clear();
  auto spans = std::make_shared<TSpans>(picture.height(), std::make_pair(0, 0));
  const int w = picture.width();
  for (int y = 0; y < picture.height(); ++y) {
    const std::uint32_t* s = PictureRow(picture, y);
    for (int x = 0; x < w;) {
      const int run = PlainRun(s + x, w - x, key & 0xFFFFFF);
      if (run > (*spans)[y].second - (*spans)[y].first) (*spans)[y] = {x, x + run};
      x += std::max(run, 1);
    }
  }
  FSpans.emplace(id, spans);
  return spans;
}

void TFrameCompositor::RunBands(TJob& job, std::vector<std::uint32_t>& scratch) {
  const TFrameOps& ops = *job.Ops;
  // The sprites' rectangles within a band, each with its picture's plain run
  // per row (null: every pixel of the picture is plain).
  struct TCover {
    QRect Rect;
    const std::pair<int, int>* Spans;
    int AtX, AtY, Width;
  };
  // Kept from band to band, so their memory is taken once per frame.
  std::vector<TCover> covers;
  std::vector<std::uint64_t> covered;
  std::vector<std::size_t> first;
  auto band = [&](const TJob::TBand& b) {
    TRows rows{scratch.data(), job.Width, b.Top, b.Bottom, job.Width};
    if (job.Direct) {
      const TPixelTarget& t = job.Targets->front();
      rows.Origin = reinterpret_cast<std::uint32_t*>(t.Bits + (b.Top + t.Origin.y()) * t.Stride) + t.Origin.x();
      rows.Stride = t.Stride / 4;
    } else {
      const std::size_t need = static_cast<std::size_t>(job.Width) * (b.Bottom - b.Top);
      if (scratch.size() < need) scratch.resize(need);
      rows.Origin = scratch.data();
    }
    // Where a sprite's pixels are plain, whatever lay there before is
    // overwritten (every operation works pixel by pixel), so the start is not
    // read there: the copies from start and under leave those columns out.
    covers.clear();
    for (std::size_t k = 0; k < ops.size(); ++k) {
      const TFrameOp& op = ops[k];
      if (op.Kind != TFrameOp::TKind::Sprite) continue;
      const std::pair<int, int>* spans = op.Key ? job.Spans[k]->data() : nullptr;
      const QRect placed(op.At, op.Picture.size());
      ForRectsInRows(op.Area, b.Top, b.Bottom, job.Width, [&](const QRect& r) {
        if (const QRect inside = r & placed; !inside.isEmpty())
          covers.push_back({inside, spans, op.At.x(), op.At.y(), op.Picture.width()});
      });
    }
    // Per row of the band, the plain columns [left, right) of the sprites,
    // sorted (a few per row), from covered[first[y - Top]] to
    // covered[first[y - Top + 1]]; packed as left << 32 | right, so a pair is
    // one load and one compare.
    covered.clear();
    first.clear();
    for (int y = b.Top; y < b.Bottom; ++y) {
      first.push_back(covered.size());
      for (const TCover& c : covers) {
        if (y < c.Rect.top() || y > c.Rect.bottom()) continue;
        const auto [a, e] = c.Spans ? c.Spans[y - c.AtY] : std::make_pair(0, c.Width);
        const int left = std::max(c.Rect.left(), c.AtX + a), right = std::min(c.Rect.right() + 1, c.AtX + e);
        if (left >= right) continue;
        const std::uint64_t packed = std::uint64_t(std::uint32_t(left)) << 32 | std::uint32_t(right);
        covered.push_back(packed);
        for (std::size_t i = covered.size() - 1; i > first.back() && covered[i - 1] > packed; --i)
          std::swap(covered[i], covered[i - 1]);
      }
    }
    first.push_back(covered.size());
    for (int from = 0; from < 2; ++from) {
      const QImage& picture = from == 0 ? *job.Start : *job.Under;
      ForRectsInRows(from == 0 ? job.FromStart : job.FromUnder, b.Top, b.Bottom, job.Width, [&](const QRect& r) {
        const int end = r.right() + 1;
        for (int y = r.top(); y <= r.bottom(); ++y) {
          std::uint32_t* const d = rows.Row(y);
          const std::uint32_t* const s = PictureRow(picture, y);
          int x = r.left();
          for (auto c = covered.begin() + first[y - b.Top], last = covered.begin() + first[y - b.Top + 1]; c != last;
               ++c) {
            const int cl = static_cast<int>(*c >> 32), cr = static_cast<int>(*c & 0xFFFFFFFFu);
            if (cr <= x) continue;
            if (cl >= end) break;
            if (cl > x) std::memcpy(d + x, s + x, static_cast<size_t>(cl - x) * 4);
            x = std::max(x, cr);
          }
          if (x < end) std::memcpy(d + x, s + x, static_cast<size_t>(end - x) * 4);
        }
      });
    }
    for (std::size_t k = 0; k < ops.size(); ++k)
      ApplyOp(ops[k], job.Direct ? job.Areas[k] : ops[k].Area, rows, job.Spans[k].get());
    if (job.Direct) return;
    for (std::size_t k = 0; k < job.Targets->size(); ++k) {
      const TPixelTarget& t = (*job.Targets)[k];
      const TStreamRow write = job.Writes[k];
      ForRectsInRows(t.Area, b.Top, b.Bottom, job.Width, [&](const QRect& r) {
        for (int y = r.top(); y <= r.bottom(); ++y)
          write(reinterpret_cast<std::uint32_t*>(t.Bits + (y + t.Origin.y()) * t.Stride) + r.left() + t.Origin.x(),
                rows.Row(y) + r.left(), r.width(), t.Opaque ? 0xFF000000u : 0u);
      });
    }
  };
  for (std::size_t k = job.Next++; k < job.Bands.size(); k = job.Next++) band(job.Bands[k]);
#ifdef __SSE2__
  _mm_sfence();  // the streamed pixels are visible before the job counts as done
#endif
}

void TFrameCompositor::WorkerLoop() {
  std::unique_lock lock(FMutex);
  for (;;) {
    FWake.wait(lock, [this] { return FStop || FOffered; });
    if (FStop) return;
    TJob* job = FOffered;
    FOffered = nullptr;
    FBusy = true;
    lock.unlock();
    try {
      RunBands(*job, FScratch[1]);
    } catch (...) {
      job->Error = std::current_exception();
    }
    lock.lock();
    FBusy = false;
    FIdle.notify_all();
  }
}
