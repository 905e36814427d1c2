// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExchangeWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <utility>
#include <vector>

#include "FileReplace.h"
#include "SampleFile.h"
#include "SampleTable.h"

namespace tsk {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool endsItem(char c) { return c == ',' || c == '\n' || c == '\r'; }

constexpr qint64 kPiece = 1 << 16;

// Puts a sample's group sizes in ascending order; the order of a sample's
// groups carries no meaning. Sizes that are not all whole numbers are left
// as they are, for the engine to refuse.
void sortGroupSizes(QList<QByteArray>& sizes) {
  std::vector<std::pair<qint64, qsizetype>> keyed;
  keyed.reserve(static_cast<size_t>(sizes.size()));
  for (qsizetype i = 0; i < sizes.size(); ++i) {
    bool ok = false;
    const qint64 value = sizes[i].toLongLong(&ok);
    if (!ok) return;
    keyed.emplace_back(value, i);
  }
  if (std::is_sorted(keyed.begin(), keyed.end())) return;
  std::sort(keyed.begin(), keyed.end());
  QList<QByteArray> sorted;
  sorted.reserve(sizes.size());
  for (const auto& [value, index] : keyed) sorted.append(sizes[index]);
  sizes.swap(sorted);
}

}  // namespace

ItemReader::ItemReader(QIODevice& device, qint64 byteLimit, qsizetype itemLimit)
    : m_device(device), m_byteLimit(byteLimit), m_itemLimit(itemLimit) {}

bool ItemReader::fill() {
  if (m_end || m_failure != Failure::None) return false;
  m_buffer = m_device.read(kPiece);
  m_pos = 0;
  if (m_buffer.isEmpty()) {
    m_end = true;
    // A read error shows as an empty read that is not the end of the file.
    if (!m_device.atEnd()) m_failure = Failure::ReadError;
    return false;
  }
  m_total += m_buffer.size();
  if (m_byteLimit >= 0 && m_total > m_byteLimit) {
    m_failure = Failure::TooLarge;
    return false;
  }
  return true;
}

bool ItemReader::next(QByteArray& item) {
  item.clear();
  // Blanks inside an item belong to it, blanks after it do not: they wait
  // here until a character of the item follows them.
  QByteArray blanks;
  bool blanksOverflow = false;
  for (;;) {
    if (m_pos >= m_buffer.size() && !fill()) {
      if (m_failure != Failure::None) return false;
      if (!item.isEmpty()) return true;
      return false;
    }
    const char c = m_buffer[m_pos++];
    if (endsItem(c)) {
      if (!item.isEmpty()) return true;
      continue;
    }
    if (isBlank(c)) {
      if (item.isEmpty()) continue;
      if (m_itemLimit >= 0 && blanks.size() > m_itemLimit)
        blanksOverflow = true;
      else
        blanks += c;
      continue;
    }
    if (blanksOverflow) {
      m_failure = Failure::ItemTooLong;
      return false;
    }
    item += blanks;
    blanks.clear();
    item += c;
    if (m_itemLimit >= 0 && item.size() > m_itemLimit) {
      m_failure = Failure::ItemTooLong;
      return false;
    }
  }
}

QList<QByteArray> splitItems(const QByteArray& content) {
  QByteArray data = content;
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  ItemReader reader(buffer);
  QList<QByteArray> items;
  for (QByteArray item; reader.next(item);) items.append(item);
  return items;
}

bool openSampleFile(QFile& file, const QString& path, QString* why) {
  const QFileInfo info(path);
  const QString notRegular = QStringLiteral("it is not a regular file.");
  // Asked before opening: opening a pipe would wait for a writer.
  if (info.exists() && !info.isFile()) {
    *why = notRegular;
    return false;
  }
  if (info.exists() && info.size() > kMaxSampleFileBytes) {
    *why = itemReaderProblem(ItemReader::Failure::TooLarge, QString());
    return false;
  }
  file.setFileName(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *why = file.errorString();
    return false;
  }
  // The entry may have changed since it was looked at.
  if (file.isSequential()) {
    file.close();
    *why = notRegular;
    return false;
  }
  return true;
}

QString itemReaderProblem(ItemReader::Failure failure, const QString& deviceError) {
  switch (failure) {
    case ItemReader::Failure::TooLarge:
      return QStringLiteral("it is larger than %1 MB.").arg(kMaxSampleFileBytes >> 20);
    case ItemReader::Failure::ItemTooLong:
      return QStringLiteral("it holds an item longer than %1 characters.").arg(kMaxItemLength);
    case ItemReader::Failure::ReadError:
      return deviceError;
    case ItemReader::Failure::None:
      break;
  }
  return {};
}

QByteArray sampleBlock(const QByteArray& content) {
  QByteArray block;
  for (const QByteArray& item : splitItems(content)) block += item + "\r\n";
  return block + " \r\n";
}

namespace {

// One block per sample of a table, each as the sample's .dat file would be.
QList<QByteArray> tableBlocks(const SampleTableRead& table) {
  QList<QByteArray> blocks;
  for (const NamedSample& named : table.samples)
    blocks.append(sampleBlock(sampleFileText(named.sample)));
  return blocks;
}

QList<SampleSource> wholeFiles(const QStringList& files) {
  QList<SampleSource> sources;
  for (const QString& file : files) sources.append({file, -1, {}});
  return sources;
}

ExchangeWrite writeSamples(const QString& exchangePath, const QList<SampleSource>& sources,
                           const TableBlocks* tables) {
  ExchangeWrite result;
  const QString exchangeName = QFileInfo(exchangePath).fileName();
  if (QString problem = exchangeFileProblem(exchangePath); !problem.isEmpty()) {
    result.error = std::move(problem);
    return result;
  }
  // The samples go into a new file that takes the exchange file's place only
  // when every sample has been read: a file that cannot be read leaves the
  // previous exchange file as it was.
  ReplacementFile out(exchangePath);
  auto cannotWrite = [&] {
    result.error = QStringLiteral("Cannot write file %1: %2").arg(exchangeName, out.errorString());
    return result;
  };
  if (!out.open()) return cannotWrite();
  const QDir base = QFileInfo(exchangePath).dir();
  QByteArray text;
  for (const SampleSource& source : sources) {
    const QString& name = source.file;
    // A spreadsheet export gives one block per sample it holds, or the one
    // of the column asked for.
    if (isSampleTableName(name)) {
      QList<QByteArray> blocks;
      if (tables && tables->blocks.contains(name)) {
        blocks = tables->blocks.value(name);
      } else {
        const SampleTableRead table = ReadSampleTable(base.filePath(name));
        if (!table) {
          result.error = table.message;
          return result;
        }
        blocks = tableBlocks(table);
      }
      if (source.column >= blocks.size()) {
        result.error = QStringLiteral("Table %1 no longer holds sample %2.").arg(name, source.name);
        return result;
      }
      for (qsizetype c = 0; c < blocks.size(); ++c)
        if (source.column < 0 || c == source.column) text += blocks[c];
      if (text.size() >= kPiece) {
        if (!out.write(text)) return cannotWrite();
        text.clear();
      }
      continue;
    }
    QFile sample;
    QString why;
    if (!openSampleFile(sample, base.filePath(name), &why)) {
      result.error = QStringLiteral("Cannot read sample file %1: %2").arg(name, why);
      return result;
    }
    ItemReader reader(sample, kMaxSampleFileBytes, kMaxItemLength);
    qint64 items = 0;
    // The group sizes are kept until the file's end: a hand-edited file may
    // list them out of order, and some methods take the list as sorted.
    QList<QByteArray> sizes;
    for (QByteArray item; reader.next(item);) {
      // Two totals, then one item per group.
      if (++items > kMaxSampleGroups + 2) {
        result.error = QStringLiteral("Sample file %1 holds more than %2 groups.")
                           .arg(name)
                           .arg(kMaxSampleGroups);
        return result;
      }
      if (items > 2) {
        sizes.append(item);
        continue;
      }
      text += item;
      text += "\r\n";
    }
    if (reader.failure() != ItemReader::Failure::None) {
      result.error = QStringLiteral("Cannot read sample file %1: %2")
                         .arg(name, itemReaderProblem(reader.failure(), sample.errorString()));
      return result;
    }
    sortGroupSizes(sizes);
    for (const QByteArray& size : sizes) {
      text += size;
      text += "\r\n";
      if (text.size() >= kPiece) {
        if (!out.write(text)) return cannotWrite();
        text.clear();
      }
    }
    text += " \r\n";
  }
  if (!out.write(text) || !out.commit()) return cannotWrite();
  result.ok = true;
  return result;
}

}  // namespace

TableBlocks readTableFiles(const QString& workDir, const QStringList& sampleFiles,
                           TableLayout layout) {
  TableBlocks result;
  const QDir dir(workDir.isEmpty() ? QDir::currentPath() : workDir);
  for (const QString& name : sampleFiles) {
    if (!isSampleTableName(name) || result.blocks.contains(name)) continue;
    const SampleTableRead table = ReadSampleTable(dir.filePath(name), layout);
    if (!table) {
      result.blocks.clear();
      result.names.clear();
      result.error = table.message;
      return result;
    }
    result.blocks.insert(name, tableBlocks(table));
    QStringList names;
    for (const NamedSample& named : table.samples) names << named.name;
    result.names.insert(name, names);
  }
  result.ok = true;
  return result;
}

ExchangeWrite writeExchangeFile(const QString& exchangePath, const QStringList& sampleFiles,
                                const TableBlocks* tables) {
  return writeSamples(exchangePath, wholeFiles(sampleFiles), tables);
}

ExchangeWrite writeExchangeData(const QString& workDir, const QStringList& sampleFiles,
                                const TableBlocks* tables) {
  return writeExchangeSamples(workDir, wholeFiles(sampleFiles), tables);
}

ExchangeWrite writeExchangeSamples(const QString& workDir, const QList<SampleSource>& samples,
                                   const TableBlocks* tables) {
  QDir dir(workDir.isEmpty() ? QDir::currentPath() : workDir);
  return writeSamples(dir.filePath(kExchangeDataFile), samples, tables);
}

QList<SampleSource> listSamples(const QStringList& files, const TableBlocks& tables) {
  QList<SampleSource> sources;
  for (const QString& file : files) {
    if (!isSampleTableName(file)) {
      QString name = QFileInfo(file).fileName();
      if (name.endsWith(QStringLiteral(".dat"), Qt::CaseInsensitive)) name.chop(4);
      sources.append({file, -1, name});
      continue;
    }
    const QStringList names = tables.names.value(file);
    for (qsizetype c = 0; c < names.size(); ++c)
      sources.append({file, static_cast<int>(c), names[c]});
  }
  return sources;
}

QString resultsHeader(const QStringList& sampleNames) {
  const QString crlf = QStringLiteral("\r\n");
  QString text = QStringLiteral("     Toskarn - version 1.0") + crlf + crlf +
                 QStringLiteral("Data selected for analysis");
  // Numbers right-aligned as the engines print them, so that the names
  // stay in one column from Sample 10 on.
  const int numberWidth = static_cast<int>(QString::number(sampleNames.size()).size());
  for (qsizetype s = 0; s < sampleNames.size(); ++s) {
    text += crlf + QStringLiteral("   Sample ") + QStringLiteral("%1").arg(s + 1, numberWidth) +
            QStringLiteral(":  ") + sampleNames[s];
  }
  return text + crlf + QString(79, u'_') + crlf;
}

}  // namespace tsk
