#include "display/IconFile.h"

#include <cstdint>
#include <string>

namespace {

class TReader {
public:
  TReader(const QByteArray& b, std::size_t start, std::size_t end) : FBytes(b), FPos(start), FEnd(end) {}
  std::uint32_t U8() {
    Need(1);
    return static_cast<std::uint8_t>(FBytes[static_cast<qsizetype>(FPos++)]);
  }
  std::uint32_t U16() { const std::uint32_t lo = U8(); return lo | (U8() << 8); }
  std::uint32_t U32() { const std::uint32_t lo = U16(); return lo | (U16() << 16); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  void Skip(std::size_t n) { Need(n); FPos += n; }
  std::size_t Pos() const { return FPos; }
  void Need(std::size_t n) const {
    if (FPos > FEnd || FEnd - FPos < n) throw EIconError("icon file: truncated");
  }
  const QByteArray& Bytes() const { return FBytes; }

private:
  const QByteArray& FBytes;
  std::size_t FPos, FEnd;
};

std::size_t RowBytes(int width, int bits) { return ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4; }

// One bitmap picture: BITMAPINFOHEADER (height covers XOR and AND halves),
// palette, XOR pixels bottom-up, AND mask bottom-up.
TIconImage ReadBitmapPicture(const QByteArray& bytes, std::size_t start, std::size_t end) {
  TReader r(bytes, start, end);
  const std::uint32_t headerSize = r.U32();
  if (headerSize < 40 || headerSize > 1024) throw EIconError("icon file: unknown picture header");
  const std::int32_t width = r.I32();
  const std::int32_t doubleHeight = r.I32();
  const std::uint32_t planes = r.U16();
  const int bits = static_cast<int>(r.U16());
  const std::uint32_t compression = r.U32();
  r.Skip(12);
  const std::uint32_t coloursUsed = r.U32();
  r.Skip(4);
  r.Skip(headerSize - 40);
  if (width <= 0 || width > 256 || doubleHeight <= 0 || doubleHeight > 512 || doubleHeight % 2 != 0)
    throw EIconError("icon file: bad picture size");
  if (planes > 1 || compression != 0) throw EIconError("icon file: compressed pictures are not supported");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
    throw EIconError("icon file: unsupported depth " + std::to_string(bits));
  const int height = doubleHeight / 2;

  std::vector<QRgb> palette;
  if (bits <= 8) {
    const std::uint32_t maxEntries = 1u << bits;
    const std::uint32_t entries = coloursUsed == 0 ? maxEntries : coloursUsed;
    if (entries > maxEntries) throw EIconError("icon file: palette too large");
    for (std::uint32_t i = 0; i < entries; ++i) {
      const std::uint32_t b = r.U8(), g = r.U8(), rr = r.U8();
      r.U8();
      palette.push_back(qRgb(static_cast<int>(rr), static_cast<int>(g), static_cast<int>(b)));
    }
  }

  const std::size_t xorRow = RowBytes(width, bits), andRow = RowBytes(width, 1);
  const std::size_t xorStart = r.Pos();
  r.Need(xorRow * height + andRow * height);
  const std::size_t andStart = xorStart + xorRow * height;
  const auto byteAt = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(i)]); };

  TIconImage out;
  out.BitCount = bits;
  out.Image = QImage(width, height, QImage::Format_ARGB32);
  if (out.Image.isNull()) throw EIconError("icon file: out of memory");
  bool anyAlpha = false;
  for (int y = 0; y < height; ++y) {
    const std::size_t row = xorStart + xorRow * static_cast<std::size_t>(height - 1 - y);
    auto* d = reinterpret_cast<QRgb*>(out.Image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      QRgb c = 0;
      if (bits == 24 || bits == 32) {
        const std::size_t p = row + static_cast<std::size_t>(x) * (bits / 8);
        const int a = bits == 32 ? byteAt(p + 3) : 255;
        if (bits == 32 && a != 0) anyAlpha = true;
        c = qRgba(byteAt(p + 2), byteAt(p + 1), byteAt(p), a);
      } else {
        const std::size_t bit = static_cast<std::size_t>(x) * bits;
        const int v = (byteAt(row + bit / 8) >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
        // An index past a short palette is black, as the system draws it.
        c = static_cast<std::size_t>(v) < palette.size() ? palette[static_cast<std::size_t>(v)] : qRgb(0, 0, 0);
      }
      d[x] = c;
    }
  }
  // 32-bit pictures written without alpha (all zero) rely on the mask alone.
  for (int y = 0; y < height; ++y) {
    const std::size_t row = andStart + andRow * static_cast<std::size_t>(height - 1 - y);
    auto* d = reinterpret_cast<QRgb*>(out.Image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const bool masked = (byteAt(row + static_cast<std::size_t>(x) / 8) >> (7 - x % 8)) & 1;
      if (masked) d[x] = 0;
      else if (bits == 32 && !anyAlpha) d[x] |= 0xFF000000u;
    }
  }
  return out;
}

}  // namespace

std::vector<TIconImage> ReadIconFile(const QByteArray& bytes) {
  const std::size_t size = static_cast<std::size_t>(bytes.size());
  TReader dir(bytes, 0, size);
  if (dir.U16() != 0) throw EIconError("icon file: bad signature");
  const std::uint32_t type = dir.U16();
  if (type != 1 && type != 2) throw EIconError("icon file: neither icon nor cursor");
  const std::uint32_t count = dir.U16();
  if (count == 0) throw EIconError("icon file: no picture");
  std::vector<TIconImage> pictures;
  for (std::uint32_t i = 0; i < count; ++i) {
    dir.Skip(4);  // width, height, colour count, reserved: the picture header says it better
    const std::uint32_t a = dir.U16(), b = dir.U16();
    const std::uint32_t length = dir.U32(), offset = dir.U32();
    if (offset > size || length > size - offset || length < 8)
      throw EIconError("icon file: picture outside the file");
    TIconImage pic;
    if (bytes.mid(static_cast<qsizetype>(offset), 8) == QByteArray("\x89PNG\r\n\x1a\n", 8)) {
      // The size is checked in the PNG header before decoding, so a damaged
      // entry cannot make the decoder allocate a huge picture.
      if (length < 24) throw EIconError("icon file: bad PNG picture");
      TReader ihdr(bytes, offset + 16, offset + 24);
      const auto be32 = [&] {
        const std::uint32_t b0 = ihdr.U8(), b1 = ihdr.U8(), b2 = ihdr.U8(), b3 = ihdr.U8();
        return (b0 << 24) | (b1 << 16) | (b2 << 8) | b3;
      };
      const std::uint32_t w = be32(), h = be32();
      if (w == 0 || h == 0 || w > 256 || h > 256) throw EIconError("icon file: bad PNG picture size");
      pic.Image = QImage::fromData(bytes.mid(static_cast<qsizetype>(offset), static_cast<qsizetype>(length)), "PNG")
                      .convertToFormat(QImage::Format_ARGB32);
      if (pic.Image.isNull() || pic.Image.width() > 256 || pic.Image.height() > 256)
        throw EIconError("icon file: bad PNG picture");
      pic.BitCount = 32;
    } else {
      pic = ReadBitmapPicture(bytes, offset, offset + length);
    }
    if (type == 2) pic.HotSpot = QPoint(static_cast<int>(a), static_cast<int>(b));
    pictures.push_back(std::move(pic));
  }
  return pictures;
}
