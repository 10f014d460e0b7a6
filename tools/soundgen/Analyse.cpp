#include "Analyse.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <iomanip>

#include "Dsp.h"

namespace soundgen {
namespace {

void Fft(std::vector<std::complex<double>>& a) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> w = std::polar(1.0, -2 * Pi / double(len));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> wk = 1;
      for (std::size_t k = 0; k < len / 2; ++k, wk *= w) {
        const auto u = a[i + k], v = a[i + k + len / 2] * wk;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
      }
    }
  }
}

// Power-weighted mean frequency of a stretch, from Hann-windowed 1024-point frames.
double Centroid(const std::vector<double>& x, std::size_t from, std::size_t to, double rate) {
  constexpr std::size_t N = 1024;
  double num = 0, den = 0;
  for (std::size_t at = from; at < to; at += N / 2) {
    std::vector<std::complex<double>> a(N);
    for (std::size_t i = 0; i < N && at + i < to; ++i) a[i] = x[at + i] * (0.5 - 0.5 * std::cos(2 * Pi * double(i) / N));
    Fft(a);
    for (std::size_t k = 1; k < N / 2; ++k) {
      const double p = std::norm(a[k]);
      num += p * double(k) * rate / N;
      den += p;
    }
  }
  return den > 0 ? num / den : 0;
}

double Db(double v) { return v > 0 ? 20 * std::log10(v) : -999; }

// Shares of the power spectrum of the whole sound (1024-point Hann frames)
// below 150 Hz, 150 to 600 Hz, 600 Hz to 2 kHz and above 2 kHz, in percent:
// where the weight of a sound lies, and what small speakers can play of it.
std::array<double, 4> BandShares(const std::vector<double>& x, double rate) {
  constexpr std::size_t N = 1024;
  std::array<double, 4> e{};
  for (std::size_t at = 0; at < x.size(); at += N / 2) {
    std::vector<std::complex<double>> a(N);
    for (std::size_t i = 0; i < N && at + i < x.size(); ++i)
      a[i] = x[at + i] * (0.5 - 0.5 * std::cos(2 * Pi * double(i) / N));
    Fft(a);
    for (std::size_t k = 1; k < N / 2; ++k) {
      const double f = double(k) * rate / N;
      e[f < 150 ? 0 : f < 600 ? 1 : f < 2000 ? 2 : 3] += std::norm(a[k]);
    }
  }
  const double total = e[0] + e[1] + e[2] + e[3];
  if (total > 0)
    for (double& v : e) v *= 100 / total;
  return e;
}

}  // namespace

void Analyse(const std::string& name, const TBytes& file, std::ostream& out) {
  const TWave w = ReadWave(file);
  const auto& x = w.Samples;
  const std::size_t n = x.size();
  // The length as the data size gives it: for ADPCM whole blocks plus the
  // samples of the shorter last block.
  std::size_t fromData = 0;
  if (w.Format == 1) {
    fromData = w.DataBytes / (w.Bits / 8);
  } else {
    const std::size_t full = w.DataBytes / w.BlockAlign, rest = w.DataBytes % w.BlockAlign;
    fromData = full * AdpcmBlockSamples + (rest >= 7 ? 2 + (rest - 7) * 2 : 0);
  }
  double peak = 0, mean = 0;
  std::size_t clipped = 0;
  const double top = w.Format == 1 && w.Bits == 8 ? 127.0 / 128 : 32767.0 / 32768;
  for (double v : x) {
    peak = std::max(peak, std::abs(v));
    mean += v;
    clipped += v >= top || v <= -1.0;
  }
  mean /= double(n);
  // The largest step between neighbours within the first and last 2 ms: a click
  // shows as a step far above the signal's own.
  const std::size_t edge = std::max<std::size_t>(2, std::size_t(w.Rate / 500));
  double headStep = std::abs(x[0]), tailStep = std::abs(x[n - 1]);
  for (std::size_t i = 1; i < edge; ++i) {
    headStep = std::max(headStep, std::abs(x[i] - x[i - 1]));
    tailStep = std::max(tailStep, std::abs(x[n - i] - x[n - i - 1]));
  }
  out << std::fixed << std::setprecision(1);
  out << name << ": " << (w.Format == 1 ? "PCM" : "MS ADPCM") << " " << w.Rate << " Hz " << w.Bits << " bit, "
      << n << " samples (" << fromData << " from data size) = " << double(fromData) * 1000 / w.Rate << " ms\n";
  out << "  peak " << Db(peak) << " dBFS, clipped " << clipped << ", offset " << std::setprecision(4) << mean
      << std::setprecision(1) << ", first " << x[0] << " last " << x[n - 1] << ", largest step in the first / last 2 ms " << Db(headStep) << " / "
      << Db(tailStep) << " dB\n  RMS dB by tenths:";
  std::vector<double> centroids;
  for (int k = 0; k < 10; ++k) {
    const std::size_t a = n * k / 10, b = n * (k + 1) / 10;
    double e = 0;
    for (std::size_t i = a; i < b; ++i) e += x[i] * x[i];
    out << " " << Db(std::sqrt(e / double(b - a)));
    centroids.push_back(Centroid(x, a, b, w.Rate));
  }
  out << "\n  centroid Hz by tenths:";
  out << std::setprecision(0);
  for (double c : centroids) out << " " << c;
  out << "  (whole " << Centroid(x, 0, n, w.Rate) << ")\n";
  // The onset as a listener meets it: a sound that is cut after a few tens of
  // milliseconds is heard only through these.
  out << std::setprecision(1) << "  RMS dB of the first four 10 ms:";
  const std::size_t ten = w.Rate / 100;
  for (std::size_t k = 0; k < 4 && (k + 1) * ten <= n; ++k) {
    double e = 0;
    for (std::size_t i = k * ten; i < (k + 1) * ten; ++i) e += x[i] * x[i];
    out << " " << Db(std::sqrt(e / double(ten)));
  }
  const std::array<double, 4> bands = BandShares(x, w.Rate);
  out << std::setprecision(0) << "\n  power below 150 Hz / 150-600 Hz / 0.6-2 kHz / above 2 kHz: " << bands[0] << " / "
      << bands[1] << " / " << bands[2] << " / " << bands[3] << " %\n";
}

}  // namespace soundgen
