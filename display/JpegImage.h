#pragma once
// JPEG decoding for the game's stored JPEG pictures, through libjpeg (API 62)
// with the settings the game relies on: full scale, RGB output, the accurate
// integer inverse transform, no colour quantisation. Qt's image plugins are
// deliberately not used, so the pixels are the same wherever the game runs.
#include <QByteArray>
#include <QImage>
#include <stdexcept>

// A stream that is not a JPEG, is damaged or truncated, uses a colour space
// that cannot become RGB, or is larger than the limits below.
class EJpegError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Largest picture accepted: a damaged header must not make us allocate
// gigabytes. Far above any picture the game stores.
constexpr int kMaxJpegSide = 16384;
constexpr long long kMaxJpegPixels = 32LL * 1024 * 1024;

// Decodes a whole stream into a Format_RGB888 image of the stored size.
// Any error or corrupt-data warning of the decoder throws EJpegError; no
// partially decoded picture is returned. Thread-safe (no shared state).
QImage DecodeJpeg(const QByteArray& stream);
