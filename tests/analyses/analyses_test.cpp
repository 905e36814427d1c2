// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis library's own behaviour; the engines' reports test its numbers.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <thread>
#include <vector>

#include "bca_limits.h"
#include "describe.h"
#include "median_limits.h"
#include "median_test.h"
#include "stoceq_test.h"

namespace {

using namespace tsk::analyses;

// Every failure comes back typed, with the message the engine writes.
TEST(Analyses, TypedFailures) {
  const std::vector<float> huge = {1, 2, 3, 4, 3e9f};
  const std::vector<int> overflowing = {std::numeric_limits<int>::max(), 1};
  const double badLevels[][1] = {{0.0}, {1.0}, {std::numeric_limits<double>::quiet_NaN()}};
  const double goodLevel[] = {0.95};
  const struct {
    const char* name;
    std::function<std::optional<Failure>()> call;
    Error code;
    const char* message;
  } cases[] = {
      {"describe, no groups", [] { return describe(std::vector<int>{}).failure(); },
       Error::NoGroups, "    ERROR: a sample has no groups"},
      // The animals' median scan runs past the sizes.
      {"describe, animals past the sizes",
       [] {
         return describe({1, 2}, 9).failure();
       },
       Error::AnimalsMismatch, "    ERROR: number of animals does not match the group sizes"},
      {"describe, no animals",
       [] {
         return describe({1, 2}, 0).failure();
       },
       Error::AnimalsMismatch, "    ERROR: number of animals does not match the group sizes"},
      {"describe, sum past 32 bits", [&] { return describe(overflowing).failure(); },
       Error::AnimalsMismatch,
       "    ERROR: the group sizes do not add up to a whole number of animals of 32 bits"},
      {"median, level 0",
       [&] {
         return medianLimits({1, 2, 3, 4, 5}, badLevels[0]).failure();
       },
       Error::BadLevel, "   ERROR: a confidence level is not between 0 and 1"},
      {"median, level 1",
       [&] {
         return medianLimits({1, 2, 3, 4, 5}, badLevels[1]).failure();
       },
       Error::BadLevel, "   ERROR: a confidence level is not between 0 and 1"},
      {"median, level NaN",
       [&] {
         return medianLimits({1, 2, 3, 4, 5}, badLevels[2]).failure();
       },
       Error::BadLevel, "   ERROR: a confidence level is not between 0 and 1"},
      {"median, size past 32 bits", [&] { return medianLimits(huge, goodLevel).failure(); },
       Error::SizeOutOfRange, "   ERROR: invalid data (group size out of range)"},
      {"median, four groups",
       [&] {
         return medianLimits({1, 2, 3, 4}, goodLevel)->noLimits;
       },
       Error::TooFewGroups, "  Sample size too small - can't reach even the 90% confidence level!"},
      {"BCa, no replications",
       [&] {
         return bcaLimits({1, 2}, Statistic::Mean, 0, goodLevel, 1).failure();
       },
       Error::BadReplications, "   ERROR: the number of bootstrap replications must be 1 or more"},
      {"BCa, level 1",
       [&] {
         return bcaLimits({1, 2}, Statistic::Mean, 9, badLevels[1], 1).failure();
       },
       Error::BadLevel, "   ERROR: a confidence level is not between 0 and 1"},
      {"BCa, no groups",
       [&] { return bcaLimits(std::vector<int>{}, Statistic::Mean, 9, goodLevel, 1).failure(); },
       Error::NoGroups, " Sample size = 0, check data!"},
      // Sizes of 0 are fine for the mean, not for the crowding.
      {"BCa mean, one group",
       [&] { return bcaLimits({0}, Statistic::Mean, 9, goodLevel, 1)->noLimits; }, Error::OneGroup,
       "   ERROR: one group only, no confidence limits"},
      {"BCa crowding, a size of 0",
       [&] {
         return bcaLimits({0, 2}, Statistic::Crowding, 9, goodLevel, 1).failure();
       },
       Error::NotPositive, "   ERROR: group sizes must be positive"},
      {"BCa, equal groups",
       [&] {
         return bcaLimits({3, 3, 3}, Statistic::Crowding, 9, goodLevel, 1)->noLimits;
       },
       Error::EqualGroups, "   ERROR: all groups have the same size, no confidence limits"},
      {"comparison, second sample empty",
       [&] {
         return crowdingComparison({1, 2}, std::vector<int>{}, 9, 0.975, 1).failure();
       },
       Error::NoGroups, "   ERROR: sample 2 has no groups"},
      {"stochastic equality, first sample empty",
       [&] { return stoceqTest(std::vector<int>{}, {1, 2}, 9, 1).failure(); }, Error::NoGroups,
       "   ERROR: sample 1 has no groups"},
      {"stochastic equality, no replications",
       [&] { return stoceqTest({1, 2}, {3, 4}, 0, 1).failure(); }, Error::BadReplications,
       "   ERROR: the number of bootstrap replications must be 1 or more"},
      {"median test, seven samples",
       [&] { return medianTest(std::vector<Sizes>(7, Sizes({1, 2}))).failure(); },
       Error::TooManySamples, "    ERROR: the test takes one to six samples"},
      {"median test, second sample empty",
       [&] {
         const std::vector<int> none;
         return medianTest(std::vector<Sizes>{Sizes({1, 2}), Sizes(none)}).failure();
       },
       Error::NoGroups, "    ERROR: sample 2 has no groups"},
      {"median test, one sample", [&] { return medianTest(std::vector<Sizes>{Sizes({1, 2})})->noTest; },
       Error::TooFewSamples, "    ERROR: the test needs at least two samples"},
  };
  for (const auto& c : cases) {
    const std::optional<Failure> failure = c.call();
    ASSERT_TRUE(failure) << c.name;
    EXPECT_EQ(failure->code, c.code) << c.name;
    EXPECT_EQ(failure->message, c.message) << c.name;
  }
}

// Sizes in any order give what the ascending sample gives; levels in any
// order give each level its own interval (a choice made at a lower level
// must not stand for a higher one).
TEST(Analyses, AnyOrder) {
  // Worked example: 35/11 = 3.18, median crowding 4 at the fourth group.
  const Result<Description> d = describe({4, 1, 1, 4, 1});
  ASSERT_TRUE(d);
  EXPECT_EQ(d->animals, 11);
  EXPECT_EQ(d->medianSize, 1.0f);
  EXPECT_FLOAT_EQ(d->meanCrowding, 35.0f / 11);
  EXPECT_EQ(d->medianCrowding, 4.0f);

  // The ten-group worked example: 1-8 at 99.8 %, 1-6 at 98.8 %, 1-5 at 94.4 %.
  const std::vector<int> terns = {8, 1, 6, 2, 5, 3, 4, 3, 2, 1};
  const double up[] = {0.90, 0.95, 0.99};
  const Result<MedianLimits> m = medianLimits(terns, up);
  ASSERT_TRUE(m);
  EXPECT_EQ(*m->median, 3.0f);
  const int expected[][2] = {{1, 5}, {1, 6}, {1, 8}};
  for (int k = 0; k < 3; ++k) {
    EXPECT_TRUE(m->levels[k].found) << k;
    EXPECT_EQ(m->levels[k].interval.lo, expected[k][0]) << k;
    EXPECT_EQ(m->levels[k].interval.hi, expected[k][1]) << k;
  }
}

// Calls from several threads at once, each of which shares its own
// replications over the cores, give what one call alone gives: no state is
// shared between calls.
TEST(Analyses, ThreadsGiveTheSameResults) {
  std::vector<int> herd;
  for (int i = 0; i < 3000; ++i) herd.push_back(1 + (i * 7919) % 23);
  const double levels[] = {0.90, 0.95, 0.99};
  const auto run = [&](Seed seed) {
    std::vector<float> numbers;
    for (Statistic kind : {Statistic::Mean, Statistic::Crowding}) {
      const Result<BcaLimits> r = bcaLimits(herd, kind, 2000, levels, seed);
      for (const BcaLevel& l : r->levels) numbers.insert(numbers.end(), {l.lower, l.upper});
    }
    const Result<CrowdingComparison> c = crowdingComparison(herd, {1, 2, 2, 5}, 500, 0.975, seed);
    for (const BcaLimits& s : c->samples) numbers.push_back(s.levels[0].lower);
    return numbers;
  };
  const Seed seeds[] = {130509, 0, -7, 240000};
  std::vector<std::vector<float>> alone, together(std::size(seeds));
  for (Seed seed : seeds) alone.push_back(run(seed));
  std::vector<std::thread> threads;
  for (size_t t = 0; t < std::size(seeds); ++t) {
    threads.emplace_back([&, t] { together[t] = run(seeds[t]); });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(together, alone);
  // Midnight's seed 0 draws as 240000 does; other seeds differ.
  EXPECT_EQ(alone[1], alone[3]);
  EXPECT_NE(alone[0], alone[2]);
}

}  // namespace
