#include "FolderLock.h"

#include <QDir>

namespace tsk {

FolderLock::FolderLock(const QString& workDir) {
  const QDir dir(workDir.isEmpty() ? QDir::currentPath() : workDir);
  m_lock = std::make_unique<QLockFile>(dir.filePath(kFolderLockFile));
  // An analysis may run for hours, so age says nothing: a lock is stale only
  // when the process that holds it is gone.
  m_lock->setStaleLockTime(0);
}

FolderLock::~FolderLock() = default;

FolderLock::State FolderLock::tryLock() {
  if (m_lock->tryLock(0)) return State::Locked;
  switch (m_lock->error()) {
    case QLockFile::LockFailedError:
      return State::Busy;
    case QLockFile::PermissionError:
      m_error = QStringLiteral(
                    "Cannot create the lock file %1 in the working folder: "
                    "permission denied.")
                    .arg(kFolderLockFile);
      return State::Failed;
    default:
      m_error = QStringLiteral("Cannot create the lock file %1 in the working folder.")
                    .arg(kFolderLockFile);
      return State::Failed;
  }
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

void FolderLock::unlock() { m_lock->unlock(); }

bool FolderLock::isLocked() const { return m_lock->isLocked(); }

}  // namespace tsk
