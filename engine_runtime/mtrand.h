#pragma once
// The Mersenne Twister MT19937 in its first published (1998) form: seeding
// by the multiplier 69069 and output y / (2^32 - 1), so both 0 and 1 can
// come out. Later revisions seed and convert differently and would change
// every bootstrap result of a given second.

#include <array>
#include <cstdint>

namespace tsk {

// Generator state; one per run, passed to sgrnd and grnd.
struct MtBlock {
  static constexpr int kWords = 624;
  int32_t mti = kWords + 1;  // 625: never seeded
  std::array<uint32_t, kWords> mt{};
};

// mt(0) = seed, mt(i) = 69069 * mt(i - 1) mod 2^32.
void sgrnd(MtBlock& block, int32_t seed);

// Next value in the closed interval [0, 1]; seeds with 4357 if never seeded.
double grnd(MtBlock& block);

}  // namespace tsk
