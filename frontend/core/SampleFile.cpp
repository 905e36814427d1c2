// SPDX-License-Identifier: GPL-3.0-or-later
#include "SampleFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <memory>

#include "ExchangeWriter.h"
#include "FileReplace.h"

namespace tsk {

namespace {

// A number as the free-format output writes it: a blank in place of the
// sign for values that are not negative.
QString signedText(std::int64_t value) {
  QString digits = QString::number(static_cast<qlonglong>(value));
  return value < 0 ? digits : u' ' + digits;
}

// Streams the file text in pieces, so that a sample of millions of groups
// never needs its whole text in memory at once.
template <class Sink>
bool emitSampleFile(const GroupSizeSample& sample, Sink&& sink) {
  constexpr qsizetype kChunk = 1 << 16;
  QByteArray buffer =
      groupsTotalText(sample).toLatin1() + "\r\n" + animalsTotalText(sample).toLatin1() + "\r\n";
  for (const SampleEntry& e : sample.entries) {
    const QByteArray line = (signedText(e.size) + u' ').toLatin1() + "\r\n";
    for (int g = 0; g < e.groups; ++g) {
      buffer += line;
      if (buffer.size() >= kChunk) {
        if (!sink(buffer)) return false;
        buffer.clear();
      }
    }
  }
  return sink(buffer);
}

QString displayName(const QString& path) { return QFileInfo(path).fileName(); }

// An item for a message: short, printable.
QString quoted(const QByteArray& item) {
  QString text;
  for (char c : item.left(24)) text += (c >= 32 && c < 127) ? QChar(c) : QChar(u'?');
  if (item.size() > 24) text += QStringLiteral("...");
  return u'"' + text + u'"';
}

// Every item is read as a real number; only whole numbers make sense in a
// sample, and those in 64 bits are exact in a double up to 2^53.
bool wholeNumber(const QByteArray& item, double limit, std::int64_t& value) {
  bool ok = false;
  double x = item.toDouble(&ok);
  if (!ok || !std::isfinite(x) || x != std::floor(x) || std::fabs(x) > limit) return false;
  value = static_cast<std::int64_t>(x);
  return true;
}

SampleFileRead failure(QString message) {
  SampleFileRead result;
  result.message = std::move(message);
  return result;
}

}  // namespace

QString animalsCorrectedMessage(std::int64_t oldTotal, std::int64_t newTotal) {
  return kAnimalsCorrectedMessage + signedText(oldTotal) + QStringLiteral(" to") +
         signedText(newTotal);
}

QByteArray sampleFileText(const GroupSizeSample& sample) {
  QByteArray text;
  emitSampleFile(sample, [&text](const QByteArray& piece) {
    text += piece;
    return true;
  });
  return text;
}

SampleFileWrite WriteSampleFile(const QString& path, const GroupSizeSample& sample) {
  return WriteSampleFiles({{path, &sample}});
}

SampleFileWrite WriteSampleFiles(const std::vector<SampleFileTarget>& targets) {
  SampleFileWrite result;
  const auto cannotWrite = [&result](const QString& path, const ReplacementFile& file) {
    const QString why =
        file.errorString().isEmpty() ? QStringLiteral("it is a folder") : file.errorString();
    result.error = QStringLiteral("Cannot write file %1: %2").arg(displayName(path), why);
    return result;
  };
  // The text goes to a new file beside each target, which then replaces the
  // directory entry: a crash midway leaves the old file intact, and a link
  // at the name is replaced rather than written through. Files not yet in
  // place are removed when `files` goes.
  std::vector<std::unique_ptr<ReplacementFile>> files;
  for (const SampleFileTarget& target : targets) {
    files.push_back(std::make_unique<ReplacementFile>(target.path, /*durable=*/true));
    ReplacementFile& file = *files.back();
    const bool written = !QFileInfo(target.path).isDir() && file.open() &&
                         emitSampleFile(*target.sample, [&file](const QByteArray& piece) {
                           return file.write(piece);
                         });
    if (!written || !file.close()) return cannotWrite(target.path, file);
  }
  std::vector<QString> placed;  // the names this call has newly created
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const QString& path = targets[i].path;
    const bool existed = QFileInfo::exists(path) || QFileInfo(path).isSymLink();
    if (!files[i]->commit()) {
      for (const QString& p : placed) QFile::remove(p);
      return cannotWrite(path, *files[i]);
    }
    if (!existed) placed.push_back(path);
  }
  result.ok = true;
  return result;
}

namespace {

// Reads the totals and the group sizes from `reader`; `device` (which the
// reader reads) gives the text of a read error.
SampleFileRead parseItems(ItemReader& reader, const QIODevice& device, const QString& fileName) {
  auto readerFailure = [&] {
    return failure(QStringLiteral("Cannot read file %1: %2")
                       .arg(fileName, itemReaderProblem(reader.failure(), device.errorString())));
  };
  QByteArray totals[2];
  for (QByteArray& total : totals) {
    if (!reader.next(total)) {
      if (reader.failure() != ItemReader::Failure::None) return readerFailure();
      return failure(QStringLiteral("File %1 is not a sample file: it lacks the totals of groups "
                                    "and animals.")
                         .arg(fileName));
    }
  }

  constexpr double kTotalLimit = 9007199254740992.0;  // 2^53
  constexpr double kSizeLimit = 2147483647.0;
  std::int64_t declaredGroups = 0, declaredAnimals = 0;
  for (int i = 0; i < 2; ++i) {
    if (!wholeNumber(totals[i], kTotalLimit, i == 0 ? declaredGroups : declaredAnimals))
      return failure(QStringLiteral("File %1 holds %2, which is not a whole number.")
                         .arg(fileName, quoted(totals[i])));
  }

  GroupSizeSample sample;
  std::int64_t previous = 0, run = 0, countedGroups = 0, sum = 0, items = 0;
  auto closeRun = [&] {
    if (previous > 0) sample.entries.push_back({static_cast<int>(previous), static_cast<int>(run)});
    countedGroups += run;
  };
  for (QByteArray item; reader.next(item);) {
    if (++items > kMaxSampleGroups)
      return failure(
          QStringLiteral("File %1 holds more than %2 groups.").arg(fileName).arg(kMaxSampleGroups));
    std::int64_t x = 0;
    if (!wholeNumber(item, kSizeLimit, x))
      return failure(QStringLiteral("File %1 holds %2, which is not a group size.")
                         .arg(fileName, quoted(item)));
    sum += x;
    if (x == previous) {
      ++run;
    } else {
      closeRun();
      previous = x;
      run = 1;
    }
  }
  if (reader.failure() != ItemReader::Failure::None) return readerFailure();
  // Groups of size 0 or less give no row but still count, at the end of the
  // file as anywhere else.
  closeRun();

  // The list shows rows sorted; equal sizes by their number of groups.
  std::stable_sort(sample.entries.begin(), sample.entries.end(), listOrder);

  SampleFileRead result;
  result.ok = true;
  sample.totalsWidth = 5;
  sample.groupsTotal = declaredGroups;
  if (countedGroups != declaredGroups) {
    result.message = kInvalidTotalMessage;
    sample.animalsTotal = declaredAnimals;
  } else {
    sample.animalsTotal = sum;
    if (sum != declaredAnimals) result.message = animalsCorrectedMessage(declaredAnimals, sum);
  }
  result.sample = std::move(sample);
  return result;
}

}  // namespace

SampleFileRead parseSampleFile(const QByteArray& content, const QString& fileName) {
  QByteArray data = content;
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  ItemReader reader(buffer, kMaxSampleFileBytes, kMaxItemLength);
  return parseItems(reader, buffer, fileName);
}

SampleFileRead ReadSampleFile(const QString& path) {
  QFile file;
  QString why;
  if (!openSampleFile(file, path, &why))
    return failure(QStringLiteral("Cannot open file %1: %2").arg(displayName(path), why));
  ItemReader reader(file, kMaxSampleFileBytes, kMaxItemLength);
  return parseItems(reader, file, displayName(path));
}

}  // namespace tsk
