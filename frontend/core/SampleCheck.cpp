// SPDX-License-Identifier: GPL-3.0-or-later
#include "SampleCheck.h"

#include <QDir>
#include <QFile>
#include <limits>
#include <string>

#include "EngineInfo.h"
#include "ExchangeWriter.h"
#include "SampleFile.h"
#include "SampleTable.h"
#include "sample_block.h"

namespace tsk {

namespace {

// What the engines would refuse in the exchange block `block`, a sentence
// that begins with `what` (the file or the table's sample); empty when
// every method can take it.
QString blockProblem(const QByteArray& block, const QString& what,
                     const QList<MethodLimit>& methods) {
  NumberReader reader(block.toStdString());
  SampleBlock read;
  switch (readSampleBlock(reader, std::numeric_limits<int>::max(), 1, read)) {
    case BlockStatus::Value:
      break;
    case BlockStatus::NoBlock:
    case BlockStatus::NoAnimalCount:
      return what + QStringLiteral(" lacks the totals of groups and animals.");
    case BlockStatus::Invalid:
      return what + QStringLiteral(
                        " holds a count or a size that the analysis programs cannot "
                        "read: whole numbers up to 2147483647 only.");
    case BlockStatus::TooManyGroups:  // no bound was given
    case BlockStatus::TooFewGroups:
      return what + QStringLiteral(" holds no groups.");
    case BlockStatus::MissingSizes:
      return what + QStringLiteral(" holds fewer group sizes than its number of groups.");
  }
  switch (sampleFault(read)) {
    case SampleFault::None:
      break;
    case SampleFault::SizeBelowOne:
      return what + QStringLiteral(
                        " holds a group size below 1; every group has at least one "
                        "animal.");
    case SampleFault::AnimalsMismatch: {
      double sum = 0.0;
      for (float size : read.sizes) sum += size;
      return what + QStringLiteral(
                        ": its group sizes add up to %1 animals, not the %2 its second "
                        "line says. Open it with Edit and save it to correct the total.")
                        .arg(static_cast<qint64>(sum))
                        .arg(read.animals);
    }
  }
  for (const MethodLimit& m : methods) {
    if (read.groups > m.capacity)
      return what + QStringLiteral(" holds %1 groups; \"%2\" takes at most %3.")
                        .arg(read.groups)
                        .arg(m.method.trimmed())
                        .arg(m.capacity);
    if (read.groups < m.minGroups)
      return what + QStringLiteral(" holds %1 group; \"%2\" needs at least %3.")
                        .arg(read.groups)
                        .arg(m.method.trimmed())
                        .arg(m.minGroups);
  }
  return {};
}

// What is wrong with one sample file, or nothing when it can be handed on.
QString sampleProblem(const QDir& dir, const QString& name, const QList<MethodLimit>& methods) {
  if (isSampleTableName(name)) {
    const SampleTableRead table = ReadSampleTable(dir.filePath(name));
    // The analysis window has no --layout: the entry and edit windows ask.
    if (!table.bothReadings.isEmpty())
      return table.bothReadings +
             QStringLiteral(
                 " Import it with Import... in the entry or edit window to choose "
                 "one, or ") +
             kHeadColumnsHint;
    if (!table.ok) return table.message;
    for (const NamedSample& named : table.samples) {
      QString problem =
          blockProblem(sampleBlock(sampleFileText(named.sample)),
                       QStringLiteral("Sample %1 of file %2").arg(named.name, name), methods);
      if (!problem.isEmpty()) return problem;
    }
    return {};
  }
  const SampleFileRead read = ReadSampleFile(dir.filePath(name));
  if (!read.ok) return read.message;  // names the file already
  if (read.message == kInvalidTotalMessage)
    return QStringLiteral("File %1:").arg(name) + QStringLiteral("\r\n") + kInvalidTotalMessage;
  // The reader has just read it whole, within its size bound.
  QFile file(dir.filePath(name));
  if (!file.open(QIODevice::ReadOnly))
    return QStringLiteral("Cannot open file %1: %2").arg(name, file.errorString());
  return blockProblem(sampleBlock(file.readAll()), QStringLiteral("File %1").arg(name), methods);
}

}  // namespace

std::optional<MethodLimit> methodLimit(const QString& program, const QString& method) {
  if (const EngineInfo* info = engineInfo(program))
    return MethodLimit{method, info->capacity, info->minGroups};
  return std::nullopt;
}

SampleCheck checkSampleFiles(const QString& workDir, const QStringList& files,
                             const QList<MethodLimit>& methods) {
  SampleCheck check;
  const QDir dir(workDir.isEmpty() ? QDir::currentPath() : workDir);
  const QString crLf = QStringLiteral("\r\n");
  for (const QString& name : files) {
    const QString problem = sampleProblem(dir, name, methods);
    if (problem.isEmpty()) {
      check.usable.append(name);
      continue;
    }
    check.damaged.append(name);
    if (!check.message.isEmpty()) check.message += crLf + crLf;
    check.message += problem + crLf + kLeftOutMessage;
  }
  return check;
}

}  // namespace tsk
