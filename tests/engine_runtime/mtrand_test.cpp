#include "mtrand.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>

namespace {

// An independent twister: the standard library's MT19937 loaded with the
// 624 seeded words, so only the seeding and the output scaling are ours.
std::mt19937 standardFrom(const tsk::MtBlock& seeded) {
  std::stringstream state;
  for (uint32_t w : seeded.mt) state << w << ' ';
  state << tsk::MtBlock::kWords;  // position: refill before the first word
  std::mt19937 g;
  state >> g;
  return g;
}

TEST(Mtrand, SeedingFollowsTheMultiplier) {
  for (int32_t seed : {0, 1, 4357, 130509, 235959}) {
    tsk::MtBlock b;
    tsk::sgrnd(b, seed);
    EXPECT_EQ(b.mti, 624);
    uint64_t word = static_cast<uint32_t>(seed);  // hand recurrence in 64 bits
    for (int i = 0; i < 624; ++i) {
      ASSERT_EQ(b.mt[i], static_cast<uint32_t>(word)) << "seed " << seed << " word " << i;
      word = (word * 69069u) % 4294967296u;
    }
  }
}

TEST(Mtrand, StreamMatchesTheStandardTwister) {
  for (int32_t seed : {1, 4357, 130509, 235959}) {
    tsk::MtBlock b;
    tsk::sgrnd(b, seed);
    std::mt19937 reference = standardFrom(b);
    // Several refills, so the twist of every word position is covered.
    for (int i = 0; i < 3000; ++i) {
      const double expected = static_cast<double>(reference()) / 4294967295.0;
      ASSERT_EQ(tsk::grnd(b), expected) << "seed " << seed << " call " << i;
    }
  }
}

TEST(Mtrand, UnseededStartsAsSeedWith4357) {
  tsk::MtBlock seeded, unseeded;
  tsk::sgrnd(seeded, 4357);
  for (int i = 0; i < 700; ++i) ASSERT_EQ(tsk::grnd(unseeded), tsk::grnd(seeded)) << i;
}

TEST(Mtrand, ZeroSeedStaysZero) {
  // A run started at exactly 00:00:00: every word 0, and the twist keeps them 0.
  tsk::MtBlock b;
  tsk::sgrnd(b, 0);
  for (int i = 0; i < 1300; ++i) ASSERT_EQ(tsk::grnd(b), 0.0) << i;
}

TEST(Mtrand, ClosedIntervalEnds) {
  // The output divides by 2^32 - 1, so the word 0xFFFFFFFF gives exactly 1.
  // Find a state whose first tempered word is all ones: untempering by hand.
  uint32_t y = 0xFFFFFFFFu;
  y ^= y >> 18;
  y ^= (y << 15) & 0xEFC60000u;
  uint32_t t = y;
  for (int i = 0; i < 5; ++i) t = y ^ ((t << 7) & 0x9D2C5680u);
  y = t;
  t = y;
  for (int i = 0; i < 3; ++i) t = y ^ (t >> 11);
  tsk::MtBlock b;
  b.mti = 0;
  b.mt[0] = t;
  EXPECT_EQ(tsk::grnd(b), 1.0);
}

}  // namespace
