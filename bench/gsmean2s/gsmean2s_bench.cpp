// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of the bootstrap t-test at 5000 + 5000 groups and 20000
// replications: the plain loops against the engine's computation, and a
// whole engine run with its files.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "baseline.h"
#include "gsmean2s.h"
#include "mean_test.h"

namespace {

constexpr int kGroups = 5000;
constexpr int kReplications = 20000;
constexpr int32_t kSeed = 130509;  // 13:05:09

// Group sizes 1 to 40, most of them small, in ascending order.
std::vector<float> sample(unsigned seed, double p) {
  std::mt19937 gen(seed);
  std::geometric_distribution<int> size(p);
  std::vector<float> x(kGroups);
  for (float& v : x) v = static_cast<float>(1 + std::min(size(gen), 39));
  std::sort(x.begin(), x.end());
  return x;
}

const std::vector<float>& sample1() {
  static const std::vector<float> x = sample(1, 0.3);
  return x;
}
const std::vector<float>& sample2() {
  static const std::vector<float> x = sample(2, 0.29);
  return x;
}

void plainLoops(benchmark::State& state) {
  int64_t below = 0;
  for (auto _ : state) {
    auto r = gsmean2s_baseline::run(sample1(), sample2(), kReplications, kSeed);
    benchmark::DoNotOptimize(below = r.count);
  }
  // Shown beside the engine's count, which must be the same.
  state.counters["below"] = static_cast<double>(below);
}
BENCHMARK(plainLoops)->Unit(benchmark::kMillisecond)->Iterations(1);

void engineComputation(benchmark::State& state) {
  int64_t below = 0;
  for (auto _ : state) {
    tsk::analyses::Moments m;
    const float t = tsk::analyses::st(kGroups, kGroups, sample1().data(), sample2().data(), m);
    std::vector<float> y1, y2;
    tsk::analyses::centre(sample1(), sample2(), m, y1, y2);
    tsk::MtBlock mt;
    tsk::sgrnd(mt, kSeed);
    benchmark::DoNotOptimize(below = tsk::analyses::bootstrapCount(y1, y2, t, kReplications, mt));
  }
  state.counters["below"] = static_cast<double>(below);
}
BENCHMARK(engineComputation)->Unit(benchmark::kMillisecond)->Iterations(5);

std::string block(const std::vector<float>& x) {
  long animals = 0;
  for (float v : x) animals += static_cast<long>(v);
  std::string b = std::to_string(x.size()) + "\r\n" + std::to_string(animals) + "\r\n";
  for (float v : x) b += std::to_string(static_cast<int>(v)) + "\r\n";
  return b + " \r\n";
}

void wholeRun(benchmark::State& state) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("gsmean2s-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "tskdat.tmp", std::ios::binary) << block(sample1()) << block(sample2());
  std::ofstream(dir / "mean2reps.par", std::ios::binary) << "benchmark\r\nreplications\r\n"
                                                         << kReplications << "\r\n";
  tsk::EngineContext context{dir, tsk::fixedClock(13, 5, 9)};
  for (auto _ : state) gsmean2s::run(context, gsmean2s::kCapacity);
  std::filesystem::remove_all(dir);
}
BENCHMARK(wholeRun)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
