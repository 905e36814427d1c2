// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartupFiles.h"

#include <QDir>
#include <QFile>

#include "EngineInfo.h"

namespace tsk::ui {

QString deliveredDataDir(const QString& programDir) { return tsk::deliveredDataDir(programDir); }

DeliveredCopy copyDeliveredFiles(const QString& dataDir, const QString& workDir,
                                 const QStringList& patterns) {
  DeliveredCopy result;
  const QDir source(dataDir);
  const QDir target(workDir);
  const QStringList names = source.entryList(patterns, QDir::Files, QDir::Name);
  for (const QString& name : names) {
    const QString destination = target.filePath(name);
    // QFile::copy never replaces an existing file, so a user's own list or
    // parameters survive even if one appears between this test and the copy.
    if (QFile::exists(destination)) continue;
    if (QFile::copy(source.filePath(name), destination)) {
      // Installed data may be read-only; the user's copy is theirs to edit.
      QFile::setPermissions(destination, QFile::permissions(destination) | QFileDevice::WriteOwner |
                                             QFileDevice::ReadOwner);
      result.copied.append(name);
    } else {
      result.failed.append(name);
    }
  }
  return result;
}

}  // namespace tsk::ui
