// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The save-as dialog of the edit window: asks a new file name and writes the
// edit window's sample under it.

#include <QString>
#include <QWidget>

#include "GroupSizeSample.h"

class QCloseEvent;
class QLineEdit;
class QPushButton;

namespace tsk::ui {

class Form8 : public QWidget {
  Q_OBJECT

 public:
  // `sample` is written under the name typed into the dialog, in
  // `workingDirectory`; `name` is the proposed name without ".dat". The
  // dialog deletes itself on close.
  Form8(QWidget* editWindow, const GroupSizeSample& sample, const QString& workingDirectory,
        const QString& name);
  ~Form8() override;

 signals:
  // Emitted once as the dialog closes: saved is true after a successful
  // write, false after Cancel or the close box.
  void finished(bool saved);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void onSave();

 private:
  GroupSizeSample m_sample;
  QString m_dir;
  bool m_saved = false;

  QLineEdit* m_text1;
  QPushButton* m_command5;
  QPushButton* m_command1;
};

}  // namespace tsk::ui
