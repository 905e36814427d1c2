// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sample files are read before they go to an engine or a histogram, with the
// sample reader and then with the engines' own reads of the block they would
// receive, so that a damaged file is named to the user and left out rather
// than spoiling the run of every sample beside it.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tsk {

// After the damaged file's own message: what becomes of it.
inline const QString kLeftOutMessage = QStringLiteral("   This sample is left out.");

// What one chosen method's engine program takes.
struct MethodLimit {
  QString method;  // the description, for messages
  int capacity = 0;
  int minGroups = 1;
};

// The limits of `program` (an engine name from a method list, blanks
// allowed around it) as it was built; nullopt for a program unknown here.
std::optional<MethodLimit> methodLimit(const QString& program, const QString& method);

struct SampleCheck {
  QStringList usable;   // the files that can be handed on, in the order given
  QStringList damaged;  // the files left out
  // For the user: each damaged file named with what is wrong, then
  // kLeftOutMessage; empty when every file is usable.
  QString message;
};

// Reads each of `files` (names in `workDir`; a table export as its samples).
// A file is damaged when it cannot be read, holds an item that is not a
// whole number, another number of groups than its first line says, no
// groups, a count or size the engines cannot read, a size below 1, or a
// total of animals that is not the sum of its sizes; or when one of its
// samples has more or fewer groups than one of `methods` takes.
SampleCheck checkSampleFiles(const QString& workDir, const QStringList& files,
                             const QList<MethodLimit>& methods = {});

}  // namespace tsk
