// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Samples from delimited text as spreadsheets and editors write it: CSV with
// commas or semicolons, tab-separated text, or plain columns separated by
// blanks.
//
// How a table is read:
// - Text: UTF-8 (a byte-order mark is dropped), UTF-16 with a byte-order mark
//   (a spreadsheet's "Unicode text"), anything else as Latin-1. Lines end in
//   CR LF, LF or CR. Fields may be quoted with double quotes ("" inside
//   stands for one quote), and a quoted field may hold delimiters and line
//   ends.
// - Delimiter, for the whole file: the one a first line "sep=;" (or "sep=,"
//   or a tab) names, else a tab if any line has one outside quotes, else a
//   semicolon if any line has one, else a comma if any line has one, else
//   runs of blanks (plain columns, which cannot leave a cell empty except at
//   the end of a line).
// - Rows whose cells are all empty are skipped; so are columns whose cells
//   are all empty, heading included (the trailing ";;" of ragged columns).
// - Header row: the first row that is not empty is a header when one of its
//   cells is not a number. No other row may hold text. So headings made of
//   digits alone (years: 2006;2007) read as numbers; they need a letter.
// - Layout, from the columns that hold numbers:
//   - one column: one sample, one group size per cell;
//   - two columns without a header, or two under a header whose first
//     heading names a size ("size", "group size", ...) or whose second names
//     a count ("count", "groups", "number of groups", "n", "frequency",
//     ...): one sample, each row a size and its number of groups;
//   - otherwise, under a header: one sample per column, named by its
//     heading, in column order. Three or more columns need the header.
//   A sample without a naming heading (no header, or a size/count header)
//   takes `defaultName`, for a file its name without extension.
// - Numbers: whole numbers, sizes and counts from 1 to 30000. "3.0", "3.00"
//   and the decimal comma "3,0" are read as 3; "3.5" and "3,5" are refused
//   as not whole; "3.000" and "3,000" are refused too, because a thousands
//   separator cannot be told from a decimal part. Repeated sizes add up,
//   but a size may not gather more than 30000 groups, nor a sample more
//   than kMaxSampleGroups, the limit of a sample file.
// Any fault refuses the whole text with one message naming the file, the
// line and the column (counted from 1, as in the file); nothing is returned
// then.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "GroupSizeSample.h"

namespace tsk {

// Larger files are refused unread: 32 MB hold millions of group sizes.
inline constexpr qint64 kSampleTableMaxBytes = qint64(32) << 20;

// How two columns of numbers are read when no heading says: Undecided
// refuses a table that reads both ways (two samples named by a first row of
// numbers, or sizes and their numbers of groups); Samples takes the first
// row as the samples' names, Pairs each row as a size and its count.
enum class TableLayout { Undecided, Samples, Pairs };

// The other way to settle a table that reads both ways, ending the messages
// that say how to choose.
inline const QString kHeadColumnsHint =
    QStringLiteral("head the columns with names (such as y2006) or with size and count.");

// The layout a word names, as --layout takes it: "samples" or "pairs".
std::optional<TableLayout> tableLayoutNamed(const QString& word);

struct NamedSample {
  QString name;
  GroupSizeSample sample;  // rows sorted by size, totals width 7 as if typed
};

struct SampleTableRead {
  bool ok = false;
  std::vector<NamedSample> samples;  // in column order; empty when !ok
  QString message;                   // why nothing was read, when !ok
  // Refused as readable both as samples and as sizes with their numbers of
  // groups: the sentence that names both readings, which `message` follows
  // with how to choose one on the command line.
  QString bothReadings;
  explicit operator bool() const { return ok; }
};

// True for the names of files read as tables: .csv, .tsv, .txt in any case.
bool isSampleTableName(const QString& path);

// Reads the regular file at `path` as a table; messages name the file by
// its name without folder.
SampleTableRead ReadSampleTable(const QString& path, TableLayout layout = TableLayout::Undecided);

// The same from a file's bytes.
SampleTableRead parseSampleTable(const QByteArray& content, const QString& fileName,
                                 TableLayout layout = TableLayout::Undecided);

// Text pasted from a spreadsheet (tab- and line-separated); messages begin
// "Pasted text", and a sample without a heading is named `defaultName`.
SampleTableRead parsePastedTable(const QString& text, const QString& defaultName);

// The characters this thread's table readers have examined so far, each
// pass over a text or a cell counting its length: reading must grow in
// proportion to the text, whatever it holds.
std::uint64_t sampleTableCharactersExamined();

}  // namespace tsk
