// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One analysis at a time per working folder. The exchange files have fixed
// names, so two runs in one folder would read each other's samples and
// reports; tskrun and the desktop program hold this lock from writing
// tskdat.tmp until they have read the last report.
//
// The lock is the system's lock on the small regular file tsklock.tmp,
// which names the holder's process, program and host. The system lets it
// go when the holder ends, however it ends, so a lock of this host that no
// one holds is stale and taken over, whatever it says. A lock made on
// another host cannot be checked from here and is waited for. Anything but
// a regular file at that name is refused at once: it is never opened in a
// way that could block or read without end.

#include <QString>
#include <cstdint>
#include <functional>

namespace tsk {

// The lock file in the working folder.
inline const QString kFolderLockFile = QStringLiteral("tsklock.tmp");

// What a run waiting for the lock says, on standard error or in the
// analysis window.
inline const QString kWaitingForFolder =
    QStringLiteral("waiting for another analysis in this folder");

class FolderLock {
 public:
  enum class State {
    Locked,
    Busy,        // another run holds it
    NotRegular,  // tsklock.tmp is a link, a folder, a pipe or a device
    Failed,      // it cannot be created or written
  };

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
  bool isLocked() const { return m_handle != -1; }
  // Why the lock could not be taken (NotRegular, Failed), for the user.
  QString errorString() const { return m_error; }
  // What a run waiting for it says (Busy): kWaitingForFolder, and the host
  // when the lock was made on another one.
  QString waitingMessage() const;

 private:
  QString m_path;
  QString m_error;
  QString m_otherHost;
  std::intptr_t m_handle = -1;
};

}  // namespace tsk
