#pragma once
// One analysis at a time per working folder. The exchange files have fixed
// names, so two runs in one folder would read each other's samples and
// reports; tskrun and the desktop program hold this lock from writing
// tskdat.tmp until they have read the last report.

#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>

namespace tsk {

// The lock file in the working folder.
inline const QString kFolderLockFile = QStringLiteral("tsklock.tmp");

// What a run waiting for the lock says, on standard error or in the
// analysis window.
inline const QString kWaitingForFolder =
    QStringLiteral("waiting for another analysis in this folder");

class FolderLock {
 public:
  enum class State { Locked, Busy, Failed };

  // `workDir` empty: the current directory.
  explicit FolderLock(const QString& workDir);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // One attempt, without waiting.
  State tryLock();
  // Tries until the lock is taken. When another run holds it, `onBusy` is
  // called once and then `keepWaiting` between attempts (it processes events
  // or pauses); once that returns false the wait ends with Busy.
  State lock(const std::function<void()>& onBusy, const std::function<bool()>& keepWaiting);
  void unlock();
  bool isLocked() const;
  // Why the lock could not be taken (State::Failed), for the user.
  QString errorString() const { return m_error; }

 private:
  std::unique_ptr<QLockFile> m_lock;
  QString m_error;
};

}  // namespace tsk
