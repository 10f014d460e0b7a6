#pragma once
// A look at a sound without listening: level, clicks, envelope and brightness.
#include <ostream>

#include "Wave.h"

namespace soundgen {
// Writes one report for the file: format, length from the data size, peak and
// clipped samples, offset, first and last sample and the steepest step at the
// ends (clicks), the RMS envelope in tenths of the length and the spectral
// centroid of each tenth.
void Analyse(const std::string& name, const TBytes& file, std::ostream& out);
}  // namespace soundgen
