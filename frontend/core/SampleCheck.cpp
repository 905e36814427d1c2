#include "SampleCheck.h"

#include <QDir>

#include "SampleFile.h"
#include "SampleTable.h"

namespace tsk {

namespace {

// What is wrong with one sample file, or nothing when it can be handed on.
QString sampleProblem(const QDir& dir, const QString& name) {
  if (isSampleTableName(name)) {
    const SampleTableRead table = ReadSampleTable(dir.filePath(name));
    return table.ok ? QString() : table.message;
  }
  const SampleFileRead read = ReadSampleFile(dir.filePath(name));
  if (!read.ok) return read.message;  // names the file already
  if (read.message == kInvalidTotalMessage)
    return QStringLiteral("File %1:").arg(name) + QStringLiteral("\r\n") + kInvalidTotalMessage;
  return QString();
}

}  // namespace

SampleCheck checkSampleFiles(const QString& workDir, const QStringList& files) {
  SampleCheck check;
  const QDir dir(workDir.isEmpty() ? QDir::currentPath() : workDir);
  const QString crLf = QStringLiteral("\r\n");
  for (const QString& name : files) {
    const QString problem = sampleProblem(dir, name);
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
