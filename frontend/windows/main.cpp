// toskarn: the desktop program. It works in the current directory, which
// holds the sample files, the method lists, the parameter files and the
// exchange files.

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "DesktopStyle.h"
#include "Form1.h"
#include "Help.h"
#include "StartupFiles.h"
#include "TskVersion.h"

namespace {

const char* const kUsage =
    "Usage: toskarn [--show-and-quit]\n"
    "       toskarn --help | --version\n"
    "\n"
    "The desktop program of Toskarn. It works in the current directory, which\n"
    "holds the sample files (*.dat); missing method lists and parameter files\n"
    "are copied there from the installed data. F1 opens the user's guide.\n"
    "\n"
    "  --show-and-quit  show the main window, print \"toskarn: main window shown\"\n"
    "                   once it is on the screen, and end (checks an installation)\n"
    "  --help           print this text and end\n"
    "  --version        print the version and end\n";

}  // namespace

int main(int argc, char* argv[]) {
  // Own options are looked at before Qt starts, so --help works without a
  // display.
  bool showAndQuit = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("toskarn %s\n", tsk::kVersion);
      return 0;
    }
    if (std::strcmp(argv[i], "--show-and-quit") == 0) showAndQuit = true;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Toskarn"));
  // Only Exit or the main window's close box end the program; the main
  // window is hidden, not closed, while another window is in front.
  QApplication::setQuitOnLastWindowClosed(false);
  tsk::ui::installDesktopStyle();

  const QString workDir = QDir::currentPath();
  const tsk::ui::DeliveredCopy copy = tsk::ui::copyDeliveredFiles(
      tsk::ui::deliveredDataDir(QCoreApplication::applicationDirPath()), workDir);
  for (const QString& name : copy.failed) {
    std::fprintf(stderr, "toskarn: could not copy %s into %s\n", qPrintable(name),
                 qPrintable(QDir::toNativeSeparators(workDir)));
  }

  tsk::ui::installHelpKey(app);
  tsk::ui::Form1 mainWindow(workDir);
  mainWindow.show();
  if (showAndQuit) {
    // Queued behind the show, so the window has been laid out and exposed.
    QTimer::singleShot(0, &mainWindow, [&mainWindow] {
      if (!mainWindow.isVisible()) return QCoreApplication::exit(1);
      std::puts("toskarn: main window shown");
      std::fflush(stdout);
      QCoreApplication::exit(0);
    });
  }
  return QApplication::exec();
}
