// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The entry window: a new sample typed in row by row and saved under a new
// name in the working directory.

#include <QDir>
#include <QPointer>
#include <QString>
#include <QWidget>

class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLineEdit;

namespace tsk {
struct SampleTableRead;
}

namespace tsk::ui {

class SampleRowEditor;

class Form2 : public QWidget {
  Q_OBJECT

 public:
  // Opens at the opener's position and shows the opener again whenever it
  // closes. The window deletes itself on close.
  explicit Form2(QWidget* opener, const QString& workingDirectory = QDir::currentPath());
  ~Form2() override;

  // Imports the table file at `path`: one sample fills the row list (and an
  // empty name box with its name); several go to the edit window, which
  // offers to save each; a faulty file changes nothing and is reported.
  void importFile(const QString& path);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private slots:
  void onSaveAndClose();
  void onImport();
  void onTablePasted(const QString& text);

 private:
  void takeTable(const SampleTableRead& table);
  bool saveRows();

  QPointer<QWidget> m_opener;
  QString m_dir;
  SampleRowEditor* m_rows;
  bool m_leaving = false;  // the rows are saved or knowingly dropped

  QLineEdit* m_text1;  // file name
};

}  // namespace tsk::ui
