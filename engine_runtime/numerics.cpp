// SPDX-License-Identifier: GPL-3.0-or-later
#include "numerics.h"

#include <algorithm>
#include <cmath>

namespace tsk {

namespace {

// sqrt(2) as the single-precision power 2**0.5.
const float kSqrt2 = static_cast<float>(std::pow(2.0, 0.5));

// Chebyshev coefficients of erfc on t = (x - 1) / (x + 1).
// clang-format off
constexpr double kChebyshev[25] = {
    1.6443152242714,  -0.9049760497548, 0.0643570883797, 0.0196418177368, -0.0001244215694,
    -0.0009101941905, -0.0001796219835, 1.39836786e-05,  1.64789417e-05,  3.9009267e-06,
    -8.93145e-08,     -3.747896e-07,    1.298818e-07,    1.36773e-08,     7.7107e-09,
    4.681e-09,        1.1844e-09,       -5e-13,          -1.384e-10,      -6.52e-11,
    1.45e-11,         1e-12,            2.4e-12,         1.1e-12,         2e-13};
// clang-format on

// erfc(k) for k = 0..9 as the table holds them (the eighth entry included).
constexpr float kErfcTable[10] = {1.0f,           0.1572992f,     0.004677735f,   2.2090497e-05f,
                                  1.5417259e-08f, 1.5374598e-12f, 2.1519737e-17f, 4.1833827e-23f,
                                  1.1224297e-29f, 4.1370317e-37f};

constexpr float kInvSqrtPi = 0.56418955f;
constexpr float kHalfSqrtPi = 0.88622695f;

// erfc(x) for x >= 0 as the Newton steps evaluate it.
float erfcOf(float x) {
  if (x == 0.0f) return 1.0f;
  float arg = static_cast<float>(-static_cast<double>(kSqrt2) * x);
  return static_cast<float>(2.0 * stncdf(arg));
}

}  // namespace

float stncdf(float z) {
  float x = static_cast<float>(std::fabs(static_cast<double>(z)) / kSqrt2);
  float erf = 1.0f;
  float erfc = 0.0f;
  if (x > 9.306f) {
    // erf stays 1
  } else if (x < 0.01f) {
    double xd = x;
    erf = static_cast<float>(0.37612638f * xd * (3.0 - xd * xd));
    erfc = static_cast<float>(1.0 - erf);
  } else {
    float t = static_cast<float>((static_cast<double>(x) - 1.0) / (static_cast<double>(x) + 1.0));
    double d[27] = {};  // d[1..26], d[25] = d[26] = 0
    for (int j = 24; j >= 1; --j) d[j] = 2.0 * t * d[j + 1] - d[j + 2] + kChebyshev[j];
    double s = t * d[1] - d[2] + kChebyshev[0] / 2.0;
    double e = static_cast<float>(std::exp(-static_cast<double>(x) * x));
    erfc = static_cast<float>(kInvSqrtPi * e * s);
    erf = static_cast<float>(1.0 - kInvSqrtPi * e * s);
  }
  if (z < 0.0f) return static_cast<float>(erfc / 2.0);
  return static_cast<float>(erf / 2.0 + 0.5);
}

float stnicdf(float p) {
  double pd = p;
  float q = pd < 0.5 ? static_cast<float>(2.0 * pd) : static_cast<float>(2.0 * (1.0 - pd));
  float x = 0.0f;
  if (1.0 - q <= 0.0) {
    x = 0.0f;
  } else if (q <= 0.0f) {
    x = 9.0f;
  } else {
    bool exact = false;
    float x0 = 9.0f;
    for (int i = 1; i <= 10; ++i) {
      float d = static_cast<float>(static_cast<double>(kErfcTable[i - 1]) - q);
      if (d < 0.0f) {
        x0 = static_cast<float>(i - 2);
        break;
      }
      if (d == 0.0f) {
        x = static_cast<float>(i - 1);
        exact = true;
        break;
      }
    }
    if (!exact) {
      x = x0;
      for (int step = 0; step < 30; ++step) {
        float e = erfcOf(x);
        double growth = static_cast<float>(std::exp(static_cast<double>(x) * x));
        float xNew = static_cast<float>(x + (static_cast<double>(e) - q) * kHalfSqrtPi * growth);
        float eNew = erfcOf(xNew);
        x = xNew;
        if (std::fabs(static_cast<double>(eNew) - q) / q < 1e-10f) break;
      }
    }
  }
  float z = static_cast<float>(static_cast<double>(x) * kSqrt2);
  return pd <= 0.5 ? -z : z;
}

void sort(float* x, int n) {
  if (n <= 1) return;
  // Any ascending sort leaves the array that the exchange sort leaves, as
  // long as every value compares; a NaN would break std::sort's ordering, so
  // such an array takes the exchange sort itself.
  if (std::none_of(x, x + n, [](float v) { return std::isnan(v); })) {
    std::sort(x, x + n);
    return;
  }
  for (int i = 0; i < n - 1; ++i)
    for (int j = i + 1; j < n; ++j)
      if (x[i] > x[j]) std::swap(x[i], x[j]);
}

void sortGap(float* x, int n) {
  // Indices are 1-based as the shell sort is written: element k is x[k - 1].
  for (int m = n / 2; m != 0; m /= 2) {
    m |= 1;
    for (int i = m + 1; i <= n; ++i) {
      int j = i;
      for (;;) {
        int k = j - m;
        if (!(x[k - 1] > x[j - 1])) break;
        std::swap(x[k - 1], x[j - 1]);
        if (k - m <= 0) break;
        j = k;
      }
    }
  }
}

}  // namespace tsk
