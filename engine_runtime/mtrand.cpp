#include "mtrand.h"

namespace tsk {

namespace {

constexpr int kM = 397;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr uint32_t kMag01[2] = {0x0u, 0x9908B0DFu};

void twist(MtBlock& b) {
  constexpr int n = MtBlock::kWords;
  auto& mt = b.mt;
  int kk = 0;
  for (; kk < n - kM; ++kk) {
    uint32_t y = (mt[kk] & kUpperMask) | (mt[kk + 1] & kLowerMask);
    mt[kk] = mt[kk + kM] ^ (y >> 1) ^ kMag01[y & 1u];
  }
  for (; kk < n - 1; ++kk) {
    uint32_t y = (mt[kk] & kUpperMask) | (mt[kk + 1] & kLowerMask);
    mt[kk] = mt[kk + (kM - n)] ^ (y >> 1) ^ kMag01[y & 1u];
  }
  uint32_t y = (mt[n - 1] & kUpperMask) | (mt[0] & kLowerMask);
  mt[n - 1] = mt[kM - 1] ^ (y >> 1) ^ kMag01[y & 1u];
  b.mti = 0;
}

}  // namespace

void sgrnd(MtBlock& block, int32_t seed) {
  block.mt[0] = static_cast<uint32_t>(seed);
  for (int i = 1; i < MtBlock::kWords; ++i) block.mt[i] = 69069u * block.mt[i - 1];
  block.mti = MtBlock::kWords;
}

double grnd(MtBlock& block) {
  if (block.mti >= MtBlock::kWords) {
    if (block.mti == MtBlock::kWords + 1) sgrnd(block, 4357);
    twist(block);
  }
  uint32_t y = block.mt[block.mti++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return static_cast<double>(y) / 4294967295.0;
}

}  // namespace tsk
