// SPDX-License-Identifier: GPL-3.0-or-later
// gsstoceq at its largest sizes (n1 = 2000, n2 = 1000, the product limit):
// the routines against the plain all-pairs and gap-sort transcription, and
// the whole run with B = 20000 in a scratch directory.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "bootwmw.h"
#include "gsstoceq.h"
#include "plain_stoceq.h"
#include "ranks.h"
#include "wmwtest.h"

namespace {

using plain::Vec;

struct Samples {
  Vec x1, x2;
};

// Group sizes 1..40 with many small groups, ascending as the front end
// writes them.
const Samples& largest() {
  static const Samples s = [] {
    std::mt19937 gen(5);
    std::geometric_distribution<int> size(0.15);
    Samples r{Vec(2000), Vec(1000)};
    for (float& v : r.x1) v = float(1 + std::min(size(gen), 39));
    for (float& v : r.x2) v = float(2 + std::min(size(gen), 38));
    std::sort(r.x1.begin(), r.x1.end());
    std::sort(r.x2.begin(), r.x2.end());
    return r;
  }();
  return s;
}

void ranksFast(benchmark::State& state) {
  const Samples& s = largest();
  Vec r1(2000), r2(1000), q1(2000), q2(1000);
  for (auto _ : state) {
    tsk::ranks(s.x1.data(), 2000, s.x2.data(), 1000, r1.data(), r2.data(), q1.data(), q2.data());
    benchmark::DoNotOptimize(r1.data());
  }
}
BENCHMARK(ranksFast)->Unit(benchmark::kMicrosecond);

void ranksPlain(benchmark::State& state) {
  const Samples& s = largest();
  Vec r1, r2, q1, q2;
  for (auto _ : state) {
    plain::ranks(s.x1, s.x2, r1, r2, q1, q2);
    benchmark::DoNotOptimize(r1.data());
  }
}
BENCHMARK(ranksPlain)->Unit(benchmark::kMillisecond);

void adjusztFast(benchmark::State& state) {
  const Samples& s = largest();
  for (auto _ : state) benchmark::DoNotOptimize(tsk::analyses::adjuszt(s.x1, s.x2, 1.0f));
}
BENCHMARK(adjusztFast)->Unit(benchmark::kMillisecond);

void adjusztPlain(benchmark::State& state) {
  const Samples& s = largest();
  for (auto _ : state) benchmark::DoNotOptimize(plain::adjuszt(s.x1, s.x2, 1.0f));
}
BENCHMARK(adjusztPlain)->Unit(benchmark::kMillisecond)->Iterations(2);

void wmwtestFast(benchmark::State& state) {
  const Samples& s = largest();
  for (auto _ : state) benchmark::DoNotOptimize(tsk::analyses::wmwtest(s.x1, s.x2));
}
BENCHMARK(wmwtestFast)->Unit(benchmark::kMicrosecond);

void wmwtestPlain(benchmark::State& state) {
  const Samples& s = largest();
  for (auto _ : state) benchmark::DoNotOptimize(plain::wmwtest(s.x1, s.x2));
}
BENCHMARK(wmwtestPlain)->Unit(benchmark::kMillisecond);

// Per replication: the argument is B.
void bootwmwFast(benchmark::State& state) {
  const Samples& s = largest();
  const Vec y = tsk::analyses::adjuszt(s.x1, s.x2, 1.0f);
  const int b = static_cast<int>(state.range(0));
  for (auto _ : state) {
    tsk::MtBlock mt;
    tsk::sgrnd(mt, 130509);
    benchmark::DoNotOptimize(tsk::analyses::bootwmw(mt, s.x1, s.x2, y, b));
  }
  state.SetItemsProcessed(state.iterations() * b);
}
BENCHMARK(bootwmwFast)->Arg(2000)->Unit(benchmark::kMillisecond);

void bootwmwPlain(benchmark::State& state) {
  const Samples& s = largest();
  const int b = static_cast<int>(state.range(0));
  for (auto _ : state) {
    plain::Mt mt(130509);
    benchmark::DoNotOptimize(plain::bootwmw(mt, s.x1, s.x2, b));
  }
  state.SetItemsProcessed(state.iterations() * b);
}
BENCHMARK(bootwmwPlain)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(1);

// The whole engine run, files included, with B = 20000.
void wholeRun(benchmark::State& state) {
  const Samples& s = largest();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "gsstoceq_bench_run";
  std::filesystem::create_directories(dir);
  {
    std::ofstream data(dir / "tskdat.tmp", std::ios::binary);
    for (const Vec* x : {&s.x1, &s.x2}) {
      data << x->size() << "\r\n0\r\n";
      for (float v : *x) data << ' ' << v << " \r\n";
      data << " \r\n";
    }
    std::ofstream param(dir / "steqreps.par", std::ios::binary);
    param << "bench\r\nbench\r\n20000\r\n";
  }
  std::ostringstream console;
  for (auto _ : state) {
    gsstoceq::run({dir, tsk::fixedClock(13, 5, 9), &console});
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(wholeRun)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
