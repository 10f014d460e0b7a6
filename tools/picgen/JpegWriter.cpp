#include "JpegWriter.h"

#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <algorithm>
#include <memory>
#include <string>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

#include <QFile>

#include "display/JpegError.h"
#include "display/JpegImage.h"

namespace {

struct TCompress {
  jpeg_compress_struct Info{};
  TJpegErrorManager Err{};
  FILE* File = nullptr;
  explicit TCompress(const QString& path) {
    Info.err = jpeg_std_error(&Err.Pub);
    Err.Pub.error_exit = JpegErrorJumpBack;
    jpeg_create_compress(&Info);
    File = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (!File) {
      jpeg_destroy_compress(&Info);
      throw std::runtime_error("cannot write " + path.toStdString());
    }
    jpeg_stdio_dest(&Info, File);
  }
  ~TCompress() {
    jpeg_destroy_compress(&Info);
    if (File) std::fclose(File);
  }
};

// Runs step, which may call libjpeg but must own no object with a destructor:
// an error unwinds its frames by longjmp.
template <class F>
void Guard(TCompress& c, F&& step) {
  if (setjmp(c.Err.Jump) != 0) throw std::runtime_error(std::string("JPEG writer: ") + c.Err.Message);
  step();
}

void Setup(TCompress& c, const QImage& img, int quality) {
  c.Info.image_width = static_cast<JDIMENSION>(img.width());
  c.Info.image_height = static_cast<JDIMENSION>(img.height());
  c.Info.input_components = 3;
  c.Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c.Info);
  jpeg_set_quality(&c.Info, quality, TRUE);
  // Full chroma resolution: the balloons' saturated edges would smear otherwise.
  for (int i = 0; i < 3; ++i) {
    c.Info.comp_info[i].h_samp_factor = 1;
    c.Info.comp_info[i].v_samp_factor = 1;
  }
  c.Info.optimize_coding = TRUE;
}

}  // namespace

void WriteJpeg(const QString& path, const QImage& image, int quality) {
  const QImage img = image.convertToFormat(QImage::Format_RGB888);
  TCompress c(path);
  Guard(c, [&] {
    Setup(c, img, quality);
    jpeg_start_compress(&c.Info, TRUE);
    while (c.Info.next_scanline < c.Info.image_height) {
      JSAMPROW row = const_cast<JSAMPROW>(img.constScanLine(static_cast<int>(c.Info.next_scanline)));
      jpeg_write_scanlines(&c.Info, &row, 1);
    }
    jpeg_finish_compress(&c.Info);
  });
}

namespace {

using TBlock = std::array<int, 64>;  // natural (row-major) order, v * 8 + u

// The orthonormal 8 x 8 DCT basis: Basis()[p][k] is the weight of coefficient
// k in pixel p (pixel = sum + 128).
const std::array<std::array<double, 64>, 64>& Basis() {
  static const auto basis = [] {
    std::array<std::array<double, 64>, 64> b{};
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        for (int v = 0; v < 8; ++v)
          for (int u = 0; u < 8; ++u) {
            const double cu = u == 0 ? M_SQRT1_2 : 1.0, cv = v == 0 ? M_SQRT1_2 : 1.0;
            b[y * 8 + x][v * 8 + u] =
                0.25 * cu * cv * std::cos((2 * x + 1) * u * M_PI / 16.0) * std::cos((2 * y + 1) * v * M_PI / 16.0);
          }
    return b;
  }();
  return basis;
}

// Forward transform of one block of samples (level-shifted inside), rounded
// to whole coefficients within baseline's limits (DC 11 bits, AC 10 bits).
TBlock Forward(const std::array<double, 64>& samples) {
  const auto& b = Basis();
  TBlock out{};
  for (int k = 0; k < 64; ++k) {
    double sum = 0;
    for (int p = 0; p < 64; ++p) sum += (samples[static_cast<std::size_t>(p)] - 128.0) * b[p][k];
    const long lim = k == 0 ? 2047 : 1023;
    out[static_cast<std::size_t>(k)] = static_cast<int>(std::clamp(std::lround(sum), -lim, lim));
  }
  return out;
}

}  // namespace

void WriteKeyedJpeg(const QString& path, const QImage& image, const QImage& backgroundMask) {
  // The picture is stored with RGB components (Adobe marker, no colour
  // transform), so that each channel of the background can be lifted above
  // white: the decoder clamps every channel back to exactly 255, whatever
  // ringing the drawing's edges leave around it. In YCbCr only luminance could
  // be lifted, and the slightest chroma error would tint white.
  constexpr double kLift = 12.0;
  const QImage img = image.convertToFormat(QImage::Format_RGB32);
  const int w = img.width(), h = img.height();
  const int bw = (w + 7) / 8, bh = (h + 7) / 8;
  const auto isBackground = [&](int x, int y) {
    return backgroundMask.constScanLine(std::min(y, h - 1))[std::min(x, w - 1)] != 0;
  };

  // Samples of each block of each channel, the picture's edge repeated into
  // the padding, then transformed.
  const std::size_t blocks = static_cast<std::size_t>(bw * bh);
  std::array<std::vector<std::array<double, 64>>, 3> samples;
  for (auto& s : samples) s.resize(blocks);
  for (int y = 0; y < bh * 8; ++y)
    for (int x = 0; x < bw * 8; ++x) {
      const QRgb c = img.pixel(std::min(x, w - 1), std::min(y, h - 1));
      const bool bg = isBackground(x, y);
      const std::size_t blk = static_cast<std::size_t>((y / 8) * bw + x / 8);
      const std::size_t p = static_cast<std::size_t>((y % 8) * 8 + x % 8);
      samples[0][blk][p] = bg ? 255.0 + kLift : qRed(c);
      samples[1][blk][p] = bg ? 255.0 + kLift : qGreen(c);
      samples[2][blk][p] = bg ? 255.0 + kLift : qBlue(c);
    }
  std::array<std::vector<TBlock>, 3> coef;
  for (int ci = 0; ci < 3; ++ci) {
    coef[ci].resize(blocks);
    for (std::size_t blk = 0; blk < blocks; ++blk) coef[ci][blk] = Forward(samples[ci][blk]);
  }

  {
    TCompress c(path);
    Guard(c, [&] {
      c.Info.image_width = static_cast<JDIMENSION>(w);
      c.Info.image_height = static_cast<JDIMENSION>(h);
      c.Info.input_components = 3;
      c.Info.in_color_space = JCS_RGB;
      jpeg_set_defaults(&c.Info);
      jpeg_set_colorspace(&c.Info, JCS_RGB);
      jpeg_set_quality(&c.Info, 100, TRUE);  // all-ones tables: the drawing's colours stay as drawn
      for (int i = 0; i < 3; ++i) {
        c.Info.comp_info[i].h_samp_factor = 1;
        c.Info.comp_info[i].v_samp_factor = 1;
      }
      c.Info.optimize_coding = TRUE;
      jvirt_barray_ptr arrays[3];
      for (int ci = 0; ci < 3; ++ci)
        arrays[ci] = (*c.Info.mem->request_virt_barray)(reinterpret_cast<j_common_ptr>(&c.Info), JPOOL_IMAGE,
                                                         TRUE, static_cast<JDIMENSION>(bw),
                                                         static_cast<JDIMENSION>(bh), 1);
      (*c.Info.mem->realize_virt_arrays)(reinterpret_cast<j_common_ptr>(&c.Info));
      for (int ci = 0; ci < 3; ++ci)
        for (int by = 0; by < bh; ++by) {
          JBLOCKARRAY row = (*c.Info.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&c.Info),
                                                              arrays[ci], static_cast<JDIMENSION>(by), 1, TRUE);
          for (int bx = 0; bx < bw; ++bx)
            for (int k = 0; k < 64; ++k)
              row[0][bx][k] = static_cast<JCOEF>(
                  coef[ci][static_cast<std::size_t>(by * bw + bx)][static_cast<std::size_t>(k)]);
        }
      jpeg_write_coefficients(&c.Info, arrays);
      jpeg_finish_compress(&c.Info);
    });
  }  // the file is complete and closed here

  // Check the promise with the decoder the game uses.
  QFile stored(path);
  if (!stored.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot check " + path.toStdString());
  // Checked with the game's own decoder, so what is verified is what the game shows.
  const QImage decoded = DecodeJpeg(stored.readAll());
  int tinted = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uchar* px = decoded.constScanLine(y) + 3 * x;
      if (isBackground(x, y) && (px[0] != 255 || px[1] != 255 || px[2] != 255)) ++tinted;
    }
  if (tinted != 0)
    throw std::runtime_error(path.toStdString() + ": " + std::to_string(tinted) + " background pixels not white");
}
