// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileReplace.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <filesystem>
#include <system_error>

// Qt has no call that forces a file's content to the disk.
#if defined(Q_OS_UNIX)
#include <unistd.h>

#include <cerrno>
#include <cstring>
#elif defined(Q_OS_WIN)
#include <io.h>
#include <windows.h>
#endif

namespace tsk {

namespace {

std::filesystem::path nativePath(const QString& path) {
  return std::filesystem::path(QDir::toNativeSeparators(path).toStdU16String());
}

// A name no one else uses: the new file is created with NewOnly (exclusive
// creation), which fails on any existing entry, a link included, rather
// than opening it.
QString newFileName(const QString& path, int attempt) {
  return path + QStringLiteral(".%1.new").arg(
                    QRandomGenerator::global()->generate() ^ static_cast<quint32>(attempt), 8, 16,
                    QLatin1Char('0'));
}

// Why the file's content could not be forced to the disk; empty when it
// was.
QString syncToDisk(QFile& file) {
#if defined(Q_OS_UNIX)
  if (::fsync(file.handle()) == 0) return {};
  return QString::fromLocal8Bit(std::strerror(errno));
#elif defined(Q_OS_WIN)
  if (FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))) != 0) return {};
  return QStringLiteral("the file cannot be written to the disk");
#else
  Q_UNUSED(file);
  return {};
#endif
}

}  // namespace

bool isLink(const QString& path) {
  std::error_code error;
  return std::filesystem::is_symlink(std::filesystem::symlink_status(nativePath(path), error));
}

QString exchangeFileProblem(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  std::error_code error;
  const auto status = std::filesystem::symlink_status(nativePath(path), error);
  if (std::filesystem::is_symlink(status))
    return QStringLiteral(
               "File %1 is a symbolic link: it is not written, because that would "
               "change the file it points to. Remove the link and try again.")
        .arg(name);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    return QStringLiteral("File %1 is not a regular file: it is not written.").arg(name);
  return {};
}

ReplacementFile::ReplacementFile(const QString& path, bool durable)
    : m_path(path), m_durable(durable) {}

ReplacementFile::~ReplacementFile() { cancel(); }

bool ReplacementFile::open() {
  for (int attempt = 0; attempt < 16; ++attempt) {
    m_file.setFileName(newFileName(m_path, attempt));
    // Unbuffered: the pieces written are large, and a short write then says
    // why at once (a buffered one loses the reason, "Unknown error").
    if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) return true;
    if (m_file.error() != QFileDevice::OpenError || !QFileInfo::exists(m_file.fileName())) break;
  }
  m_error = m_file.errorString();
  m_failed = true;
  // The name may be someone else's file: cancel() must not remove it.
  m_file.setFileName(QString());
  return false;
}

bool ReplacementFile::write(const QByteArray& bytes) {
  if (m_failed || !m_file.isOpen()) return false;
  // A write that fills the disk comes back short without a reason; the
  // rest, tried again, fails with it.
  for (qsizetype done = 0; done < bytes.size();) {
    const qint64 n = m_file.write(bytes.constData() + done, bytes.size() - done);
    if (n <= 0) {
      m_error = m_file.errorString();
      m_failed = true;
      break;
    }
    done += n;
  }
  return !m_failed;
}

bool ReplacementFile::close() {
  if (m_closed) return true;
  if (m_failed || !m_file.isOpen()) {
    if (m_error.isEmpty()) m_error = QStringLiteral("the file was not opened");
    cancel();
    return false;
  }
  // A full disk often shows only at the flush or the close.
  const bool flushed = m_file.flush();
  const QString unsynced = flushed && m_durable ? syncToDisk(m_file) : QString();
  m_file.close();
  if (!flushed || m_file.error() != QFileDevice::NoError) {
    m_error = m_file.errorString();
    cancel();
    return false;
  }
  if (!unsynced.isEmpty()) {
    m_error = unsynced;
    cancel();
    return false;
  }
  m_closed = true;
  return true;
}

bool ReplacementFile::commit() {
  if (!close()) return false;
  std::error_code error;
  const auto old = std::filesystem::symlink_status(nativePath(m_path), error);
  if (std::filesystem::is_regular_file(old)) m_file.setPermissions(QFile(m_path).permissions());
  std::filesystem::rename(nativePath(m_file.fileName()), nativePath(m_path), error);
  if (error) {
    m_error = QString::fromStdString(error.message());
    cancel();
    return false;
  }
  m_file.setFileName(QString());
  m_closed = false;
  return true;
}

void ReplacementFile::cancel() {
  m_closed = false;
  if (m_file.fileName().isEmpty()) return;
  m_file.close();
  QFile::remove(m_file.fileName());
  m_file.setFileName(QString());
}

QString replaceFileContent(const QString& path, const QByteArray& bytes) {
  ReplacementFile file(path);
  if (file.open() && file.write(bytes) && file.commit()) return {};
  return file.errorString();
}

}  // namespace tsk
