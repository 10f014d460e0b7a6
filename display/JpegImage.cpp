#include "display/JpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

#include "display/JpegError.h"

namespace {

// A corrupt-data warning (level -1: premature end, bad Huffman code...) would
// leave grey or garbled blocks in the picture; a stored picture in that state
// is damaged, so it is refused like an error. Trace messages are ignored.
void WarningIsError(j_common_ptr cinfo, int level) {
  if (level < 0) JpegErrorJumpBack(cinfo);
}

struct TDecoder {
  jpeg_decompress_struct Info{};
  TJpegErrorManager Err{};
};

// Returns false with the decoder's message in d.Err.Message on any failure.
// Holds no object with a destructor: see TJpegErrorManager.
bool DecodeGuarded(TDecoder& d, const QByteArray& stream, QImage& out) {
  if (setjmp(d.Err.Jump) != 0) return false;
  jpeg_create_decompress(&d.Info);
  jpeg_mem_src(&d.Info, reinterpret_cast<const unsigned char*>(stream.constData()),
               static_cast<unsigned long>(stream.size()));
  jpeg_read_header(&d.Info, TRUE);
  d.Info.out_color_space = JCS_RGB;
  d.Info.scale_num = 1;
  d.Info.scale_denom = 1;
  d.Info.dct_method = JDCT_ISLOW;
  d.Info.quantize_colors = FALSE;
  if (d.Info.image_width > static_cast<JDIMENSION>(kMaxJpegSide) ||
      d.Info.image_height > static_cast<JDIMENSION>(kMaxJpegSide) ||
      static_cast<long long>(d.Info.image_width) * d.Info.image_height > kMaxJpegPixels) {
    std::snprintf(d.Err.Message, sizeof d.Err.Message, "picture too large (%u x %u)", d.Info.image_width,
                  d.Info.image_height);
    return false;
  }
  jpeg_start_decompress(&d.Info);
  if (d.Info.output_components != 3) {
    std::snprintf(d.Err.Message, sizeof d.Err.Message, "unexpected output components: %d",
                  d.Info.output_components);
    return false;
  }
  // The image lives in the caller's frame; assigning to it here is a call that
  // returns before any libjpeg call can jump.
  out = QImage(static_cast<int>(d.Info.output_width), static_cast<int>(d.Info.output_height),
               QImage::Format_RGB888);
  if (out.isNull()) {
    std::snprintf(d.Err.Message, sizeof d.Err.Message, "out of memory");
    return false;
  }
  while (d.Info.output_scanline < d.Info.output_height) {
    JSAMPROW row = out.scanLine(static_cast<int>(d.Info.output_scanline));
    jpeg_read_scanlines(&d.Info, &row, 1);
  }
  jpeg_finish_decompress(&d.Info);
  return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& stream) {
  if (stream.isEmpty()) throw EJpegError("JPEG: empty stream");
  TDecoder d;
  d.Info.err = jpeg_std_error(&d.Err.Pub);
  d.Err.Pub.error_exit = JpegErrorJumpBack;
  d.Err.Pub.emit_message = WarningIsError;
  QImage out;
  const bool ok = DecodeGuarded(d, stream, out);
  jpeg_destroy_decompress(&d.Info);  // safe also when creation failed: it checks for memory
  if (!ok) throw EJpegError(std::string("JPEG: ") + d.Err.Message);
  return out;
}
