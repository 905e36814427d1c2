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
// whose p-values lie just above the point where the bound takes over.
const std::vector<int> kTwoThousands(6, 2000);
const Table kSixByTwoThousand[] = {
    {{1040, 1000, 1000, 1000, 1000, 960}, kTwoThousands},
    {{1070, 1010, 1000, 1000, 990, 930}, kTwoThousands},
    {{1100, 1050, 1000, 1000, 950, 900}, kTwoThousands},
    {{1104, 1023, 892, 1088, 966, 1030}, kTwoThousands},
    {{1140, 1000, 1000, 1000, 1000, 860}, kTwoThousands},
    {{1150, 1000, 1000, 1000, 1000, 850}, kTwoThousands},
};
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
BENCHMARK(BM_FastSixByTwoThousand)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_FastSmall(benchmark::State& state) { fast(state, kSmall[state.range(0)]); }
BENCHMARK(BM_FastSmall)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

void BM_PlainSmall(benchmark::State& state) { plainEnumeration(state, kSmall[state.range(0)]); }
BENCHMARK(BM_PlainSmall)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// A whole run of the engine in a directory of its own: six samples of 100
// groups, sizes 1 to 9 drawn at random, and a limit that admits the test.
void BM_WholeRunSixByHundred(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / "tsk-gsmidtst-bench";
  std::filesystem::create_directories(dir);
  std::mt19937 rng(static_cast<unsigned>(state.range(0)));
  std::ofstream data(dir / "tskdat.tmp", std::ios::binary);
  for (int s = 0; s < 6; ++s) {
    std::vector<int> sizes(100);
    int animals = 0;
    for (int& x : sizes) {
      x = 1 + static_cast<int>(rng() % (4 + 2 * s));
      animals += x;
    }
    data << "100\r\n" << animals << "\r\n";
    for (int x : sizes) data << x << "\r\n";
    data << " \r\n";
  }
  data.close();
  std::ofstream(dir / "gsmidtst.par", std::ios::binary) << "limit\r\nminutes\r\n1000000\r\n";
  tsk::EngineContext context{dir, tsk::fixedClock(12, 0, 0)};
  for (auto _ : state) gsmidtst::run(context);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_WholeRunSixByHundred)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
