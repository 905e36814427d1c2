// SPDX-License-Identifier: GPL-3.0-or-later
#include "StudyFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

#include "MessageBoxes.h"
#include "StartupFiles.h"

namespace tsk::ui {

namespace {

const QString kRecentKey = QStringLiteral("folders/recent");
const QString kTitle = QStringLiteral("TK 1.0 - Study folder");

QSettings settings() { return QSettings(QStringLiteral("Toskarn"), QStringLiteral("Toskarn")); }

FolderChooser& folderChooser() {
  static FolderChooser chooser;
  return chooser;
}

const QStringList kSamplePatterns{QStringLiteral("*.dat"), QStringLiteral("*.csv"),
                                  QStringLiteral("*.tsv")};

}  // namespace

QStringList recentStudyFolders() {
  QStringList folders;
  for (const QString& folder : settings().value(kRecentKey).toStringList())
    if (QFileInfo(folder).isDir()) folders.append(folder);
  return folders;
}

void rememberStudyFolder(const QString& folder) {
  const QString path = QDir(folder).absolutePath();
  QStringList folders = settings().value(kRecentKey).toStringList();
  folders.removeAll(path);
  folders.prepend(path);
  settings().setValue(kRecentKey, folders.mid(0, kMaxRecentFolders));
}

bool holdsSamples(const QString& folder) {
  return !QDir(folder).entryList(kSamplePatterns, QDir::Files).isEmpty();
}

QString startFolder(const QString& argument, const QString& current) {
  if (!argument.isEmpty()) return QDir(argument).absolutePath();
  if (holdsSamples(current) && QDir(current) != QDir::home()) return QDir(current).absolutePath();
  const QStringList recent = recentStudyFolders();
  return recent.isEmpty() ? QString() : recent.front();
}

void setFolderChooser(FolderChooser chooser) { folderChooser() = std::move(chooser); }

QString chooseFolder(QWidget* parent, const QString& start) {
  if (folderChooser()) return folderChooser()(parent, start);
  return QFileDialog::getExistingDirectory(parent, QStringLiteral("Open a study folder"), start);
}

void prepareStudyFolder(QWidget* parent, const QString& folder, const QString& dataDir) {
  const QDir target(folder);
  QStringList failed;
  const bool empty = target.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  if (empty && !QDir(dataDir).entryList(kSamplePatterns, QDir::Files).isEmpty() &&
      messageBoxes().ask(parent, kTitle,
                         QStringLiteral("   The folder %1 is empty.\r\n"
                                        "   Copy the example samples into it?")
                             .arg(QDir::toNativeSeparators(folder)))) {
    failed += copyDeliveredFiles(dataDir, folder, kSamplePatterns).failed;
  }
  failed += copyDeliveredFiles(dataDir, folder).failed;
  if (!failed.isEmpty())
    messageBoxes().inform(
        parent, kTitle,
        QStringLiteral("   Could not copy into %1:\r\n   %2")
            .arg(QDir::toNativeSeparators(folder), failed.join(QStringLiteral(", "))));
}

}  // namespace tsk::ui
