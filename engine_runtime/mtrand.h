// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Mersenne Twister MT19937 in its first published (1998) form: seeding
// by the multiplier 69069 and output y / (2^32 - 1), so both 0 and 1 can
// come out. Later revisions seed and convert differently and would change
// every bootstrap result of a given second.

#include <array>
#include <cstddef>
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

// A seed of 0 would fill the state with zeros and make every draw 0, so it
// is taken as 240000 (24:00:00, midnight's hhmmss), which no second of the
// clock gives.
inline constexpr int32_t kMidnightSeed = 240000;
inline int32_t nonZeroSeed(int32_t seed) { return seed == 0 ? kMidnightSeed : seed; }

// A resampling draw from a sample of n values: position floor(u n + 1) of
// u = grnd() in double, capped at n; 1-based.
inline int drawPosition(double u, int n) {
  const int k = static_cast<int>(u * n + 1.0);
  return k > n ? n : k;
}

// The largest sample whose draws are made a block at a time, below.
inline constexpr int kMaxDrawSample = 65536;

// Positions, 0-based, of `count` successive resampling draws from a sample of
// n >= 1 values: out[i] = drawPosition(grnd(block), n) - 1 for each draw in
// turn, and the block is left as those grnd calls leave it. Up to
// kMaxDrawSample values the stream is made a block of 624 words at a time;
// larger samples are drawn one grnd call at a time.
void drawPositions(MtBlock& block, int n, int32_t* out, size_t count);

// The tempered words of `count` successive draws: grnd would return
// out[i] / (2^32 - 1) for each in turn, and leaves the block as they do.
void drawWords(MtBlock& block, uint32_t* out, size_t count);

// The block as `count` further grnd calls would leave it.
void skipDraws(MtBlock& block, uint64_t count);

}  // namespace tsk
