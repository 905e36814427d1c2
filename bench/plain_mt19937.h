// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// MT19937 as M. Matsumoto and T. Nishimura wrote it in 1998 (ACM Trans. on
// Modeling and Computer Simulation 8: 3-30), one word at a time: seeding by
// the multiplier 69069, one twist loop over the words with indices taken
// modulo 624, output y / (2^32 - 1). The plain reference for the bootstrap
// baselines; it shares no code with the engines' generator.

#include <cstdint>

namespace plain {

class Mt19937 {
 public:
  explicit Mt19937(int32_t seed) { this->seed(seed); }

  void seed(int32_t s) {
    mt_[0] = static_cast<uint32_t>(s);
    for (int i = 1; i < 624; ++i) mt_[i] = 69069u * mt_[i - 1];
    mti_ = 624;
  }

  double next() {
    static const uint32_t mag01[2] = {0x0u, 0x9908B0DFu};
    if (mti_ >= 624) {
      for (int kk = 0; kk < 624; ++kk) {
        const uint32_t y = (mt_[kk] & 0x80000000u) | (mt_[(kk + 1) % 624] & 0x7FFFFFFFu);
        mt_[kk] = mt_[(kk + 397) % 624] ^ (y >> 1) ^ mag01[y & 1u];
      }
      mti_ = 0;
    }
    uint32_t y = mt_[mti_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return static_cast<double>(y) / 4294967295.0;
  }

  // Position floor(u n + 1) of the next draw, at most n (1-based).
  int draw(int n) {
    const double u = next();
    int k = static_cast<int>(u * n + 1.0);
    if (k > n) k = n;
    return k;
  }

 private:
  uint32_t mt_[624] = {};
  int mti_ = 624;
};

}  // namespace plain
