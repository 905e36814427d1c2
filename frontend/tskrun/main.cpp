// tskrun: runs one engine on sample files from the command line, as the
// analysis window would, and prints the engine's report.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <cstdio>

#include "EngineLauncher.h"
#include "ExchangeWriter.h"
#include "FolderLock.h"
#include "Interrupt.h"
#include "SeedTime.h"

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
    "\n"
    "Runs the analysis engine ENGINE on the sample files FILE.dat, in the\n"
    "current working directory, exactly as the analysis window does: writes\n"
    "the samples, in the order given, to tskdat.tmp, starts ENGINE with the\n"
    "status handshake of tskstat.tmp, waits until it reports \"finished\" and\n"
    "prints its report (tskres.tmp) unchanged to standard output. The engine's\n"
    "own console lines, if any, go to standard error (at most the last 64 KiB;\n"
    "how much was left out is said).\n"
    "\n"
    "A FILE ending in .csv, .tsv or .txt is read as a table exported from a\n"
    "spreadsheet and gives one sample per column, in column order (see\n"
    "tskconvert --help for the layouts it takes).\n"
    "\n"
    "ENGINE is a program name without folder, for example gssummar. It is\n"
    "looked for in the working directory, then beside tskrun, then on the\n"
    "search path (PATH). Engines that need a parameter file (gsmeanci.par,\n"
    "crowreps.par, ...) read it from the working directory.\n"
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
    "                     a running engine is stopped (status 5)\n"
    "  --layout samples|pairs  how a table of two columns of numbers without\n"
    "                     headings is read: one sample per column named by\n"
    "                     the first row, or sizes and their numbers of groups\n"
    "  --seed-time HHMMSS the second of the day the resampling engines seed\n"
    "                     their random numbers from, six digits from 000000\n"
    "                     to 235959; the same second gives the same report\n"
    "  -h, --help         print this help and exit\n"
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
    "Exit status:\n"
    "  0  the engine finished; its report is on standard output\n"
    "  1  the engine was not found or is not executable, could not be\n"
    "     started, ended without finishing its report, reported a failure,\n"
    "     or left a report that is cut short or cannot be read\n"
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
    "          tskrun --seed-time 101500 gsmeanci gulls.dat\n";

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
  int timeoutMs = 0;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (options && (arg == u"--help" || arg == u"-h")) {
      std::fputs(kHelp, stdout);
      return kOk;
    }
    if (options && (arg == u"--seed-time" || arg.startsWith(u"--seed-time="))) {
      if (arg == u"--seed-time") {
        if (++i == args.size()) return usageError("--seed-time needs a time HHMMSS");
        seedTime = args[i];
      } else {
        seedTime = arg.mid(arg.indexOf(u'=') + 1);
      }
      if (!tsk::isSeedTime(seedTime))
        return usageError("--seed-time needs six digits HHMMSS, from 000000 to 235959");
    } else if (options && arg == u"--") {
      options = false;
    } else if (options && arg == u"--layout") {
      const auto chosen = tsk::tableLayoutNamed(i + 1 < args.size() ? args[++i] : QString());
      if (!chosen) return usageError("--layout takes samples or pairs");
      layout = *chosen;
    } else if (options && arg == u"--no-wait") {
      noWait = true;
    } else if (options && (arg == u"--timeout" || arg.startsWith(u"--timeout="))) {
      QString value;
      if (arg.contains(u'=')) {
        value = arg.section(u'=', 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        return usageError("--timeout needs a number of seconds");
      }
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

  // Tables are read before the lock is taken: a large one takes a while,
  // and another run in this folder need not wait for that.
  const tsk::TableBlocks tables = tsk::readTableFiles(workDir, operands, layout);
  if (!tables) {
    printError(tables.error);
    return kSampleUnreadable;
  }

  // Held until the report has been read: another run in this folder would
  // overwrite the samples and the report of this one. --timeout counts
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

  tsk::ExchangeWrite written = tsk::writeExchangeData(workDir, operands, &tables);
  if (!written) {
    printError(written.error);
    return kSampleUnreadable;
  }

  tsk::EngineRunOptions runOptions;
  runOptions.workDir = workDir;
  runOptions.timeoutMs = timeoutMs;
  runOptions.timeoutSpentMs = static_cast<int>(clock.elapsed());
  runOptions.stopRequested = [] { return tsk::interruptSignal() != 0; };
  // The second is chosen here and handed down, never guessed afterwards
  // from the clock, so that the command printed below repeats the run.
  runOptions.seedTime = seedTime.isEmpty() ? tsk::chooseSeedTime() : seedTime;
  tsk::EngineRunResult run = tsk::RunEngine(engine, runOptions);
  lock.unlock();
  if (run.consoleDropped > 0)
    printError(QStringLiteral("the engine wrote %1 bytes to its console; the first %2 are left "
                              "out")
                   .arg(run.consoleDropped + run.console.size())
                   .arg(run.consoleDropped));
  if (!run.console.isEmpty()) std::fwrite(run.console.constData(), 1, run.console.size(), stderr);
  // However the signal came (to tskrun alone, or to its whole process group
  // and so to the engine as well), the run was interrupted, not failed.
  if (tsk::interruptSignal()) {
    if (run.outcome == tsk::EngineOutcome::Stopped) printError(run.message);
    return interrupted();
  }
  if (!run.ok()) {
    printError(run.message);
    switch (run.outcome) {
      case tsk::EngineOutcome::BadName:
        return kBadArguments;
      case tsk::EngineOutcome::TimedOut:
        return kTimedOut;
      default:
        return kEngineFailed;
    }
  }
  std::fwrite(run.report.constData(), 1, run.report.size(), stdout);
  if (std::fflush(stdout) != 0) {
    printError(QStringLiteral("cannot write the report to standard output"));
    return kEngineFailed;
  }
  // A malformed TSK_SEED_TIME from the environment was reported by the
  // engine itself; there is no second to name then.
  if (tsk::usesRandomNumbers(engine) && tsk::isSeedTime(runOptions.seedTime)) {
    printError(QStringLiteral("seed time %1; repeat with: %2")
                   .arg(tsk::seedTimeDisplay(runOptions.seedTime),
                        tsk::repeatCommand(runOptions.seedTime, engine, files)));
  }
  return kOk;
}
