#pragma once
// Reader for Windows cursor (.cur) and icon (.ico) files: each picture with
// its AND mask and, for cursors, its hot spot. Used for the aiming cursor and
// the program icon, which the game stores in these formats.
#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <stdexcept>
#include <vector>

// The bytes are not a cursor or icon file, or a picture in it is damaged.
class EIconError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

struct TIconImage {
  // Format_ARGB32 of the picture's own size: masked pixels have alpha 0,
  // all others alpha 255 (or the picture's own alpha for 32-bit pictures).
  QImage Image;
  // Cursor files: the hot spot in the picture's pixels. Icon files: (0, 0).
  QPoint HotSpot;
  int BitCount = 0;  // bits per pixel as stored (1, 4, 8, 24, 32; 32 for PNG entries)
};

// Every picture of the file, in the order of its directory. Bitmap pictures of
// 1, 4, 8, 24 and 32 bits and PNG pictures are read; sides up to 256 pixels.
// Throws EIconError for anything else, including truncated data or a
// directory entry that points outside the file.
std::vector<TIconImage> ReadIconFile(const QByteArray& bytes);
