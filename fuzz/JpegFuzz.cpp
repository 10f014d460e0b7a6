// Feeds arbitrary bytes to the JPEG decoder: it must either return a picture
// of the stream's size or throw EJpegError, never crash, leak or read outside
// the stream.
// Seeds: assets/pictures/*.jpg
#include <cstddef>
#include <cstdint>

#include "display/JpegImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray stream = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  try {
    const QImage img = DecodeJpeg(stream);
    if (img.isNull() || img.width() > kMaxJpegSide || img.height() > kMaxJpegSide) __builtin_trap();
  } catch (const EJpegError&) {
  }
  return 0;
}
