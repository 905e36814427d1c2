// SPDX-License-Identifier: GPL-3.0-or-later
#include "SampleTable.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <span>

#include "ExchangeWriter.h"

namespace tsk {

namespace {

constexpr int kMaxValue = 30000;

// The cells of a table that hold something, trimmed, with their text in one
// buffer: a string or a vector per cell would take gigabytes for the
// millions of cells a 32 MB table may hold.
struct Cell {
  qsizetype start = 0;  // in Table::text
  int length = 0;
  int line = 0;
  int column = 0;  // from 0
  int row = 0;     // among the rows that are not blank
};

struct Table {
  QString text;              // the cells' contents, quotes resolved
  std::vector<Cell> cells;   // row by row, each row in column order
  int firstRowLine = 0;      // where the first row that is not blank begins
  int widestBelowFirst = 0;  // fields in the widest line below the first
  std::vector<int> rowLines;        // where each row that is not blank begins
  std::vector<bool> rowAfterBlank;  // a blank line stands between it and the row above
  // The first control character but tabs, line ends and form feeds (and the
  // end-of-file mark of old DOS files at the very end), and its line: text
  // holds none, a workbook, a picture or an encoding not told apart does.
  char16_t control = 0;
  int controlLine = 0;
  QString at(const Cell& cell) const { return text.mid(cell.start, cell.length); }
};

// Characters examined by this thread's readers.
thread_local std::uint64_t charactersExamined = 0;

// Where a message points: "File a.csv, line 4, column 2: ...".
struct Source {
  QString prefix;  // "File a.csv" or "Pasted text"
  QString defaultName;
  TableLayout layout = TableLayout::Undecided;
  // Cells pasted into a sample's rows: two columns without headings are its
  // sizes and numbers of groups.
  bool pastedRows = false;
};

class TableFault {
 public:
  TableFault(QString message, QString bothReadings = {})
      : message_(std::move(message)), bothReadings_(std::move(bothReadings)) {}
  const QString& message() const { return message_; }
  const QString& bothReadings() const { return bothReadings_; }

 private:
  QString message_;
  QString bothReadings_;
};

TableFault cellFault(const Source& source, int line, int column, const QString& what) {
  // One pass of arg(): a file name holding "%2" stays as it is.
  return TableFault(QStringLiteral("%1, line %2, column %3: %4")
                        .arg(source.prefix, QString::number(line), QString::number(column), what));
}

// A cell's text for a message: short and printable.
QString quoted(const QString& text) {
  QString shown;
  for (QChar c : text.left(24)) shown += c.isPrint() ? c : QChar(u'?');
  if (text.size() > 24) shown += QStringLiteral("...");
  return u'"' + shown + u'"';
}

// UTF-16 without a byte-order mark, told by its zero bytes: text of Latin
// letters, digits and delimiters has a zero in every other byte, the high
// byte of each character (the first of a pair in big-endian order).
std::optional<QStringConverter::Encoding> utf16WithoutMark(const QByteArray& content) {
  const qsizetype pairs = std::min<qsizetype>(content.size(), 4096) / 2;
  if (pairs < 2) return std::nullopt;
  qsizetype zeroFirst = 0, zeroSecond = 0;
  for (qsizetype i = 0; i < pairs; ++i) {
    zeroFirst += content[2 * i] == '\0';
    zeroSecond += content[2 * i + 1] == '\0';
  }
  if (zeroSecond * 10 >= pairs * 9 && zeroFirst * 10 <= pairs) return QStringConverter::Utf16LE;
  if (zeroFirst * 10 >= pairs * 9 && zeroSecond * 10 <= pairs) return QStringConverter::Utf16BE;
  return std::nullopt;
}

QString decode(const QByteArray& content) {
  // A byte-order mark decides; without one, UTF-16 when every other byte is
  // zero, UTF-8 when the bytes are valid UTF-8, else the Latin-1 of older
  // exports.
  std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(content);
  if (!bom) bom = utf16WithoutMark(content);
  if (bom) {
    QStringDecoder decoder(*bom);
    QString text = decoder.decode(content);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
  }
  QStringDecoder utf8(QStringConverter::Utf8);
  QString text = utf8.decode(content);
  if (!utf8.hasError()) return text;
  return QString::fromLatin1(content);
}

// Line: a single column, the whole line one cell.
enum class Delimiter { Tab, Semicolon, Comma, Blanks, Line };

Delimiter findDelimiter(const QString& text) {
  charactersExamined += static_cast<std::uint64_t>(text.size());
  bool inQuotes = false, semicolon = false, comma = false;
  for (QChar c : text) {
    if (c == u'"') inQuotes = !inQuotes;
    if (inQuotes) continue;
    if (c == u'\t') return Delimiter::Tab;
    semicolon = semicolon || c == u';';
    comma = comma || c == u',';
  }
  return semicolon ? Delimiter::Semicolon : comma ? Delimiter::Comma : Delimiter::Blanks;
}

// One pass over the text, each character looked at once: a cell that
// begins with a blank and holds many quotes must not be scanned again at
// every quote.
Table splitTable(const QString& text, Delimiter delimiter) {
  const QChar sep = delimiter == Delimiter::Tab         ? QChar(u'\t')
                    : delimiter == Delimiter::Semicolon ? QChar(u';')
                                                        : QChar(u',');
  const bool blanks = delimiter == Delimiter::Blanks;
  const bool wholeLine = delimiter == Delimiter::Line;
  Table table;
  int line = 1, row = 0, column = 0;
  bool inQuotes = false, firstLine = true, rowFilled = false;
  // The field being read. Only its trimmed text is ever used, so leading
  // blanks are not stored and trailing ones are cut at its end.
  qsizetype fieldStart = 0, contentEnd = 0;
  int fieldLine = 1, recordLine = 1;
  bool quoted = false, filled = false;

  const auto append = [&](QChar c) {
    if (!filled && c.isSpace()) return;
    table.text += c;
    if (!c.isSpace()) {
      filled = true;
      contentEnd = table.text.size();
    }
  };
  const auto endField = [&] {
    // Plain columns have no empty cells: runs of blanks are one separator.
    if (!blanks || quoted || filled) {
      if (filled) {
        table.text.truncate(contentEnd);
        table.cells.push_back(
            {fieldStart, static_cast<int>(contentEnd - fieldStart), fieldLine, column, row});
        if (row == 0) table.firstRowLine = recordLine;
        rowFilled = true;
      }
      ++column;
    }
    fieldStart = contentEnd = table.text.size();
    quoted = filled = false;
    fieldLine = line;
  };
  bool blankAbove = false;
  const auto endRecord = [&] {
    endField();
    if (!firstLine) table.widestBelowFirst = std::max(table.widestBelowFirst, column);
    firstLine = false;
    column = 0;
    if (rowFilled) {
      table.rowLines.push_back(recordLine);
      table.rowAfterBlank.push_back(blankAbove && row > 0);
      blankAbove = false;
      ++row;
    } else {
      blankAbove = true;
    }
    rowFilled = false;
  };

  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    const bool lineEnd = c == u'\n' || c == u'\r';
    if (c.unicode() < 0x20 && !lineEnd && c != u'\t' && c != u'\f' && !table.controlLine &&
        !(c == QChar(0x1A) && i == n - 1)) {
      table.control = c.unicode();
      table.controlLine = line;
    }
    if (lineEnd && c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
    if (inQuotes) {
      if (c == u'"') {
        if (i + 1 < n && text[i + 1] == u'"') {
          append(u'"');
          ++i;
        } else {
          inQuotes = false;
        }
      } else {
        append(lineEnd ? QChar(u'\n') : c);
        if (lineEnd) ++line;
      }
      continue;
    }
    if (c == u'"' && !quoted && !filled) {
      inQuotes = true;
      quoted = true;
    } else if (lineEnd) {
      endRecord();
      ++line;
      fieldLine = recordLine = line;
    } else if (!wholeLine && (blanks ? (c == u' ' || c == u'\t') : c == sep)) {
      endField();
    } else {
      append(c);
    }
  }
  endRecord();
  charactersExamined += static_cast<std::uint64_t>(n);
  return table;
}

bool isNumberLike(const QString& cell) {
  static const QRegularExpression number(QStringLiteral(R"(^[+-]?\d+([.,]\d*)?$)"));
  return number.match(cell).hasMatch();
}

// Headings that name the size and the count of a two-column sample.
QString headingKey(const QString& heading) {
  QString key = heading.simplified().toLower();
  while (key.endsWith(u':') || key.endsWith(u'.')) key.chop(1);
  return key;
}

bool namesSize(const QString& heading) {
  static const QSet<QString> words{QStringLiteral("size"),          QStringLiteral("sizes"),
                                   QStringLiteral("group size"),    QStringLiteral("group sizes"),
                                   QStringLiteral("groupsize"),     QStringLiteral("size of group"),
                                   QStringLiteral("size of groups")};
  return words.contains(headingKey(heading));
}

bool namesCount(const QString& heading) {
  static const QSet<QString> words{QStringLiteral("count"),
                                   QStringLiteral("counts"),
                                   QStringLiteral("n"),
                                   QStringLiteral("number"),
                                   QStringLiteral("groups"),
                                   QStringLiteral("number of groups"),
                                   QStringLiteral("no. of groups"),
                                   QStringLiteral("no of groups"),
                                   QStringLiteral("frequency"),
                                   QStringLiteral("freq"),
                                   QStringLiteral("number of groups seen")};
  return words.contains(headingKey(heading));
}

enum class Quantity { Size, Groups };

// A whole number from 1 to 30000 in a cell. A decimal part of zeros is
// dropped; three digits after the point may be a thousands group instead
// ("12.000" in a German sheet), so they are refused whatever they are.
int wholeValue(const Source& source, const Table& table, const Cell& cell, Quantity quantity) {
  static const QRegularExpression number(QStringLiteral(R"(^([+-]?)(\d+)(?:[.,](\d*))?$)"));
  const QString text = table.at(cell);
  const int column = cell.column + 1;
  charactersExamined += static_cast<std::uint64_t>(text.size());
  const QString outOfRange = quantity == Quantity::Size
                                 ? QStringLiteral("%1 is not a group size from 1 to 30000.")
                                 : QStringLiteral("%1 is not a number of groups from 1 to 30000.");
  const QRegularExpressionMatch m = number.match(text);
  if (!m.hasMatch())
    throw cellFault(source, cell.line, column,
                    QStringLiteral("%1 is not a number.").arg(quoted(text)));
  const QString fraction = m.captured(3);
  if (fraction.size() == 3)
    throw cellFault(source, cell.line, column,
                    QStringLiteral("%1 may hold a thousands separator or a decimal part; write "
                                   "whole numbers without either.")
                        .arg(quoted(text)));
  if (fraction.count(u'0') != fraction.size())
    throw cellFault(source, cell.line, column,
                    QStringLiteral("%1 is not a whole number.").arg(quoted(text)));
  QString digits = m.captured(2);
  while (digits.size() > 1 && digits.startsWith(u'0')) digits.remove(0, 1);
  const int value = digits.size() > 5 ? kMaxValue + 1 : digits.toInt();
  if (m.captured(1) == u"-" || value < 1 || value > kMaxValue)
    throw cellFault(source, cell.line, column, outOfRange.arg(quoted(text)));
  return value;
}

// Counts groups per size, refusing a size that gathers too many.
class Tally {
 public:
  void add(const Source& source, int size, int groups, const Cell& at) {
    const int column = at.column + 1;
    int& total = groups_[size];
    if (total + groups > kMaxValue)
      throw cellFault(source, at.line, column,
                      QStringLiteral("more than 30000 groups of size %1.").arg(size));
    // A few rows of sizes and counts could otherwise stand for a sample far
    // beyond any engine, whose file would run to gigabytes.
    if (sampleGroups_ + groups > kMaxSampleGroups)
      throw cellFault(
          source, at.line, column,
          QStringLiteral("the sample holds more than %1 groups.").arg(kMaxSampleGroups));
    total += groups;
    sampleGroups_ += groups;
  }
  bool empty() const { return groups_.empty(); }
  GroupSizeSample sample() const {
    GroupSizeSample s;
    for (const auto& [size, groups] : groups_) {
      s.entries.push_back({size, groups});
      s.groupsTotal += groups;
      s.animalsTotal += std::int64_t(size) * groups;
    }
    // As if typed row by row.
    s.totalsWidth = 7;
    return s;
  }

 private:
  std::map<int, int> groups_;
  qint64 sampleGroups_ = 0;
};

// A spreadsheet may begin its export with a line "sep=;" that names the
// delimiter. The line is blanked, so that line numbers stay those of the
// file.
std::optional<Delimiter> declaredDelimiter(QString& text) {
  static const QRegularExpression directive(QStringLiteral(R"(^sep=([;,\t])[ ]*(?=\r|\n|$))"),
                                            QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = directive.match(text);
  if (!m.hasMatch()) return std::nullopt;
  const QChar c = m.captured(1).front();
  text.remove(0, m.capturedLength());
  return c == u';' ? Delimiter::Semicolon : c == u',' ? Delimiter::Comma : Delimiter::Tab;
}

bool isMissingValue(const QString& cell) {
  return cell.compare(u"NA", Qt::CaseInsensitive) == 0 ||
         cell.compare(u"N/A", Qt::CaseInsensitive) == 0;
}

std::vector<NamedSample> readTable(QString text, const Source& source) {
  const std::optional<Delimiter> declared = declaredDelimiter(text);
  const Delimiter delimiter = declared ? *declared : findDelimiter(text);
  Table table = splitTable(text, delimiter);
  if (table.controlLine)
    throw TableFault(
        QStringLiteral("%1 is not a text table: line %2 holds the control character %3, as a "
                       "workbook or another binary file does (export the sheet as CSV or text; "
                       "text in UTF-16 or UTF-8 is read).")
            .arg(source.prefix, QString::number(table.controlLine),
                 QString::number(table.control)));
  // A single column needs no delimiter, and its heading ("Group size") may
  // hold blanks: plain columns need a second cell in some row below the
  // first.
  if (delimiter == Delimiter::Blanks && table.widestBelowFirst <= 1)
    table = splitTable(text, Delimiter::Line);
  text.clear();
  const std::vector<Cell>& cells = table.cells;
  if (cells.empty())
    throw TableFault(QStringLiteral("%1 holds no group sizes.").arg(source.prefix));

  // The first row is a header when one of its cells is not a number.
  std::size_t firstData = 0;
  while (firstData < cells.size() && cells[firstData].row == 0) ++firstData;
  const bool textHeader = std::any_of(cells.begin(), cells.begin() + firstData,
                                      [&](const Cell& c) { return !isNumberLike(table.at(c)); });
  // Chosen as samples, a first row of numbers (years, plot numbers) names them.
  const bool header = textHeader || (source.layout == TableLayout::Samples && cells.back().row > 0);
  if (!header) firstData = 0;

  // A row below a blank row at the table's foot may be a total rather than
  // groups; it is not guessed at.
  const int lastRow = cells.back().row;
  if (lastRow > (header ? 1 : 0) && table.rowAfterBlank[static_cast<std::size_t>(lastRow)])
    throw TableFault(QStringLiteral("%1, line %2: the last row stands below a blank row, as a "
                                    "total would; delete it if it is not groups, or the blank "
                                    "row above it if it is.")
                         .arg(source.prefix,
                              QString::number(table.rowLines[static_cast<std::size_t>(lastRow)])));

  int columns = 0;
  for (const Cell& c : cells) columns = std::max(columns, c.column + 1);
  std::vector<const Cell*> headings(static_cast<std::size_t>(columns), nullptr);
  if (header)
    for (std::size_t i = 0; i < firstData; ++i)
      headings[static_cast<std::size_t>(cells[i].column)] = &cells[i];
  // The data cells column by column, each column top to bottom: faults are
  // reported in that order, and a column is read without looking at the
  // others.
  std::vector<std::size_t> columnStart(static_cast<std::size_t>(columns) + 1, 0);
  for (std::size_t i = firstData; i < cells.size(); ++i)
    ++columnStart[static_cast<std::size_t>(cells[i].column) + 1];
  for (std::size_t c = 0; c < static_cast<std::size_t>(columns); ++c)
    columnStart[c + 1] += columnStart[c];
  std::vector<const Cell*> byColumn(cells.size() - firstData);
  {
    std::vector<std::size_t> next(columnStart.begin(), columnStart.end() - 1);
    for (std::size_t i = firstData; i < cells.size(); ++i)
      byColumn[next[static_cast<std::size_t>(cells[i].column)]++] = &cells[i];
  }
  // NA (as R pads unequal columns) and empty cells at a column's foot end it.
  std::vector<std::size_t> columnEnd(columnStart.begin() + 1, columnStart.end());
  for (std::size_t c = 0; c < columnEnd.size(); ++c)
    while (columnEnd[c] > columnStart[c] && isMissingValue(table.at(*byColumn[columnEnd[c] - 1])))
      --columnEnd[c];
  const auto columnCells = [&](int c) {
    return std::span<const Cell* const>(byColumn.data() + columnStart[static_cast<std::size_t>(c)],
                                        byColumn.data() + columnEnd[static_cast<std::size_t>(c)]);
  };

  // A first column without a heading that numbers the rows 1, 2, 3, ... (R's
  // row names) or 0, 1, 2, ... (an index) is not a sample.
  bool rowNames = false;
  if (header && columns > 1 && !headings[0]) {
    const auto first = columnCells(0);
    const int dataRows = lastRow;  // the rows below the header
    if (!first.empty() && static_cast<int>(first.size()) == dataRows) {
      const int start = table.at(*first[0]) == u"0" ? 0 : 1;
      rowNames = true;
      for (std::size_t i = 0; i < first.size() && rowNames; ++i)
        rowNames = first[i]->row == static_cast<int>(i) + 1 &&
                   table.at(*first[i]) == QString::number(start + static_cast<int>(i));
    }
  }

  // The columns that hold numbers, and the headings of all.
  std::vector<int> used;
  for (int c = rowNames ? 1 : 0; c < columns; ++c) {
    const Cell* heading = headings[static_cast<std::size_t>(c)];
    if (!columnCells(c).empty()) {
      if (header && !heading) {
        const Cell& first = *columnCells(c).front();
        throw cellFault(source, first.line, c + 1,
                        QStringLiteral("%1 stands in a column without a sample name in the "
                                       "header row.")
                            .arg(quoted(table.at(first))));
      }
      used.push_back(c);
    } else if (heading) {
      throw cellFault(
          source, heading->line, c + 1,
          QStringLiteral("sample %1 has no group sizes.").arg(quoted(table.at(*heading))));
    }
  }
  if (used.empty()) throw TableFault(QStringLiteral("%1 holds no group sizes.").arg(source.prefix));

  const auto headingOf = [&](int c) {
    return header ? table.at(*headings[static_cast<std::size_t>(c)]) : QString();
  };
  if (source.layout == TableLayout::Pairs && used.size() != 2)
    throw TableFault(QStringLiteral("%1: sizes and numbers of groups need two columns of "
                                    "numbers; the table has %2.")
                         .arg(source.prefix, QString::number(used.size())));
  // Two columns of numbers under a first row of numbers read both as two
  // samples named by that row and as sizes and their numbers of groups.
  if (!header && used.size() == 2 && lastRow > 0 && source.layout == TableLayout::Undecided &&
      !source.pastedRows) {
    const auto name = [&](int c) {
      const auto column = columnCells(c);
      return column.front()->row == 0 ? quoted(table.at(*column.front())) : QStringLiteral("\"\"");
    };
    const QString readings =
        QStringLiteral(
            "%1, line %2: the two columns read both as two samples named %3 and %4 "
            "and as one sample of group sizes (column %5) with their numbers of "
            "groups (column %6).")
            .arg(source.prefix, QString::number(table.firstRowLine), name(used[0]), name(used[1]),
                 QString::number(used[0] + 1), QString::number(used[1] + 1));
    throw TableFault(readings +
                         QStringLiteral(" Choose one: --layout samples or --layout pairs, "
                                        "or ") +
                         kHeadColumnsHint,
                     readings);
  }
  const bool sizeAndCount =
      used.size() == 2 && (source.layout == TableLayout::Pairs || !header ||
                           (source.layout != TableLayout::Samples &&
                            (namesSize(headingOf(used[0])) || namesCount(headingOf(used[1])))));
  if (!header && used.size() > 2)
    throw cellFault(source, table.firstRowLine, used[2] + 1,
                    QStringLiteral("three or more columns need a header row naming the samples."));

  std::vector<NamedSample> samples;
  if (sizeAndCount) {
    // Row by row: the two columns' cells in step.
    Tally tally;
    const auto sizes = columnCells(used[0]), counts = columnCells(used[1]);
    for (std::size_t s = 0, g = 0; s < sizes.size() || g < counts.size();) {
      const int row = std::min(s < sizes.size() ? sizes[s]->row : INT_MAX,
                               g < counts.size() ? counts[g]->row : INT_MAX);
      const Cell* size = s < sizes.size() && sizes[s]->row == row ? sizes[s++] : nullptr;
      const Cell* groups = g < counts.size() && counts[g]->row == row ? counts[g++] : nullptr;
      const int line = (size ? size : groups)->line;
      if (!size)
        throw cellFault(source, line, used[0] + 1, QStringLiteral("the group size is missing."));
      if (!groups)
        throw cellFault(source, line, used[1] + 1,
                        QStringLiteral("the number of groups is missing."));
      const int sizeValue = wholeValue(source, table, *size, Quantity::Size);
      tally.add(source, sizeValue, wholeValue(source, table, *groups, Quantity::Groups), *groups);
    }
    samples.push_back({source.defaultName, tally.sample()});
    return samples;
  }

  QSet<QString> names;
  for (int c : used) {
    QString name = source.defaultName;
    if (header && !(used.size() == 1 && textHeader && namesSize(headingOf(c)))) {
      const Cell& heading = *headings[static_cast<std::size_t>(c)];
      name = table.at(heading);
      bool usable = !name.contains(u'/') && !name.contains(u'\\');
      for (QChar ch : name) usable = usable && ch.isPrint();
      if (!usable)
        throw cellFault(source, heading.line, c + 1,
                        QStringLiteral("%1 cannot name a sample file.").arg(quoted(name)));
      // Room for ".dat" and for the longer name a file has while it is
      // written, within the 255 bytes most file systems allow.
      if (name.toUtf8().size() > 200)
        throw cellFault(source, heading.line, c + 1,
                        QStringLiteral("%1 is too long to name a sample file.").arg(quoted(name)));
      if (names.contains(name.toLower()))
        throw cellFault(source, heading.line, c + 1,
                        QStringLiteral("sample name %1 appears twice.").arg(quoted(name)));
      names.insert(name.toLower());
    }
    Tally tally;
    for (const Cell* cell : columnCells(c))
      tally.add(source, wholeValue(source, table, *cell, Quantity::Size), 1, *cell);
    samples.push_back({name, tally.sample()});
  }
  return samples;
}

SampleTableRead readText(const QString& text, const Source& source) {
  SampleTableRead result;
  try {
    result.samples = readTable(text, source);
    result.ok = true;
  } catch (const TableFault& fault) {
    result.samples.clear();
    result.message = fault.message();
    result.bothReadings = fault.bothReadings();
  }
  return result;
}

SampleTableRead failure(QString message) {
  SampleTableRead result;
  result.message = std::move(message);
  return result;
}

}  // namespace

std::uint64_t sampleTableCharactersExamined() { return charactersExamined; }

std::optional<TableLayout> tableLayoutNamed(const QString& word) {
  if (word == u"samples") return TableLayout::Samples;
  if (word == u"pairs") return TableLayout::Pairs;
  return std::nullopt;
}

bool isSampleTableName(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == u"csv" || suffix == u"tsv" || suffix == u"txt";
}

SampleTableRead parseSampleTable(const QByteArray& content, const QString& fileName,
                                 TableLayout layout) {
  return readText(decode(content), {QStringLiteral("File %1").arg(fileName),
                                    QFileInfo(fileName).completeBaseName(), layout});
}

SampleTableRead parsePastedTable(const QString& text, const QString& defaultName) {
  return readText(text, {QStringLiteral("Pasted text"), defaultName, TableLayout::Undecided, true});
}

SampleTableRead ReadSampleTable(const QString& path, TableLayout layout) {
  const QFileInfo info(path);
  const QString name = info.fileName();
  if (!info.exists())
    return failure(QStringLiteral("Cannot open file %1: No such file or directory").arg(name));
  // Devices and pipes could block or never end.
  if (!info.isFile()) return failure(QStringLiteral("File %1 is not a regular file.").arg(name));
  const QString tooLarge =
      QStringLiteral("File %1 is larger than 32 MB; it cannot be a table of group sizes.")
          .arg(name);
  if (info.size() > kSampleTableMaxBytes) return failure(tooLarge);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return failure(QStringLiteral("Cannot open file %1: %2").arg(name, file.errorString()));
  // The file may have grown since its size was asked.
  const QByteArray content = file.read(kSampleTableMaxBytes + 1);
  if (file.error() != QFileDevice::NoError)
    return failure(QStringLiteral("Cannot read file %1: %2").arg(name, file.errorString()));
  if (content.size() > kSampleTableMaxBytes) return failure(tooLarge);
  return parseSampleTable(content, name, layout);
}

}  // namespace tsk
