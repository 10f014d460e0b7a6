#include "display/GraphicsRoutines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "display/GraphicsRoutinesRows.h"
#include "display/Processor.h"

namespace {

using Pixels = std::vector<std::uint32_t>;

// ---- The lane arithmetic, step by step, in plain integers ------------------

int Low16Signed(int v) { return ((v & 0xFFFF) ^ 0x8000) - 0x8000; }
// The non-negative remainder (two's complement makes the mask exact for negatives).
int Mod65536(long long v) { return static_cast<int>(v & 0xFFFF); }

// Step 1 of a lane: the weighted mix, 0..255 (any Alpha; its low 16 bits count).
int ExpectedMix(int s, int d, int alpha) {
  const long long a = alpha & 0xFFFF;
  return Mod65536(d * 256LL + (s - d) * a) >> 8;
}

// Steps 2 to 5: the bias around the middle value, then the limit to a byte.
int ExpectedBiased(int x, int bias) {
  const int y = x - 128;
  const int z = std::clamp(y + Low16Signed(bias), -32768, 32767);
  int w = z + 128;
  if (w > 32767) w -= 65536;  // 16-bit wrap read as signed
  return std::clamp(w, 0, 255);
}

// One byte of the kinds with a source.
int ExpectedLane(int s, int d, int alpha, int bias) { return ExpectedBiased(ExpectedMix(s, d, alpha), bias); }

int ExpectedColourLane(int d, int c, int alpha) {
  const long long a = alpha & 0xFFFF;
  return Mod65536(d * Mod65536(256 - a) + c * a) >> 8;
}

// The weight each kind gives one source pixel.
int KindWeight(std::uint8_t kind, int fourthByte, int alpha) {
  switch (kind) {
    case bkPixelAlpha: return fourthByte;
    case bkScaledPixelAlpha: return Mod65536(static_cast<long long>(fourthByte) * alpha) >> 8;
    default: return alpha;
  }
}

// The whole row as a pixel-by-pixel walk over one buffer, so that overlapping
// source and destination see earlier results, as the contract says.
void ExpectedRowInPlace(std::uint8_t kind, std::uint8_t* buffer, std::ptrdiff_t sourceAt, std::ptrdiff_t destAt,
                        int count, int alpha, int biasOrColour) {
  const std::uint8_t colour[4] = {static_cast<std::uint8_t>(GetBValue(biasOrColour)),
                                  static_cast<std::uint8_t>(GetGValue(biasOrColour)),
                                  static_cast<std::uint8_t>(GetRValue(biasOrColour)), 0};
  for (int i = 0; i < count; ++i) {
    std::uint8_t* d = buffer + (destAt + i) * 4;
    std::uint8_t s[4];
    std::memcpy(s, buffer + (sourceAt + i) * 4, 4);
    const int a = KindWeight(kind, s[3], alpha);
    for (int k = 0; k < 4; ++k)
      d[k] = static_cast<std::uint8_t>(kind == bkUniformColor ? ExpectedColourLane(d[k], colour[k], alpha)
                                                              : ExpectedLane(s[k], d[k], a, biasOrColour));
  }
}

// ---- The versions of the row routines --------------------------------------

struct TRowSet {
  const char* Name;
  void (*Uniform)(const std::uint32_t*, std::uint32_t*, int, int, int);
  void (*PixelAlpha)(const std::uint32_t*, std::uint32_t*, int, int);
  void (*ScaledPixelAlpha)(const std::uint32_t*, std::uint32_t*, int, int, int);
  void (*UniformColor)(std::uint32_t*, int, int, TColor);

  void Run(std::uint8_t kind, const std::uint32_t* s, std::uint32_t* d, int count, int alpha, int biasOrColour) const {
    switch (kind) {
      case bkUniform: Uniform(s, d, count, alpha, biasOrColour); break;
      case bkPixelAlpha: PixelAlpha(s, d, count, biasOrColour); break;
      case bkScaledPixelAlpha: ScaledPixelAlpha(s, d, count, alpha, biasOrColour); break;
      default: UniformColor(d, count, alpha, static_cast<TColor>(biasOrColour)); break;
    }
  }
};

const TRowSet kPlain{"Plain", BlendRows::Plain::BlendRowUniform, BlendRows::Plain::BlendRowPixelAlpha,
                     BlendRows::Plain::BlendRowScaledPixelAlpha, BlendRows::Plain::BlendRowUniformColor};
const TRowSet kPublic{"Public", BlendRowUniform, BlendRowPixelAlpha, BlendRowScaledPixelAlpha,
                      BlendRowUniformColor};
#ifdef ZUGGLE_BLEND_SSE2
const TRowSet kSse2{"Sse2", BlendRows::Sse2::BlendRowUniform, BlendRows::Sse2::BlendRowPixelAlpha,
                    BlendRows::Sse2::BlendRowScaledPixelAlpha, BlendRows::Sse2::BlendRowUniformColor};
#endif

#ifdef ZUGGLE_BLEND_AVX2
// Only the uniform blend has an AVX2 version; the other kinds are SSE2's.
const TRowSet kAvx2{"Avx2", BlendRows::Avx2::BlendRowUniform, BlendRows::Sse2::BlendRowPixelAlpha,
                    BlendRows::Sse2::BlendRowScaledPixelAlpha, BlendRows::Sse2::BlendRowUniformColor};
#endif

// The versions this processor runs (AVX2 only where it has it).
std::vector<TRowSet> FastRowSets() {
  std::vector<TRowSet> sets;
#ifdef ZUGGLE_BLEND_SSE2
  sets.push_back(kSse2);
#endif
#ifdef ZUGGLE_BLEND_AVX2
  if (ProcessorHasAvx2()) sets.push_back(kAvx2);
#endif
  return sets;
}

std::vector<TRowSet> AllRowSets() {
  std::vector<TRowSet> sets{kPlain, kPublic};
  for (const TRowSet& set : FastRowSets()) sets.push_back(set);
  return sets;
}

Pixels RandomPixels(std::mt19937& rng, std::size_t n) {
  Pixels p(n);
  for (auto& v : p) v = static_cast<std::uint32_t>(rng());
  return p;
}

// ---- Every source byte, destination byte and weight -----------------------

// 65536 (source, destination) byte pairs packed four to a pixel: one row call
// per weight and bias covers all of them.
TEST(BlendRows, EveryByteAndWeightMatchesTheLaneArithmetic) {
  constexpr int kPairs = 65536;
  constexpr int kPixels = kPairs / 4;
  Pixels source(kPixels), dest(kPixels), expected(kPixels), work(kPixels);
  auto* sb = reinterpret_cast<std::uint8_t*>(source.data());
  auto* db = reinterpret_cast<std::uint8_t*>(dest.data());
  for (int pair = 0; pair < kPairs; ++pair) {
    sb[pair] = static_cast<std::uint8_t>(pair >> 8);
    db[pair] = static_cast<std::uint8_t>(pair & 0xFF);
  }
  std::vector<TRowSet> sets{kPlain};
  for (const TRowSet& set : FastRowSets()) sets.push_back(set);

  std::vector<std::uint8_t> mixed(kPairs);
  for (int a = 0; a <= 256; ++a) {
    for (int pair = 0; pair < kPairs; ++pair) {
      mixed[pair] = static_cast<std::uint8_t>(ExpectedMix(sb[pair], db[pair], a));
      // The mix is the weighted mean, rounded down.
      if (mixed[pair] != (sb[pair] * a + db[pair] * (256 - a)) / 256)
        FAIL() << "mean: s " << (pair >> 8) << " d " << (pair & 0xFF) << " a " << a;
    }
    for (const int bias : {0, -255, 255, 1, -128, 300, -300, 0x7FFF, -0x8000, 0x12345}) {
      std::uint8_t byBias[256];
      for (int x = 0; x < 256; ++x) {
        byBias[x] = static_cast<std::uint8_t>(ExpectedBiased(x, bias));
        // Within -255..255 the bias simply adds, limited to a byte.
        if (bias >= -255 && bias <= 255 && byBias[x] != std::clamp(x + bias, 0, 255))
          FAIL() << "bias " << bias << " on " << x;
      }
      auto* eb = reinterpret_cast<std::uint8_t*>(expected.data());
      for (int pair = 0; pair < kPairs; ++pair) eb[pair] = byBias[mixed[pair]];
      for (const TRowSet& set : sets) {
        work = dest;
        set.Uniform(source.data(), work.data(), kPixels, a, bias);
        if (work == expected) continue;
        const auto* wb = reinterpret_cast<const std::uint8_t*>(work.data());
        const int at = static_cast<int>(std::mismatch(wb, wb + kPairs, eb).first - wb);
        FAIL() << set.Name << ": s " << (at >> 8) << " d " << (at & 0xFF) << " a " << a << " bias " << bias
               << " gave " << int(wb[at]) << ", expected " << int(eb[at]);
      }
    }
  }
}

// ---- Every kind on random data, odd counts, guards around the row ---------

TEST(BlendRows, EveryKindMatchesItsArithmeticOnRandomRows) {
  std::mt19937 rng(20240601);
  const int kAlphas[] = {0, 1, 100, 128, 255, 256, 257, 300, 0xFFFF, -1, -256, 0x10080, 0x7FFFFFFF};
  const int kBiases[] = {0, 5, -5, 255, -255, 300, 0x7FFF, -0x8000, 0x18000};
  const int kCounts[] = {1, 2, 3, 4, 5, 7, 8, 17, 64, 101};
  constexpr int kGuard = 5;
  for (const TRowSet& set : AllRowSets()) {
    for (std::uint8_t kind = bkUniform; kind <= bkUniformColor; ++kind) {
      for (const int count : kCounts) {
        for (const int alpha : kAlphas) {
          const int biasOrColour = kind == bkUniformColor ? static_cast<int>(rng())
                                                          : kBiases[rng() % std::size(kBiases)];
          // One buffer: guard, source row, guard, destination row, guard.
          Pixels buffer = RandomPixels(rng, 2 * count + 3 * kGuard);
          Pixels expected = buffer;
          const std::ptrdiff_t sourceAt = kGuard, destAt = 2 * kGuard + count;
          ExpectedRowInPlace(kind, reinterpret_cast<std::uint8_t*>(expected.data()), sourceAt, destAt, count,
                             alpha, biasOrColour);
          set.Run(kind, buffer.data() + sourceAt, buffer.data() + destAt, count, alpha, biasOrColour);
          ASSERT_EQ(buffer, expected) << set.Name << " kind " << int(kind) << " count " << count << " alpha "
                                      << alpha << " bias/colour " << biasOrColour;
        }
      }
    }
  }
}

TEST(BlendRows, FourthByteIsMixedLikeTheOthers) {
  // Same value in all four bytes: the result must be the same in all four.
  const Pixels source(3, 0xC8C8C8C8u);
  for (const TRowSet& set : AllRowSets()) {
    Pixels dest(3, 0x10101010u);
    set.Uniform(source.data(), dest.data(), 3, 100, 0);
    const std::uint8_t b = static_cast<std::uint8_t>((200 * 100 + 16 * 156) / 256);
    EXPECT_EQ(dest, Pixels(3, 0x01010101u * b)) << set.Name;
  }
}

TEST(BlendRows, NoPixelsForCountsBelowOne) {
  for (const TRowSet& set : AllRowSets()) {
    for (std::uint8_t kind = bkUniform; kind <= bkUniformColor; ++kind) {
      for (const int count : {0, -1, -17}) {
        const Pixels source(4, 0xFFFFFFFFu);
        Pixels dest(4, 0x12345678u);
        set.Run(kind, source.data(), dest.data(), count, 256, 0x00FF00FF);
        EXPECT_EQ(dest, Pixels(4, 0x12345678u)) << set.Name << " kind " << int(kind) << " count " << count;
      }
    }
  }
}

// A destination that starts a few pixels after its source in the same row
// must see the walk's own results, however many pixels a step handles.
TEST(BlendRows, OverlappingRowsBehaveAsAPixelByPixelWalk) {
  std::mt19937 rng(7);
  constexpr int kCount = 23;
  for (const TRowSet& set : AllRowSets()) {
    for (std::uint8_t kind = bkUniform; kind <= bkScaledPixelAlpha; ++kind) {
      for (int shift = -10; shift <= 10; ++shift) {
        Pixels buffer = RandomPixels(rng, kCount + 24);
        Pixels expected = buffer;
        const std::ptrdiff_t sourceAt = 12, destAt = 12 + shift;
        ExpectedRowInPlace(kind, reinterpret_cast<std::uint8_t*>(expected.data()), sourceAt, destAt, kCount, 77,
                           3);
        set.Run(kind, buffer.data() + sourceAt, buffer.data() + destAt, kCount, 77, 3);
        ASSERT_EQ(buffer, expected) << set.Name << " kind " << int(kind) << " shift " << shift;
      }
    }
  }
}

// ---- Rows of a pixel block ------------------------------------------------

TEST(ScanlineAddress, BottomUpAndTopDownGiveTheSameRows) {
  constexpr int kWidth = 5, kHeight = 4;
  Pixels topDown(kWidth * kHeight), bottomUp(kWidth * kHeight);
  for (int row = 0; row < kHeight; ++row)
    for (int x = 0; x < kWidth; ++x) {
      topDown[row * kWidth + x] = static_cast<std::uint32_t>(row * 100 + x);
      bottomUp[(kHeight - 1 - row) * kWidth + x] = static_cast<std::uint32_t>(row * 100 + x);
    }
  for (int row = 0; row < kHeight; ++row) {
    const std::uint8_t* t = ScanlineAddress(topDown.data(), kWidth, -kHeight, row);
    const std::uint8_t* b = ScanlineAddress(bottomUp.data(), kWidth, kHeight, row);
    EXPECT_EQ(std::memcmp(t, b, kWidth * 4), 0) << "row " << row;
    EXPECT_EQ(t, reinterpret_cast<std::uint8_t*>(topDown.data() + row * kWidth));
    EXPECT_EQ(b, reinterpret_cast<std::uint8_t*>(bottomUp.data() + (kHeight - 1 - row) * kWidth));
  }
  // Height 0 counts as top-down.
  EXPECT_EQ(ScanlineAddress(topDown.data(), kWidth, 0, 2), reinterpret_cast<std::uint8_t*>(topDown.data() + 10));
}

// ---- Bitmaps behind device contexts -----------------------------------------

// A 32-bit bitmap whose pixel (x, y) holds the whole 32-bit value f(x, y),
// fourth byte included.
template <class F>
void Fill(TBitmap& b, F f) {
  for (int y = 0; y < b.Height(); ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(b.ScanLine(y));
    for (int x = 0; x < b.Width(); ++x) row[x] = f(x, y);
  }
}

std::uint32_t PixelAt(const TBitmap& b, int x, int y) {
  return reinterpret_cast<const std::uint32_t*>(b.ScanLine(y))[x];
}

Pixels AllPixels(const TBitmap& b) {
  Pixels p;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) p.push_back(PixelAt(b, x, y));
  return p;
}

std::uint32_t Noise(int x, int y) { return static_cast<std::uint32_t>((x * 7919 + y * 104729) * 2654435761u); }

std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EAssertionFailed& e) {
    return e.what();
  }
  return "(nothing raised)";
}

const std::string kNoBitmap = "Alpha blending DC error: no bitmap available.";
const std::string kNot32 = "Alpha blending error: bitmap must use 32 bpp.";

TEST(DibBitsOfDC, TopDownPixelMemoryOfTheCanvasBitmap) {
  TBitmap b(6, 3);
  int w = -1, h = -1;
  void* bits = DibBitsOfDC(&b.Canvas(), w, h);
  EXPECT_EQ(w, 6);
  EXPECT_EQ(h, -3);
  EXPECT_EQ(bits, b.ScanLine(0));
  EXPECT_EQ(ScanlineAddress(bits, w, h, 2), b.ScanLine(2));
}

TEST(DibBitsOfDC, RefusesWhatCannotBeBlended) {
  TBitmap empty;
  TBitmap deep(QImage(4, 4, QImage::Format_BGR888), TPixelFormat::pf24bit);
  TBitmap paletted(4, 4);
  paletted.SetPixelFormat(TPixelFormat::pf8bit);
  struct Case {
    const char* what;
    HDC dc;
    std::string message;
  } cases[] = {{"no context", nullptr, kNoBitmap},
               {"no pixel memory", &empty.Canvas(), kNoBitmap},
               {"24 bits", &deep.Canvas(), kNot32},
               {"8 bits", &paletted.Canvas(), kNot32}};
  for (const Case& c : cases) {
    int w = 9, h = 9;
    EXPECT_EQ(MessageOf([&] { DibBitsOfDC(c.dc, w, h); }), c.message) << c.what;
    EXPECT_EQ(w, 0) << c.what;
    EXPECT_EQ(h, 0) << c.what;
  }
}

// ---- BlendRect --------------------------------------------------------------

TEST(BlendRect, MixesTheSourceBlockIntoTheDestinationAtThePoint) {
  TBitmap source(7, 6), dest(8, 5);
  Fill(source, Noise);
  Fill(dest, [](int x, int y) { return Noise(y + 50, x + 3); });
  const Pixels before = AllPixels(dest);
  const TRect r{2, 1, 6, 4};  // 4 x 3
  const TPoint at{3, 2};
  for (std::uint8_t kind = bkUniform; kind <= bkScaledPixelAlpha; ++kind) {
    Fill(dest, [](int x, int y) { return Noise(y + 50, x + 3); });
    BlendRect(&source.Canvas(), &dest.Canvas(), r, at, kind, 180, 7);
    for (int y = 0; y < dest.Height(); ++y)
      for (int x = 0; x < dest.Width(); ++x) {
        const bool inBlock = x >= at.X && x < at.X + r.Width() && y >= at.Y && y < at.Y + r.Height();
        std::uint32_t expected = before[y * dest.Width() + x];
        if (inBlock) {
          std::uint32_t pair[2] = {PixelAt(source, x - at.X + r.Left, y - at.Y + r.Top), expected};
          ExpectedRowInPlace(kind, reinterpret_cast<std::uint8_t*>(pair), 0, 1, 1, 180, 7);
          expected = pair[1];
        }
        ASSERT_EQ(PixelAt(dest, x, y), expected) << "kind " << int(kind) << " at " << x << "," << y;
      }
  }
}

TEST(BlendRect, UniformColourWorksOnTheDestinationAloneAtTheRectangle) {
  TBitmap dest(5, 5);
  Fill(dest, Noise);
  const Pixels before = AllPixels(dest);
  const TColor colour = RGB(10, 200, 30);
  // No source context is needed; DestPoint plays no part.
  BlendRect(nullptr, &dest.Canvas(), TRect{1, 2, 4, 5}, TPoint{99, 99}, bkUniformColor, 64, static_cast<int>(colour));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      std::uint32_t expected = before[y * 5 + x];
      if (x >= 1 && x < 4 && y >= 2) {
        ExpectedRowInPlace(bkUniformColor, reinterpret_cast<std::uint8_t*>(&expected), 0, 0, 1, 64,
                           static_cast<int>(colour));
      }
      ASSERT_EQ(PixelAt(dest, x, y), expected) << x << "," << y;
    }
  // Blue, green, red in memory order, the fourth byte mixed towards 0.
  TBitmap grey(1, 1);
  Fill(grey, [](int, int) { return 0x80808080u; });
  BlendRect(nullptr, &grey.Canvas(), TRect{0, 0, 1, 1}, {}, bkUniformColor, 256, static_cast<int>(colour));
  EXPECT_EQ(PixelAt(grey, 0, 0), 0x000AC81Eu);
}

TEST(BlendRect, EmptyRectanglesAndUnknownKindsDoNothing) {
  TBitmap source(4, 4), dest(4, 4);
  Fill(source, Noise);
  Fill(dest, [](int x, int y) { return Noise(x + 9, y); });
  const Pixels sourceBefore = AllPixels(source), destBefore = AllPixels(dest);
  const TRect empties[] = {{1, 1, 1, 3}, {1, 1, 3, 1}, {3, 3, 1, 1}, {0, 0, 0, 0}};
  for (std::uint8_t kind = bkUniform; kind <= bkUniformColor; ++kind)
    for (const TRect& r : empties) {
      EXPECT_NO_THROW(BlendRect(&source.Canvas(), &dest.Canvas(), r, {}, kind, 128, 0));
      // Not even the contexts are looked at.
      EXPECT_NO_THROW(BlendRect(nullptr, nullptr, r, {}, kind, 128, 0));
    }
  for (const std::uint8_t kind : {4, 200, 255}) {
    EXPECT_NO_THROW(BlendRect(&source.Canvas(), &dest.Canvas(), TRect{0, 0, 4, 4}, {}, kind, 128, 0));
    EXPECT_NO_THROW(BlendRect(nullptr, nullptr, TRect{0, 0, 4, 4}, {}, kind, 128, 0));
  }
  EXPECT_EQ(AllPixels(source), sourceBefore);
  EXPECT_EQ(AllPixels(dest), destBefore);
}

TEST(BlendRect, FailuresLeaveEveryPixelAsItWas) {
  TBitmap good(4, 4), other(4, 4), empty;
  TBitmap deep(QImage(4, 4, QImage::Format_BGR888), TPixelFormat::pf24bit);
  Fill(good, Noise);
  Fill(other, [](int x, int y) { return Noise(y, x + 1); });
  const Pixels goodBefore = AllPixels(good), otherBefore = AllPixels(other);
  const TRect all{0, 0, 4, 4};
  const std::string kOutside = "Alpha blending error: rectangle outside the bitmap.";
  struct Case {
    const char* what;
    HDC source, dest;
    TRect r;
    TPoint at;
    std::uint8_t kind;
    std::string message;
  } cases[] = {
      {"no source", nullptr, &good.Canvas(), all, {}, bkUniform, kNoBitmap},
      {"empty source", &empty.Canvas(), &good.Canvas(), all, {}, bkPixelAlpha, kNoBitmap},
      {"24-bit source", &deep.Canvas(), &good.Canvas(), all, {}, bkScaledPixelAlpha, kNot32},
      {"no destination", &other.Canvas(), nullptr, all, {}, bkUniform, kNoBitmap},
      {"24-bit destination", &other.Canvas(), &deep.Canvas(), all, {}, bkUniform, kNot32},
      {"colour, no destination", &other.Canvas(), nullptr, all, {}, bkUniformColor, kNoBitmap},
      // The source is checked first.
      {"both missing", nullptr, &deep.Canvas(), all, {}, bkUniform, kNoBitmap},
      {"source block outside", &other.Canvas(), &good.Canvas(), {1, 0, 5, 4}, {}, bkUniform, kOutside},
      {"source block above", &other.Canvas(), &good.Canvas(), {0, -1, 2, 2}, {}, bkUniform, kOutside},
      {"destination block outside", &other.Canvas(), &good.Canvas(), {0, 0, 2, 2}, {3, 0}, bkUniform, kOutside},
      {"destination point negative", &other.Canvas(), &good.Canvas(), {0, 0, 2, 2}, {0, -1}, bkUniform, kOutside},
      {"colour block outside", nullptr, &good.Canvas(), {2, 2, 4, 5}, {}, bkUniformColor, kOutside},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MessageOf([&] { BlendRect(c.source, c.dest, c.r, c.at, c.kind, 128, 0); }), c.message) << c.what;
    EXPECT_EQ(AllPixels(good), goodBefore) << c.what;
    EXPECT_EQ(AllPixels(other), otherBefore) << c.what;
  }
}

TEST(BlendRect, WritesOnlyTheDestinationBitmapNotItsCopies) {
  TBitmap a(4, 4);
  Fill(a, Noise);
  TBitmap copy;
  copy.Assign(a);  // shares the pixels until one of them is written
  const Pixels before = AllPixels(a);
  TBitmap source(4, 4);
  Fill(source, [](int, int) { return 0u; });
  BlendRect(&source.Canvas(), &a.Canvas(), TRect{0, 0, 4, 4}, {}, bkUniform, 256, 0);
  EXPECT_EQ(AllPixels(a), Pixels(16, 0u));
  EXPECT_EQ(AllPixels(copy), before);
}

TEST(BlendRect, SourceAndDestinationMayBeTheSameBitmap) {
  TBitmap b(4, 3);
  Fill(b, [](int, int y) { return y == 0 ? 0xFFFFFFFFu : 0u; });
  TBitmap copy;
  copy.Assign(b);  // shared pixels: the blend must read the rows it writes
  // Rows 0..1 onto rows 1..2 of the same bitmap at full weight: row by row,
  // row 2 receives row 1 as just written.
  BlendRect(&b.Canvas(), &b.Canvas(), TRect{0, 0, 4, 2}, TPoint{0, 1}, bkUniform, 256, 0);
  EXPECT_EQ(AllPixels(b), Pixels(12, 0xFFFFFFFFu));
  EXPECT_EQ(AllPixels(copy)[4], 0u);
}

// ---- BlendBitmaps -----------------------------------------------------------

TEST(BlendBitmaps, WeightIsTheShareOfWhatLiesUnder) {
  struct Case {
    int alpha;
    std::uint32_t under, picture, expected;
  } cases[] = {
      {0, 0x11223344u, 0xA0B0C0D0u, 0xA0B0C0D0u},    // weight 0 keeps the picture
      {256, 0x11223344u, 0xA0B0C0D0u, 0x11223344u},  // 256 gives what lies under
      {128, 0xFFFFFFFFu, 0x00000000u, 0x7F7F7F7Fu},  // 255 over 0 at 128: 127
      {100, 0xFF000000u, 0x00FF0000u, 0x639B0000u},  // the game's weight; fourth byte too
  };
  for (const Case& c : cases) {
    TBitmap under(3, 2), picture(3, 2), target(3, 2);
    Fill(under, [&](int, int) { return c.under; });
    Fill(picture, [&](int, int) { return c.picture; });
    BlendBitmaps(under, picture, target, c.alpha, 0, 0, 0, 0, 3, 2);
    EXPECT_EQ(AllPixels(target), Pixels(6, c.expected)) << "alpha " << c.alpha;
  }
}

TEST(BlendBitmaps, OffsetsPickTheBlocksAndTheRestOfTargetStays) {
  TBitmap under(6, 5), picture(7, 6), target(5, 4);
  Fill(under, [](int x, int y) { return static_cast<std::uint32_t>(0x10000 * x + 0x1000000 * y); });
  Fill(picture, [](int x, int y) { return static_cast<std::uint32_t>(x + 0x100 * y); });
  Fill(target, [](int, int) { return 0xEEEEEEEEu; });
  // Under at (3, 1), picture at (2, 4): 3 x 2 pixels.
  BlendBitmaps(under, picture, target, 256, 3, 2, 1, 4, 3, 2);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      const std::uint32_t expected = (x < 3 && y < 2) ? PixelAt(under, x + 3, y + 1) : 0xEEEEEEEEu;
      EXPECT_EQ(PixelAt(target, x, y), expected) << x << "," << y;
    }
  BlendBitmaps(under, picture, target, 0, 3, 2, 1, 4, 3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(target, x, y), PixelAt(picture, x + 2, y + 4)) << x << "," << y;
}

TEST(BlendBitmaps, ConvertsEveryBitmapTo32BitsFirst) {
  QImage stored(2, 2, QImage::Format_BGR888);
  stored.fill(QColor(255, 0, 0));
  TBitmap under(2, 2), picture(stored, TPixelFormat::pf24bit), target(2, 2);
  Fill(under, [](int, int) { return 0xFF000000u; });
  target.SetPixelFormat(TPixelFormat::pf24bit);
  BlendBitmaps(under, picture, target, 0, 0, 0, 0, 0, 2, 2);
  EXPECT_EQ(under.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(picture.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(target.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(PixelAt(target, 1, 1) & 0xFFFFFF, 0xFF0000u);  // red, in memory order B, G, R
}

TEST(BlendBitmaps, ABlendThatCannotRunLeavesTargetAlone) {
  TBitmap under(2, 2), picture(2, 2), target(2, 2), empty;
  Fill(picture, [](int, int) { return 0u; });
  Fill(target, [](int, int) { return 0x5A5A5A5Au; });
  EXPECT_EQ(MessageOf([&] { BlendBitmaps(empty, picture, target, 100, 0, 0, 0, 0, 2, 2); }), kNoBitmap);
  EXPECT_NE(MessageOf([&] { BlendBitmaps(under, picture, target, 100, 1, 0, 0, 0, 2, 2); }), "(nothing raised)");
  EXPECT_EQ(AllPixels(target), Pixels(4, 0x5A5A5A5Au));
  // An empty block is no error and changes nothing.
  EXPECT_NO_THROW(BlendBitmaps(empty, picture, target, 100, 0, 0, 0, 0, 0, 2));
  EXPECT_EQ(AllPixels(target), Pixels(4, 0x5A5A5A5Au));
}

}  // namespace
