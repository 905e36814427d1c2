// SPDX-License-Identifier: GPL-3.0-or-later
// The table reader on texts that must take time in proportion to their
// size: a cell that begins with a blank and holds many quotes, a row of
// empty columns, and a column of numbers near the 32 MB limit.

#include <benchmark/benchmark.h>

#include <QByteArray>

#include "SampleTable.h"

namespace {

// A sample named "a" whose second cell is a blank and then `bytes` quotes.
QByteArray quoteHeavyCell(qsizetype bytes) { return "a\n1\n x" + QByteArray(bytes, '"') + "\n"; }

// Group sizes under a heading, then a line of `bytes` empty columns.
QByteArray emptyColumns(qsizetype bytes) {
  QByteArray text = "a\n";
  for (int i = 0; i < 1000; ++i) text += "1\n";
  return text + QByteArray(bytes, ';') + "2\n";
}

// One group size a line, up to `bytes`.
QByteArray numberColumn(qsizetype bytes) {
  QByteArray text = "a\r\n";
  text.reserve(bytes);
  while (text.size() + 6 <= bytes) text += "1234\r\n";
  return text;
}

void read(benchmark::State& state, QByteArray (*make)(qsizetype)) {
  const QByteArray text = make(state.range(0));
  for (auto _ : state) {
    const tsk::SampleTableRead table = tsk::parseSampleTable(text, QStringLiteral("t.csv"));
    benchmark::DoNotOptimize(table.ok);
  }
  state.SetBytesProcessed(state.iterations() * text.size());
}

BENCHMARK_CAPTURE(read, quote_heavy_cell, quoteHeavyCell)
    ->RangeMultiplier(4)
    ->Range(25 << 10, 400 << 10)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(read, empty_columns, emptyColumns)
    ->RangeMultiplier(4)
    ->Range(25 << 10, 400 << 10)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(read, number_column, numberColumn)
    ->Arg(4 << 20)
    ->Arg(32 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
