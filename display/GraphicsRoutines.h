#pragma once
// Byte-wise mixing of 32-bit pictures. Every routine treats the four bytes of a
// pixel (blue, green, red, fourth byte) alike.
#include <cstdint>
#include <stdexcept>

#include "platform/Types.h"

class TBitmap;
class TCanvas;

// Raised when a blend is handed something it cannot work on; the message tells what.
class EAssertionFailed : public std::logic_error {
public:
  using std::logic_error::logic_error;
};

enum TBlendKind : std::uint8_t {
  bkUniform = 0,           // weight: the Alpha argument
  bkPixelAlpha = 1,        // weight: the source pixel's fourth byte
  bkScaledPixelAlpha = 2,  // weight: (fourth byte * Alpha) mod 65536 div 256
  bkUniformColor = 3,      // weight: Alpha, mixing a colour into the destination
};

// A device context is a canvas; the bitmap "selected into" it is the canvas's bitmap.
using HDC = TCanvas*;

// Target's Width x Height block gets, byte by byte, Under at (UnderX, UnderY)
// mixed with weight Alpha over Picture at (PictureX, PictureY) with weight
// 256 - Alpha. All three bitmaps are converted to 32 bits per pixel first.
// Target must hold at least Width x Height pixels. Throws as BlendRect does
// (Under or Target empty, or a block outside), before Target is changed; an
// empty block does nothing.
void BlendBitmaps(TBitmap& Under, TBitmap& Picture, TBitmap& Target, int Alpha, int UnderX,
                  int PictureX, int UnderY, int PictureY, int Width, int Height);

// Mixes SourceRect of the source DC's bitmap into the destination DC's bitmap at
// DestPoint (kinds 0..2; BiasOrColor is the bias), or SourceRect of the
// destination with the colour BiasOrColor (kind 3). An empty SourceRect or an
// unknown kind does nothing (the contexts are not looked at). The source is
// checked before the destination.
// Throws EAssertionFailed as DibBitsOfDC does, and with "Alpha blending error:
// rectangle outside the bitmap." when a block does not lie inside its bitmap;
// either way before any pixel is changed. The same bitmap may be source and
// destination: rows are then mixed in order, each seeing the ones before.
void BlendRect(HDC SourceDC, HDC DestDC, const TRect& SourceRect, TPoint DestPoint,
               std::uint8_t Kind, int Alpha, int BiasOrColor);

// Row routines: Count pixels of Dest overwritten (none when Count <= 0). Bias is
// taken as a signed 16-bit value (its low 16 bits); Alpha as its low 16 bits.
// Overlapping rows behave as a pixel-by-pixel walk (see GraphicsRoutinesRows.h).
void BlendRowUniform(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Alpha, int Bias);
void BlendRowPixelAlpha(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Bias);
void BlendRowScaledPixelAlpha(const std::uint32_t* Source, std::uint32_t* Dest, int Count, int Alpha,
                              int Bias);
void BlendRowUniformColor(std::uint32_t* Dest, int Count, int Alpha, TColor Color);

// Address of row Row of a 32-bit pixel block: Height > 0 means bottom-up storage
// (row 0 is stored last), Height <= 0 top-down.
std::uint8_t* ScanlineAddress(void* Bits, int Width, int Height, int Row);

// Pixel memory of the bitmap selected into DC; Width and Height as in a bitmap
// header (Height negative: top-down rows). Throws EAssertionFailed with
// "Alpha blending error: bitmap must use 32 bpp." when the bitmap is not 32-bit,
// and "Alpha blending DC error: no bitmap available." when there is no pixel memory.
void* DibBitsOfDC(HDC DC, int& Width, int& Height);
