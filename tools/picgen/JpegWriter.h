#pragma once
// Baseline JPEG files (3 components, YCbCr, no chroma subsampling) via libjpeg.
#include <QImage>
#include <QString>

// The image at the given quality (1..100). Throws std::runtime_error on failure.
void WriteJpeg(const QString& path, const QImage& image, int quality);

// A picture on a white key background: every pixel of background (true in the
// mask) decodes to exactly (255, 255, 255) in any conforming decoder, however
// close it lies to the drawing. The coefficients are computed here from a
// background lifted above white by a margin, so that the decoder's clamp to 255
// absorbs the ringing of the drawing's edges instead of letting it show as
// near-white specks around the drawing. Quantisation tables are all ones.
// mask: Format_Grayscale8 of the image's size, nonzero = background.
void WriteKeyedJpeg(const QString& path, const QImage& image, const QImage& backgroundMask);
