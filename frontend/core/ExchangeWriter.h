#pragma once
// Hands samples to the engines and histogram windows: tskdat.tmp holds one
// block per sample file, each item of the file on a line of its own followed
// by a line holding one blank.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tsk {

// The exchange files of the working directory.
inline const QString kExchangeDataFile = QStringLiteral("tskdat.tmp");
inline const QString kExchangeStatusFile = QStringLiteral("tskstat.tmp");
inline const QString kExchangeReportFile = QStringLiteral("tskres.tmp");

// The items of a text as the front end reads it: an item ends at a comma or
// a line end (CR LF, LF or CR), leading and trailing blanks are dropped, and
// empty items are passed over.
QList<QByteArray> splitItems(const QByteArray& content);

// The block of one sample file's content: every item on a line, then " ";
// every line ended by CR LF.
QByteArray sampleBlock(const QByteArray& content);

struct ExchangeWrite {
  bool ok = false;
  QString error;  // names the file that could not be read or written
  explicit operator bool() const { return ok; }
};

// Writes `exchangePath` from the sample files in the order given; a table
// file (.csv, .tsv, .txt) gives one block per sample in column order. Relative
// sample paths are taken in the folder of `exchangePath`. If a sample file
// cannot be read, nothing is written and the error names it: the engines
// must not run on a partial or older set of samples.
ExchangeWrite writeExchangeFile(const QString& exchangePath, const QStringList& sampleFiles);

// The same into tskdat.tmp of `workDir`.
ExchangeWrite writeExchangeData(const QString& workDir, const QStringList& sampleFiles);

}  // namespace tsk
