#include "display/Bitmap.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "display/Fonts.h"
#include "display/KeyedCopy.h"
#include "display/Resample.h"

int ScreenPixelsPerInch() {
  static int ppi = 0;
  if (ppi == 0) {
    const QScreen* s = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                           ? QGuiApplication::primaryScreen()
                           : nullptr;
    ppi = s ? static_cast<int>(std::lround(s->logicalDotsPerInch())) : 96;
    if (ppi <= 0) ppi = 96;
  }
  return ppi;
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long p = static_cast<long long>(a) * b;
  const long long q = (std::llabs(p) + std::llabs(c) / 2) / std::llabs(c);
  return static_cast<int>(((p < 0) != (c < 0)) ? -q : q);
}

// ---- TFont ----------------------------------------------------------------

int TFont::Size() const {
  const int h = Height == 0 ? -16 : Height;
  return -MulDiv(h, 72, ScreenPixelsPerInch());
}

void TFont::SetSize(int points) { Height = -MulDiv(points, ScreenPixelsPerInch(), 72); }

QFont TFont::ToQFont() const {
  QFont f(GameFontFamily(Name));
  f.setBold(Bold);
  f.setStyleStrategy(QFont::PreferAntialias);
  f.setHintingPreference(QFont::PreferNoHinting);
  const int h = Height == 0 ? -16 : Height;
  if (h < 0) {
    f.setPixelSize(-h);
  } else {
    // A cell height: find the em size whose ascent + descent is h.
    f.setPixelSize(100);
    const QFontMetricsF m(f);
    const qreal cell = m.ascent() + m.descent();
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(h * 100.0 / (cell > 0 ? cell : 100)))));
  }
  return f;
}

// ---- TBitmap --------------------------------------------------------------

TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

TBitmap::TBitmap(const QImage& image, TPixelFormat format) : FImage(image), FFormat(format) {}

void TBitmap::SetSize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (!FImage.isNull() && width == FImage.width() && height == FImage.height()) return;
  if (width == 0 || height == 0) {
    FImage = QImage();
    return;
  }
  QImage next(width, height, QImage::Format_RGB32);
  next.fill(Qt::white);
  if (!FImage.isNull()) {
    QPainter p(&next);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, FImage);
  }
  FImage = std::move(next);
  FFormat = TPixelFormat::pf32bit;
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == FFormat) return;
  FFormat = format;
  if (FImage.isNull()) return;
  switch (format) {
    case TPixelFormat::pf32bit: FImage = FImage.convertToFormat(QImage::Format_RGB32); break;
    case TPixelFormat::pf24bit: FImage = FImage.convertToFormat(QImage::Format_BGR888); break;
    case TPixelFormat::pf8bit:
    case TPixelFormat::pf4bit: FImage = FImage.convertToFormat(QImage::Format_Indexed8); break;
  }
}

void TBitmap::Assign(const TBitmap& other) {
  FImage = other.FImage;
  FFormat = other.FFormat;
  Transparent = other.Transparent;
}

TColor TBitmap::TransparentColor() const {
  if (FImage.isNull()) return clWhite;
  return ToTColor(FImage.pixel(0, FImage.height() - 1));
}

// ---- TCanvas --------------------------------------------------------------

QImage Pixels32(const TBitmap& b) {
  const QImage& img = b.Image();
  return img.format() == QImage::Format_RGB32 ? img : img.convertToFormat(QImage::Format_RGB32);
}

namespace {

// A pixel that covers part of its place (fourth byte 1..254) mixed over d; the
// result covers what either covered.
QRgb MixOver(QRgb s, QRgb d) {
  const unsigned a = qAlpha(s), b = 255 - a;
  const unsigned dAlpha = qAlpha(d) == 0 ? 255 : qAlpha(d);
  auto mix = [a, b](unsigned sv, unsigned dv) { return (sv * a + dv * b + 127) / 255; };
  return qRgba(int(mix(qRed(s), qRed(d))), int(mix(qGreen(s), qGreen(d))), int(mix(qBlue(s), qBlue(d))),
               int(a + (dAlpha * b + 127) / 255));
}

bool Partial(QRgb p) { return qAlpha(p) != 0 && qAlpha(p) != 255; }

#ifdef __SSE2__
// MixOver on four pixels at once, each by its own share; the result is used
// only for the lanes that cover part of their place. The fourth byte comes
// out of the same mix with s's read as 255 (a * 255 / 255 is exactly a) and
// d's 0 read as 255. Every sum stays below 2^16, and (x + 1 + (x >> 8)) >> 8
// is x / 255 for every such x.
__m128i MixOver4(__m128i sv, __m128i dv) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  __m128i shares = _mm_srli_epi32(sv, 24);
  shares = _mm_or_si128(shares, _mm_slli_epi32(shares, 8));
  shares = _mm_or_si128(shares, _mm_slli_epi32(shares, 16));
  const __m128i s = _mm_or_si128(sv, alphaMask);
  const __m128i dClear = _mm_cmpeq_epi32(_mm_and_si128(dv, alphaMask), zero);
  const __m128i d = _mm_or_si128(dv, _mm_and_si128(dClear, alphaMask));
  const __m128i full = _mm_set1_epi16(255), half = _mm_set1_epi16(127), one = _mm_set1_epi16(1);
  auto mix = [&](__m128i s16, __m128i d16, __m128i a16) {
    const __m128i x = _mm_add_epi16(
        _mm_add_epi16(_mm_mullo_epi16(s16, a16), _mm_mullo_epi16(d16, _mm_sub_epi16(full, a16))), half);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, one), _mm_srli_epi16(x, 8)), 8);
  };
  const __m128i low = mix(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(shares, zero));
  const __m128i high = mix(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(shares, zero));
  return _mm_packus_epi16(low, high);
}
#endif

}  // namespace

// Copies n pixels whose colour (the low three bytes) is not key and mixes
// those that cover only part of their place; key pixels stay as they were.
// Every sprite of every frame goes through here, so on x86 four pixels are
// compared, mixed and merged at once.
void KeyedCopy(QRgb* d, const QRgb* s, int n, QRgb key) {
  int i = 0;
#ifdef __SSE2__
  const __m128i colourMask = _mm_set1_epi32(0x00FFFFFF);
  const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i zero = _mm_setzero_si128();
  const __m128i keyed = _mm_set1_epi32(static_cast<int>(key));
  for (; i + 4 <= n; i += 4) {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i leave = _mm_cmpeq_epi32(_mm_and_si128(sv, colourMask), keyed);
    const int m = _mm_movemask_epi8(leave);
    if (m == 0xFFFF) continue;  // all four keyed: nothing to write
    const __m128i alpha = _mm_and_si128(sv, alphaMask);
    const __m128i opaque = _mm_or_si128(_mm_cmpeq_epi32(alpha, alphaMask), _mm_cmpeq_epi32(alpha, zero));
    __m128i* dp = reinterpret_cast<__m128i*>(d + i);
    if (_mm_movemask_epi8(_mm_or_si128(opaque, leave)) != 0xFFFF) {
      // An edge pixel among the four: they are mixed, copied or left as each needs.
      const __m128i dv = _mm_loadu_si128(dp);
      const __m128i partial = _mm_andnot_si128(_mm_or_si128(opaque, leave), _mm_cmpeq_epi32(zero, zero));
      const __m128i drawn = _mm_or_si128(_mm_and_si128(partial, MixOver4(sv, dv)), _mm_andnot_si128(partial, sv));
      _mm_storeu_si128(dp, _mm_or_si128(_mm_and_si128(leave, dv), _mm_andnot_si128(leave, drawn)));
      continue;
    }
    if (m == 0) {
      _mm_storeu_si128(dp, sv);
    } else {
      const __m128i dv = _mm_loadu_si128(dp);
      _mm_storeu_si128(dp, _mm_or_si128(_mm_and_si128(leave, dv), _mm_andnot_si128(leave, sv)));
    }
  }
#endif
  for (; i < n; ++i)
    if ((s[i] & 0xFFFFFF) != key) d[i] = Partial(s[i]) ? MixOver(s[i], d[i]) : s[i];
}

namespace {

// Copies src (32-bit) block (sx, sy, w, h) to dst at (dx, dy) within the clip,
// leaving out pixels of the key colour when keyed.
void Blit(QImage& dst, int dx, int dy, const QImage& src, int sx, int sy, int w, int h,
          const QRegion& clip, std::optional<QRgb> key) {
  const QRegion area = clip.intersected(QRect(dx, dy, w, h)).intersected(dst.rect());
  if (area.isEmpty()) return;
  // Row addresses from the base pointers: scanLine() per row would check for
  // sharing on every row of every sprite. bits() gives dst its own pixels once.
  uchar* const dBits = dst.bits();
  const qsizetype dStride = dst.bytesPerLine();
  const uchar* const sBits = src.constBits();
  const qsizetype sStride = src.bytesPerLine();
  const int srcW = src.width(), srcH = src.height();
  for (const QRect& r : area) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      const int srcY = sy + (y - dy);
      if (srcY < 0 || srcY >= srcH) continue;
      int x0 = r.left(), x1 = r.right();
      x0 = std::max(x0, dx - sx);  // source columns below 0 are outside
      x1 = std::min(x1, dx - sx + srcW - 1);
      if (x0 > x1) continue;
      auto* d = reinterpret_cast<QRgb*>(dBits + y * dStride) + x0;
      const auto* s = reinterpret_cast<const QRgb*>(sBits + srcY * sStride) + (sx + x0 - dx);
      const int n = x1 - x0 + 1;
      if (!key) {
        std::memcpy(d, s, static_cast<size_t>(n) * 4);
      } else {
        KeyedCopy(d, s, n, *key & 0xFFFFFF);
      }
    }
  }
}

// Lays n pixels of a premultiplied drawing over n pixels of a bitmap whose
// key colour is key, as TCanvas::Compose describes.
void ComposeRow(const QRgb* s, QRgb* d, int n, QRgb key) {
  auto one = [key](QRgb p, QRgb& d) {
    const int a = qAlpha(p);
    if (a == 0) return;
    // The drawing's own colour, undoing the premultiplication (nothing to
    // undo where it covers all: most of a picture).
    const QRgb own = a == 255 ? (p | 0xFF000000u) : qRgb(qRed(p) * 255 / a, qGreen(p) * 255 / a, qBlue(p) * 255 / a);
    QRgb out;
    if ((d & 0xFFFFFF) == key)
      out = (own & 0xFFFFFF) | (QRgb(a) << 24);
    else
      out = a == 255 ? own : MixOver((own & 0xFFFFFF) | (QRgb(a) << 24), d);
    if ((out & 0xFFFFFF) == key) out ^= 0x000001;
    d = out;
  };
  int i = 0;
#ifdef __SSE2__
  // Four at a time where each pixel is left out or covers all: such a pixel
  // is stored as it is, whatever lies under it.
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i colourMask = _mm_set1_epi32(0x00FFFFFF);
  const __m128i keyed = _mm_set1_epi32(static_cast<int>(key));
  const __m128i lowBit = _mm_set1_epi32(1);
  for (; i + 4 <= n; i += 4) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i alpha = _mm_and_si128(p, alphaMask);
    const __m128i none = _mm_cmpeq_epi32(alpha, zero);
    const int noneBits = _mm_movemask_epi8(none);
    if (noneBits == 0xFFFF) continue;
    if (_mm_movemask_epi8(_mm_or_si128(none, _mm_cmpeq_epi32(alpha, alphaMask))) != 0xFFFF) {
      for (int k = i; k < i + 4; ++k) one(s[k], d[k]);
      continue;
    }
    __m128i out = _mm_or_si128(p, alphaMask);
    out = _mm_xor_si128(out, _mm_and_si128(_mm_cmpeq_epi32(_mm_and_si128(out, colourMask), keyed), lowBit));
    __m128i* dp = reinterpret_cast<__m128i*>(d + i);
    if (noneBits != 0) out = _mm_or_si128(_mm_and_si128(none, _mm_loadu_si128(dp)), _mm_andnot_si128(none, out));
    _mm_storeu_si128(dp, out);
  }
#endif
  for (; i < n; ++i) one(s[i], d[i]);
}

// The keyed coverage of graphic at w x h (w, h >= 1; see KeyedCoverage), made
// row by row: sink(y, row, x0, x1) for y = 0..h-1 gets the row's w
// premultiplied pixels, all of them empty outside x0..x1-1. The row is valid
// during the call only.
template <class Sink>
void KeyedCoverageRows(const TBitmap& graphic, int w, int h, Sink&& sink) {
  const QImage& stored = graphic.Image();
  const QRgb key = KeyPixel(stored);
  const int sw = stored.width(), sh = stored.height();
  // The picture premultiplied by its coverage: key pixels are empty, all
  // others opaque. At its own size that is the answer.
  thread_local std::vector<QRgb> alpha;
  alpha.resize(static_cast<std::size_t>(sw) * sh);
  if (stored.format() == QImage::Format_BGR888) {
    // Balloons and badges are stored with 24 bits: read as they are, without
    // a converted copy first.
    for (int y = 0; y < sh; ++y) {
      const uchar* s = stored.constScanLine(y);
      QRgb* d = &alpha[std::size_t(y) * sw];
      for (int x = 0; x < sw; ++x, s += 3) {
        const QRgb c = QRgb(s[0]) | QRgb(s[1]) << 8 | QRgb(s[2]) << 16;
        d[x] = c == key ? 0u : (c | 0xFF000000u);
      }
    }
  } else {
    const QImage src = Pixels32(graphic);
    for (int y = 0; y < sh; ++y) {
      const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
      QRgb* d = &alpha[std::size_t(y) * sw];
      for (int x = 0; x < sw; ++x) d[x] = (s[x] & 0xFFFFFF) == key ? 0u : (s[x] | 0xFF000000u);
    }
  }
  if (sw == w && sh == h) {
    for (int y = 0; y < h; ++y) sink(y, &alpha[std::size_t(y) * sw], 0, w);
    return;
  }
  // Shrinking averages the area each target pixel covers, so the alpha is the
  // covered share.
  const TResampleAxis across(sw, w), down(sh, h);
  const auto* alphaBytes = reinterpret_cast<const std::uint8_t*>(alpha.data());
  TResampler colour(alphaBytes, std::ptrdiff_t(sw) * 4, 4, across, down);
  thread_local std::vector<QRgb> row;
  row.resize(static_cast<std::size_t>(w));
  auto* rowBytes = reinterpret_cast<std::uint8_t*>(row.data());
  const double grow = std::max(double(w) / sw, double(h) / sh);
  if (grow <= 1.0) {
    for (int y = 0; y < h; ++y) {
      const auto [x0, x1] = colour.Row(y, rowBytes);
      sink(y, row.data(), x0, x1);
    }
    return;
  }
  // Growing would magnify the stored picture's hard, stepped edge. The edge is
  // taken instead from the outline smoothed over five stored pixels (a
  // binomial filter), grown, and sharpened again to a ramp of about one target
  // pixel: a round rim stays round. The colour is the grown picture's own.
  // The binomial filter 1 4 6 4 1 across, then down (edges repeat outwards).
  thread_local std::vector<std::uint16_t> across5;
  thread_local std::vector<std::uint8_t> mask, soft, outline;
  across5.resize(static_cast<std::size_t>(sw) * sh);
  mask.resize(static_cast<std::size_t>(sw) + 4);
  soft.resize(static_cast<std::size_t>(sw) * sh);
  outline.resize(static_cast<std::size_t>(w));
  for (int y = 0; y < sh; ++y) {
    // The row's coverage with its end pixels repeated twice outwards.
    const QRgb* a = &alpha[std::size_t(y) * sw];
    std::uint8_t* m = mask.data() + 2;
    for (int x = 0; x < sw; ++x) m[x] = a[x] != 0 ? 1 : 0;
    m[-2] = m[-1] = m[0];
    m[sw] = m[sw + 1] = m[sw - 1];
    std::uint16_t* out = &across5[std::size_t(y) * sw];
    for (int x = 0; x < sw; ++x)
      out[x] = std::uint16_t(m[x - 2] + 4 * m[x - 1] + 6 * m[x] + 4 * m[x + 1] + m[x + 2]);
  }
  for (int y = 0; y < sh; ++y) {
    auto at = [&](int dy) { return &across5[std::size_t(std::clamp(y + dy, 0, sh - 1)) * sw]; };
    const std::uint16_t *r0 = at(-2), *r1 = at(-1), *r2 = at(0), *r3 = at(1), *r4 = at(2);
    std::uint8_t* o = &soft[std::size_t(y) * sw];
    for (int x = 0; x < sw; ++x)
      o[x] = static_cast<std::uint8_t>(((r0[x] + 4 * r1[x] + 6 * r2[x] + 4 * r3[x] + r4[x]) * 255 + 128) / 256);
  }
  TResampler outlineRows(soft.data(), sw, 1, across, down);
  // The outline's value v (0..255) becomes the coverage (v - 127.5) * steep +
  // 127.5, clamped; the table saves a rounding per pixel.
  const double steep = 2 * grow;
  std::array<int, 256> edge{};
  for (int v = 0; v < 256; ++v)
    edge[v] = static_cast<int>(std::lround(std::clamp((v - 127.5) * steep + 127.5, 0.0, 255.0)));
  // The grown picture's pixel p with its outline value v.
  auto sharpen = [&edge](QRgb& p, int v) {
    const int a0 = qAlpha(p);
    const int a = edge[v];
    if (a0 == 0 || (a0 == 255 && a == 255)) return;
    if (a == 0) {
      p = 0;
      return;
    }
    // Own colour of the grown picture, covering the sharpened share.
    auto own = [&](int premultiplied) { return std::min(255, premultiplied * 255 / a0) * a / 255; };
    p = qRgba(own(qRed(p)), own(qGreen(p)), own(qBlue(p)), a);
  };
  // Outline values from here on sharpen to full coverage.
  const int full = static_cast<int>(std::find(edge.begin(), edge.end(), 255) - edge.begin());
  for (int y = 0; y < h; ++y) {
    const auto [x0, x1] = colour.Row(y, rowBytes);
    if (x0 == x1) {
      sink(y, row.data(), 0, 0);
      continue;
    }
    outlineRows.Row(y, outline.data());
    QRgb* const p = row.data();
    const std::uint8_t* o = outline.data();
    int x = x0;
#ifdef __SSE2__
    // Four at a time past what stays as it is: pixels the picture leaves
    // out, and pixels it covers whole well inside the outline.
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(255);
    const __m128i belowFull = _mm_set1_epi32(full - 1);
    for (; x + 4 <= x1; x += 4) {
      const __m128i alpha4 = _mm_srli_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x)), 24);
      std::int32_t o4;
      std::memcpy(&o4, o + x, 4);
      const __m128i outline4 = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(o4), zero), zero);
      const __m128i stays = _mm_or_si128(
          _mm_cmpeq_epi32(alpha4, zero),
          _mm_and_si128(_mm_cmpeq_epi32(alpha4, opaque), _mm_cmpgt_epi32(outline4, belowFull)));
      if (_mm_movemask_epi8(stays) == 0xFFFF) continue;
      for (int k = x; k < x + 4; ++k) sharpen(p[k], o[k]);
    }
#endif
    for (; x < x1; ++x) sharpen(p[x], o[x]);
    sink(y, row.data(), x0, x1);
  }
}

}  // namespace

QRegion TCanvas::Clip(const TRect& area) const {
  QRegion r(ToQRect(area));
  return FClip ? r.intersected(*FClip) : r;
}

const QFont& TCanvas::QtFont() const {
  // The colour is not part of the Qt font: a change of colour keeps the cache.
  if (!FCachedFor || FCachedFor->Name != Font.Name || FCachedFor->Height != Font.Height ||
      FCachedFor->Bold != Font.Bold) {
    FCachedFor = Font;
    FCachedFont = Font.ToQFont();
    FCachedMetrics.emplace(FCachedFont);
    FCachedWidths.clear();
  }
  return FCachedFont;
}

const QFontMetrics& TCanvas::Metrics() const {
  QtFont();
  return *FCachedMetrics;
}

int TCanvas::TextWidth(const QString& text) const {
  const QFontMetrics& m = Metrics();
  for (const auto& [known, width] : FCachedWidths)
    if (known == text) return width;
  constexpr std::size_t kWidths = 16;
  if (FCachedWidths.size() >= kWidths) FCachedWidths.erase(FCachedWidths.begin());
  const int width = m.horizontalAdvance(text);
  FCachedWidths.emplace_back(text, width);
  return width;
}

int TCanvas::TextHeight(const QString& text) const {
  const QFontMetrics& m = Metrics();
  return m.ascent() + m.descent();
}

void TCanvas::TextOut(int x, int y, const QString& text) {
  QImage& img = FOwner.Image();
  if (img.isNull() || text.isEmpty()) return;
  FOwner.SetPixelFormat(TPixelFormat::pf32bit);
  const QFont& f = QtFont();
  const QFontMetrics& m = Metrics();
  QPainter p(&img);
  if (FClip) p.setClipRegion(*FClip);
  if (Brush.Style == TBrushStyle::bsSolid)
    p.fillRect(QRect(x, y, TextWidth(text), m.ascent() + m.descent()), ToQColor(Brush.Color));
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setFont(f);
  p.setPen(ToQColor(Font.Color));
  p.drawText(QPoint(x, y + m.ascent()), text);
}

void TCanvas::LineTo(int x, int y) {
  QImage& img = FOwner.Image();
  const TPoint from = FPenPos;
  FPenPos = {x, y};
  if (img.isNull()) return;
  FOwner.SetPixelFormat(TPixelFormat::pf32bit);
  QPainter p(&img);
  if (FClip) p.setClipRegion(*FClip);
  // Flat caps end the stroke at the end point, which the line leaves out.
  QPen pen(ToQColor(Pen.Color), std::max(1, Pen.Width), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  p.setPen(pen);
  if (Pen.Width <= 1) {
    p.setRenderHint(QPainter::Antialiasing, false);
    // Qt's cosmetic line includes its last pixel: stop one step short.
    const int dx = x - from.X, dy = y - from.Y;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    if (steps == 0) return;
    const double k = (steps - 1.0) / steps;
    p.drawLine(QPointF(from.X, from.Y), QPointF(from.X + dx * k, from.Y + dy * k));
  } else {
    p.drawLine(QPointF(from.X, from.Y), QPointF(x, y));
  }
}

void TCanvas::FillRect(const TRect& r) {
  if (Brush.Style == TBrushStyle::bsClear || r.IsEmpty() || FOwner.Empty()) return;
  FOwner.SetPixelFormat(TPixelFormat::pf32bit);
  QPainter p(&FOwner.Image());
  if (FClip) p.setClipRegion(*FClip);
  p.fillRect(ToQRect(r), ToQColor(Brush.Color));
}

void TCanvas::Draw(int x, int y, const TBitmap& graphic) {
  if (graphic.Empty() || FOwner.Empty()) return;
  FOwner.SetPixelFormat(TPixelFormat::pf32bit);
  const QImage src = Pixels32(graphic);
  std::optional<QRgb> key;
  if (graphic.Transparent) key = KeyPixel(src);
  Blit(FOwner.Image(), x, y, src, 0, 0, src.width(), src.height(),
       Clip({x, y, x + src.width(), y + src.height()}), key);
}

void TCanvas::CopyRect(int x, int y, const TBitmap& source, const TRect& src) {
  if (source.Empty() || FOwner.Empty() || src.IsEmpty()) return;
  FOwner.SetPixelFormat(TPixelFormat::pf32bit);
  const QImage s = Pixels32(source);
  Blit(FOwner.Image(), x, y, s, src.Left, src.Top, src.Width(), src.Height(),
       Clip({x, y, x + src.Width(), y + src.Height()}), std::nullopt);
}

void TCanvas::StretchDraw(const TRect& r, const TBitmap& graphic) {
  if (graphic.Empty() || FOwner.Empty() || r.IsEmpty()) return;
  FOwner.SetPixelFormat(TPixelFormat::pf32bit);
  if (graphic.Transparent) {
    const QRegion clip = Clip(r);
    if (clip.rectCount() > 1) {
      ComposeWithin(r.Left, r.Top, KeyedCoverage(graphic, r.Width(), r.Height()), clip);
      return;
    }
    // One rectangle (as good as always): each row of coverage is composed as
    // soon as it is made, while it is still in the cache, and no picture of
    // the coverage as a whole is needed.
    QImage& dst = FOwner.Image();
    const QRect within = clip.boundingRect().intersected(dst.rect());
    if (within.isEmpty()) return;
    const QRgb key = KeyPixel(dst);
    uchar* const dBits = dst.bits();
    const qsizetype dStride = dst.bytesPerLine();
    KeyedCoverageRows(graphic, r.Width(), r.Height(), [&](int y, const QRgb* row, int x0, int x1) {
      const int dy = r.Top + y;
      if (dy < within.top() || dy > within.bottom()) return;
      const int from = std::max(within.left(), r.Left + x0), to = std::min(within.right() + 1, r.Left + x1);
      if (from >= to) return;
      ComposeRow(row + (from - r.Left), reinterpret_cast<QRgb*>(dBits + dy * dStride) + from, to - from, key);
    });
    return;
  }
  const QImage src = Pixels32(graphic);
  const QImage scaled = (src.size() == QSize(r.Width(), r.Height()))
                            ? src
                            : src.scaled(r.Width(), r.Height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  Blit(FOwner.Image(), r.Left, r.Top, scaled, 0, 0, r.Width(), r.Height(), Clip(r), std::nullopt);
}

void TCanvas::Compose(int x, int y, const QImage& layer) {
  if (layer.isNull() || FOwner.Empty()) return;
  FOwner.SetPixelFormat(TPixelFormat::pf32bit);
  ComposeWithin(x, y, layer, Clip({x, y, x + layer.width(), y + layer.height()}));
}

void TCanvas::ComposeWithin(int x, int y, const QImage& layer, const QRegion& clip) {
  if (layer.isNull()) return;
  const QImage src = layer.format() == QImage::Format_ARGB32_Premultiplied
                         ? layer
                         : layer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QImage& dst = FOwner.Image();
  const QRgb key = KeyPixel(dst);
  uchar* const dBits = dst.bits();
  const qsizetype dStride = dst.bytesPerLine();
  for (const QRect& c : clip.intersected(QRect(x, y, src.width(), src.height())).intersected(dst.rect())) {
    for (int row = c.top(); row <= c.bottom(); ++row) {
      const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(row - y)) + (c.left() - x);
      ComposeRow(s, reinterpret_cast<QRgb*>(dBits + row * dStride) + c.left(), c.width(), key);
    }
  }
}

QImage KeyedCoverage(const TBitmap& graphic, int w, int h) {
  if (graphic.Empty() || w <= 0 || h <= 0) return QImage();
  QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
  uchar* const bits = out.bits();
  const qsizetype stride = out.bytesPerLine();
  KeyedCoverageRows(graphic, w, h, [&](int y, const QRgb* row, int, int) {
    std::memcpy(bits + y * stride, row, static_cast<std::size_t>(w) * 4);
  });
  return out;
}
