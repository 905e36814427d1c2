// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs one engine with the status handshake of the exchange files: writes
// "before start" to tskstat.tmp, starts the engine by its bare name with no
// arguments in the working directory, and waits until the status reads
// "finished" -- or until it is clear that it never will.

#include <QByteArray>
#include <QString>
#include <functional>

namespace tsk {

struct EngineRunOptions {
  // Where the exchange files lie and the engine runs; empty: the current
  // directory.
  QString workDir;
  // The second place to look for the engine, after the working directory:
  // empty means the folder of the running program
  // (QCoreApplication::applicationDirPath(), when an application exists).
  QString programDir;
  // Called between the steps of the wait so that windows keep repainting.
  std::function<void()> processEvents;
  // How long the status file may take to read "finished" after the engine
  // has exited (it writes that line just before its exit).
  int graceMs = 2000;
  // Pause between polls of the status file.
  int pollMs = 5;
  // 0: wait as long as the engine runs. Otherwise the engine is stopped
  // after this many milliseconds and the run reported as timed out.
  int timeoutMs = 0;
  // Of timeoutMs, what was spent before the engine started (waiting for
  // the folder).
  int timeoutSpentMs = 0;
  // Asked between polls; true stops the engine and reports the run as
  // stopped (a Stop button, an interrupt).
  std::function<bool()> stopRequested;
  // An engine being stopped is asked to end first and killed only when it
  // has not ended after this long.
  int killGraceMs = 2000;
  // The most of the engine's console output that is kept: the last bytes;
  // what came before is dropped and counted.
  qsizetype consoleLimit = 64 * 1024;
  // The second the engine seeds its generator from, hhmmss, handed to it as
  // TSK_SEED_TIME; empty: the engine gets this program's environment as it
  // is.
  QString seedTime;
  // A folder of delivered parameter files, handed to the engine as
  // TSK_DEFAULTS_DIR: it reads a parameter file from there when the working
  // directory lacks it. Empty: only the working directory counts.
  QString defaultsDir;
};

enum class EngineOutcome {
  Finished,          // the status read "finished"; the report is collected
  BadName,           // the name is empty or not a bare program name
  NotFound,          // no such program in any of the three places
  NotExecutable,     // a file of that name is there, but not executable
  ExchangeRefused,   // tskstat.tmp or tskres.tmp is a link or no regular file
  StatusUnwritable,  // "before start" could not be written: not started
  FailedToStart,     // found, but the system could not start it
  EndedAbnormally,   // it exited (or crashed) without writing "finished"
  EngineFailed,      // its status reads "failed: ..." (say, a report it
                     // could not write)
  TimedOut,          // stopped after EngineRunOptions::timeoutMs
  Stopped,           // stopped on EngineRunOptions::stopRequested
  ReportUnreadable,  // finished, but tskres.tmp could not be read
  ReportIncomplete,  // finished, but the report lacks its closing line
};

struct EngineRunResult {
  EngineOutcome outcome = EngineOutcome::NotFound;
  QString engine;   // the name as asked for, blanks trimmed
  QString program;  // the program file that was started, if any
  // One sentence for the user when the run did not finish; empty otherwise.
  QString message;
  // tskres.tmp read whole, unchanged, when the engine finished; empty
  // otherwise (an older report may still lie there and must not be shown as
  // this run's).
  QByteArray report;
  // What the engine wrote to its console (its few guard texts), at most
  // EngineRunOptions::consoleLimit bytes: the last ones.
  QByteArray console;
  qint64 consoleDropped = 0;  // bytes of console output not kept
  int exitCode = 0;           // when it ended abnormally by exiting
  bool ok() const { return outcome == EngineOutcome::Finished; }
};

// Looks for the program `name` (plain name, no folder) in `workDir`, then
// in `programDir`, then on the search path, accepting the platform's
// executable suffix; the empty string when it is in none of them.
QString resolveEngine(const QString& name, const QString& workDir, const QString& programDir);

// True when the status line `status` reads "finished: NAME" with the name
// that `engine` reports: its own, or for a capacity build (its first seven
// letters and a 9: gsmeanc9) the full build's (gsmeanci). A finished line
// of any other engine is an earlier run's, or one left running by a
// launcher that was killed.
bool finishedBy(const QByteArray& status, const QString& engine);

// The same read from the status file at `statusPath`.
bool statusFinished(const QString& statusPath, const QString& engine);

// The first line of the status file without its leading blanks, at most 200
// characters; empty when there is none or it is not a regular file.
QByteArray statusLine(const QString& statusPath);

// True when `report` ends with the closing line, 79 underscores and a line
// end: an engine writes it last, so a report cut short lacks it.
bool reportComplete(const QByteArray& report);

// Runs the engine `name` (blanks around it are ignored) and collects its
// report. Blocks until then, calling options.processEvents between steps.
EngineRunResult RunEngine(const QString& name, const EngineRunOptions& options = {});

}  // namespace tsk
