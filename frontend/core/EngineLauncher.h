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
};

enum class EngineOutcome {
  Finished,          // the status read "finished"; the report is collected
  BadName,           // the name is empty or not a bare program name
  NotFound,          // no such program in any of the three places
  StatusUnwritable,  // "before start" could not be written: not started
  FailedToStart,     // found, but the system could not start it
  EndedAbnormally,   // it exited (or crashed) without writing "finished"
  TimedOut,          // stopped after EngineRunOptions::timeoutMs
  ReportUnreadable,  // finished, but tskres.tmp could not be read
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
  // What the engine wrote to its console (its few guard texts).
  QByteArray console;
  int exitCode = 0;  // when it ended abnormally by exiting
  bool ok() const { return outcome == EngineOutcome::Finished; }
};

// Looks for the program `name` (plain name, no folder) in `workDir`, then
// in `programDir`, then on the search path, accepting the platform's
// executable suffix; the empty string when it is in none of them.
QString resolveEngine(const QString& name, const QString& workDir, const QString& programDir);

// True when the first item of the first line of the status file at
// `statusPath` begins with "finished".
bool statusFinished(const QString& statusPath);

// Runs the engine `name` (blanks around it are ignored) and collects its
// report. Blocks until then, calling options.processEvents between steps.
EngineRunResult RunEngine(const QString& name, const EngineRunOptions& options = {});

}  // namespace tsk
