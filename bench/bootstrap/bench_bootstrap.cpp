// SPDX-License-Identifier: GPL-3.0-or-later
// Whole computation of gsmeanci, gscrowci (n = 5000, B = 20000) and
// gscrow2s (5000 + 5000 groups, B = 20000): the engines' routines against
// the plain transcription (the generator one word at a time, one draw at a
// time, exchange sort); and the 10^8 draws of one run alone, the plain loop
// over grnd against the block stream.
// Run: build/bin/bench_bootstrap --benchmark_min_time=0.5
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "baseline.h"
#include "bca.h"
#include "mtrand.h"
#include "numerics.h"

namespace {

constexpr int kGroups = 5000;
constexpr int kReplications = 20000;
constexpr int32_t kSeed = 130509;  // 13:05:09

// Group sizes 1 to 40, mostly small, as surveys of herds give them.
std::vector<float> sample(unsigned seed) {
  std::mt19937 rng(seed);
  std::geometric_distribution<int> size(0.25);
  std::vector<float> x(kGroups);
  for (float& v : x) v = static_cast<float>(1 + std::min(size(rng), 39));
  return x;
}

using tsk::bca::Statistic;

// What runOneSample computes between reading the data and writing lines.
float engineOneSample(tsk::MtBlock& seed, const std::vector<float>& x, Statistic kind,
                      std::vector<float>& b) {
  const int n = static_cast<int>(x.size());
  float statistic = tsk::bca::statisticOf(x.data(), n, kind);
  float a = tsk::bca::accelerationOf(x.data(), n, kind);
  float z0 = tsk::bca::bootstrap(seed, x.data(), n, kReplications, kind, statistic, b.data()).z0;
  auto rule =
      kind == Statistic::Mean ? tsk::bca::UpperIndex::Truncated : tsk::bca::UpperIndex::OneAbove;
  float total = 0.0f;
  for (float c : {0.90f, 0.95f, 0.99f}) {
    tsk::bca::Limits l = tsk::bca::limits(b.data(), kReplications, z0, a, c, rule);
    total += l.lower + l.upper;
  }
  return total;
}

void engineMean(benchmark::State& state, Statistic kind) {
  const std::vector<float> x = sample(1);
  std::vector<float> b(kReplications);
  for (auto _ : state) {
    tsk::MtBlock seed;
    tsk::sgrnd(seed, kSeed);
    benchmark::DoNotOptimize(engineOneSample(seed, x, kind, b));
  }
}

void baselineOneSample(benchmark::State& state, baseline::Kind kind) {
  const std::vector<float> x = sample(1);
  for (auto _ : state) {
    baseline::Generator g(kSeed);
    auto r = baseline::oneSample(x, kReplications, kind, g, {0.90f, 0.95f, 0.99f});
    benchmark::DoNotOptimize(r.levels.data());
  }
}

void BM_gsmeanci_engine(benchmark::State& s) { engineMean(s, Statistic::Mean); }
void BM_gsmeanci_baseline(benchmark::State& s) { baselineOneSample(s, baseline::Kind::Mean); }
void BM_gscrowci_engine(benchmark::State& s) { engineMean(s, Statistic::Crowding); }
void BM_gscrowci_baseline(benchmark::State& s) { baselineOneSample(s, baseline::Kind::Crowding); }

void BM_gscrow2s_engine(benchmark::State& state) {
  const std::vector<float> x1 = sample(1), x2 = sample(2);
  std::vector<float> b(kReplications);
  for (auto _ : state) {
    tsk::MtBlock seed;
    tsk::sgrnd(seed, kSeed);
    float total = 0.0f;
    for (const auto* x : {&x1, &x2}) {
      const int n = static_cast<int>(x->size());
      float mc = tsk::bca::statisticOf(x->data(), n, Statistic::Crowding);
      float a = tsk::bca::accelerationOf(x->data(), n, Statistic::Crowding);
      float z0 =
          tsk::bca::bootstrap(seed, x->data(), n, kReplications, Statistic::Crowding, mc, b.data())
              .z0;
      auto l =
          tsk::bca::limits(b.data(), kReplications, z0, a, 0.975f, tsk::bca::UpperIndex::OneAbove);
      total += l.lower + l.upper;
    }
    benchmark::DoNotOptimize(total);
  }
}

void BM_gscrow2s_baseline(benchmark::State& state) {
  const std::vector<float> x1 = sample(1), x2 = sample(2);
  for (auto _ : state) {
    baseline::Generator g(kSeed);
    auto lines = baseline::twoSampleReport(x1, x2, kReplications, g);
    benchmark::DoNotOptimize(lines.data());
  }
}

// The draws of one full run alone, each value added to a single-precision
// sum: the plain loop (one grnd call, the position, the addition) against
// the block stream with eight sums side by side, as the engine resamples.
void BM_draws_plain(benchmark::State& state) {
  const std::vector<float> x = sample(1);
  for (auto _ : state) {
    tsk::MtBlock mt;
    tsk::sgrnd(mt, kSeed);
    float sum = 0.0f;
    for (long i = 0; i < long{kGroups} * kReplications; ++i) {
      sum += x[tsk::drawPosition(tsk::grnd(mt), kGroups) - 1];
    }
    benchmark::DoNotOptimize(sum);
  }
}

void BM_draws_blocks(benchmark::State& state) {
  const std::vector<float> x = sample(1);
  std::vector<int32_t> positions(8 * kGroups);
  for (auto _ : state) {
    tsk::MtBlock mt;
    tsk::sgrnd(mt, kSeed);
    float sums[8] = {};
    for (int rep = 0; rep < kReplications; rep += 8) {
      tsk::drawPositions(mt, kGroups, positions.data(), positions.size());
      for (int i = 0; i < kGroups; ++i)
        for (int l = 0; l < 8; ++l) sums[l] += x[positions[l * kGroups + i]];
    }
    benchmark::DoNotOptimize(sums);
  }
}

// The stream alone: 10^8 positions, one grnd call each or a block at a time.
void BM_positions_plain(benchmark::State& state) {
  for (auto _ : state) {
    tsk::MtBlock mt;
    tsk::sgrnd(mt, kSeed);
    int32_t last = 0;
    for (long i = 0; i < long{kGroups} * kReplications; ++i) {
      last = tsk::drawPosition(tsk::grnd(mt), kGroups);
      benchmark::DoNotOptimize(last);
    }
  }
}

void BM_positions_blocks(benchmark::State& state) {
  std::vector<int32_t> positions(8 * kGroups);
  for (auto _ : state) {
    tsk::MtBlock mt;
    tsk::sgrnd(mt, kSeed);
    for (int rep = 0; rep < kReplications; rep += 8) {
      tsk::drawPositions(mt, kGroups, positions.data(), positions.size());
      benchmark::DoNotOptimize(positions.data());
    }
  }
}

// Moving the stream 10^8 draws on without using them, as a second thread
// does before it takes the later half of the replications.
void BM_skip(benchmark::State& state) {
  for (auto _ : state) {
    tsk::MtBlock mt;
    tsk::sgrnd(mt, kSeed);
    tsk::skipDraws(mt, uint64_t{kGroups} * kReplications);
    benchmark::DoNotOptimize(mt.mt.data());
  }
}

// Sorting the 20000 bootstrap values: exchange sort against the library sort.
void BM_sort(benchmark::State& state, bool exchange) {
  std::vector<float> base(kReplications);
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> u(2.0f, 4.0f);
  for (float& v : base) v = u(rng);
  for (auto _ : state) {
    std::vector<float> b = base;
    if (exchange) {
      baseline::exchangeSort(b.data(), kReplications);
    } else {
      tsk::sort(b.data(), kReplications);
    }
    benchmark::DoNotOptimize(b.data());
  }
}

}  // namespace

BENCHMARK(BM_gsmeanci_engine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_gsmeanci_baseline)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_gscrowci_engine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_gscrowci_baseline)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_gscrow2s_engine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_gscrow2s_baseline)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_draws_plain)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_draws_blocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_positions_plain)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_positions_blocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_skip)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_sort, exchange, true)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_sort, library, false)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
