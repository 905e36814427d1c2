// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a file of the working folder without ever writing through what
// lies at its name: the text goes to a new file beside it, which then takes
// the name's place. A link planted at the name is replaced, never followed,
// so the file it points to stays as it was.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace tsk {

// Why the exchange file at `path` must not be written (it is a symbolic
// link, or exists and is not a regular file); empty when it may be. The
// text names the file by its name without folder.
QString exchangeFileProblem(const QString& path);

// True when `path` is a symbolic link (dangling or not).
bool isLink(const QString& path);

// A new file that takes the place of `path` on commit(). Until then the
// entry at `path`, whatever it is, is untouched; a replacement destroyed
// without commit() leaves nothing behind.
class ReplacementFile {
 public:
  // `durable`: the new content reaches the disk before it takes the name,
  // so that a power cut cannot leave an empty file where the old one was
  // (wanted for the user's samples, not for scratch files).
  explicit ReplacementFile(const QString& path, bool durable = false);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates the new file; false with errorString() when it cannot.
  bool open();
  bool write(const QByteArray& bytes);
  // Writes out and closes the new file, which does not take the name yet:
  // a set of files can all be complete before the first takes its name.
  bool close();
  // Closes the new file if need be and renames it over `path`: the
  // directory entry is replaced, a link there included. An existing regular
  // file's permissions carry over.
  bool commit();
  // Drops the new file.
  void cancel();
  QString errorString() const { return m_error; }

 private:
  QString m_path;
  QFile m_file;
  QString m_error;
  bool m_durable = false;
  bool m_failed = false;
  bool m_closed = false;
};

// Writes `bytes` as the whole new content of `path` through a
// ReplacementFile; the error text when it fails, else empty.
QString replaceFileContent(const QString& path, const QByteArray& bytes);

}  // namespace tsk
