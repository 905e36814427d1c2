// SPDX-License-Identifier: GPL-3.0-or-later
#include "mtrand.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <vector>

#include "clock.h"
#include "plain_mt19937.h"

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

TEST(Mtrand, FirstOutputsForSeed4357) {
  // The first ten words of the generator seeded with 4357, as Matsumoto and
  // Nishimura listed them with their 1998 code; grnd returns each divided by
  // 2^32 - 1, which gives the word back exactly. The plain twister of the
  // benchmarks, the reference of the bootstrap tests, must agree too.
  const uint32_t published[] = {3510405877u, 4290933890u, 2191955339u, 564929546u,  152112058u,
                                4262624192u, 2687398418u, 268830360u,  1763988213u, 578848526u};
  tsk::MtBlock b;
  tsk::sgrnd(b, 4357);
  plain::Mt19937 reference(4357);
  for (uint32_t word : published) {
    const double u = tsk::grnd(b);
    EXPECT_EQ(u, static_cast<double>(word) / 4294967295.0);
    EXPECT_EQ(static_cast<uint32_t>(u * 4294967295.0 + 0.5), word);
    EXPECT_EQ(reference.next(), u);
  }
}

TEST(Mtrand, ClockSeed) {
  // hhmmss, except midnight: 0 would fill the state with zeros.
  const struct {
    tsk::TimeOfDay t;
    int32_t seed;
  } cases[] = {{{13, 5, 9}, 130509}, {{0, 0, 1}, 1},       {{23, 59, 59}, 235959},
               {{0, 0, 0}, 240000},  {{12, 0, 0}, 120000}, {{0, 1, 0}, 100}};
  for (const auto& c : cases) EXPECT_EQ(tsk::clockSeed(c.t), c.seed) << tsk::hhmmss(c.t);
  // The midnight seed draws like any other, and no second of the day shares it.
  tsk::MtBlock b;
  tsk::sgrnd(b, tsk::clockSeed({0, 0, 0}));
  EXPECT_NE(tsk::grnd(b), tsk::grnd(b));
  EXPECT_GT(tsk::kMidnightSeed, 235959);
}

// The tempered word whose untempering gives `y`: the inverse of each step.
uint32_t untemper(uint32_t y) {
  y ^= y >> 18;
  y ^= (y << 15) & 0xEFC60000u;
  uint32_t t = y;
  for (int i = 0; i < 5; ++i) t = y ^ ((t << 7) & 0x9D2C5680u);
  y = t;
  t = y;
  for (int i = 0; i < 3; ++i) t = y ^ (t >> 11);
  return t;
}

TEST(DrawPositions, SameAsOneGrndCallPerDraw) {
  // Runs that start and end inside a block of 624 words and span several,
  // for sample sizes from 1 to the largest made a block at a time and past
  // it; the block is left where the plain loop leaves it.
  for (int n : {1, 2, 3, 7, 623, 624, 999, 1000, 1999, 4999, 5000, 65536, 65537, 3000017}) {
    for (int32_t seed : {130509, 240000}) {
      tsk::MtBlock fast;
      tsk::sgrnd(fast, seed);
      plain::Mt19937 plain(seed);
      std::vector<int32_t> out;
      for (size_t count :
           {size_t{1}, size_t{7}, size_t{8}, size_t{617}, size_t{2000}, size_t{40000}, size_t{3}}) {
        out.assign(count, -1);
        tsk::drawPositions(fast, n, out.data(), count);
        for (size_t i = 0; i < count; ++i) {
          ASSERT_EQ(out[i], plain.draw(n) - 1) << "n " << n << " seed " << seed << " i " << i;
        }
      }
      EXPECT_EQ(tsk::grnd(fast), plain.next()) << n;
    }
  }
}

TEST(DrawPositions, WordsNearAWholeQuotient) {
  // Words y where y n / (2^32 - 1) is a whole number or within a few units
  // of the last place of one, the only places where a shortcut could round
  // differently from floor(u n + 1); also 0 and 2^32 - 1 (u = 0 and u = 1).
  for (int n : {1, 2, 3, 7, 1000, 1999, 4999, 5000, 65535, 65536}) {
    std::vector<uint32_t> words = {0u, 1u, 0xFFFFFFFEu, 0xFFFFFFFFu};
    for (uint64_t j : {uint64_t{1}, uint64_t{2}, static_cast<uint64_t>(n / 3),
                       static_cast<uint64_t>(n / 2), static_cast<uint64_t>(n - 1)}) {
      if (j == 0 || j >= static_cast<uint64_t>(n)) continue;
      const uint64_t at = j * 4294967295u / n;  // y n just below j (2^32 - 1)
      for (int d = -20; d <= 20; ++d) words.push_back(static_cast<uint32_t>(at + d));
    }
    while (words.size() % 8 != 3) words.push_back(static_cast<uint32_t>(words.size() * 977u));
    ASSERT_LE(words.size(), 624u);
    tsk::MtBlock b;
    b.mti = 0;
    for (size_t i = 0; i < words.size(); ++i) b.mt[i] = untemper(words[i]);
    std::vector<int32_t> out(words.size());
    tsk::drawPositions(b, n, out.data(), out.size());
    for (size_t i = 0; i < words.size(); ++i) {
      const double u = static_cast<double>(words[i]) / 4294967295.0;
      int k = static_cast<int>(u * n + 1.0);  // the plain draw, written out
      if (k > n) k = n;
      ASSERT_EQ(out[i], k - 1) << "n " << n << " word " << words[i];
    }
  }
}

TEST(DrawPositions, SkipLeavesTheBlockAsTheDrawsWould) {
  for (uint64_t count :
       {uint64_t{0}, uint64_t{1}, uint64_t{623}, uint64_t{624}, uint64_t{625}, uint64_t{100000}}) {
    tsk::MtBlock skipped;
    tsk::sgrnd(skipped, 424);
    tsk::skipDraws(skipped, count);
    plain::Mt19937 plain(424);
    for (uint64_t i = 0; i < count; ++i) plain.next();
    EXPECT_EQ(tsk::grnd(skipped), plain.next()) << count;
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
  // The output divides by 2^32 - 1, so the word 0xFFFFFFFF gives exactly 1
  // and the first position of n is then n, not n + 1.
  tsk::MtBlock b;
  b.mti = 0;
  b.mt[0] = untemper(0xFFFFFFFFu);
  EXPECT_EQ(tsk::grnd(b), 1.0);
  EXPECT_EQ(tsk::drawPosition(1.0, 5000), 5000);
  EXPECT_EQ(tsk::drawPosition(0.0, 5000), 1);
}

}  // namespace
