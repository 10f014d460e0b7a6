#pragma once
// The game's picture type: a bitmap with a drawing canvas, in the role of the
// toolkit bitmap that the game was designed around.
//
// Pixels of a 32-bit bitmap are stored as bytes blue, green, red, fourth byte
// (QImage::Format_RGB32 on little-endian machines), rows top-down. Other depths
// exist only for pictures as they are stored; drawing converts as needed.
//
// Edges of keyed pictures. A transparent picture leaves out the pixels of its
// key colour; a pixel not of the key colour whose fourth byte lies between 1
// and 254 covers that share of its place: a transparent draw mixes it over
// what lies under it, so the edge of a balloon is smooth on any sky. Fourth
// bytes of 0 and 255 (all that stored pictures and Qt's drawing leave) are
// opaque. Such partly covering pixels are made only where a keyed picture is
// stretched (or a drawing composed, TCanvas::Compose) onto key-coloured pixels.
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QRegion>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "display/Geometry.h"
#include "platform/Types.h"

enum class TPixelFormat { pf4bit, pf8bit, pf24bit, pf32bit };

// Pixels per inch of the screen: converts point sizes to pixels.
int ScreenPixelsPerInch();
// Round(a * b / c) with halves away from zero, as the toolkit's size conversions do.
int MulDiv(int a, int b, int c);

struct TFont {
  QString Name = QStringLiteral("Arial");
  // Negative: the character height in pixels (the em size). Positive: the cell
  // height (ascent + descent) in pixels. 0 means the default of 16 pixels.
  int Height = -16;
  bool Bold = false;
  TColor Color = clBlack;

  // Size in points at ScreenPixelsPerInch(); writing sets a negative Height.
  int Size() const;
  void SetSize(int points);
  // The Qt font with the game's face names mapped to the embedded fonts.
  QFont ToQFont() const;
  bool operator==(const TFont&) const = default;
};

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
};

enum class TBrushStyle { bsSolid, bsClear };
struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = TBrushStyle::bsSolid;
  bool operator==(const TBrush&) const = default;
};

class TBitmap;

// Drawing on one bitmap. Coordinates are the bitmap's pixels; rectangles are
// TRect (Right and Bottom outside). The clip region, when set, limits every
// operation; none means no clipping.
class TCanvas {
public:
  explicit TCanvas(TBitmap& owner) : FOwner(owner) {}
  TFont Font;
  TPen Pen;
  TBrush Brush;

  TBitmap& Bitmap() { return FOwner; }
  void SetClipRegion(std::optional<QRegion> clip) { FClip = std::move(clip); }
  const std::optional<QRegion>& ClipRegion() const { return FClip; }

  // Text with the top of its character cell at y, in Font; a solid brush fills
  // the text's cell first, a clear one leaves the background.
  void TextOut(int x, int y, const QString& text);
  int TextWidth(const QString& text) const;
  int TextHeight(const QString& text) const;

  void MoveTo(int x, int y) { FPenPos = {x, y}; }
  // A line from the pen position to (x, y), the end point itself not drawn.
  void LineTo(int x, int y);
  // Fills with the brush colour (a clear brush fills nothing).
  void FillRect(const TRect& r);
  // The graphic at its own size, top-left at (x, y); a transparent graphic
  // leaves the pixels of its key colour out.
  void Draw(int x, int y, const TBitmap& graphic);
  // The graphic stretched over r (smoothly). A transparent graphic is stretched
  // as coverage (KeyedCoverage) and composed (Compose): its key colour never
  // bleeds into its edges, and lines thinner than a pixel after shrinking stay
  // whole, as pixels that cover part of their place.
  void StretchDraw(const TRect& r, const TBitmap& graphic);
  // Lays an anti-aliased drawing (QImage::Format_ARGB32_Premultiplied) over the
  // bitmap with its top-left at (x, y), within the clip. Where the bitmap has
  // its key colour (its bottom-left pixel's, taken before drawing) a pixel of
  // the drawing is stored with its own colour and its coverage in the fourth
  // byte, so that the key never tints the edge; elsewhere the drawing is mixed
  // over the bitmap's pixel. A stored colour that would equal the key is moved
  // one step off it.
  void Compose(int x, int y, const QImage& layer);
  // Plain copy of source's rectangle src to (x, y) of this canvas.
  void CopyRect(int x, int y, const TBitmap& source, const TRect& src);

private:
  QRegion Clip(const TRect& area) const;
  void ComposeWithin(int x, int y, const QImage& layer, const QRegion& clip);
  // Font as a Qt font and its metrics, made again only when Font has changed:
  // the game writes text every frame with one or two fonts.
  const QFont& QtFont() const;
  const QFontMetrics& Metrics() const;
  TBitmap& FOwner;
  mutable std::optional<TFont> FCachedFor;
  mutable QFont FCachedFont;
  mutable std::optional<QFontMetrics> FCachedMetrics;
  // The widths of the texts last measured in the cached font: measuring lays
  // the text out, and the clock measures the same few texts every frame.
  mutable std::vector<std::pair<QString, int>> FCachedWidths;
  std::optional<QRegion> FClip;
  TPoint FPenPos;
};

class TBitmap {
public:
  // A 32-bit bitmap, white, of the given size (0 x 0: no pixel memory).
  TBitmap(int width = 0, int height = 0);
  // Adopts an image as it was stored: its depth becomes the pixel format.
  explicit TBitmap(const QImage& image, TPixelFormat format);
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const { return FImage.width(); }
  int Height() const { return FImage.height(); }
  // New size; what fits is kept, new area is white.
  void SetSize(int width, int height);
  TPixelFormat PixelFormat() const { return FFormat; }
  // Converts the pixels to the given depth (32 is the only one drawn on).
  void SetPixelFormat(TPixelFormat format);
  // Copies picture, depth and transparency of another bitmap.
  void Assign(const TBitmap& other);

  // Drawn transparently, every pixel of the bottom-left pixel's colour is left out.
  bool Transparent = false;
  // The key colour: the bottom-left pixel's colour; white for an empty bitmap.
  TColor TransparentColor() const;

  TCanvas& Canvas() { return FCanvas; }
  // Row 0 is the top row; 32-bit rows are Width() * 4 bytes.
  std::uint8_t* ScanLine(int row) { return FImage.scanLine(row); }
  const std::uint8_t* ScanLine(int row) const { return FImage.constScanLine(row); }
  // The pixels; 32-bit bitmaps are QImage::Format_RGB32.
  QImage& Image() { return FImage; }
  const QImage& Image() const { return FImage; }
  bool Empty() const { return FImage.isNull(); }

private:
  QImage FImage;
  TPixelFormat FFormat = TPixelFormat::pf32bit;
  TCanvas FCanvas{*this};
};

// A picture's pixels as 32 bits (Format_RGB32, the fourth byte kept), the
// picture itself when it is stored so, else converted from its depth.
QImage Pixels32(const TBitmap& b);

// A picture's key colour: its bottom-left pixel, colour bytes only
// (0x00RRGGBB). Not for a null picture.
inline QRgb KeyPixel(const QImage& picture) { return picture.pixel(0, picture.height() - 1) & 0xFFFFFF; }

// The graphic's pixels that are not of its key colour (the bottom-left pixel's),
// stretched smoothly to w x h, as a premultiplied ARGB drawing whose alpha is
// the share of each pixel they cover: shrinking keeps a thin line as a run of
// partly covering pixels instead of dropping it, growing gives soft edges. The
// key colour contributes nothing, so no edge is tinted by it. Null for an empty
// graphic or size.
QImage KeyedCoverage(const TBitmap& graphic, int w, int h);

// TColor ($00BBGGRR) to and from Qt colours.
inline QColor ToQColor(TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline TColor ToTColor(QRgb c) { return RGB(qRed(c), qGreen(c), qBlue(c)); }
