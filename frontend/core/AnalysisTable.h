// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The numbers of an analysis as a tidy table: the engines write their rows
// to tsktab.tmp beside the report; this reads them, names the samples, and
// writes the table as CSV, TSV or JSON, or a paragraph for the Methods
// section of a paper.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tsk {

inline const QString kExchangeTableFile = QStringLiteral("tsktab.tmp");

struct AnalysisRow {
  QList<int> samples;  // 1-based positions among the run's samples
  QString method;
  QString statistic;
  QString value;         // as the engine wrote it: the shortest exact text, or "NA"
  QString level;         // confidence level such as "0.95"; empty when none
  int replications = 0;  // 0: no resampling
};

// One engine run's rows.
struct AnalysisTable {
  QString engine;
  QString seedTime;  // hhmmss; empty for engines without random numbers
  QList<AnalysisRow> rows;
};

// Reads the text of tsktab.tmp; nullopt, with `error` set, when it is not
// such a table.
std::optional<AnalysisTable> parseAnalysisTable(const QByteArray& text, QString* error);

// Reads tsktab.tmp of `workDir` (a regular file only) and checks that
// `engine` wrote it (either capacity build's name is accepted).
std::optional<AnalysisTable> readAnalysisTable(const QString& workDir, const QString& engine,
                                               QString* error);

// A run's rows with the names of its samples, in the order handed over.
struct NamedTable {
  AnalysisTable table;
  QStringList sampleNames;
};

enum class TableFormat { Csv, Tsv, Json };
std::optional<TableFormat> tableFormatNamed(const QString& name);  // "csv", "tsv", "json"

// The runs' rows as one table with the columns engine, method, sample,
// statistic, value, level, replications, seed_time. A test's row names its
// samples joined by " vs ". Lines end in LF; NA stays NA (null in JSON).
QByteArray tableText(const QList<NamedTable>& runs, TableFormat format);

// A paragraph for the Methods section of a paper: each method used, its
// confidence levels and replications, the seed second, Toskarn's version,
// and the classic article for each method, in plain text.
QString methodsText(const QList<NamedTable>& runs);

}  // namespace tsk
