#include "display/GraphicsRoutines.h"

#include <cstddef>

#include "display/Bitmap.h"
#include "display/GraphicsRoutinesRows.h"
#include "display/Processor.h"
#include "platform/Random.h"

namespace {

// The program's random generator starts from the clock as soon as this module
// is loaded, before any game code draws from it. The generator's state is a
// constant-initialised integer, so the order of start-up is no concern.
[[maybe_unused]] const bool RandomSeeded = (Randomize(), true);

#ifdef ZUGGLE_BLEND_SSE2
namespace Rows = BlendRows::Sse2;
#else
namespace Rows = BlendRows::Plain;
#endif

const char* const kNoBitmap = "Alpha blending DC error: no bitmap available.";
const char* const kNot32Bpp = "Alpha blending error: bitmap must use 32 bpp.";
const char* const kOutside = "Alpha blending error: rectangle outside the bitmap.";

// The checks of DibBitsOfDC without touching the pixels: a bitmap that
// passes can be blended.
const QImage& CheckedImage(HDC DC) {
  if (DC == nullptr || DC->Bitmap().Empty()) throw EAssertionFailed(kNoBitmap);
  const TBitmap& bitmap = DC->Bitmap();
  if (bitmap.PixelFormat() != TPixelFormat::pf32bit || bitmap.Image().depth() != 32)
    throw EAssertionFailed(kNot32Bpp);
  return bitmap.Image();
}

// A w x h block at (x, y) lies inside an image.
bool Inside(const QImage& image, int x, int y, int w, int h) {
  return x >= 0 && y >= 0 && x <= image.width() - w && y <= image.height() - h;
}

}  // namespace

void BlendRowUniform(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Alpha, int Bias) {
#ifdef ZUGGLE_BLEND_AVX2
  if (ProcessorHasAvx2()) return BlendRows::Avx2::BlendRowUniform(Source, Dest, Count, Alpha, Bias);
#endif
  Rows::BlendRowUniform(Source, Dest, Count, Alpha, Bias);
}

void BlendRowPixelAlpha(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Bias) {
  Rows::BlendRowPixelAlpha(Source, Dest, Count, Bias);
}

void BlendRowScaledPixelAlpha(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Alpha,
                              int Bias) {
  Rows::BlendRowScaledPixelAlpha(Source, Dest, Count, Alpha, Bias);
}

void BlendRowUniformColor(std::uint32_t* Dest, int Count, int Alpha, TColor Color) {
  Rows::BlendRowUniformColor(Dest, Count, Alpha, Color);
}

std::uint8_t* ScanlineAddress(void* Bits, int Width, int Height, int Row) {
  const std::ptrdiff_t stored = Height > 0 ? std::ptrdiff_t{Height} - Row - 1 : std::ptrdiff_t{Row};
  // 32 bits per pixel: a row is Width * 32 bits, already a multiple of 32, so
  // the byte offset is exact.
  const std::ptrdiff_t rowBytes = std::ptrdiff_t{Width} * 4;
  return static_cast<std::uint8_t*>(Bits) + stored * rowBytes;
}

void* DibBitsOfDC(HDC DC, int& Width, int& Height) {
  Width = 0;
  Height = 0;
  CheckedImage(DC);
  // bits() gives this bitmap its own pixels if it shared them with a copy, so
  // writing through the result changes this bitmap only.
  QImage& image = DC->Bitmap().Image();
  Width = image.width();
  Height = -image.height();  // our rows are stored top-down
  return image.bits();
}

void BlendRect(HDC SourceDC, HDC DestDC, const TRect& SourceRect, TPoint DestPoint, std::uint8_t Kind,
               int Alpha, int BiasOrColor) {
  if (SourceRect.IsEmpty() || Kind > bkUniformColor) return;
  const int w = SourceRect.Width();
  const int h = SourceRect.Height();

  // Every check comes before the first pixel is written: a failed blend
  // leaves both bitmaps as they were. Out-of-range blocks would read or write
  // outside the pixel memory, so they fail here instead.
  if (Kind == bkUniformColor) {
    const QImage& dest = CheckedImage(DestDC);
    if (!Inside(dest, SourceRect.Left, SourceRect.Top, w, h)) throw EAssertionFailed(kOutside);
    int width = 0, height = 0;
    void* bits = DibBitsOfDC(DestDC, width, height);
    for (int i = 0; i < h; ++i) {
      auto* row = reinterpret_cast<std::uint32_t*>(ScanlineAddress(bits, width, height, SourceRect.Top + i)) +
                  SourceRect.Left;
      Rows::BlendRowUniformColor(row, w, Alpha, static_cast<TColor>(BiasOrColor));
    }
    return;
  }

  const QImage& source = CheckedImage(SourceDC);
  const QImage& dest = CheckedImage(DestDC);
  if (!Inside(source, SourceRect.Left, SourceRect.Top, w, h) || !Inside(dest, DestPoint.X, DestPoint.Y, w, h))
    throw EAssertionFailed(kOutside);

  // The destination first: making its pixels its own may move them, and when
  // both contexts hold the same bitmap the source must see the moved pixels.
  int destWidth = 0, destHeight = 0;
  void* destBits = DibBitsOfDC(DestDC, destWidth, destHeight);
  // The source is only read, so it need not be separated from its copies.
  void* sourceBits = const_cast<uchar*>(source.constBits());
  const int sourceWidth = source.width();
  const int sourceHeight = -source.height();

  for (int i = 0; i < h; ++i) {
    const auto* s = reinterpret_cast<const std::uint32_t*>(
                        ScanlineAddress(sourceBits, sourceWidth, sourceHeight, SourceRect.Top + i)) +
                    SourceRect.Left;
    auto* d = reinterpret_cast<std::uint32_t*>(ScanlineAddress(destBits, destWidth, destHeight, DestPoint.Y + i)) +
              DestPoint.X;
    switch (Kind) {
      case bkUniform: Rows::BlendRowUniform(s, d, w, Alpha, BiasOrColor); break;
      case bkPixelAlpha: Rows::BlendRowPixelAlpha(s, d, w, BiasOrColor); break;
      case bkScaledPixelAlpha: Rows::BlendRowScaledPixelAlpha(s, d, w, Alpha, BiasOrColor); break;
    }
  }
  // The SSE2 registers are separate from the floating-point stack, so unlike
  // MMX they leave no state to clear after the rows.
}

void BlendBitmaps(TBitmap& Under, TBitmap& Picture, TBitmap& Target, int Alpha, int UnderX, int PictureX,
                  int UnderY, int PictureY, int Width, int Height) {
  Under.SetPixelFormat(TPixelFormat::pf32bit);
  Picture.SetPixelFormat(TPixelFormat::pf32bit);
  Target.SetPixelFormat(TPixelFormat::pf32bit);
  const TRect r{UnderX, UnderY, UnderX + Width, UnderY + Height};
  if (r.IsEmpty()) return;  // nothing to copy and nothing to mix
  // Check the blend's bitmaps before the copy, so that a blend that cannot run
  // leaves Target untouched.
  const QImage& under = CheckedImage(&Under.Canvas());
  const QImage& target = CheckedImage(&Target.Canvas());
  if (!Inside(under, UnderX, UnderY, Width, Height) || !Inside(target, 0, 0, Width, Height))
    throw EAssertionFailed(kOutside);
  Target.Canvas().CopyRect(0, 0, Picture, TRect{PictureX, PictureY, PictureX + Width, PictureY + Height});
  BlendRect(&Under.Canvas(), &Target.Canvas(), r, TPoint{0, 0}, bkUniform, Alpha, 0);
}
