#include "display/PictureAssets.h"

#include <QBitmap>
#include <QFile>
#include <QGuiApplication>
#include <QtMath>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

#include "display/IconFile.h"
#include "display/JpegImage.h"

namespace {

struct TPictureEntry {
  const char* Name;
  const char* File;  // below ":/pictures/"
  bool Transparent;  // the component's flag
  QRgb Key;          // glyphs: the colour that is masked out (0: not a glyph)
};

constexpr QRgb kMagenta = 0xFFFF00FF;

constexpr std::array<TPictureEntry, 29> kPictures = {{
    {"imgRed1", "imgRed1.bmp", true, 0},       {"imgRed2", "imgRed2.bmp", true, 0},
    {"imgRed3", "imgRed3.bmp", true, 0},       {"imgYellow1", "imgYellow1.bmp", true, 0},
    {"imgYellow2", "imgYellow2.bmp", true, 0}, {"imgYellow3", "imgYellow3.bmp", true, 0},
    {"imgAqua1", "imgAqua1.bmp", true, 0},     {"imgAqua2", "imgAqua2.bmp", true, 0},
    {"imgAqua3", "imgAqua3.bmp", true, 0},     {"imgLime1", "imgLime1.bmp", true, 0},
    {"imgLime2", "imgLime2.bmp", true, 0},     {"imgLime3", "imgLime3.bmp", true, 0},
    {"imgRedShot", "imgRedShot.jpg", true, 0}, {"imgYellowShot", "imgYellowShot.jpg", true, 0},
    {"imgAquaShot", "imgAquaShot.jpg", true, 0}, {"imgLimeShot", "imgLimeShot.jpg", true, 0},
    {"imgBonus", "imgBonus.bmp", true, 0},     {"imgRevive", "imgRevive.bmp", true, 0},
    {"imgSpiky", "imgSpiky.bmp", true, 0},     {"imgBackGround", "imgBackGround.jpg", false, 0},
    {"imgShelter", "imgShelter.bmp", false, 0}, {"imgHit", "imgHit.bmp", true, 0},
    {"ExitBtn", "ExitBtn.bmp", false, 0xFFFEE6F8}, {"HelpBtn", "HelpBtn.bmp", false, kMagenta},
    {"OptionsBtn", "OptionsBtn.bmp", false, kMagenta}, {"RestartBtn", "RestartBtn.bmp", false, kMagenta},
    {"imgSpeaker", "imgSpeaker.bmp", true, kMagenta},
    {"BitBtn1", "BitBtn1.bmp", false, kMagenta},   {"BitBtn2", "BitBtn2.bmp", false, kMagenta},
}};

const TPictureEntry* Find(const QString& name) {
  for (const auto& e : kPictures)
    if (name == QLatin1String(e.Name)) return &e;
  return nullptr;
}

QByteArray ReadResource(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

// A Windows bitmap file through Qt's built-in reader; the depth as stored is
// read from the header, since Qt widens every picture it reads.
std::unique_ptr<TBitmap> ReadBmp(const QByteArray& bytes, const QString& name) {
  if (bytes.size() < 30 || !bytes.startsWith("BM")) throw EPictureError("not a bitmap file: " + name.toStdString());
  const int bits = static_cast<std::uint8_t>(bytes[28]) | (static_cast<std::uint8_t>(bytes[29]) << 8);
  const QImage img = QImage::fromData(bytes, "BMP");
  if (img.isNull()) throw EPictureError("damaged bitmap file: " + name.toStdString());
  switch (bits) {
    case 4: return std::make_unique<TBitmap>(img.convertToFormat(QImage::Format_Indexed8), TPixelFormat::pf4bit);
    case 8: return std::make_unique<TBitmap>(img.convertToFormat(QImage::Format_Indexed8), TPixelFormat::pf8bit);
    case 24: return std::make_unique<TBitmap>(img.convertToFormat(QImage::Format_BGR888), TPixelFormat::pf24bit);
    case 32: return std::make_unique<TBitmap>(img.convertToFormat(QImage::Format_RGB32), TPixelFormat::pf32bit);
    default: throw EPictureError("unsupported bitmap depth in " + name.toStdString());
  }
}

}  // namespace

std::unique_ptr<TBitmap> LoadGamePicture(const QString& name) {
  const TPictureEntry* e = Find(name);
  if (!e) return nullptr;
  const QString file = QString::fromLatin1(e->File);
  const QByteArray bytes = ReadResource(QStringLiteral(":/pictures/") + file);
  if (bytes.isEmpty()) return nullptr;  // not built in: the game draws nothing
  std::unique_ptr<TBitmap> bmp;
  if (file.endsWith(QLatin1String(".jpg"))) {
    try {
      bmp = std::make_unique<TBitmap>(DecodeJpeg(bytes).convertToFormat(QImage::Format_BGR888),
                                      TPixelFormat::pf24bit);
    } catch (const EJpegError& e) {
      // One error type for every picture the game cannot load, whatever its format.
      throw EPictureError("damaged JPEG picture " + name.toStdString() + ": " + e.what());
    }
  } else
    bmp = ReadBmp(bytes, name);
  bmp->Transparent = e->Transparent;
  return bmp;
}

QStringList GamePictureNames() {
  QStringList names;
  for (const auto& e : kPictures)
    names << QString::fromLatin1(e.Name);
  return names;
}

QPixmap LoadGlyph(const QString& name) {
  const TPictureEntry* e = Find(name);
  if (!e || e->Key == 0) return {};
  const std::unique_ptr<TBitmap> bmp = LoadGamePicture(name);
  if (!bmp) return {};
  const QImage rgb = bmp->Image().convertToFormat(QImage::Format_RGB32);
  QPixmap pix = QPixmap::fromImage(rgb);
  pix.setMask(QBitmap::fromImage(rgb.createMaskFromColor(e->Key, Qt::MaskInColor)));
  return pix;
}

QCursor LoadAimCursor(qreal ratio) {
  const QByteArray bytes = ReadResource(QStringLiteral(":/cursors/AIM.cur"));
  if (bytes.isEmpty()) throw EPictureError("the aiming cursor is not built in");
  std::vector<TIconImage> pics;
  try {
    pics = ReadIconFile(bytes);
  } catch (const EIconError& e) {
    throw EPictureError(std::string("aiming cursor: ") + e.what());
  }
  const TIconImage& p = pics.front();
  if (ratio <= 0 || ratio == 1) return QCursor(QPixmap::fromImage(p.Image), p.HotSpot.x(), p.HotSpot.y());
  // The cursor is drawn pixel by pixel: at a whole ratio every pixel becomes a
  // square block and the picture stays exactly as designed.
  const bool whole = ratio == std::floor(ratio);
  const QSize size(qRound(p.Image.width() * ratio), qRound(p.Image.height() * ratio));
  QPixmap pixmap = QPixmap::fromImage(p.Image.scaled(size, Qt::IgnoreAspectRatio,
                                                     whole ? Qt::FastTransformation : Qt::SmoothTransformation));
  pixmap.setDevicePixelRatio(ratio);
  const QPoint hot(qFloor(p.HotSpot.x() * ratio), qFloor(p.HotSpot.y() * ratio));
  if (QGuiApplication::platformName() == QLatin1String("xcb")) return QCursor(pixmap, hot.x(), hot.y());
  return QCursor(pixmap, p.HotSpot.x(), p.HotSpot.y());
}

QIcon LoadMainIcon() {
  QIcon icon;
  const QByteArray ico = ReadResource(QStringLiteral(":/icons/MAINICON.ico"));
  if (!ico.isEmpty()) {
    try {
      for (const TIconImage& p : ReadIconFile(ico)) icon.addPixmap(QPixmap::fromImage(p.Image));
    } catch (const EIconError&) {
      // The larger renderings below still give the desktop an icon.
    }
  }
  for (int size : {48, 64, 128, 256}) {
    const QString path = QStringLiteral(":/icons/ZuggleDart-%1.png").arg(size);
    if (QFile::exists(path)) icon.addFile(path, QSize(size, size));
  }
  return icon;
}
