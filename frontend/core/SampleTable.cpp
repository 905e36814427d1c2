#include "SampleTable.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <map>
#include <optional>

#include "ExchangeWriter.h"

namespace tsk {

namespace {

constexpr int kMaxValue = 30000;

struct Field {
  QString text;
  int line = 0;
  bool quoted = false;
};

struct Record {
  std::vector<Field> fields;
  bool blank() const {
    for (const Field& f : fields)
      if (!f.text.trimmed().isEmpty()) return false;
    return true;
  }
};

// Where a message points: "File a.csv, line 4, column 2: ...".
struct Source {
  QString prefix;  // "File a.csv" or "Pasted text"
  QString defaultName;
};

class TableFault {
 public:
  TableFault(QString message) : message_(std::move(message)) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
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

QString decode(const QByteArray& content) {
  // A byte-order mark decides; without one, UTF-8 when the bytes are valid
  // UTF-8, else the Latin-1 of older exports.
  if (std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(content)) {
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

std::vector<Record> splitRecords(const QString& text, Delimiter delimiter) {
  const QChar sep = delimiter == Delimiter::Tab         ? QChar(u'\t')
                    : delimiter == Delimiter::Semicolon ? QChar(u';')
                                                        : QChar(u',');
  const bool blanks = delimiter == Delimiter::Blanks;
  const bool wholeLine = delimiter == Delimiter::Line;
  std::vector<Record> records;
  Record record;
  Field field;
  int line = 1;
  field.line = line;
  bool inQuotes = false;

  const auto endField = [&] {
    // Plain columns have no empty cells: runs of blanks are one separator.
    if (!blanks || field.quoted || !field.text.trimmed().isEmpty())
      record.fields.push_back(std::move(field));
    field = Field{};
    field.line = line;
  };
  const auto endRecord = [&] {
    endField();
    records.push_back(std::move(record));
    record = Record{};
  };

  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    const bool lineEnd = c == u'\n' || c == u'\r';
    if (lineEnd && c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
    if (inQuotes) {
      if (c == u'"') {
        if (i + 1 < n && text[i + 1] == u'"') {
          field.text += u'"';
          ++i;
        } else {
          inQuotes = false;
        }
      } else {
        field.text += lineEnd ? QChar(u'\n') : c;
        if (lineEnd) ++line;
      }
      continue;
    }
    if (c == u'"' && !field.quoted && field.text.trimmed().isEmpty()) {
      inQuotes = true;
      field.quoted = true;
      field.text.clear();
    } else if (lineEnd) {
      endRecord();
      ++line;
      field.line = line;
    } else if (!wholeLine && (blanks ? (c == u' ' || c == u'\t') : c == sep)) {
      endField();
    } else {
      field.text += c;
    }
  }
  endRecord();
  return records;
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
int wholeValue(const Source& source, const Field& cell, int column, Quantity quantity) {
  static const QRegularExpression number(QStringLiteral(R"(^([+-]?)(\d+)(?:[.,](\d*))?$)"));
  const QString text = cell.text.trimmed();
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
  void add(const Source& source, int size, int groups, const Field& at, int column) {
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

const Field* cellAt(const Record& record, int column) {
  if (column >= static_cast<int>(record.fields.size())) return nullptr;
  const Field& f = record.fields[static_cast<std::size_t>(column)];
  return f.text.trimmed().isEmpty() ? nullptr : &f;
}

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

std::vector<NamedSample> readTable(QString text, const Source& source) {
  const std::optional<Delimiter> declared = declaredDelimiter(text);
  const Delimiter delimiter = declared ? *declared : findDelimiter(text);
  std::vector<Record> records = splitRecords(text, delimiter);
  // A single column needs no delimiter, and its heading ("Group size") may
  // hold blanks: plain columns need a second cell in some row below the
  // first.
  if (delimiter == Delimiter::Blanks &&
      std::all_of(records.begin() + (records.empty() ? 0 : 1), records.end(),
                  [](const Record& r) { return r.fields.size() <= 1; }))
    records = splitRecords(text, Delimiter::Line);
  std::erase_if(records, [](const Record& r) { return r.blank(); });
  if (records.empty())
    throw TableFault(QStringLiteral("%1 holds no group sizes.").arg(source.prefix));

  const Record* header = nullptr;
  for (const Field& f : records.front().fields) {
    const QString cell = f.text.trimmed();
    if (!cell.isEmpty() && !isNumberLike(cell)) header = &records.front();
  }
  const std::size_t firstData = header ? 1 : 0;

  int columns = 0;
  for (const Record& r : records) columns = std::max(columns, static_cast<int>(r.fields.size()));
  // The columns that hold numbers, and the headings of all.
  std::vector<int> used;
  for (int c = 0; c < columns; ++c) {
    bool any = false;
    for (std::size_t r = firstData; r < records.size() && !any; ++r)
      any = cellAt(records[r], c) != nullptr;
    const Field* heading = header ? cellAt(*header, c) : nullptr;
    if (any) {
      if (header && !heading)
        throw cellFault(source, header->fields.front().line, c + 1,
                        QStringLiteral("group sizes without a sample name in the header row."));
      used.push_back(c);
    } else if (heading) {
      throw cellFault(
          source, heading->line, c + 1,
          QStringLiteral("sample %1 has no group sizes.").arg(quoted(heading->text.trimmed())));
    }
  }
  if (used.empty()) throw TableFault(QStringLiteral("%1 holds no group sizes.").arg(source.prefix));

  const auto headingOf = [&](int c) {
    return header ? cellAt(*header, c)->text.trimmed() : QString();
  };
  const bool sizeAndCount = used.size() == 2 && (!header || namesSize(headingOf(used[0])) ||
                                                 namesCount(headingOf(used[1])));
  if (!header && used.size() > 2)
    throw cellFault(source, records.front().fields.front().line, used[2] + 1,
                    QStringLiteral("three or more columns need a header row naming the samples."));

  std::vector<NamedSample> samples;
  if (sizeAndCount) {
    Tally tally;
    for (std::size_t r = firstData; r < records.size(); ++r) {
      const Field* size = cellAt(records[r], used[0]);
      const Field* groups = cellAt(records[r], used[1]);
      if (!size && !groups) continue;
      const int line = (size ? size : groups)->line;
      if (!size)
        throw cellFault(source, line, used[0] + 1, QStringLiteral("the group size is missing."));
      if (!groups)
        throw cellFault(source, line, used[1] + 1,
                        QStringLiteral("the number of groups is missing."));
      const int s = wholeValue(source, *size, used[0] + 1, Quantity::Size);
      tally.add(source, s, wholeValue(source, *groups, used[1] + 1, Quantity::Groups), *groups,
                used[1] + 1);
    }
    samples.push_back({source.defaultName, tally.sample()});
    return samples;
  }

  QSet<QString> names;
  for (int c : used) {
    QString name = source.defaultName;
    if (header && !(used.size() == 1 && namesSize(headingOf(c)))) {
      const Field& heading = *cellAt(*header, c);
      name = heading.text.trimmed();
      bool usable = !name.contains(u'/') && !name.contains(u'\\');
      for (QChar ch : name) usable = usable && ch.isPrint();
      if (!usable)
        throw cellFault(source, heading.line, c + 1,
                        QStringLiteral("%1 cannot name a sample file.").arg(quoted(name)));
      if (names.contains(name.toLower()))
        throw cellFault(source, heading.line, c + 1,
                        QStringLiteral("sample name %1 appears twice.").arg(quoted(name)));
      names.insert(name.toLower());
    }
    Tally tally;
    for (std::size_t r = firstData; r < records.size(); ++r) {
      if (const Field* cell = cellAt(records[r], c))
        tally.add(source, wholeValue(source, *cell, c + 1, Quantity::Size), 1, *cell, c + 1);
    }
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
  }
  return result;
}

SampleTableRead failure(QString message) {
  SampleTableRead result;
  result.message = std::move(message);
  return result;
}

}  // namespace

bool isSampleTableName(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == u"csv" || suffix == u"tsv" || suffix == u"txt";
}

SampleTableRead parseSampleTable(const QByteArray& content, const QString& fileName) {
  return readText(decode(content), {QStringLiteral("File %1").arg(fileName),
                                    QFileInfo(fileName).completeBaseName()});
}

SampleTableRead parsePastedTable(const QString& text, const QString& defaultName) {
  return readText(text, {QStringLiteral("Pasted text"), defaultName});
}

SampleTableRead ReadSampleTable(const QString& path) {
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
  return parseSampleTable(content, name);
}

}  // namespace tsk
