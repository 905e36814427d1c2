// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form4.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>

#include "FormControls.h"
#include "GrowingLayout.h"
#include "PrintTarget.h"
#include "ScreenPlacement.h"
#include "Twips.h"

namespace tsk::ui {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kRememberedAs = QStringLiteral("results");

QString displayText(const QString& text) {
  QString shown = text;
  shown.replace(kCrLf, QStringLiteral("\n"));
  return shown;
}

}  // namespace

QStringList resultsPrintLines(const QString& text) {
  QString all = kCrLf + kCrLf + kCrLf + text;
  all.replace(kCrLf, QStringLiteral("\n"));
  QStringList lines = all.split(QLatin1Char('\n'));
  // The print line ends with a line end of its own, which closes the last
  // line rather than opening an empty one.
  if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

bool printResultsText(QPrinter& printer, const QString& text) {
  printer.setPageMargins(QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter);
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  QFont font(QStringLiteral("courier new"));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSize(10);
  painter.setFont(font);
  const QFontMetrics metrics(painter.font(), &printer);
  const int lineHeight = std::max(1, metrics.lineSpacing());
  const QRect page = painter.viewport();
  const int linesPerPage = std::max(1, page.height() / lineHeight);
  const QStringList lines = resultsPrintLines(text);
  int onPage = 0;
  for (const QString& line : lines) {
    if (onPage == linesPerPage) {
      if (!printer.newPage()) {
        painter.end();
        return false;
      }
      onPage = 0;
    }
    painter.drawText(0, onPage * lineHeight + metrics.ascent(), line);
    ++onPage;
  }
  const bool ended = painter.end();
  return ended && printer.printerState() != QPrinter::Error &&
         printer.printerState() != QPrinter::Aborted;
}

Form4::Form4(QWidget* opener, const QString& saveDirectory)
    : QWidget(nullptr), m_opener(opener), m_saveDir(saveDirectory) {
  setObjectName(QStringLiteral("Form4"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("TK 1.1 - Results"));
  // As first drawn; it may grow but never shrink below it.
  resize(twips(9600), twips(6600));

  m_text1 = new QPlainTextEdit(this);
  m_text1->setObjectName(QStringLiteral("Text1"));
  m_text1->setGeometry(twipsRect(120, 120, 9360, 5580));
  m_text1->setFont(fixedFont(9));
  // Read-only keeps the shown, printed and saved text equal to what the
  // engines wrote; selecting and copying still work.
  m_text1->setReadOnly(true);
  m_text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  m_text1->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  m_command1 = placeButton(this, "Command1", QStringLiteral("Print"),
                           QStringLiteral("Print the results"), 120, 5985, 1215, 420);
  m_command2 =
      placeButton(this, "Command2", QStringLiteral("Save"),
                  QStringLiteral("Save the results as a text file"), 1455, 5985, 1215, 420);

  // Both work from the numbers the engines wrote beside their reports.
  m_command4 = placeButton(this, "Command4", QStringLiteral("Save table..."),
                           QStringLiteral("Save the numbers as a CSV table, one row per sample "
                                          "and statistic"),
                           2790, 5985, 1455, 420);
  m_command5 = placeButton(this, "Command5", QStringLiteral("Copy methods text"),
                           QStringLiteral("Copy a paragraph for the Methods section of a paper"),
                           4365, 5985, 1935, 420);
  m_command4->setEnabled(false);
  m_command5->setEnabled(false);

  m_text2 = new QLineEdit(QStringLiteral("       Printing ..."), this);
  m_text2->setObjectName(QStringLiteral("Text2"));
  m_text2->setReadOnly(true);
  m_text2->setFocusPolicy(Qt::NoFocus);
  QFont bold(QStringLiteral("MS Sans Serif"));
  bold.setStyleHint(QFont::SansSerif);
  bold.setBold(true);
  m_text2->setFont(bold);
  m_text2->setGeometry(twipsRect(3120, 5985, 2640, 420));
  m_text2->hide();

  m_command3 = placeButton(this, "Command3", QStringLiteral("Close"),
                           QStringLiteral("Close this window"), 8265, 5985, 1215, 420);

  connect(m_command1, &QPushButton::clicked, this, &Form4::onPrint);
  connect(m_command2, &QPushButton::clicked, this, &Form4::onSave);
  connect(m_command3, &QPushButton::clicked, this, &Form4::close);
  connect(m_command4, &QPushButton::clicked, this, &Form4::onSaveTable);
  connect(m_command5, &QPushButton::clicked, this, &Form4::onCopyMethods);
  closeOnEscape(this);

  // The text takes all the room the window gains; Close keeps to the right.
  auto* growing = new GrowingLayout(this);
  growing->follow(m_text1, GrowingLayout::kWider | GrowingLayout::kTaller);
  for (QWidget* bottomLeft :
       std::initializer_list<QWidget*>{m_command1, m_command2, m_command4, m_command5, m_text2})
    growing->follow(bottomLeft, GrowingLayout::kDownward);
  growing->follow(m_command3, GrowingLayout::kDownward | GrowingLayout::kRightward);

  // Where the user last left it; the first time, where the analysis window is.
  restoreResizableWindow(this, kRememberedAs, Remembered::PlaceAndSize, opener);
}

Form4::~Form4() = default;

void Form4::setResultsText(const QString& text) {
  m_text = text;
  m_text1->setPlainText(displayText(m_text));
}

void Form4::appendResultsText(const QString& text) {
  m_text += text;
  m_text1->setPlainText(displayText(m_text));
}

void Form4::addTable(const NamedTable& table) {
  m_tables.append(table);
  m_command4->setEnabled(true);
  m_command5->setEnabled(true);
}

void Form4::closeEvent(QCloseEvent* event) {
  saveResizableWindow(this, kRememberedAs);
  if (m_opener) m_opener->show();
  event->accept();
}

void Form4::onPrint() {
  m_text2->show();
  repaint();
  const QString failure = printOnDefaultPrinter(
      [this](QPrinter& printer) { return printResultsText(printer, m_text); });
  m_text2->hide();
  repaint();
  if (failure.isEmpty()) return;
  offerPdfInstead(this, QStringLiteral("TK 1.0 - Print results"), failure,
                  QStringLiteral("the results"), QStringLiteral("Save results as PDF"),
                  QDir(m_saveDir).filePath(QStringLiteral("results.pdf")),
                  [this](const QString& path) {
                    QPrinter pdf(QPrinter::HighResolution);
                    pdf.setOutputFormat(QPrinter::PdfFormat);
                    pdf.setOutputFileName(path);
                    return printResultsText(pdf, m_text) && QFileInfo(path).isFile();
                  });
}

void Form4::onSave() {
  const QString suggested = QDir(m_saveDir).filePath(QStringLiteral("results.txt"));
  const QString path = chooseSavePath(this, QStringLiteral("Save results"), suggested,
                                      QStringLiteral("Text files (*.txt)"), QStringLiteral("txt"));
  if (path.isEmpty()) return;
  if (!writeTextFile(path)) {
    reportUnwritable(this, QStringLiteral("TK 1.0 - Save results"), path);
  }
}

void Form4::onSaveTable() {
  const QString suggested = QDir(m_saveDir).filePath(QStringLiteral("results.csv"));
  const QString path = chooseSavePath(this, QStringLiteral("Save table"), suggested,
                                      QStringLiteral("CSV tables (*.csv)"), QStringLiteral("csv"));
  if (path.isEmpty()) return;
  QSaveFile file(path);
  const QByteArray bytes = tableText(m_tables, TableFormat::Csv);
  const bool written =
      file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
  if (!written) reportUnwritable(this, QStringLiteral("TK 1.0 - Save table"), path);
}

void Form4::onCopyMethods() { QApplication::clipboard()->setText(methodsText(m_tables)); }

bool Form4::writeTextFile(const QString& path) {
  // The text is written as assembled, CR LF lines and 8-bit characters, so the
  // file matches the engines' reports byte for byte.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const QByteArray bytes = m_text.toLatin1();
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace tsk::ui
