// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Hands samples to the engines and histogram windows: tskdat.tmp holds one
// block per sample file, each item of the file on a line of its own followed
// by a line holding one blank.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "SampleTable.h"

class QFile;
class QIODevice;

namespace tsk {

// The exchange files of the working directory.
inline const QString kExchangeDataFile = QStringLiteral("tskdat.tmp");
inline const QString kExchangeStatusFile = QStringLiteral("tskstat.tmp");
inline const QString kExchangeReportFile = QStringLiteral("tskres.tmp");

// What the front end reads of one sample file at most. The largest engine
// takes 5000 groups; these bounds only keep a huge or endless file from
// taking the memory and time of the whole machine before that is said.
inline constexpr qint64 kMaxSampleFileBytes = 64 * 1024 * 1024;
inline constexpr qint64 kMaxSampleGroups = 1000000;
inline constexpr qsizetype kMaxItemLength = 1000;

// The items of a text as the front end reads it: an item ends at a comma or
// a line end (CR LF, LF or CR), leading and trailing blanks are dropped, and
// empty items are passed over.
QList<QByteArray> splitItems(const QByteArray& content);

// The same items read from a device piece by piece, so that memory stays
// bounded whatever the size of the file.
class ItemReader {
 public:
  enum class Failure { None, ReadError, TooLarge, ItemTooLong };
  // Negative limits: none.
  explicit ItemReader(QIODevice& device, qint64 byteLimit = -1, qsizetype itemLimit = -1);
  // The next item; false at the end of the text or on a failure.
  bool next(QByteArray& item);
  Failure failure() const { return m_failure; }

 private:
  bool fill();
  QIODevice& m_device;
  qint64 m_byteLimit;
  qsizetype m_itemLimit;
  QByteArray m_buffer;
  qsizetype m_pos = 0;
  qint64 m_total = 0;
  bool m_end = false;
  Failure m_failure = Failure::None;
};

// Opens the sample file at `path` for ItemReader. Only a regular file is
// opened (a device or a pipe could be endless or block for ever), and only
// one of at most kMaxSampleFileBytes; otherwise `why` says why not.
bool openSampleFile(QFile& file, const QString& path, QString* why);

// Why a reader stopped early, as the end of a sentence naming the file.
QString itemReaderProblem(ItemReader::Failure failure, const QString& deviceError);

// The block of one sample file's content: every item on a line, then " ";
// every line ended by CR LF.
QByteArray sampleBlock(const QByteArray& content);

struct ExchangeWrite {
  bool ok = false;
  QString error;  // names the file that could not be read or written
  explicit operator bool() const { return ok; }
};

// The table files (.csv, .tsv, .txt) among the sample files, read ahead
// into the blocks they give: a large table takes a while to read, and the
// folder lock must not be held meanwhile.
struct TableBlocks {
  bool ok = false;
  QString error;  // the first table that cannot be read, and why
  QHash<QString, QList<QByteArray>> blocks;  // by the name given, a block per column
  QHash<QString, QStringList> names;         // the samples' names, a name per column
  explicit operator bool() const { return ok; }
};
TableBlocks readTableFiles(const QString& workDir, const QStringList& sampleFiles,
                           TableLayout layout = TableLayout::Undecided);

// One sample handed to an engine: a .dat file, or one column (from 0) of a
// table file; column -1 stands for every column of a table.
struct SampleSource {
  QString file;
  int column = -1;
  QString name;  // the .dat file's name without extension, or the column's
};

// The samples that `files` give, in order, each with its name; a table
// file, read ahead into `tables`, gives one per column.
QList<SampleSource> listSamples(const QStringList& files, const TableBlocks& tables);

// The head of a results text: the program line, "Data selected for
// analysis", one line per sample with its name, and the closing line;
// every line ended by CR LF.
QString resultsHeader(const QStringList& sampleNames);

// Writes `exchangePath` from the sample files in the order given; a table
// file (.csv, .tsv, .txt) gives one block per sample in column order. Relative
// sample paths are taken in the folder of `exchangePath`. If a sample file
// cannot be read, nothing is written and the error names it: the engines
// must not run on a partial or older set of samples. An exchange file that
// is a link or not a regular file is refused, and a written one replaces
// the directory entry rather than being opened.
// Tables found in `tables` are taken from there instead of being read.
ExchangeWrite writeExchangeFile(const QString& exchangePath, const QStringList& sampleFiles,
                                const TableBlocks* tables = nullptr);

// The same into tskdat.tmp of `workDir`.
ExchangeWrite writeExchangeData(const QString& workDir, const QStringList& sampleFiles,
                                const TableBlocks* tables = nullptr);
ExchangeWrite writeExchangeSamples(const QString& workDir, const QList<SampleSource>& samples,
                                   const TableBlocks* tables = nullptr);

}  // namespace tsk
