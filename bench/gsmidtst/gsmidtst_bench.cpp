// SPDX-License-Identifier: GPL-3.0-or-later
// The exact test of the median test engine: the fast search against the
// plain enumeration of every table, and whole runs of the engine.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "fisher_plain.h"
#include "fisherxx.h"
#include "gsmidtst.h"

namespace {

struct Table {
  std::vector<int> le, n;
};

// Observed first columns from the centre (p near 1) to far in the tail.
const Table kSixByHundred[] = {
    {{50, 50, 50, 50, 50, 50}, {100, 100, 100, 100, 100, 100}},
    {{56, 45, 52, 41, 58, 48}, {100, 100, 100, 100, 100, 100}},
    {{62, 40, 55, 38, 60, 45}, {100, 100, 100, 100, 100, 100}},
    {{70, 30, 60, 40, 65, 35}, {100, 100, 100, 100, 100, 100}},
    {{90, 10, 80, 20, 75, 25}, {100, 100, 100, 100, 100, 100}},
};
// Six samples of 2000, from a weak difference to the slowest tables found,
// whose p-values lie just above the point where the bound takes over. The
// worst of them is row 4: 1140 and 860 values at or below the median in the
// first and last samples, 1000 in the others.
const std::vector<int> kTwoThousands(6, 2000);
const Table kSixByTwoThousand[] = {
    {{1040, 1000, 1000, 1000, 1000, 960}, kTwoThousands},
    {{1070, 1010, 1000, 1000, 990, 930}, kTwoThousands},
    {{1100, 1050, 1000, 1000, 950, 900}, kTwoThousands},
    {{1104, 1023, 892, 1088, 966, 1030}, kTwoThousands},
    {{1140, 1000, 1000, 1000, 1000, 860}, kTwoThousands},
    {{1150, 1000, 1000, 1000, 1000, 850}, kTwoThousands},
};
// The worst table again with six slightly different sizes: no two rows of
// equal totals, so every partial table is listed on its own.
const Table kNearlyEqualSizes = {{1140, 1000, 1000, 1000, 1000, 860},
                                 {2000, 1999, 1998, 1997, 1996, 1995}};
// Small enough for the full enumeration.
const Table kSmall[] = {
    {{9, 3, 6, 5, 8, 4}, {12, 12, 12, 12, 12, 12}},
    {{30, 12, 25, 14}, {40, 40, 40, 40}},
};

void fast(benchmark::State& state, const Table& t) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        tsk::analyses::fisherxx(static_cast<int>(t.n.size()), t.le.data(), t.n.data()));
  }
}

void plainEnumeration(benchmark::State& state, const Table& t) {
  long long tables = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        gsmidtst::plain::fisherxx(static_cast<int>(t.n.size()), t.le.data(), t.n.data(), &tables));
  }
  state.counters["tables"] = static_cast<double>(tables);
}

void BM_FastSixByHundred(benchmark::State& state) { fast(state, kSixByHundred[state.range(0)]); }
BENCHMARK(BM_FastSixByHundred)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void BM_FastSixByTwoThousand(benchmark::State& state) {
  fast(state, kSixByTwoThousand[state.range(0)]);
}
// The search runs on several threads: CPU time is the whole process's.
BENCHMARK(BM_FastSixByTwoThousand)
    ->DenseRange(0, 5)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_FastNearlyEqualSizes(benchmark::State& state) { fast(state, kNearlyEqualSizes); }
BENCHMARK(BM_FastNearlyEqualSizes)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_FastSmall(benchmark::State& state) { fast(state, kSmall[state.range(0)]); }
BENCHMARK(BM_FastSmall)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

void BM_PlainSmall(benchmark::State& state) { plainEnumeration(state, kSmall[state.range(0)]); }
BENCHMARK(BM_PlainSmall)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// A whole run of the engine in a directory of its own on the samples that
// `sizes(s)` gives, with a limit that admits the test.
template <typename Sizes>
void wholeRun(benchmark::State& state, const char* name, int samples, Sizes sizes) {
  const auto dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::create_directories(dir);
  std::ofstream data(dir / "tskdat.tmp", std::ios::binary);
  for (int s = 0; s < samples; ++s) {
    const std::vector<int> x = sizes(s);
    int animals = 0;
    for (int v : x) animals += v;
    data << x.size() << "\r\n" << animals << "\r\n";
    for (int v : x) data << v << "\r\n";
    data << " \r\n";
  }
  data.close();
  std::ofstream(dir / "gsmidtst.par", std::ios::binary)
      << "limit\r\nminutes\r\n999999999999999999\r\n";
  tsk::EngineContext context{dir, tsk::fixedClock(12, 0, 0)};
  for (auto _ : state) gsmidtst::run(context);
  std::filesystem::remove_all(dir);
}

// Six samples of 100 groups, sizes 1 to 9 drawn at random.
void BM_WholeRunSixByHundred(benchmark::State& state) {
  std::mt19937 rng(static_cast<unsigned>(state.range(0)));
  wholeRun(state, "tsk-gsmidtst-bench", 6, [&](int s) {
    std::vector<int> x(100);
    for (int& v : x) v = 1 + static_cast<int>(rng() % (4 + 2 * s));
    return x;
  });
}
BENCHMARK(BM_WholeRunSixByHundred)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The worst table above through the whole engine: six samples of 2000 groups,
// those at or below the pooled median (2) of size 1 and the others of size 3.
void BM_WholeRunWorstSixByTwoThousand(benchmark::State& state) {
  const Table& worst = kSixByTwoThousand[4];
  wholeRun(state, "tsk-gsmidtst-bench-worst", 6, [&](int s) {
    std::vector<int> x(2000, 3);
    std::fill_n(x.begin(), worst.le[static_cast<size_t>(s)], 1);
    return x;
  });
}
BENCHMARK(BM_WholeRunWorstSixByTwoThousand)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
