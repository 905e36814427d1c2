// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The front end's calls into the operating system that Qt does not make:
// tying an engine's life to the program that starts it, and the folder
// lock's file. Where a system lacks a call, a plain fallback says so.

#include <QByteArray>
#include <QString>
#include <cstdint>

class QProcess;

namespace tsk::platform {

// Prepares `process`, before it starts, so that its program ends when this
// program ends, even when this one is killed, and so that a terminal's
// Ctrl+C or a signal to this program's process group reaches only this
// program, which then ends the engine itself. Linux only; elsewhere the
// engine is started as before.
void tieToThisProgram(QProcess& process);

// One attempt at the lock file `path`, opened without following a link and
// without blocking on a pipe or a device, and read with a size limit.
struct LockAttempt {
  enum class State {
    Taken,       // this program holds it; `content` is what it held before
    Held,        // a running program holds it; `content` is what it holds
    NotRegular,  // a link, a folder, a pipe or a device lies at `path`
    Failed,      // the system refused; `error` says why
  };
  State state = State::Failed;
  QByteArray content;  // at most kLockContentLimit bytes
  QString kind;        // for NotRegular: "a symbolic link", "a folder", ...
  QString error;
  std::intptr_t handle = -1;  // for Taken: what writeLock and unlock take
};
inline constexpr qint64 kLockContentLimit = 4096;

LockAttempt tryLock(const QString& path);
// Replaces the content of a lock this program holds.
bool writeLock(std::intptr_t handle, const QByteArray& content);
// Removes the lock file and lets it go.
void unlock(const QString& path, std::intptr_t handle);
// Lets the lock go and leaves the file as it is (a lock that turned out to
// be another host's).
void release(std::intptr_t handle);

// This process's id.
qint64 processId();

}  // namespace tsk::platform
