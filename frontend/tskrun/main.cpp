// SPDX-License-Identifier: GPL-3.0-or-later
// tskrun: runs one engine on sample files from the command line, as the
// analysis window would, and prints the engine's report.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>
#include <cstdio>
#include <optional>

#include "AnalysisTable.h"
#include "EngineInfo.h"
#include "EngineLauncher.h"
#include "ExchangeWriter.h"
#include "FolderLock.h"
#include "Interrupt.h"
#include "SeedTime.h"
#include "TskVersion.h"

namespace {

// Exit statuses, also listed in the help text.
enum Exit {
  kOk = 0,
  kEngineFailed = 1,
  kBadArguments = 2,
  kSampleUnreadable = 3,
  kFolderBusy = 4,
  kTimedOut = 5,
  kLockNotRegular = 6,
  kInterrupted = 128,  // plus the signal's number, as shells report it
};

const char* const kHelp =
    "Usage: tskrun [OPTION]... ENGINE FILE.dat...\n"
    "       tskrun [OPTION]... --each ENGINE FILE...\n"
    "       tskrun [OPTION]... --pairs ENGINE FILE...\n"
    "\n"
    "Runs the analysis engine ENGINE on the sample files FILE.dat, in the\n"
    "current working directory, exactly as the analysis window does: writes\n"
    "the samples, in the order given, to tskdat.tmp, starts ENGINE with the\n"
    "status handshake of tskstat.tmp, waits until it reports \"finished\" and\n"
    "prints the list of samples (\"Data selected for analysis\", each named\n"
    "by its file or column) and the report (tskres.tmp) unchanged to standard\n"
    "output. The engine's own console lines, if any, go to standard error (at\n"
    "most the last 64 KiB; how much was left out is said).\n"
    "\n"
    "A report that carries an ERROR line is printed too, but tskrun then says\n"
    "so in one line on standard error and exits with status 1.\n"
    "\n"
    "A FILE ending in .csv, .tsv or .txt is read as a table exported from a\n"
    "spreadsheet and gives one sample per column, in column order (see\n"
    "tskconvert --help for the layouts it takes).\n"
    "\n"
    "ENGINE is a program name without folder, for example gssummar. It is\n"
    "looked for in the working directory, then beside tskrun, then on the\n"
    "search path (PATH). Engines that need a parameter file (gsmeanci.par,\n"
    "crowreps.par, ...) read it from the working directory; where the folder\n"
    "lacks it, the engine reads the delivered one (share/toskarn beside the\n"
    "programs) and tskrun names it on standard error. Nothing is copied into\n"
    "the folder.\n"
    "\n"
    "Only one analysis runs at a time in a folder: tskrun and the desktop\n"
    "program hold the lock file tsklock.tmp there while they run. When another\n"
    "analysis holds it, tskrun says \"waiting for another analysis in this\n"
    "folder\" on standard error and waits. A lock left by a run that ended\n"
    "without removing it is taken over; one made on another host is waited\n"
    "for, and the message names that host. A tsklock.tmp that is not a\n"
    "regular file (a link, a folder, a pipe) is refused at once (status 6).\n"
    "\n"
    "A report is printed only when the engine's status reads \"finished\" and\n"
    "the report ends with its closing line of underscores; tskrun never writes\n"
    "an exchange file that is a symbolic link, and reads only regular sample\n"
    "files of at most 64 MB and 1000000 groups.\n"
    "\n"
    "Options:\n"
    "  --no-wait          fail at once (status 4) when another analysis is\n"
    "                     running in this folder, instead of waiting\n"
    "  --timeout SECONDS  give up when the run, the wait for the folder\n"
    "                     included, has not finished after SECONDS seconds;\n"
    "                     a running engine is stopped (status 5); a batch\n"
    "                     counts as one run\n"
    "  --layout samples|pairs  how a table of two columns of numbers without\n"
    "                     headings is read: one sample per column named by\n"
    "                     the first row, or sizes and their numbers of groups\n"
    "  --seed-time HHMMSS the second of the day the resampling engines seed\n"
    "                     their random numbers from, six digits from 000000\n"
    "                     to 235959; the same second gives the same report\n"
    "  --table FORMAT     print the numbers as one table instead of the text,\n"
    "                     FORMAT csv, tsv or json: one row per sample and\n"
    "                     statistic, or per test, with the columns engine,\n"
    "                     method, sample, statistic, value (full precision,\n"
    "                     NA where none exists), level, replications and\n"
    "                     seed_time\n"
    "  --report-only      print the report without the list of samples\n"
    "  --each             run ENGINE, which takes one sample, on each sample in\n"
    "                     turn: each .dat file, each column of a table\n"
    "  --pairs            run ENGINE, which takes two samples, on every pair\n"
    "                     of the samples, in order (1-2, 1-3, ..., 2-3, ...)\n"
    "  -h, --help         print this help and exit\n"
    "  --version          print the version and exit\n"
    "\n"
    "Interrupted (Ctrl+C, SIGTERM, SIGHUP), whether the signal reaches tskrun\n"
    "alone or its whole process group, tskrun asks the engine to end, kills\n"
    "it if it has not ended two seconds later, and exits with 128 plus the\n"
    "signal's number. On Linux an engine never outlives tskrun: if tskrun is\n"
    "killed, the system ends its engine too.\n"
    "\n"
    "Resampling engines (gsmeanci, gscrowci, gsmean2s, gscrow2s, gsstoceq and\n"
    "their small builds) seed their random numbers from one second of the day,\n"
    "which tskrun chooses and hands to the engine as TSK_SEED_TIME=hhmmss: the\n"
    "--seed-time second, else TSK_SEED_TIME from the environment when set,\n"
    "else the local time now. After the report of a resampling engine tskrun\n"
    "prints on standard error the second used and the command that repeats\n"
    "the run.\n"
    "\n"
    "With --each and --pairs the folder is locked once for the whole batch,\n"
    "every run uses the same seed second, and a failure names the samples it\n"
    "came from; the other runs still go ahead. With --table the runs' rows\n"
    "make one table.\n"
    "\n"
    "Exit status:\n"
    "  0  the engine finished; its report is on standard output\n"
    "  1  the engine was not found or is not executable, could not be\n"
    "     started, ended without finishing its report, reported a failure,\n"
    "     left a report that is cut short or cannot be read, or wrote an\n"
    "     ERROR line into its report\n"
    "  2  bad arguments\n"
    "  3  a sample file cannot be read, is too large or is not a table of\n"
    "     group sizes, or tskdat.tmp cannot be written\n"
    "  4  another analysis is running in this folder (--no-wait), or the\n"
    "     lock file cannot be created\n"
    "  5  --timeout SECONDS passed: the engine was stopped, or the folder\n"
    "     was still busy\n"
    "  6  the lock file tsklock.tmp is not a regular file\n"
    "  128+N  interrupted by signal N (130 for Ctrl+C, 143 for SIGTERM, 129\n"
    "     for SIGHUP)\n"
    "\n"
    "Examples: tskrun gssummar gulls.dat terns.dat > report.txt\n"
    "          tskrun gsstoceq survey.csv\n"
    "          tskrun --seed-time 101500 gsmeanci gulls.dat\n"
    "          tskrun --table csv --each gscrowci *.dat > crowding.csv\n";

// How often a waiting run looks for the lock and for an interrupt.
constexpr unsigned long kLockPollMs = 100;

int usageError(const QByteArray& what) {
  std::fprintf(stderr, "tskrun: %s\nTry 'tskrun --help'.\n", what.constData());
  return kBadArguments;
}

void printError(const QString& message) {
  std::fprintf(stderr, "tskrun: %s\n", message.toLocal8Bit().constData());
}

int interrupted() {
  printError(QStringLiteral("interrupted"));
  return kInterrupted + tsk::interruptSignal();
}

// The first ERROR line of a report, trimmed; empty when there is none.
QString errorLine(const QByteArray& report) {
  static const QRegularExpression error(QStringLiteral("^\\s*(ERROR:.*?)\\s*$"),
                                        QRegularExpression::MultilineOption);
  const QRegularExpressionMatch match = error.match(QString::fromLatin1(report));
  return match.hasMatch() ? match.captured(1) : QString();
}

enum class Batch { One, Each, Pairs };

// The samples of each run of the batch.
QList<QList<tsk::SampleSource>> runsOf(const QList<tsk::SampleSource>& samples, Batch batch) {
  QList<QList<tsk::SampleSource>> runs;
  if (batch == Batch::One) return {samples};
  for (qsizetype i = 0; i < samples.size(); ++i) {
    if (batch == Batch::Each) {
      runs.append({samples[i]});
      continue;
    }
    for (qsizetype j = i + 1; j < samples.size(); ++j) runs.append({samples[i], samples[j]});
  }
  return runs;
}

// The delivered parameter file that the engine reads where the folder lacks
// its own; empty when the folder has it or nothing was delivered.
QString deliveredParameters(const QString& engine, const QString& workDir) {
  const tsk::EngineInfo* info = tsk::engineInfo(engine);
  if (!info || info->parameterFile.isEmpty() ||
      QFileInfo::exists(QDir(workDir).filePath(info->parameterFile)))
    return {};
  const QString dir = tsk::deliveredDataDir(QCoreApplication::applicationDirPath());
  const QString delivered = QDir(dir).filePath(info->parameterFile);
  return QFileInfo(delivered).isFile() ? delivered : QString();
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  tsk::catchInterrupts();
  QStringList args = QCoreApplication::arguments().mid(1);

  QStringList operands;
  QString seedTime;
  bool options = true;
  bool noWait = false;
  tsk::TableLayout layout = tsk::TableLayout::Undecided;
  bool reportOnly = false;
  std::optional<tsk::TableFormat> tableFormat;
  // The options that shape the samples or the output, for the repeat command.
  QStringList modeWords;
  Batch batch = Batch::One;
  int timeoutMs = 0;
  // The value of the option at i, given as "--name VALUE" (i moves on to
  // it) or "--name=VALUE"; nullopt when there is none.
  const auto valueOf = [&args](qsizetype& i) -> std::optional<QString> {
    if (args[i].contains(u'=')) return args[i].section(u'=', 1);
    if (i + 1 < args.size()) return args[++i];
    return std::nullopt;
  };
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (options && (arg == u"--help" || arg == u"-h")) {
      std::fputs(kHelp, stdout);
      return kOk;
    }
    if (options && arg == u"--version") {
      std::printf("tskrun %s\n", tsk::kVersion);
      return kOk;
    }
    if (options && (arg == u"--seed-time" || arg.startsWith(u"--seed-time="))) {
      const std::optional<QString> value = valueOf(i);
      if (!value) return usageError("--seed-time needs a time HHMMSS");
      seedTime = *value;
      if (!tsk::isSeedTime(seedTime))
        return usageError("--seed-time needs six digits HHMMSS, from 000000 to 235959");
    } else if (options && (arg == u"--table" || arg.startsWith(u"--table="))) {
      const std::optional<QString> value = valueOf(i);
      if (!value) return usageError("--table needs a format: csv, tsv or json");
      tableFormat = tsk::tableFormatNamed(*value);
      if (!tableFormat)
        return usageError("invalid --table " + value->toLocal8Bit() + " (give csv, tsv or json)");
      modeWords << QStringLiteral("--table") << *value;
    } else if (options && arg == u"--report-only") {
      reportOnly = true;
      modeWords << arg;
    } else if (options && (arg == u"--each" || arg == u"--pairs")) {
      if (batch != Batch::One) return usageError("give --each or --pairs once");
      batch = arg == u"--each" ? Batch::Each : Batch::Pairs;
      modeWords << arg;
    } else if (options && arg == u"--") {
      options = false;
    } else if (options && (arg == u"--layout" || arg.startsWith(u"--layout="))) {
      const std::optional<QString> value = valueOf(i);
      const auto chosen = tsk::tableLayoutNamed(value.value_or(QString()));
      if (!chosen) return usageError("--layout takes samples or pairs");
      layout = *chosen;
      modeWords << QStringLiteral("--layout") << *value;
    } else if (options && arg == u"--no-wait") {
      noWait = true;
    } else if (options && (arg == u"--timeout" || arg.startsWith(u"--timeout="))) {
      const std::optional<QString> given = valueOf(i);
      if (!given) return usageError("--timeout needs a number of seconds");
      const QString& value = *given;
      bool ok = false;
      const double seconds = value.toDouble(&ok);
      // At least a millisecond, and no more than fits the launcher's clock.
      if (!ok || !(seconds >= 0.001) || seconds > 2000000.0)
        return usageError("invalid --timeout " + value.toLocal8Bit() +
                          " (give seconds, more than 0)");
      timeoutMs = static_cast<int>(seconds * 1000.0 + 0.5);
    } else if (options && arg.startsWith(u'-') && arg.size() > 1) {
      return usageError("unknown option " + arg.toLocal8Bit());
    } else {
      operands << arg;
    }
  }
  if (operands.isEmpty()) return usageError("no engine given");
  if (operands.size() < 2) return usageError("no sample file given");

  const QString engine = operands.takeFirst();
  const QStringList files = operands;
  const QString workDir = QDir::currentPath();
  const tsk::EngineInfo* info = tsk::engineInfo(engine);
  if (batch == Batch::Each && info && info->minSamples > 1)
    return usageError("--each needs an engine that takes one sample; " + engine.toLocal8Bit() +
                      " takes two or more");
  if (batch == Batch::Pairs && info && info->maxSamples == 1)
    return usageError("--pairs needs an engine that takes two samples; " + engine.toLocal8Bit() +
                      " takes one");

  // Tables are read before the lock is taken: a large one takes a while,
  // and another run in this folder need not wait for that.
  const tsk::TableBlocks tables = tsk::readTableFiles(workDir, operands, layout);
  if (!tables) {
    printError(tables.error);
    return kSampleUnreadable;
  }
  const QList<QList<tsk::SampleSource>> runs = runsOf(tsk::listSamples(files, tables), batch);
  if (runs.isEmpty()) return usageError("--pairs needs two samples or more");

  tsk::EngineRunOptions runOptions;
  runOptions.workDir = workDir;
  runOptions.timeoutMs = timeoutMs;
  runOptions.stopRequested = [] { return tsk::interruptSignal() != 0; };
  // The second is chosen here and handed down, never guessed afterwards
  // from the clock, so that the command printed below repeats the run; a
  // batch uses one second for all its runs.
  runOptions.seedTime = seedTime.isEmpty() ? tsk::chooseSeedTime() : seedTime;
  if (const QString delivered = deliveredParameters(engine, workDir); !delivered.isEmpty()) {
    runOptions.defaultsDir = QFileInfo(delivered).absolutePath();
    printError(QStringLiteral("%1 is not in this folder; using the delivered %2")
                   .arg(QFileInfo(delivered).fileName(), QDir::toNativeSeparators(delivered)));
  }

  // Held until the last report has been read: another run in this folder
  // would overwrite the samples and the report of this one. --timeout counts
  // from here: the wait for the folder is part of the run.
  QElapsedTimer clock;
  clock.start();
  const auto timeLeft = [&] { return timeoutMs - static_cast<int>(clock.elapsed()); };
  tsk::FolderLock lock(workDir);
  const auto state = lock.lock(
      [&] {
        if (!noWait) std::fprintf(stderr, "%s\n", lock.waitingMessage().toLocal8Bit().constData());
      },
      [&] {
        if (noWait || tsk::interruptSignal() || (timeoutMs > 0 && timeLeft() <= 0)) return false;
        QThread::msleep(kLockPollMs);
        return tsk::interruptSignal() == 0;
      });
  if (tsk::interruptSignal()) return interrupted();
  switch (state) {
    case tsk::FolderLock::State::Locked:
      break;
    case tsk::FolderLock::State::Busy:
      if (!noWait) {
        printError(QStringLiteral("gave up waiting for another analysis in this folder after "
                                  "--timeout %1 s")
                       .arg(timeoutMs / 1000.0));
        return kTimedOut;
      }
      printError(QStringLiteral("another analysis is running in this folder"));
      return kFolderBusy;
    case tsk::FolderLock::State::NotRegular:
      printError(lock.errorString());
      return kLockNotRegular;
    case tsk::FolderLock::State::Failed:
      printError(lock.errorString());
      return kFolderBusy;
  }

  QList<tsk::NamedTable> results;
  int failures = 0;
  for (const QList<tsk::SampleSource>& run : runs) {
    QStringList names;
    for (const tsk::SampleSource& sample : run) names << sample.name;
    // In a batch every message says which samples it is about.
    const QString about = batch == Batch::One
                              ? QString()
                              : QStringLiteral(" (%1)").arg(names.join(QStringLiteral(" vs ")));
    tsk::ExchangeWrite written = tsk::writeExchangeSamples(workDir, run, &tables);
    if (!written) {
      printError(written.error + about);
      return kSampleUnreadable;
    }
    runOptions.timeoutSpentMs = static_cast<int>(clock.elapsed());
    tsk::EngineRunResult result = tsk::RunEngine(engine, runOptions);
    if (result.consoleDropped > 0)
      printError(QStringLiteral("the engine wrote %1 bytes to its console; the first %2 are left "
                                "out")
                     .arg(result.consoleDropped + result.console.size())
                     .arg(result.consoleDropped));
    if (!result.console.isEmpty())
      std::fwrite(result.console.constData(), 1, result.console.size(), stderr);
    // However the signal came (to tskrun alone, or to its whole process
    // group and so to the engine as well), the run was interrupted, not failed.
    if (tsk::interruptSignal()) {
      if (result.outcome == tsk::EngineOutcome::Stopped) printError(result.message + about);
      return interrupted();
    }
    if (!result.ok()) {
      printError(result.message + about);
      switch (result.outcome) {
        case tsk::EngineOutcome::BadName:
          return kBadArguments;
        case tsk::EngineOutcome::TimedOut:
          return kTimedOut;
        default:
          return kEngineFailed;
      }
    }
    const QString error = errorLine(result.report);
    if (!error.isEmpty()) {
      printError(QStringLiteral("%1 reported an error%2: %3").arg(engine, about, error));
      ++failures;
    }
    QByteArray out;
    if (tableFormat) {
      QString why;
      std::optional<tsk::AnalysisTable> table = tsk::readAnalysisTable(workDir, engine, &why);
      if (!table) {
        printError(why + about);
        return kEngineFailed;
      }
      // The second was chosen here; the engine's table may leave it out.
      if (table->seedTime.isEmpty() && tsk::usesRandomNumbers(engine))
        table->seedTime = runOptions.seedTime;
      results.append({*table, names});
    } else {
      if (!reportOnly) out = tsk::resultsHeader(names).toLocal8Bit();
      out += result.report;
    }
    std::fwrite(out.constData(), 1, out.size(), stdout);
  }
  lock.unlock();
  if (tableFormat) {
    const QByteArray table = tsk::tableText(results, *tableFormat);
    std::fwrite(table.constData(), 1, table.size(), stdout);
  }
  if (std::fflush(stdout) != 0) {
    printError(QStringLiteral("cannot write the report to standard output"));
    return kEngineFailed;
  }
  if (failures > 0) return kEngineFailed;
  // A malformed TSK_SEED_TIME from the environment was reported by the
  // engine itself; there is no second to name then.
  if (tsk::usesRandomNumbers(engine) && tsk::isSeedTime(runOptions.seedTime)) {
    printError(QStringLiteral("seed time %1; repeat with: %2")
                   .arg(tsk::seedTimeDisplay(runOptions.seedTime),
                        tsk::repeatCommand(runOptions.seedTime, engine, files, modeWords)));
  }
  return kOk;
}
