#include "ExchangeWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "SampleFile.h"
#include "SampleTable.h"

namespace tsk {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

void addItem(QList<QByteArray>& items, const char* begin, const char* end) {
  while (begin < end && isBlank(*begin)) ++begin;
  while (end > begin && isBlank(end[-1])) --end;
  if (begin < end) items.append(QByteArray(begin, end - begin));
}

}  // namespace

QList<QByteArray> splitItems(const QByteArray& content) {
  QList<QByteArray> items;
  const char* p = content.constData();
  const char* end = p + content.size();
  const char* start = p;
  for (; p < end; ++p) {
    if (*p == ',' || *p == '\n' || *p == '\r') {
      addItem(items, start, p);
      start = p + 1;
    }
  }
  addItem(items, start, end);
  return items;
}

QByteArray sampleBlock(const QByteArray& content) {
  QByteArray block;
  for (const QByteArray& item : splitItems(content)) block += item + "\r\n";
  return block + " \r\n";
}

ExchangeWrite writeExchangeFile(const QString& exchangePath, const QStringList& sampleFiles) {
  ExchangeWrite result;
  const QDir base = QFileInfo(exchangePath).dir();
  // Every sample is read before the exchange file is touched: a file that
  // cannot be read leaves the previous exchange file as it was.
  QByteArray text;
  for (const QString& name : sampleFiles) {
    // A spreadsheet export gives one block per sample it holds, each as the
    // sample's .dat file would be.
    if (isSampleTableName(name)) {
      const SampleTableRead table = ReadSampleTable(base.filePath(name));
      if (!table) {
        result.error = table.message;
        return result;
      }
      for (const NamedSample& named : table.samples)
        text += sampleBlock(sampleFileText(named.sample));
      continue;
    }
    QFile sample(base.filePath(name));
    if (!sample.open(QIODevice::ReadOnly)) {
      result.error =
          QStringLiteral("Cannot read sample file %1: %2").arg(name, sample.errorString());
      return result;
    }
    QByteArray content = sample.readAll();
    if (sample.error() != QFileDevice::NoError) {
      result.error =
          QStringLiteral("Cannot read sample file %1: %2").arg(name, sample.errorString());
      return result;
    }
    text += sampleBlock(content);
  }
  QSaveFile out(exchangePath);
  if (out.open(QIODevice::WriteOnly) && out.write(text) == text.size() && out.commit()) {
    result.ok = true;
    return result;
  }
  result.error = QStringLiteral("Cannot write file %1: %2")
                     .arg(QFileInfo(exchangePath).fileName(), out.errorString());
  out.cancelWriting();
  return result;
}

ExchangeWrite writeExchangeData(const QString& workDir, const QStringList& sampleFiles) {
  QDir dir(workDir.isEmpty() ? QDir::currentPath() : workDir);
  return writeExchangeFile(dir.filePath(kExchangeDataFile), sampleFiles);
}

}  // namespace tsk
