// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: names the program, shows the terms of use, the citation
// request and the acknowledgements, and opens the entry, edit and analysis
// windows, each of which brings it back when it closes.

#include <QDir>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QCloseEvent;
class QHideEvent;
class QLabel;
class QPushButton;
class QShowEvent;
class QToolButton;

namespace tsk::ui {

class Form1 : public QWidget {
  Q_OBJECT

 public:
  // `workingDirectory`, the study folder, holds the sample files and is
  // handed to the windows opened from here; empty when none is chosen yet
  // (New, Edit and Analyse then wait for one).
  explicit Form1(const QString& workingDirectory = QDir::currentPath());

  QString studyFolder() const { return m_dir; }
  // Works in `folder` from now on: makes it ready (prepareStudyFolder),
  // makes it the current folder and the most recent study folder.
  void openFolder(const QString& folder);
  // Asks the user for a study folder and opens it; nothing changes when the
  // user gives up.
  void askForFolder();
  ~Form1() override;

  // What Exit and the close box do: by default ends the application's event
  // loop at once, so nothing is saved or asked.
  void setExitAction(std::function<void()> action) { m_exit = std::move(action); }

  // The window opened last from here, while it exists.
  QWidget* openedWindow() const { return m_opened.data(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // The window comes back where it was when it was hidden (a window manager
  // may otherwise place a shown-again window anywhere), and the place is
  // kept for the next start of the program.
  void hideEvent(QHideEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private slots:
  void onNew();
  void onEdit();
  void onAnalyse();
  void onExit();

 private:
  void open(QWidget* window);
  // The folder in the title and the folder line; the study buttons only
  // with a folder.
  void showFolder();

  QString m_dir;
  QLabel* m_folderLabel;
  QToolButton* m_folderButton;
  QList<QPushButton*> m_studyButtons;
  QPointer<QWidget> m_opened;
  std::function<void()> m_exit;
  bool m_exiting = false;
  QPoint m_placeWhenHidden;
  bool m_hiddenOnce = false;
};

}  // namespace tsk::ui
