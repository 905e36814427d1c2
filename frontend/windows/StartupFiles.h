// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Start-up of the desktop program: a working directory of sample files gets
// the delivered method lists and parameter files it lacks, so that any folder
// of .dat files can be analysed.

#include <QString>
#include <QStringList>

namespace tsk::ui {

struct DeliveredCopy {
  QStringList copied;  // names copied into the working directory
  QStringList failed;  // names that were missing there and could not be copied
};

// Where the installed data lie for a program in `programDir`:
// <programDir>/../share/toskarn.
QString deliveredDataDir(const QString& programDir);

// Copies every file of `dataDir` matching `patterns` (by default the method
// lists and parameter files) that `workDir` lacks. A file already in
// `workDir` is never overwritten.
DeliveredCopy copyDeliveredFiles(const QString& dataDir, const QString& workDir,
                                 const QStringList& patterns = {QStringLiteral("*.sys"),
                                                                QStringLiteral("*.par")});

}  // namespace tsk::ui
