#pragma once
// The median of a benchmark's repetitions, which one slow spell of a busy
// machine does not move.
#include <algorithm>
#include <vector>

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}
