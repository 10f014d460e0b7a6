#include "FileWriters.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>

namespace {

class TByteWriter {
public:
  void U8(int v) { FBytes.push_back(static_cast<char>(v & 0xFF)); }
  void U16(int v) { U8(v); U8(v >> 8); }
  void U32(std::uint32_t v) { U16(static_cast<int>(v & 0xFFFF)); U16(static_cast<int>(v >> 16)); }
  void Pad4(std::size_t rowStart) {
    while ((FBytes.size() - rowStart) % 4 != 0) U8(0);
  }
  std::size_t Size() const { return FBytes.size(); }
  void Append(const QByteArray& b) { FBytes.append(b); }
  const QByteArray& Bytes() const { return FBytes; }

private:
  QByteArray FBytes;
};

void Save(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
    throw std::runtime_error("cannot write " + path.toStdString());
}

int RowBytes(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

// BITMAPINFOHEADER; height is doubled in cursor and icon pictures (XOR + AND).
void InfoHeader(TByteWriter& w, int width, int height, int bits, int colours, int imageBytes) {
  w.U32(40);
  w.U32(static_cast<std::uint32_t>(width));
  w.U32(static_cast<std::uint32_t>(height));
  w.U16(1);
  w.U16(bits);
  w.U32(0);  // BI_RGB
  w.U32(static_cast<std::uint32_t>(imageBytes));
  w.U32(2835);  // 72 dpi
  w.U32(2835);
  w.U32(static_cast<std::uint32_t>(colours));
  w.U32(0);
}

void Palette(TByteWriter& w, const QImage& indexed, int entries) {
  const QList<QRgb> table = indexed.colorTable();
  for (int i = 0; i < entries; ++i) {
    const QRgb c = i < table.size() ? table[i] : 0;
    w.U8(qBlue(c)); w.U8(qGreen(c)); w.U8(qRed(c)); w.U8(0);
  }
}

// Pixel rows bottom-up, each padded to 4 bytes.
void Pixels24(TByteWriter& w, const QImage& img) {
  for (int y = img.height() - 1; y >= 0; --y) {
    const std::size_t start = w.Size();
    for (int x = 0; x < img.width(); ++x) {
      const QRgb c = img.pixel(x, y);
      w.U8(qBlue(c)); w.U8(qGreen(c)); w.U8(qRed(c));
    }
    w.Pad4(start);
  }
}

void PixelsIndexed(TByteWriter& w, const QImage& img, int bits) {
  for (int y = img.height() - 1; y >= 0; --y) {
    const std::size_t start = w.Size();
    const uchar* row = img.constScanLine(y);
    if (bits == 8) {
      for (int x = 0; x < img.width(); ++x) w.U8(row[x]);
    } else {
      for (int x = 0; x < img.width(); x += 2) {
        const int hi = row[x] & 0x0F;
        const int lo = x + 1 < img.width() ? (row[x + 1] & 0x0F) : 0;
        w.U8((hi << 4) | lo);
      }
    }
    w.Pad4(start);
  }
}

// The AND mask: 1 bit per pixel, set where the pixel is transparent.
void Mask(TByteWriter& w, const QImage& argb) {
  for (int y = argb.height() - 1; y >= 0; --y) {
    const std::size_t start = w.Size();
    for (int x0 = 0; x0 < argb.width(); x0 += 8) {
      int byte = 0;
      for (int b = 0; b < 8; ++b) {
        const int x = x0 + b;
        if (x < argb.width() && qAlpha(argb.pixel(x, y)) < 128) byte |= 0x80 >> b;
      }
      w.U8(byte);
    }
    w.Pad4(start);
  }
}

// The picture as stored inside a cursor or icon file (header, palette, XOR, AND).
QByteArray IconImage(const TIconPicture& p) {
  const QImage argb = p.Image.convertToFormat(QImage::Format_ARGB32);
  const int w = argb.width(), h = argb.height();
  TByteWriter out;
  const int xorBytes = RowBytes(w, p.Bits) * h;
  const int andBytes = RowBytes(w, 1) * h;
  if (p.Bits == 8) {
    // Transparent pixels are stored black, as the AND/XOR convention wants.
    QImage opaque(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const QRgb c = argb.pixel(x, y);
        opaque.setPixel(x, y, qAlpha(c) < 128 ? qRgb(0, 0, 0) : (c | 0xFF000000u));
      }
    const QImage idx = ToIndexed(opaque, 256);
    InfoHeader(out, w, h * 2, 8, 256, xorBytes + andBytes);
    Palette(out, idx, 256);
    PixelsIndexed(out, idx, 8);
  } else {
    QImage opaque(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const QRgb c = argb.pixel(x, y);
        opaque.setPixel(x, y, qAlpha(c) < 128 ? qRgb(0, 0, 0) : (c | 0xFF000000u));
      }
    InfoHeader(out, w, h * 2, 24, 0, xorBytes + andBytes);
    Pixels24(out, opaque);
  }
  Mask(out, argb);
  return out.Bytes();
}

// ICONDIR and its entries; type 1 icon, 2 cursor (planes/bits hold the hot spot).
QByteArray IconFile(int type, const std::vector<TIconPicture>& pictures, int hotX, int hotY) {
  std::vector<QByteArray> images;
  for (const auto& p : pictures) images.push_back(IconImage(p));
  TByteWriter w;
  w.U16(0);
  w.U16(type);
  w.U16(static_cast<int>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const QImage& img = pictures[i].Image;
    w.U8(img.width() >= 256 ? 0 : img.width());
    w.U8(img.height() >= 256 ? 0 : img.height());
    w.U8(0);  // colour count: 0 for 256 colours and for true colour
    w.U8(0);
    if (type == 2) {
      w.U16(hotX);
      w.U16(hotY);
    } else {
      w.U16(1);
      w.U16(pictures[i].Bits);
    }
    w.U32(static_cast<std::uint32_t>(images[i].size()));
    w.U32(offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& b : images) w.Append(b);
  return w.Bytes();
}

}  // namespace

void WriteBmp24(const QString& path, const QImage& image) {
  const QImage img = image.convertToFormat(QImage::Format_RGB32);
  const int pixelBytes = RowBytes(img.width(), 24) * img.height();
  TByteWriter w;
  w.U8('B'); w.U8('M');
  w.U32(static_cast<std::uint32_t>(14 + 40 + pixelBytes));
  w.U32(0);
  w.U32(14 + 40);
  InfoHeader(w, img.width(), img.height(), 24, 0, pixelBytes);
  Pixels24(w, img);
  Save(path, w.Bytes());
}

void WriteBmpIndexed(const QString& path, const QImage& indexed, int bits) {
  if ((bits != 4 && bits != 8) || indexed.format() != QImage::Format_Indexed8 ||
      indexed.colorCount() > (1 << bits))
    throw std::runtime_error("WriteBmpIndexed: needs an indexed picture that fits the depth");
  const int entries = 1 << bits;
  const int pixelBytes = RowBytes(indexed.width(), bits) * indexed.height();
  const int offset = 14 + 40 + entries * 4;
  TByteWriter w;
  w.U8('B'); w.U8('M');
  w.U32(static_cast<std::uint32_t>(offset + pixelBytes));
  w.U32(0);
  w.U32(static_cast<std::uint32_t>(offset));
  InfoHeader(w, indexed.width(), indexed.height(), bits, entries, pixelBytes);
  Palette(w, indexed, entries);
  PixelsIndexed(w, indexed, bits);
  Save(path, w.Bytes());
}

void WriteCursor(const QString& path, const TIconPicture& picture, int hotX, int hotY) {
  Save(path, IconFile(2, {picture}, hotX, hotY));
}

void WriteIcon(const QString& path, const std::vector<TIconPicture>& pictures) {
  Save(path, IconFile(1, pictures, 0, 0));
}

QImage ToIndexed(const QImage& image, int maxColours) {
  const QImage src = image.convertToFormat(QImage::Format_RGB32);
  // Coarsen the colours step by step until they fit; exact colours survive as
  // long as possible, and the first step is exact.
  for (int shift = 0; shift <= 7; ++shift) {
    const QRgb m = (0xFFu << shift) & 0xFFu;
    const QRgb maskRgb = (m << 16) | (m << 8) | m;
    std::map<QRgb, int> count;
    for (int y = 0; y < src.height(); ++y)
      for (int x = 0; x < src.width(); ++x) ++count[src.pixel(x, y) & maskRgb];
    if (static_cast<int>(count.size()) > maxColours) continue;
    // Each bucket's colour is its most frequent exact colour, so that a key
    // colour (the most common one around it) survives exactly.
    std::map<QRgb, std::map<QRgb, int>> members;
    for (int y = 0; y < src.height(); ++y)
      for (int x = 0; x < src.width(); ++x) {
        const QRgb c = src.pixel(x, y) | 0xFF000000u;
        ++members[c & maskRgb][c];
      }
    QImage out(src.size(), QImage::Format_Indexed8);
    QList<QRgb> table;
    QHash<QRgb, int> index;
    for (const auto& [key, exact] : members) {
      index.insert(key, static_cast<int>(table.size()));
      const auto best = std::max_element(exact.begin(), exact.end(),
                                         [](const auto& a, const auto& b) { return a.second < b.second; });
      table.push_back(best->first);
    }
    out.setColorTable(table);
    for (int y = 0; y < src.height(); ++y)
      for (int x = 0; x < src.width(); ++x) out.setPixel(x, y, static_cast<uint>(index.value(src.pixel(x, y) & maskRgb)));
    return out;
  }
  throw std::runtime_error("ToIndexed: too many colours");
}
