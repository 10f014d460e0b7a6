#pragma once
// Writers for the stored picture formats whose exact depth matters to the game:
// Windows bitmaps of 4, 8 and 24 bits, and cursor and icon files. Qt's own
// writers choose their depth themselves, so these are written byte by byte.
#include <QImage>
#include <QString>
#include <vector>

// A 24-bit bitmap file (BITMAPINFOHEADER, bottom-up rows padded to 4 bytes).
// The alpha channel of image is ignored. Throws std::runtime_error on I/O failure.
void WriteBmp24(const QString& path, const QImage& image);

// A palette bitmap file of 4 or 8 bits per pixel from an indexed image
// (QImage::Format_Indexed8 whose colour table has at most 2^bits entries).
void WriteBmpIndexed(const QString& path, const QImage& indexed, int bits);

// One picture of a cursor or icon file: an 8-bit palette picture (cursor) or a
// 24-bit one (icon), plus the AND mask: a pixel with alpha < 128 is transparent.
struct TIconPicture {
  QImage Image;  // ARGB32; fully transparent pixels become mask pixels
  int Bits = 24; // 8 (indexed, palette built from the opaque colours) or 24
};

// A .cur file with one picture and its hot spot, or an .ico file with one or
// more pictures (hot spots ignored).
void WriteCursor(const QString& path, const TIconPicture& picture, int hotX, int hotY);
void WriteIcon(const QString& path, const std::vector<TIconPicture>& pictures);

// The image reduced to at most maxColours colours (exact when it has no more),
// as Format_Indexed8. Pixels keep their colour where the palette holds it.
QImage ToIndexed(const QImage& image, int maxColours);
