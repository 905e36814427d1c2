// toskarn: the desktop program. It works in the current directory, which
// holds the sample files, the method lists, the parameter files and the
// exchange files.

#include <QApplication>
#include <QDir>
#include <cstdio>

#include "Form1.h"
#include "StartupFiles.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Toskarn"));
  // Only Exit or the main window's close box end the program; the main
  // window is hidden, not closed, while another window is in front.
  QApplication::setQuitOnLastWindowClosed(false);

  const QString workDir = QDir::currentPath();
  const tsk::ui::DeliveredCopy copy = tsk::ui::copyDeliveredFiles(
      tsk::ui::deliveredDataDir(QCoreApplication::applicationDirPath()), workDir);
  for (const QString& name : copy.failed) {
    std::fprintf(stderr, "toskarn: could not copy %s into %s\n", qPrintable(name),
                 qPrintable(QDir::toNativeSeparators(workDir)));
  }

  tsk::ui::Form1 mainWindow(workDir);
  mainWindow.show();
  return QApplication::exec();
}
