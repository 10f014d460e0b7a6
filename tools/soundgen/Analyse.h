#pragma once
// A look at a sound without listening: level, clicks, envelope and brightness.
#include <ostream>

#include "Wave.h"

namespace soundgen {
// Writes one report for the file: format, length from the data size, peak and
// clipped samples, offset, first and last sample and the steepest step at the
// ends (clicks), the RMS envelope in tenths of the length, the spectral
// centroid of each tenth, the RMS of the first four 10 ms and how the power
// divides between four bands (below 150 Hz, to 600 Hz, to 2 kHz, above).
void Analyse(const std::string& name, const TBytes& file, std::ostream& out);
}  // namespace soundgen
