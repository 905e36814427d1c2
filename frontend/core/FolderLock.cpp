// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QSysInfo>

#include "Platform.h"

namespace tsk {

namespace {

// The host a lock's content names, its third line, made fit for a message.
QString hostOf(const QByteArray& content) {
  const QList<QByteArray> lines = content.split('\n');
  if (lines.size() < 3) return {};
  QString host;
  for (QChar c : QString::fromUtf8(lines[2].trimmed()).left(64)) host += c.isPrint() ? c : u'?';
  return host;
}

QString thisHost() { return QSysInfo::machineHostName(); }

}  // namespace

FolderLock::FolderLock(const QString& workDir)
    : m_path(QDir(workDir.isEmpty() ? QDir::currentPath() : workDir).filePath(kFolderLockFile)) {}

FolderLock::~FolderLock() { unlock(); }

FolderLock::State FolderLock::tryLock() {
  if (isLocked()) return State::Locked;
  m_otherHost.clear();
  platform::LockAttempt attempt = platform::tryLock(m_path);
  const QString host = hostOf(attempt.content);
  switch (attempt.state) {
    case platform::LockAttempt::State::NotRegular:
      m_error = QStringLiteral(
                    "The lock file %1 in the working folder is %2, not a regular file; "
                    "no analysis can run here until it is removed.")
                    .arg(kFolderLockFile, attempt.kind);
      return State::NotRegular;
    case platform::LockAttempt::State::Failed:
      m_error = QStringLiteral("Cannot create the lock file %1 in the working folder: %2.")
                    .arg(kFolderLockFile, attempt.error);
      return State::Failed;
    case platform::LockAttempt::State::Held:
      if (host != thisHost()) m_otherHost = host;
      return State::Busy;
    case platform::LockAttempt::State::Taken:
      break;
  }
  // A lock from another host may be held there without the system here
  // knowing: it is left alone.
  if (!host.isEmpty() && host != thisHost()) {
    platform::release(attempt.handle);
    m_otherHost = host;
    return State::Busy;
  }
  const QByteArray content = QByteArray::number(platform::processId()) + '\n' +
                             QCoreApplication::applicationName().toUtf8() + '\n' +
                             thisHost().toUtf8() + '\n';
  if (!platform::writeLock(attempt.handle, content)) {
    platform::unlock(m_path, attempt.handle);
    m_error =
        QStringLiteral("Cannot write the lock file %1 in the working folder.").arg(kFolderLockFile);
    return State::Failed;
  }
  m_handle = attempt.handle;
  return State::Locked;
}

FolderLock::State FolderLock::lock(const std::function<void()>& onBusy,
                                   const std::function<bool()>& keepWaiting) {
  State state = tryLock();
  if (state != State::Busy) return state;
  if (onBusy) onBusy();
  while (state == State::Busy) {
    if (!keepWaiting || !keepWaiting()) return State::Busy;
    state = tryLock();
  }
  return state;
}

void FolderLock::unlock() {
  if (!isLocked()) return;
  platform::unlock(m_path, m_handle);
  m_handle = -1;
}

QString FolderLock::waitingMessage() const {
  if (m_otherHost.isEmpty()) return kWaitingForFolder;
  return kWaitingForFolder +
         QStringLiteral(" (its lock file %1 was made on host %2; remove it if nothing runs there)")
             .arg(kFolderLockFile, m_otherHost);
}

}  // namespace tsk
