// Feeds arbitrary bytes to the cursor and icon reader: it must either return
// pictures within the format's limits or throw EIconError, never crash or
// read outside the bytes.
// Seeds: assets/cursors/*.cur assets/icons/*.ico
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

#include "display/IconFile.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // PNG entries are decoded by QtGui, which wants an application object.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  try {
    for (const TIconImage& p : ReadIconFile(bytes)) {
      if (p.Image.isNull() || p.Image.width() > 256 || p.Image.height() > 256) __builtin_trap();
      if (p.Image.format() != QImage::Format_ARGB32) __builtin_trap();
    }
  } catch (const EIconError&) {
  }
  return 0;
}
