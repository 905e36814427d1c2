#pragma once
// The entry window: a new sample typed in row by row and saved under a new
// name in the working directory.

#include <QDir>
#include <QPointer>
#include <QString>
#include <QWidget>

class QCloseEvent;
class QLineEdit;

namespace tsk::ui {

class SampleRowEditor;

class Form2 : public QWidget {
  Q_OBJECT

 public:
  // Opens at the opener's position and shows the opener again whenever it
  // closes. The window deletes itself on close.
  explicit Form2(QWidget* opener, const QString& workingDirectory = QDir::currentPath());
  ~Form2() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void onSaveAndClose();

 private:
  QPointer<QWidget> m_opener;
  QString m_dir;
  SampleRowEditor* m_rows;

  QLineEdit* m_text1;  // file name
};

}  // namespace tsk::ui
