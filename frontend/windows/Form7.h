// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The edit window: an existing sample file picked from the working
// directory, changed, saved in place, saved under another name (through the
// save-as dialog Form8) or deleted.

#include <QDir>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tsk {
struct NamedSample;
struct SampleTableRead;
}  // namespace tsk

namespace tsk::ui {

class Form8;
class SampleRowEditor;

class Form7 : public QWidget {
  Q_OBJECT

 public:
  // Opens at the opener's position and shows the opener again whenever it
  // closes. The window deletes itself on close.
  explicit Form7(QWidget* opener, const QString& workingDirectory = QDir::currentPath());
  ~Form7() override;

  // The picked file's name (with ".dat"), empty when none is picked.
  QString pickedFile() const { return m_picked; }
  // The save-as dialog while it is open, else nullptr.
  Form8* saveAsDialog() const;

  // Imports the table file at `path`: with a file loaded, one sample's rows
  // join the loaded ones; otherwise each sample is offered to be saved as
  // NAME.dat. A faulty file changes nothing and is reported.
  void importFile(const QString& path);
  // Offers to save each sample as NAME.dat, asking before any file is
  // replaced, and lists the files written.
  void offerToSave(const std::vector<NamedSample>& samples);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private slots:
  void onFileSelectionChanged();
  void onSave();
  void onSaveAs();
  void onDelete();
  void onSaveAsFinished(bool saved);
  void onImport();
  void onTablePasted(const QString& text);

 private:
  void fillFileList();
  void load(const QString& name);
  bool mayLeavePicked();
  void reset();
  void setBoxesEnabled(bool enabled);
  void takeTable(const SampleTableRead& table);

  QPointer<QWidget> m_opener;
  QString m_dir;
  QString m_picked;
  SampleRowEditor* m_rows;
  QPointer<Form8> m_saveAs;

  QListWidget* m_file1;
  QLineEdit* m_text6;  // size
  QLineEdit* m_text5;  // groups
  QLineEdit* m_text4;  // number of groups
  QLineEdit* m_text2;  // number of animals
  QPushButton* m_command1;
  QPushButton* m_command2;
  QPushButton* m_command4;
  QPushButton* m_command6;
  QPushButton* m_command3;
};

}  // namespace tsk::ui
