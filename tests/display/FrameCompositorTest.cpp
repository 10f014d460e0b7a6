// The one-pass frame compositor: a frame composed band by band (on one or two
// threads) gives the bytes that drawing the same calls one after another on
// the whole picture gives, written only where each destination asks.
#include "display/FrameCompositor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "display/Bitmap.h"

namespace {

constexpr QRgb kSentinel = 0x5A123456;  // what a destination holds where nothing may be written

// A pixel's four bytes as stored (QImage::pixel makes the fourth byte 255).
QRgb Raw(const QImage& img, int x, int y) { return reinterpret_cast<const QRgb*>(img.constScanLine(y))[x]; }

// Pixels that differ from their neighbours, so a shifted row or a band drawn
// twice shows.
QImage Noise(int w, int h, unsigned seed) {
  QImage img(w, h, QImage::Format_RGB32);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | (rng() & 0xFFFFFF);
  }
  return img;
}

// A keyed picture: a filled ellipse on white (the key), with a ring of
// partly covering pixels (fourth byte between 1 and 254) on its edge.
TBitmap* Balloon(int w, int h, QRgb colour, std::vector<std::unique_ptr<TBitmap>>& keep) {
  auto b = std::make_unique<TBitmap>(w, h);
  QImage& img = b->Image();
  const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double r = std::hypot((x - cx) / (w / 2.0), (y - cy) / (h / 2.0));
      if (r < 0.85)
        img.setPixel(x, y, (colour ^ ((x * 7 + y * 3) & 0x1F)) | 0xFF000000u);
      else if (r < 1.0)
        img.setPixel(x, y, qRgba(qRed(colour), qGreen(colour), qBlue(colour), 40 + (x * 13 + y * 5) % 200));
    }
  b->Transparent = true;
  keep.push_back(std::move(b));
  return keep.back().get();
}

TFrameOp Sprite(const TBitmap& b, int x, int y, const QRegion& clip = QRegion()) {
  TFrameOp op;
  op.Kind = TFrameOp::TKind::Sprite;
  op.Picture = b.Image();
  op.At = QPoint(x, y);
  if (b.Transparent) op.Key = b.Image().pixel(0, b.Height() - 1) & 0xFFFFFF;
  op.Area = QRect(op.At, b.Image().size());
  if (!clip.isEmpty()) op.Area &= clip;
  return op;
}

TFrameOp Blend(const TBitmap& b, int x, int y, int weight) {
  TFrameOp op = Sprite(b, x, y);
  op.Kind = TFrameOp::TKind::Blend;
  op.Weight = weight;
  return op;
}

// The expected frame, drawn call by call on a copy of the whole picture with
// the canvas (sprites) and the blend's byte rule (blends).
QImage Expected(const QImage& start, const QImage& under, const QRegion& underArea, const TFrameOps& ops) {
  TBitmap frame(start.copy(), TPixelFormat::pf32bit);
  if (!under.isNull()) {
    frame.Canvas().SetClipRegion(underArea);
    frame.Canvas().CopyRect(0, 0, TBitmap(under, TPixelFormat::pf32bit), Rect(0, 0, under.width(), under.height()));
  }
  for (const TFrameOp& op : ops) {
    if (op.Kind == TFrameOp::TKind::Sprite) {
      TBitmap pic(op.Picture, TPixelFormat::pf32bit);
      pic.Transparent = op.Key.has_value();
      frame.Canvas().SetClipRegion(op.Area);
      frame.Canvas().Draw(op.At.x(), op.At.y(), pic);
      continue;
    }
    for (const QRect& r : op.Area)
      for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
          const QRgb s = Raw(op.Picture, x - op.At.x(), y - op.At.y());
          const QRgb u = Raw(frame.Image(), x, y);
          if (op.Key && (s & 0xFFFFFF) == *op.Key) continue;
          QRgb mixed = 0;
          for (int shift = 0; shift < 32; shift += 8) {
            const int sb = (s >> shift) & 0xFF, ub = (u >> shift) & 0xFF;
            mixed |= static_cast<QRgb>(((sb * 256 + (ub - sb) * op.Weight) & 0xFFFF) >> 8) << shift;
          }
          const int a = qAlpha(s);
          if (op.Key && a != 0 && a != 255) {  // a partly covering pixel mixes its share
            auto share = [a](int m, int v) { return (m * a + v * (255 - a) + 127) / 255; };
            mixed = qRgba(share(qRed(mixed), qRed(u)), share(qGreen(mixed), qGreen(u)), share(qBlue(mixed), qBlue(u)),
                          qAlpha(u));
          }
          reinterpret_cast<QRgb*>(frame.Image().scanLine(y))[x] = mixed;
        }
  }
  return frame.Image();
}

struct TCase {
  std::string Name;
  int Width, Height;
  // Fills the frame's calls; returns the area to compose.
  std::function<QRegion(TFrameOps& ops, QRegion& underArea, std::vector<std::unique_ptr<TBitmap>>& keep)> Build;
};

void PrintTo(const TCase& c, std::ostream* os) { *os << c.Name; }

class Composed : public ::testing::TestWithParam<TCase> {};

TEST_P(Composed, GivesTheBytesOfDrawingCallByCall) {
  const TCase& c = GetParam();
  std::vector<std::unique_ptr<TBitmap>> keep;
  TFrameOps ops;
  QRegion underArea;
  const QRegion area = c.Build(ops, underArea, keep);
  const QImage start = Noise(c.Width, c.Height, 1);
  const QImage under = Noise(c.Width, c.Height, 2);
  const QImage expected = Expected(start, under, underArea, ops);

  // The destination is larger than the frame and the frame lands at an
  // offset in it, as the control does in its window's backing store. One
  // store is composed in place; with a second one beside it, the bands are
  // composed aside and written to both.
  const QPoint origin(3, 5);
  auto newStore = [&] {
    QImage store(c.Width + 9, c.Height + 11, QImage::Format_ARGB32);  // stores the sentinel as it is
    store.fill(kSentinel);
    return store;
  };
  TFrameCompositor compositor;
  for (int run = 0; run < 4; ++run) {  // each second run finds the worker thread waiting
    std::vector<QImage> stores{newStore()};
    if (run >= 2) stores.push_back(newStore());
    std::vector<TPixelTarget> targets;
    for (QImage& store : stores) targets.push_back({store.bits(), store.bytesPerLine(), origin, area});
    compositor.Compose(start, under, underArea, ops, area, targets);
    for (const QImage& store : stores) {
      int wrong = 0;
      QPoint first;
      for (int y = 0; y < store.height(); ++y)
        for (int x = 0; x < store.width(); ++x) {
          const QPoint p(x - origin.x(), y - origin.y());
          const QRgb want = area.contains(p) ? Raw(expected, p.x(), p.y()) : kSentinel;
          if (Raw(store, x, y) != want && wrong++ == 0) first = p;
        }
      EXPECT_EQ(wrong, 0) << "run " << run << " of " << stores.size() << " stores, first wrong frame pixel at "
                          << first.x() << "," << first.y();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, Composed,
    ::testing::Values(
        TCase{"OverlappingKeyedSpritesWithSoftEdges", 200, 300,
              [](TFrameOps& ops, QRegion&, auto& keep) {
                ops.push_back(Sprite(*Balloon(60, 80, qRgb(200, 20, 20), keep), 10, 20));
                ops.push_back(Sprite(*Balloon(60, 80, qRgb(20, 200, 20), keep), 40, 60));
                ops.push_back(Sprite(*Balloon(90, 90, qRgb(20, 20, 200), keep), 120, 200));
                return QRegion(0, 0, 200, 300);
              }},
        TCase{"TransparentBlendOverSpritesAndUntransparentOnes", 200, 300,
              [](TFrameOps& ops, QRegion&, auto& keep) {
                ops.push_back(Sprite(*Balloon(60, 80, qRgb(200, 20, 20), keep), 30, 40));
                ops.push_back(Blend(*Balloon(120, 110, qRgb(90, 60, 30), keep), 10, 50, 100));
                TBitmap* opaque = Balloon(50, 50, qRgb(10, 10, 10), keep);
                opaque->Transparent = false;
                ops.push_back(Blend(*opaque, 100, 230, 0));
                ops.push_back(Blend(*opaque, 140, 10, 256));
                ops.push_back(Sprite(*opaque, 0, 250));
                return QRegion(0, 0, 200, 300);
              }},
        TCase{"UnderAreaStartsFromTheOtherPicture", 160, 200,
              [](TFrameOps& ops, QRegion& underArea, auto& keep) {
                underArea = QRegion(20, 10, 70, 150) + QRegion(60, 100, 90, 80);
                ops.push_back(Sprite(*Balloon(40, 50, qRgb(250, 200, 0), keep), 50, 80));
                return QRegion(0, 0, 160, 200);
              }},
        TCase{"OnlyTheAreaIsWrittenThoughCallsReachBeyond", 180, 240,
              [](TFrameOps& ops, QRegion& underArea, auto& keep) {
                underArea = QRegion(0, 0, 180, 120);
                ops.push_back(Sprite(*Balloon(100, 140, qRgb(0, 150, 250), keep), 30, 30));
                ops.push_back(Blend(*Balloon(100, 100, qRgb(100, 100, 0), keep), 70, 120, 100));
                return QRegion(40, 35, 50, 70) + QRegion(100, 150, 60, 60) + QRegion(5, 200, 170, 3);
              }},
        TCase{"ClippedSprite", 120, 120,
              [](TFrameOps& ops, QRegion&, auto& keep) {
                ops.push_back(Sprite(*Balloon(100, 100, qRgb(0, 150, 250), keep), 10, 10,
                                     QRegion(10, 10, 40, 100) + QRegion(70, 40, 40, 20)));
                return QRegion(0, 0, 120, 120);
              }},
        TCase{"LargeFrameOnTwoThreads", 1024, 700,
              [](TFrameOps& ops, QRegion& underArea, auto& keep) {
                underArea = QRegion(0, 0, 1024, 350);
                for (int i = 0; i < 10; ++i)
                  ops.push_back(Sprite(*Balloon(90, 110, qRgb(25 * i, 250 - 20 * i, 100), keep), 90 * i, 55 * i));
                ops.push_back(Blend(*Balloon(300, 300, qRgb(120, 90, 50), keep), 350, 200, 100));
                return QRegion(0, 0, 1024, 700) - QRegion(500, 0, 20, 700);
              }}),
    [](const ::testing::TestParamInfo<TCase>& info) { return info.param.Name; });

// Both row streams (the widest this processor runs, and the one every
// processor runs) copy every pixel with the fill ORed in and nothing beside
// the row, whatever the row's length and alignment.
TEST(ComposedStore, RowStreamsCopyExactlyTheRow) {
  std::mt19937 rng(11);
  for (const bool widest : {false, true}) {
    const TStreamRow stream = StreamRowFor(widest);
    for (const std::uint32_t fill : {0u, 0xFF000000u}) {
      for (const int n : {0, 1, 3, 4, 15, 16, 31, 32, 33, 63, 64, 65, 79, 100, 257}) {
        for (int offset = 0; offset < 16; ++offset) {
          std::vector<std::uint32_t> source(n + 1), dest(n + 40, kSentinel);
          for (auto& p : source) p = static_cast<std::uint32_t>(rng());
          stream(dest.data() + offset, source.data() + 1, n, fill);
          for (int i = 0; i < static_cast<int>(dest.size()); ++i) {
            const bool inside = i >= offset && i < offset + n;
            ASSERT_EQ(dest[i], inside ? source[i - offset + 1] | fill : kSentinel)
                << "widest " << widest << " fill " << fill << " n " << n << " offset " << offset << " at " << i;
          }
        }
      }
    }
  }
}

TEST(ComposedStore, APremultipliedStoreGetsOpaquePixels) {
  // A store that premultiplies its pixels takes ours as opaque, as Qt's
  // copy of them would: the fourth byte becomes 255, the colour stays.
  QImage start(40, 30, QImage::Format_RGB32);
  start.fill(0x12345678);  // a fourth byte of 0x12
  QImage store(40, 30, QImage::Format_ARGB32_Premultiplied);
  store.fill(0);
  TFrameCompositor compositor;
  compositor.Compose(start, QImage(), QRegion(), {}, QRegion(0, 0, 40, 30),
                     {{store.bits(), store.bytesPerLine(), QPoint(), QRegion(0, 0, 40, 30), true}});
  EXPECT_EQ(Raw(store, 0, 0), 0xFF345678u);
  EXPECT_EQ(Raw(store, 39, 29), 0xFF345678u);
}

TEST(ComposedStore, AnEmptyAreaWritesNothing) {
  QImage start = Noise(50, 50, 3);
  QImage store(50, 50, QImage::Format_ARGB32);
  store.fill(kSentinel);
  TFrameCompositor compositor;
  compositor.Compose(start, QImage(), QRegion(), {}, QRegion(), {{store.bits(), store.bytesPerLine(), QPoint(), QRegion()}});
  EXPECT_EQ(Raw(store, 25, 25), kSentinel);
}

}  // namespace
