// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineLauncher.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "ExchangeWriter.h"
#include "FileReplace.h"
#include "Platform.h"
#include "SeedTime.h"

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

// Reports are a few pages; this only bounds a file that is not one.
constexpr qint64 kMaxReportBytes = 64 * 1024 * 1024;

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

QByteArray statusLine(const QString& statusPath) {
  // Never opened unless it is a plain file: a pipe planted there would block
  // the wait for good.
  if (!exchangeFileProblem(statusPath).isEmpty() || !QFileInfo(statusPath).isFile()) return {};
  QFile status(statusPath);
  if (!status.open(QIODevice::ReadOnly)) return {};
  // The engine may be rewriting the line right now: whatever is there is
  // read, and only this engine's finished line ends the wait.
  QByteArray head = status.read(256);
  qsizetype i = 0;
  while (i < head.size() && (head[i] == ' ' || head[i] == '\t')) ++i;
  head.remove(0, i);
  const qsizetype end = head.indexOf('\n');
  if (end >= 0) head.truncate(end);
  if (head.endsWith('\r')) head.chop(1);
  return head.left(200);
}

bool finishedBy(const QByteArray& status, const QString& engine) {
  if (!status.startsWith("finished:")) return false;
  const QString name = QString::fromLatin1(status.mid(9).trimmed());
  const auto same = [](QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
  };
  if (same(name, engine)) return true;
  return engine.size() == 8 && engine.endsWith(u'9') && name.size() == 8 &&
         same(QStringView(name).left(7), QStringView(engine).left(7));
}

bool statusFinished(const QString& statusPath, const QString& engine) {
  return finishedBy(statusLine(statusPath), engine);
}

bool reportComplete(const QByteArray& report) {
  static const QByteArray closing = QByteArray(79, '_');
  QByteArray body = report;
  if (body.endsWith("\r\n"))
    body.chop(2);
  else if (body.endsWith('\n'))
    body.chop(1);
  else
    return false;
  return body.endsWith(closing) &&
         (body.size() == closing.size() || body[body.size() - closing.size() - 1] == '\n');
}

namespace {

bool statusFailed(const QByteArray& line) { return line.startsWith("failed:"); }

// Where a file named like the engine lies without being executable; empty
// when there is none.
QString nonExecutableEngine(const QString& name, const QStringList& places) {
  for (const QString& place : places) {
    const QFileInfo file(QDir(place).filePath(name));
    if (file.isFile() && !file.isExecutable()) return file.filePath();
  }
  return {};
}

void keepConsole(EngineRunResult& result, const QByteArray& bytes, qsizetype limit) {
  result.console += bytes;
  if (limit >= 0 && result.console.size() > limit) {
    const qsizetype excess = result.console.size() - limit;
    result.consoleDropped += excess;
    result.console.remove(0, excess);
  }
}

// Asks the engine to end, then ends it.
void endProcess(QProcess& process, int graceMs) {
  if (process.state() == QProcess::NotRunning) return;
  process.terminate();
  if (!process.waitForFinished(std::max(graceMs, 1))) {
    process.kill();
    process.waitForFinished(kExitWaitMs);
  }
}

}  // namespace

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
  if (result.program.isEmpty()) {
    QStringList places{dir.path()};
    const QString beside = options.programDir.isEmpty() ? defaultProgramDir() : options.programDir;
    if (!beside.isEmpty()) places << beside;
    places << qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    if (const QString there = nonExecutableEngine(engine, places); !there.isEmpty())
      return fail(EngineOutcome::NotExecutable,
                  QStringLiteral("Engine %1 cannot be started: the file %2 is not executable.")
                      .arg(engine, QDir::toNativeSeparators(there)));
    return fail(EngineOutcome::NotFound,
                QStringLiteral("Engine %1 not found: it is neither in the working directory, "
                               "nor beside this program, nor on the search path.")
                    .arg(engine));
  }

  // The engine writes its status and report where these names point; a link
  // there would have it overwrite some other file.
  const QString statusPath = dir.filePath(kExchangeStatusFile);
  for (const QString& file : {kExchangeStatusFile, kExchangeReportFile}) {
    if (const QString problem = exchangeFileProblem(dir.filePath(file)); !problem.isEmpty())
      return fail(EngineOutcome::ExchangeRefused,
                  problem + QStringLiteral(" Engine %1 not started.").arg(engine));
  }
  // Without "before start" in place, an older "finished" line would end the
  // wait at once and an older report would pass for this run's.
  if (const QString error = replaceFileContent(statusPath, "before start\r\n"); !error.isEmpty())
    return fail(EngineOutcome::StatusUnwritable,
                QStringLiteral("Cannot write file %1 (%2): engine %3 not started.")
                    .arg(kExchangeStatusFile, error, engine));

  QProcess process;
  process.setProgram(result.program);
  process.setArguments({});
  process.setWorkingDirectory(dir.path());
  process.setStandardInputFile(QProcess::nullDevice());
  process.setProcessChannelMode(QProcess::MergedChannels);
  if (!options.seedTime.isEmpty() || !options.defaultsDir.isEmpty()) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!options.seedTime.isEmpty())
      environment.insert(QString::fromLatin1(kSeedTimeEnvironment), options.seedTime);
    if (!options.defaultsDir.isEmpty())
      environment.insert(QStringLiteral("TSK_DEFAULTS_DIR"), options.defaultsDir);
    process.setProcessEnvironment(environment);
  }
#ifdef Q_OS_WIN
  process.setCreateProcessArgumentsModifier(
      [](QProcess::CreateProcessArguments* args) { args->flags |= CREATE_NO_WINDOW; });
#endif
  platform::tieToThisProgram(process);
  process.start();
  if (!process.waitForStarted(-1))
    return fail(
        EngineOutcome::FailedToStart,
        QStringLiteral("Engine %1 could not be started: %2").arg(engine, process.errorString()));
  events();

  auto stopped = [&](EngineOutcome outcome, QString message) {
    endProcess(process, options.killGraceMs);
    keepConsole(result, process.readAll(), options.consoleLimit);
    return fail(outcome, std::move(message));
  };
  QElapsedTimer clock;
  clock.start();
  QByteArray status;
  auto ended = [&] { return finishedBy(status, engine) || statusFailed(status); };
  for (;;) {
    events();
    status = statusLine(statusPath);
    if (ended()) break;
    events();
    if (process.state() == QProcess::NotRunning) break;
    if (options.stopRequested && options.stopRequested())
      return stopped(
          EngineOutcome::Stopped,
          QStringLiteral("Engine %1 was stopped before it finished its report.").arg(engine));
    if (options.timeoutMs > 0 && clock.elapsed() + options.timeoutSpentMs > options.timeoutMs)
      return stopped(EngineOutcome::TimedOut,
                     QStringLiteral("Engine %1 was stopped after %2 s without finishing its "
                                    "report.")
                         .arg(engine)
                         .arg(options.timeoutMs / 1000.0));
    // Serves as the pause between polls and keeps the console pipe drained.
    process.waitForFinished(std::max(options.pollMs, 1));
    keepConsole(result, process.readAll(), options.consoleLimit);
  }

  if (!ended()) {
    // The engine writes "finished" just before it exits; give the line a
    // moment to become visible before calling the run failed.
    QElapsedTimer grace;
    grace.start();
    for (;;) {
      status = statusLine(statusPath);
      if (ended() || grace.elapsed() >= options.graceMs) break;
      events();
      QThread::msleep(static_cast<unsigned long>(std::max(options.pollMs, 1)));
    }
  }
  if (process.state() != QProcess::NotRunning && !process.waitForFinished(kExitWaitMs))
    endProcess(process, options.killGraceMs);
  keepConsole(result, process.readAll(), options.consoleLimit);
  events();

  if (statusFailed(status)) {
    QString text;
    for (char c : status) text += (c >= 32 && c < 127) ? QChar(c) : QChar(u'?');
    return fail(EngineOutcome::EngineFailed,
                QStringLiteral("Engine %1 reported \"%2\".").arg(engine, text));
  }
  if (!ended()) {
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

  const QString reportPath = dir.filePath(kExchangeReportFile);
  QFile report(reportPath);
  auto unreadable = [&](const QString& why) {
    return fail(EngineOutcome::ReportUnreadable,
                QStringLiteral("Engine %1 finished, but its report %2 cannot be read: %3")
                    .arg(engine, kExchangeReportFile, why));
  };
  if (const QString problem = exchangeFileProblem(reportPath); !problem.isEmpty())
    return fail(EngineOutcome::ReportUnreadable, problem);
  if (QFileInfo(reportPath).size() > kMaxReportBytes)
    return unreadable(QStringLiteral("it is larger than %1 MB.").arg(kMaxReportBytes >> 20));
  if (!report.open(QIODevice::ReadOnly)) return unreadable(report.errorString());
  QByteArray text = report.read(kMaxReportBytes + 1);
  if (report.error() != QFileDevice::NoError) return unreadable(report.errorString());
  if (text.size() > kMaxReportBytes)
    return unreadable(QStringLiteral("it is larger than %1 MB.").arg(kMaxReportBytes >> 20));
  // A report cut short (a full disk, an engine that could not finish
  // writing) or one left from an earlier run that the engine never reached
  // would pass for this run's; the closing line is written last.
  if (!reportComplete(text))
    return fail(EngineOutcome::ReportIncomplete,
                QStringLiteral("Engine %1 reported \"finished\", but its report %2 does not end "
                               "with the closing line: it is not shown.")
                    .arg(engine, kExchangeReportFile));
  result.report = std::move(text);
  result.outcome = EngineOutcome::Finished;
  return result;
}

}  // namespace tsk
