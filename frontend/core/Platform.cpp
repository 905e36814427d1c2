// SPDX-License-Identifier: GPL-3.0-or-later
#include "Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif
#if defined(Q_OS_LINUX)
#include <sys/prctl.h>
#endif
#if defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace tsk::platform {

void tieToThisProgram(QProcess& process) {
#if defined(Q_OS_LINUX)
  const pid_t launcher = ::getpid();
  // Runs in the child between fork and exec: only async-signal-safe calls.
  process.setChildProcessModifier([launcher] {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The launcher may have died before the line above took effect.
    if (::getppid() != launcher) ::_exit(127);
    ::setpgid(0, 0);
  });
#else
  // Without a death signal an engine in a group of its own would outlive a
  // killed launcher unseen; in the launcher's group a signal to the group
  // at least ends it too.
  Q_UNUSED(process);
#endif
}

qint64 processId() { return QCoreApplication::applicationPid(); }

#if defined(Q_OS_UNIX)

namespace {

QString kindOf(mode_t mode) {
  if (S_ISLNK(mode)) return QStringLiteral("a symbolic link");
  if (S_ISDIR(mode)) return QStringLiteral("a folder");
  if (S_ISFIFO(mode)) return QStringLiteral("a named pipe");
  if (S_ISSOCK(mode)) return QStringLiteral("a socket");
  if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device");
  return QStringLiteral("not a regular file");
}

LockAttempt notRegular(const QByteArray& path) {
  LockAttempt a;
  a.state = LockAttempt::State::NotRegular;
  struct stat st {};
  a.kind = ::lstat(path.constData(), &st) == 0 ? kindOf(st.st_mode) : kindOf(0);
  return a;
}

LockAttempt failed(int error) {
  LockAttempt a;
  a.error = QString::fromLocal8Bit(std::strerror(error));
  return a;
}

QByteArray readHead(int fd) {
  QByteArray bytes(kLockContentLimit, '\0');
  const ssize_t n = ::pread(fd, bytes.data(), static_cast<size_t>(bytes.size()), 0);
  bytes.truncate(n > 0 ? n : 0);
  return bytes;
}

}  // namespace

LockAttempt tryLock(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  bool removedUnreadable = false;
  // A few turns: the holder may remove the file between our open and our
  // lock, and then the lock would be on a file no one else sees.
  for (int turn = 0; turn < 8; ++turn) {
    const int fd =
        ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
      const int error = errno;
      if (error == ELOOP || error == EISDIR || error == ENXIO || error == EMLINK)
        return notRegular(name);
      // Locks this program makes are readable to all: one that is not was
      // left by something else, and is taken over.
      if (error == EACCES && !removedUnreadable && ::unlink(name.constData()) == 0) {
        removedUnreadable = true;
        continue;
      }
      return failed(error);
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
      ::close(fd);
      return notRegular(name);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      LockAttempt a = error == EWOULDBLOCK ? LockAttempt{} : failed(error);
      if (error == EWOULDBLOCK) {
        a.state = LockAttempt::State::Held;
        a.content = readHead(fd);
      }
      ::close(fd);
      return a;
    }
    struct stat named {};
    if (::lstat(name.constData(), &named) != 0 || named.st_ino != opened.st_ino ||
        named.st_dev != opened.st_dev) {
      ::close(fd);
      continue;
    }
    // Readable to all, whatever the umask: see the EACCES case above.
    ::fchmod(fd, 0644);
    LockAttempt a;
    a.state = LockAttempt::State::Taken;
    a.content = readHead(fd);
    a.handle = fd;
    return a;
  }
  return failed(EAGAIN);
}

bool writeLock(std::intptr_t handle, const QByteArray& content) {
  const int fd = static_cast<int>(handle);
  return ::ftruncate(fd, 0) == 0 &&
         ::pwrite(fd, content.constData(), static_cast<size_t>(content.size()), 0) ==
             static_cast<ssize_t>(content.size());
}

void unlock(const QString& path, std::intptr_t handle) {
  const int fd = static_cast<int>(handle);
  const QByteArray name = QFile::encodeName(path);
  struct stat opened {
  }, named{};
  // Removed while still locked, so that no one takes the lock of a file
  // about to vanish; and only when the name is still this file.
  if (::fstat(fd, &opened) == 0 && ::lstat(name.constData(), &named) == 0 &&
      opened.st_ino == named.st_ino && opened.st_dev == named.st_dev)
    ::unlink(name.constData());
  ::close(fd);
}

void release(std::intptr_t handle) { ::close(static_cast<int>(handle)); }

#elif defined(Q_OS_WIN)

namespace {

// A byte far beyond any content is locked, so that others can still read
// who holds the lock.
constexpr DWORD kLockedByte = 0x40000000;

QByteArray readHead(HANDLE h) {
  QByteArray bytes(kLockContentLimit, '\0');
  OVERLAPPED at{};
  DWORD n = 0;
  if (!ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, &at)) n = 0;
  bytes.truncate(n);
  return bytes;
}

}  // namespace

LockAttempt tryLock(const QString& path) {
  const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
  LockAttempt a;
  HANDLE h =
      CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
      a.state = LockAttempt::State::NotRegular;
      a.kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? QStringLiteral("a folder")
                                                       : QStringLiteral("a symbolic link");
      return a;
    }
    a.error = QStringLiteral("system error %1").arg(GetLastError());
    return a;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
    CloseHandle(h);
    a.state = LockAttempt::State::NotRegular;
    a.kind = QStringLiteral("not a regular file");
    return a;
  }
  OVERLAPPED at{};
  at.Offset = kLockedByte;
  if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    a.state = LockAttempt::State::Held;
    a.content = readHead(h);
    CloseHandle(h);
    return a;
  }
  a.state = LockAttempt::State::Taken;
  a.content = readHead(h);
  a.handle = reinterpret_cast<std::intptr_t>(h);
  return a;
}

bool writeLock(std::intptr_t handle, const QByteArray& content) {
  HANDLE h = reinterpret_cast<HANDLE>(handle);
  DWORD n = 0;
  return SetFilePointer(h, 0, nullptr, FILE_BEGIN) == 0 && SetEndOfFile(h) &&
         WriteFile(h, content.constData(), static_cast<DWORD>(content.size()), &n, nullptr) &&
         n == static_cast<DWORD>(content.size());
}

void unlock(const QString& path, std::intptr_t handle) {
  // Deleted while open (FILE_SHARE_DELETE): the name goes with the handle.
  DeleteFileW(QDir::toNativeSeparators(path).toStdWString().c_str());
  CloseHandle(reinterpret_cast<HANDLE>(handle));
}

void release(std::intptr_t handle) { CloseHandle(reinterpret_cast<HANDLE>(handle)); }

#endif

}  // namespace tsk::platform
