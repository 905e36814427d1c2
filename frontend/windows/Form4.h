// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The results window: shows, prints and saves the text that one analysis run
// assembled (the sample list followed by every engine report, CR LF lines).

#include <QDir>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "AnalysisTable.h"

class QCloseEvent;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;

namespace tsk::ui {

// The lines of the printout: three empty lines, then the text's lines (CR LF
// or LF ends), never wrapped; a final line end adds no empty line.
QStringList resultsPrintLines(const QString& text);

// Prints `text` in a 10-point fixed-pitch font, page after page. False when
// the job could not be started or the printer reported an error.
bool printResultsText(QPrinter& printer, const QString& text);

class Form4 : public QWidget {
  Q_OBJECT

 public:
  // Opens at the opener's position and shows the opener again when it closes.
  // Deletes itself on close: every analysis gets a new results window.
  // Files saved from here are offered in `saveDirectory` first.
  explicit Form4(QWidget* opener, const QString& saveDirectory = QDir::currentPath());
  ~Form4() override;

  // The results text exactly as assembled (CR LF line ends).
  QString resultsText() const { return m_text; }
  void setResultsText(const QString& text);
  void appendResultsText(const QString& text);
  // The numbers of one engine run, for Save table and Copy methods text.
  void addTable(const NamedTable& table);
  const QList<NamedTable>& tables() const { return m_tables; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void onPrint();
  void onSave();
  void onSaveTable();
  void onCopyMethods();

 private:
  bool writeTextFile(const QString& path);

  QPointer<QWidget> m_opener;
  QString m_saveDir;
  QString m_text;
  QList<NamedTable> m_tables;

  QPlainTextEdit* m_text1;
  QLineEdit* m_text2;
  QPushButton* m_command1;
  QPushButton* m_command2;
  QPushButton* m_command3;
  QPushButton* m_command4;
  QPushButton* m_command5;
};

}  // namespace tsk::ui
