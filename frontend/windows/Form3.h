// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The analysis window: picks sample files and methods, runs the methods' engines
// one after another and hands their reports to a new results window (Form4).

#include <QDir>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>

#include "HistogramGeometry.h"
#include "SampleCheck.h"

class QCloseEvent;
class QLabel;
class QListWidget;
class QPushButton;

namespace tsk::ui {

class Form4;

class Form3 : public QWidget {
  Q_OBJECT

 public:
  // Opens at the opener's position and shows the opener again when it closes.
  // The window deletes itself on close (it is unloaded), so keep it in a
  // QPointer. `workingDirectory` holds the sample files, the method lists and
  // the exchange files; the program passes its current directory.
  explicit Form3(QWidget* opener, const QString& workingDirectory = QDir::currentPath());
  ~Form3() override;

  // Points the window at another directory and lists its sample files afresh
  // (clears the selection and the method list).
  void setWorkingDirectory(const QString& directory);
  QString workingDirectory() const { return m_dir; }

  // The selected sample files (names with ".dat"), in the list's order.
  QStringList selectedFileNames() const;

  // The results window of the last analysis while it is open, else nullptr.
  Form4* resultsWindow() const;

  // True while the engines of an analysis run (or it waits for another
  // analysis in the same folder to end).
  bool isRunning() const { return m_running; }

  // Engine name of method slot `slot` (1 to 10), as read from the method list.
  QString engineName(int slot) const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private slots:
  void onFileSelectionChanged();
  void onStartAnalysis();
  void onClose();
  void onDisplayHistogram();
  void onGroupSize();
  void onCrowding();
  void onStop();

 private:
  void fillFileList();
  void refreshFileList();
  void readMethodList(int selectedCount);
  void reportListProblem(const QString& text);
  void setRunning(bool running);
  void openHistogram(HistogramKind kind);
  // The files of `files` that every method of `methods` can take; the
  // others are named to the user under `title`.
  QStringList usableSamples(const QStringList& files, const QString& title,
                            const QList<MethodLimit>& methods = {});

  QPointer<QWidget> m_opener;
  QString m_dir;
  bool m_running = false;
  // Stop asked for the method that runs now; closing asked for the whole run.
  bool m_stopMethod = false;
  bool m_closeAsked = false;
  // Slot i (0-based here) belongs to the i-th entry of List1; slots beyond the
  // list keep older names and are never used.
  std::array<QString, 10> m_engines;
  QPointer<Form4> m_results;

  QLabel* m_label1;
  QLabel* m_label2;
  QListWidget* m_file1;
  QLabel* m_label4;
  QLabel* m_label3;
  QListWidget* m_list1;
  QLabel* m_label5;
  QPushButton* m_command1;
  QPushButton* m_command2;
  QPushButton* m_command3;
  QPushButton* m_command4;
  QPushButton* m_command5;
  QPushButton* m_command6;  // Stop, in Start analysis' place during a run
};

}  // namespace tsk::ui
