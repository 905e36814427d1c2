// SPDX-License-Identifier: GPL-3.0-or-later
#include "bca_limits.h"

#include <cmath>
#include <string>
#include <string_view>

namespace tsk::analyses {

namespace {

const char* const kNoSample = " Sample size = 0, check data!";

std::optional<Failure> checkArguments(int replications, std::span<const double> levels) {
  if (auto failure = checkLevels(levels)) return failure;
  return checkReplications(replications);
}

// The limits of one sample, its replications drawn from mt, which is left
// after them whether or not the limits are defined.
BcaLimits oneSample(const std::vector<float>& x, Statistic kind, int B,
                    std::span<const double> levels, MtBlock& mt) {
  const int n = static_cast<int>(x.size());
  BcaLimits r;
  r.estimate = bca::statisticOf(x.data(), n, kind);
  r.groups = n;
  r.replications = B;
  const auto noLimits = [&](Error code, const char* message) {
    r.noLimits = Failure{code, message};
    skipDraws(mt, static_cast<uint64_t>(B) * static_cast<uint64_t>(n));
    return r;
  };
  if (const char* why = bca::undefinedLimits(x.data(), n)) {
    // By text: linkers need not give equal literals of two files one address.
    const bool oneGroup = std::string_view(why) == bca::kOneGroup;
    return noLimits(oneGroup ? Error::OneGroup : Error::EqualGroups, why);
  }
  r.acceleration = bca::accelerationOf(x.data(), n, kind);
  if (!std::isfinite(r.acceleration)) {
    return noLimits(Error::UndefinedAcceleration, bca::kUndefinedAcceleration);
  }
  std::vector<float> b(static_cast<size_t>(B));
  const bca::Bootstrap boot = bca::bootstrap(mt, x.data(), n, B, kind, r.estimate, b.data());
  r.z0 = boot.z0;
  r.below = boot.count;
  // The mean takes the upper index as it falls; the crowding one above.
  const bca::UpperIndex rule =
      kind == Statistic::Mean ? bca::UpperIndex::Truncated : bca::UpperIndex::OneAbove;
  for (double level : levels) {
    const float c = static_cast<float>(level);
    const bca::Limits l = bca::limits(b.data(), B, r.z0, r.acceleration, c, rule);
    r.levels.push_back({c, l.kl, l.ku, l.lower, l.upper, l.uncertain});
  }
  return r;
}

MtBlock generator(Seed seed) {
  MtBlock mt;
  sgrnd(mt, nonZeroSeed(seed));
  return mt;
}

}  // namespace

std::optional<Failure> checkSizes(Sizes sizes, Statistic kind) {
  if (sizes.size() == 0) return Failure{Error::NoGroups, kNoSample};
  if (kind == Statistic::Crowding) {
    for (float v : sizes.values()) {
      if (!(v > 0.0f)) return Failure{Error::NotPositive, bca::kNotPositive};
    }
  }
  return std::nullopt;
}

Result<BcaLimits> bcaLimits(Sizes sizes, Statistic kind, int replications,
                            std::span<const double> levels, Seed seed) {
  if (auto failure = checkArguments(replications, levels)) return *failure;
  if (auto failure = checkSizes(sizes, kind)) return *failure;
  MtBlock mt = generator(seed);
  return oneSample(sizes.values(), kind, replications, levels, mt);
}

Result<CrowdingComparison> crowdingComparison(Sizes first, Sizes second, int replications,
                                              double level, Seed seed) {
  const double levels[] = {level};
  if (auto failure = checkArguments(replications, levels)) return *failure;
  const Sizes samples[] = {first, second};
  for (int s = 0; s < 2; ++s) {
    if (samples[s].size() == 0) return sampleWithoutGroups(s + 1);
  }
  for (const Sizes& sample : samples) {
    if (auto failure = checkSizes(sample, Statistic::Crowding)) return *failure;
  }
  MtBlock mt = generator(seed);
  CrowdingComparison r;
  for (int s = 0; s < 2; ++s) {
    r.samples[s] = oneSample(samples[s].values(), Statistic::Crowding, replications, levels, mt);
  }
  if (!r.samples[0].noLimits && !r.samples[1].noLimits) {
    const BcaLevel& one = r.samples[0].levels[0];
    const BcaLevel& two = r.samples[1].levels[0];
    r.apart = one.upper < two.lower || two.upper < one.lower;
  }
  return r;
}

}  // namespace tsk::analyses
