// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineInfo.h"

#include <QDir>
#include <QList>

#include "EngineLimitsTable.h"

namespace tsk {

const EngineInfo* engineInfo(const QString& name) {
  static const QList<EngineInfo> programs = [] {
    QList<EngineInfo> all;
    for (const EngineLimitRow& row : kEngineLimitRows) {
      all.append({QString::fromLatin1(row.program), QString::fromLatin1(row.engine), row.capacity,
                  row.minGroups, row.minSamples, row.maxSamples,
                  QString::fromLatin1(row.parameterFile), row.random});
    }
    return all;
  }();
  const QString program = name.trimmed();
  for (const EngineInfo& info : programs)
    if (info.program == program) return &info;
  return nullptr;
}

QString deliveredDataDir(const QString& programDir) {
  return QDir::cleanPath(programDir + QStringLiteral("/../share/toskarn"));
}

}  // namespace tsk
