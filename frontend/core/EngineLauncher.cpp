#include "EngineLauncher.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "ExchangeWriter.h"

namespace tsk {

namespace {

bool bareName(const QString& name) {
  return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
         !name.contains(u'\\');
}

QString absoluteDir(const QString& dir) {
  return QDir(dir.isEmpty() ? QDir::currentPath() : dir).absolutePath();
}

QString defaultProgramDir() {
  return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}

// A program left over after its status read "finished" would be killed when
// the QProcess goes; it gets this long to exit by itself first.
constexpr int kExitWaitMs = 5000;

}  // namespace

QString resolveEngine(const QString& name, const QString& workDir, const QString& programDir) {
  if (!bareName(name)) return {};
  // findExecutable with explicit folders looks only there and knows the
  // platform's executable suffixes.
  QStringList places{absoluteDir(workDir)};
  const QString beside = programDir.isEmpty() ? defaultProgramDir() : programDir;
  if (!beside.isEmpty()) places << QDir(beside).absolutePath();
  for (const QString& place : places) {
    QString found = QStandardPaths::findExecutable(name, {place});
    if (!found.isEmpty()) return found;
  }
  return QStandardPaths::findExecutable(name);
}

bool statusFinished(const QString& statusPath) {
  QFile status(statusPath);
  if (!status.open(QIODevice::ReadOnly)) return false;
  // The engine may be rewriting the line right now: whatever is there is
  // read, and only a line beginning with "finished" ends the wait.
  const QByteArray head = status.read(256);
  qsizetype i = 0;
  while (i < head.size() && (head[i] == ' ' || head[i] == '\t')) ++i;
  return head.mid(i, 8) == "finished";
}

EngineRunResult RunEngine(const QString& name, const EngineRunOptions& options) {
  EngineRunResult result;
  result.engine = name.trimmed();
  auto events = [&options] {
    if (options.processEvents) options.processEvents();
  };
  auto fail = [&result](EngineOutcome outcome, QString message) {
    result.outcome = outcome;
    result.message = std::move(message);
    return result;
  };
  const QString engine = result.engine;
  if (!bareName(engine))
    return fail(EngineOutcome::BadName,
                QStringLiteral("\"%1\" is not an engine program name.").arg(engine));

  const QDir dir(absoluteDir(options.workDir));
  result.program = resolveEngine(engine, dir.path(), options.programDir);
  if (result.program.isEmpty())
    return fail(EngineOutcome::NotFound,
                QStringLiteral("Engine %1 not found: it is neither in the working directory, "
                               "nor beside this program, nor on the search path.")
                    .arg(engine));

  // Without "before start" in place, an older "finished" line would end the
  // wait at once and an older report would pass for this run's.
  const QString statusPath = dir.filePath(kExchangeStatusFile);
  {
    QFile status(statusPath);
    const QByteArray line = "before start\r\n";
    if (!status.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        status.write(line) != line.size() || !status.flush())
      return fail(EngineOutcome::StatusUnwritable,
                  QStringLiteral("Cannot write file %1 (%2): engine %3 not started.")
                      .arg(kExchangeStatusFile, status.errorString(), engine));
  }

  QProcess process;
  process.setProgram(result.program);
  process.setArguments({});
  process.setWorkingDirectory(dir.path());
  process.setStandardInputFile(QProcess::nullDevice());
  process.setProcessChannelMode(QProcess::MergedChannels);
#ifdef Q_OS_WIN
  process.setCreateProcessArgumentsModifier(
      [](QProcess::CreateProcessArguments* args) { args->flags |= CREATE_NO_WINDOW; });
#endif
  process.start();
  if (!process.waitForStarted(-1))
    return fail(
        EngineOutcome::FailedToStart,
        QStringLiteral("Engine %1 could not be started: %2").arg(engine, process.errorString()));
  events();

  QElapsedTimer clock;
  clock.start();
  bool finished = false;
  for (;;) {
    events();
    if (statusFinished(statusPath)) {
      finished = true;
      break;
    }
    events();
    if (process.state() == QProcess::NotRunning) break;
    if (options.timeoutMs > 0 && clock.elapsed() > options.timeoutMs) {
      process.kill();
      process.waitForFinished(kExitWaitMs);
      result.console += process.readAll();
      return fail(EngineOutcome::TimedOut,
                  QStringLiteral("Engine %1 was stopped after %2 s without finishing its report.")
                      .arg(engine)
                      .arg(options.timeoutMs / 1000.0));
    }
    // Serves as the pause between polls and keeps the console pipe drained.
    process.waitForFinished(std::max(options.pollMs, 1));
    result.console += process.readAll();
  }

  if (!finished) {
    // The engine writes "finished" just before it exits; give the line a
    // moment to become visible before calling the run failed.
    QElapsedTimer grace;
    grace.start();
    while (!(finished = statusFinished(statusPath)) && grace.elapsed() < options.graceMs) {
      events();
      QThread::msleep(static_cast<unsigned long>(std::max(options.pollMs, 1)));
    }
  }
  if (process.state() != QProcess::NotRunning && !process.waitForFinished(kExitWaitMs)) {
    process.kill();
    process.waitForFinished(kExitWaitMs);
  }
  result.console += process.readAll();
  events();

  if (!finished) {
    if (process.exitStatus() == QProcess::CrashExit)
      return fail(EngineOutcome::EndedAbnormally,
                  QStringLiteral("Engine %1 ended abnormally (it crashed) without finishing its "
                                 "report.")
                      .arg(engine));
    result.exitCode = process.exitCode();
    return fail(EngineOutcome::EndedAbnormally,
                QStringLiteral("Engine %1 ended without finishing its report (exit status %2).")
                    .arg(engine)
                    .arg(result.exitCode));
  }

  QFile report(dir.filePath(kExchangeReportFile));
  if (!report.open(QIODevice::ReadOnly))
    return fail(EngineOutcome::ReportUnreadable,
                QStringLiteral("Engine %1 finished, but its report %2 cannot be read: %3")
                    .arg(engine, kExchangeReportFile, report.errorString()));
  result.report = report.readAll();
  result.outcome = EngineOutcome::Finished;
  return result;
}

}  // namespace tsk
