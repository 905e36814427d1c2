// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sample data file (.dat): line 1 the number of groups, line 2 the number
// of animals, then one line per group with its size, in the order of the
// sample's rows; CR LF after every line.

#include <QString>
#include <vector>

#include "GroupSizeSample.h"

namespace tsk {

inline const QString kSampleFileSuffix = QStringLiteral(".dat");

// The messages a load can show.
inline const QString kInvalidTotalMessage = QStringLiteral("      Invalid total in file !");
inline const QString kAnimalsCorrectedMessage =
    QStringLiteral("Total number of animals corrected: ");

// The correction message: "Total number of animals corrected:  150 to 152".
QString animalsCorrectedMessage(std::int64_t oldTotal, std::int64_t newTotal);

struct SampleFileWrite {
  bool ok = false;
  QString error;  // a sentence for the user when !ok
  explicit operator bool() const { return ok; }
};

// Writes the sample's totals texts and its group list to `path`. The file is
// first written beside the target and then put in its place, so a failure
// midway leaves any older file untouched and never a half-written one.
SampleFileWrite WriteSampleFile(const QString& path, const GroupSizeSample& sample);

// Writes every sample to its path, or none of them: each goes to a new file
// first, and only when all are complete on the disk do they take their
// names. A failure removes the files this call has put in place and names
// the file and the system's reason. Only when a name cannot be taken after
// others were (a rename that fails, which a full disk does not cause) may
// the files it replaced be gone already.
struct SampleFileTarget {
  QString path;
  const GroupSizeSample* sample = nullptr;
};
SampleFileWrite WriteSampleFiles(const std::vector<SampleFileTarget>& targets);

// The bytes WriteSampleFile writes.
QByteArray sampleFileText(const GroupSizeSample& sample);

struct SampleFileRead {
  // False when the file could not be read or holds an item that is not a
  // whole number; `sample` is then empty and `message` says why.
  bool ok = false;
  GroupSizeSample sample;
  // At most one message for the user: the invalid total, the corrected
  // total, or (when !ok) the reason the file could not be loaded. Empty
  // when there is nothing to say.
  QString message;
};

// Reads a sample file into a new sample of totals width 5. Rows are the runs
// of equal consecutive sizes; values of 0 or less count as groups but give no
// row. A group count that differs from line 1 gives kInvalidTotalMessage and
// keeps line 2 as the animals total; otherwise the animals total is the sum
// of the sizes, with the correction message when line 2 differs.
SampleFileRead ReadSampleFile(const QString& path);

// The same from the file's bytes; `fileName` names the file in messages.
SampleFileRead parseSampleFile(const QByteArray& content, const QString& fileName);

}  // namespace tsk
