// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plain transcription of the bootstrap confidence-limit loops: the
// generator one word at a time, one draw at a time, and the exchange sort.
// It shares nothing with the engines but the normal distribution routines,
// and serves as the speed baseline of the benchmarks and as the independent
// source of the expected reports in the engine tests.

#include <initializer_list>
#include <string>
#include <vector>

#include "../plain_mt19937.h"

namespace baseline {

using Generator = plain::Mt19937;

// for i < j: exchange x(i) and x(j) when x(i) > x(j).
void exchangeSort(float* x, int n);

enum class Kind { Mean, Crowding };

struct Level {
  int percent = 0;  // 90, 95, 99 (97 for 0.975, printed as 97.5)
  float c = 0.0f;
  int kl = 0;
  int ku = 0;
  float lower = 0.0f;
  float upper = 0.0f;
  bool warn = false;
};

struct OneSample {
  float statistic = 0.0f;  // mean group size or mean crowding
  float a = 0.0f;
  int count = 0;
  float z0 = 0.0f;
  std::vector<float> sorted;  // b(1..B) after the sort
  std::vector<Level> levels;
};

// Jackknife, B replications drawn from g, bias correction, exchange sort
// and the limits at each level.
OneSample oneSample(const std::vector<float>& x, int B, Kind kind, Generator& g,
                    std::initializer_list<float> levels);

// The lines of a normal report of the one-sample engine (title to the last
// limits line, without the closing line), written with printf formats.
std::vector<std::string> oneSampleReport(Kind kind, int n, int B, const OneSample& r);

// The lines of a normal gscrow2s report for two samples, without the
// closing line; g continues from sample 1 to sample 2.
std::vector<std::string> twoSampleReport(const std::vector<float>& x1, const std::vector<float>& x2,
                                         int B, Generator& g);

}  // namespace baseline
