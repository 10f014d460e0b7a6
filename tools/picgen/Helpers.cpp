#include <QFont>
#include <QFontDatabase>
#include <QPainter>

#include "Pictures.h"

QImage NewLayer(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  return img;
}

QImage FlattenOnKey(const QImage& argb, QRgb key, QImage* mask) {
  // Straight (non-premultiplied) colours are the drawing's own colours at each
  // pixel, so a kept edge pixel carries no trace of the key.
  const QImage src = argb.convertToFormat(QImage::Format_ARGB32);
  QImage out(src.size(), QImage::Format_RGB32);
  if (mask) {
    *mask = QImage(src.size(), QImage::Format_Grayscale8);
    mask->fill(0);
  }
  for (int y = 0; y < src.height(); ++y) {
    const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < src.width(); ++x) {
      if (qAlpha(s[x]) >= 128) {
        QRgb c = s[x] | 0xFF000000u;
        if ((c & 0xFFFFFF) == (key & 0xFFFFFF)) c ^= 0x000001;  // one step off the key
        d[x] = c;
      } else {
        d[x] = key | 0xFF000000u;
        if (mask) mask->scanLine(y)[x] = 255;
      }
    }
  }
  return out;
}

QImage FlattenGlyph(const QImage& argb, QRgb key, QColor edge) {
  const QImage src = argb.convertToFormat(QImage::Format_ARGB32);
  QImage out(src.size(), QImage::Format_RGB32);
  for (int y = 0; y < src.height(); ++y)
    for (int x = 0; x < src.width(); ++x) {
      const QRgb c = src.pixel(x, y);
      const int a = qAlpha(c);
      if (a < 64) {
        out.setPixel(x, y, key | 0xFF000000u);
        continue;
      }
      auto mix = [a](int v, int e) { return (v * a + e * (255 - a) + 127) / 255; };
      QRgb m = qRgb(mix(qRed(c), edge.red()), mix(qGreen(c), edge.green()), mix(qBlue(c), edge.blue()));
      if ((m & 0xFFFFFF) == (key & 0xFFFFFF)) m ^= 0x000001;
      out.setPixel(x, y, m);
    }
  return out;
}

QFont LetterFont(int pixelSize) {
  static const QString family = [] {
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(ZUGGLE_FONT_DIR "/ComicNeue-Bold.otf"));
    const QStringList f = QFontDatabase::applicationFontFamilies(id);
    return f.isEmpty() ? QStringLiteral("Sans") : f.first();
  }();
  QFont font(family);
  font.setBold(true);
  font.setPixelSize(pixelSize);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}
