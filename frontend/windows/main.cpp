// SPDX-License-Identifier: GPL-3.0-or-later
// toskarn: the desktop program. It works in a study folder, which holds the
// sample files, the method lists, the parameter files and the exchange
// files.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "DesktopStyle.h"
#include "Form1.h"
#include "Help.h"
#include "StudyFolder.h"
#include "TskVersion.h"

namespace {

const char* const kUsage =
    "Usage: toskarn [--show-and-quit] [FOLDER]\n"
    "       toskarn --help | --version\n"
    "\n"
    "The desktop program of Toskarn. It works in a study folder, which holds\n"
    "the sample files (*.dat): FOLDER, else the current folder when it holds\n"
    "samples, else the last study folder; without one it asks. Missing method\n"
    "lists and parameter files are copied there from the installed data.\n"
    "F1 opens the user's guide.\n"
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
    if (std::strcmp(argv[i], "--show-and-quit") == 0) {
      showAndQuit = true;
    } else if (argv[i][0] == '-') {
      // Refused here, before Qt would need a display to take it.
      std::fprintf(stderr, "toskarn: unknown option %s\nTry 'toskarn --help'.\n", argv[i]);
      return 2;
    }
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Toskarn"));
  // Task bars and docks match the windows to the desktop entry by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral(TSK_DESKTOP_ID));
  QApplication::setWindowIcon(tsk::ui::programIcon());
  // Only Exit or the main window's close box end the program; the main
  // window is hidden, not closed, while another window is in front.
  QApplication::setQuitOnLastWindowClosed(false);
  tsk::ui::installDesktopStyle();

  QString argument;
  for (const QString& arg : app.arguments().mid(1))
    if (!arg.startsWith(u'-')) argument = arg;
  if (!argument.isEmpty() && !QFileInfo(argument).isDir()) {
    std::fprintf(stderr, "toskarn: %s is not a folder\n", qPrintable(argument));
    return 2;
  }
  const QString folder = tsk::ui::startFolder(argument, QDir::currentPath());

  tsk::ui::installHelpKey(app);
  tsk::ui::Form1 mainWindow(folder);
  mainWindow.show();
  // Once the window is up, so that questions have it as their parent.
  if (!folder.isEmpty())
    mainWindow.openFolder(folder);
  else if (!showAndQuit)
    QTimer::singleShot(0, &mainWindow, &tsk::ui::Form1::askForFolder);
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
