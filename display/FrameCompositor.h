#pragma once
// Composes the changed areas of an animation frame in one pass.
//
// The drawing calls of a frame are kept as a list of operations (draw a
// picture, keyed or not; mix a picture in) and carried out only when the
// frame is shown: band by band (a few rows of the frame at a time, small
// enough to stay in the processor's cache), the band's pixels are read once
// from where they start, every operation that touches the band runs on a
// scratch copy of it, and the finished band is written once to each of its
// destinations (the window's backing store). A single destination small
// enough to stay in cache is itself the band's scratch. Each changed pixel is
// thus read and written once per frame instead of once per drawing call and
// per copy.
//
// Coordinates are frame pixels, origin at the top-left; rectangles are QRect
// (right() and bottom() inside). Pixels are 32-bit, bytes blue, green, red,
// fourth byte (QImage::Format_RGB32).
#include <QImage>
#include <QRegion>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>


// One drawing call of a frame, kept until the frame is composed.
struct TFrameOp {
  enum class TKind : std::uint8_t {
    Sprite,  // Picture with its top-left at At; with Key, pixels of the key colour are left out
    Blend,   // Picture's pixels from At on mixed over the frame (see BlendRun)
  };
  TKind Kind = TKind::Sprite;
  // The pixels the operation changes; it lies within the picture placed at
  // At. Parts outside the frame are left out.
  QRegion Area;
  // 32-bit picture (Sprite, Blend), shared with its owner and only
  // read: an owner that changes or frees its picture later does not change
  // what this operation draws.
  QImage Picture;
  QPoint At;
  // Sprite: the key colour (low three bytes); Blend: the key of a transparent bitmap.
  std::optional<QRgb> Key;
  int Weight = 0;  // Blend: the share of what lies under, 0..256
};

using TFrameOps = std::vector<TFrameOp>;

// Mixes n pixels of picture row s over d with weight (what lies under keeps
// weight/256, byte by byte, as BlendRowUniform with 256 - weight). With a key,
// pixels of the key colour leave d as it is, and pixels whose fourth byte lies
// between 1 and 254 mix the blend in by that share.
void BlendRun(const std::uint32_t* s, std::uint32_t* d, int n, int weight, std::optional<QRgb> key);

// Carries out ops in order on image (32-bit), in place, each within its area.
// Each pixel's result depends only on that pixel and the pictures, so the
// operations may be carried out on any part of the image on its own.
void ApplyFrameOps(QImage& image, const TFrameOps& ops);

// Copies n pixels from s to d, each ORed with fill, bypassing the cache for d
// where the processor allows (the composed frame is not read again here).
using TStreamRow = void (*)(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t fill);
// The row stream the compositor uses: with avx512, the widest this processor
// runs; without, the one every x86-64 (or any) processor runs.
TStreamRow StreamRowFor(bool avx512);

// Where composed pixels go: frame pixel (x, y) is stored at
// Bits + (y + Origin.y()) * Stride + (x + Origin.x()) * 4, for the pixels of Area.
struct TPixelTarget {
  uchar* Bits = nullptr;
  qsizetype Stride = 0;
  QPoint Origin;
  QRegion Area;
  bool Opaque = false;  // the fourth byte is stored as 255 (a premultiplied store)
};

class TFrameCompositor {
public:
  TFrameCompositor() = default;
  ~TFrameCompositor();
  TFrameCompositor(const TFrameCompositor&) = delete;
  TFrameCompositor& operator=(const TFrameCompositor&) = delete;

  // Composes area of the frame: each pixel starts as under's pixel inside
  // underArea and as start's elsewhere, the operations run in order, and the
  // result is written to every target within the target's area (which should
  // lie inside area: pixels outside it are not composed); nothing else of a
  // target is written. Nothing outside start's rectangle is composed.
  // Operations may reach beyond area; only their pixels inside it are
  // computed for sure. under may be null; a target's pixels must not share
  // memory with start's or under's.
  //
  // Runs on the calling thread and, when area is large, also on one worker
  // thread of this compositor, which touches only these pixel buffers and
  // pictures. Returns when every pixel is written; an exception of either
  // thread passes on from here.
  void Compose(const QImage& start, const QImage& under, const QRegion& underArea, const TFrameOps& ops,
               const QRegion& area, const std::vector<TPixelTarget>& targets);

  // Per row of a keyed picture: the longest run [first, second) of plain
  // pixels (neither of the key colour nor partly covering), empty if none.
  using TSpans = std::vector<std::pair<int, int>>;

  // Rows per band for a frame width: a band of scratch stays within a
  // processor's second-level cache (1 MB on current ones). Fewer, taller
  // bands measured faster down to that size: each band walks every drawing
  // call, and a sprite's rows are fetched ahead better in longer runs.
  static int BandRows(int width);

private:
  struct TJob;
  // The plain runs of picture keyed on key, kept per picture while it is
  // unchanged (calling thread only, before the bands run).
  std::shared_ptr<const TSpans> PlainSpans(const QImage& picture, QRgb key);
  void RunBands(TJob& job, std::vector<std::uint32_t>& scratch);
  void WorkerLoop();

  std::vector<std::uint32_t> FScratch[2];  // a band's pixels, per thread
  static constexpr std::size_t kSpanPictures = 256;
  std::map<std::pair<qint64, QRgb>, std::shared_ptr<const TSpans>> FSpans;
  std::thread FWorker;
  std::mutex FMutex;
  std::condition_variable FWake;
  std::condition_variable FIdle;
  TJob* FOffered = nullptr;  // a job waiting for the worker
  std::atomic<bool> FBusy = false;  // the worker is running a job (written under FMutex)
  bool FStop = false;
};
