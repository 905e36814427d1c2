#pragma once
// Sample files are read with the sample reader before they go to an engine or
// a histogram, so that a damaged file is named to the user and left out,
// rather than reaching an engine that can only say its input is invalid.

#include <QString>
#include <QStringList>

namespace tsk {

// After the damaged file's own message: what becomes of it.
inline const QString kLeftOutMessage = QStringLiteral("   This sample is left out.");

struct SampleCheck {
  QStringList usable;   // the files that can be handed on, in the order given
  QStringList damaged;  // the files left out
  // For the user: each damaged file named with what is wrong, then
  // kLeftOutMessage; empty when every file is usable.
  QString message;
};

// Reads each of `files` (names in `workDir`) with the sample reader (a table
// export with the table reader). A file
// that cannot be read, holds an item that is not a whole number, or holds
// another number of groups than its first line says is damaged: its blocks
// would not line up in the exchange file. A wrong total of animals alone is
// not damage (the reader corrects it).
SampleCheck checkSampleFiles(const QString& workDir, const QStringList& files);

}  // namespace tsk
