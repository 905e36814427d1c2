#include "Form3.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "EngineLauncher.h"
#include "ExchangeWriter.h"
#include "Form4.h"
#include "FormControls.h"
#include "HistogramWindow.h"
#include "MessageBoxes.h"
#include "Twips.h"

namespace tsk::ui {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kTitle = QStringLiteral("TK 1.0 - Analyse data");
const QString kClosingLine = QString(79, QLatin1Char('_'));
constexpr int kMaxMethods = 10;
constexpr int kDescriptionWidth = 64;
constexpr int kEngineWidth = 8;

struct MethodList {
  QStringList descriptions;
  QStringList engines;  // columns 65 to 72, as written (may be short or empty)
  QString problem;      // a message for the user when the file cannot be used
};

// An engine is started by its bare name; anything that could name a folder
// or another program is refused before it reaches the launcher.
bool plainProgramName(const QString& name) {
  for (QChar c : name) {
    if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('_') &&
        c != QLatin1Char('-')) {
      return false;
    }
  }
  return true;
}

// Each line is one item: leading blanks skipped, so the columns count from
// its first character. A comma would end the item early and split the
// description from its engine name, so such a file is refused whole rather
// than offering methods that start the wrong program.
MethodList loadMethodList(const QString& path, const QString& name) {
  MethodList list;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    list.problem =
        QStringLiteral("   Cannot open the method list file ") + name + QStringLiteral(" !");
    return list;
  }
  const QList<QByteArray> lines = file.readAll().split('\n');
  int lineNumber = 0;
  for (QByteArray line : lines) {
    ++lineNumber;
    if (line.endsWith('\r')) line.chop(1);
    qsizetype start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    const QString item = QString::fromLatin1(line.mid(start));
    if (item.trimmed().isEmpty()) continue;  // a blank line holds no method
    const QString engine = item.mid(kDescriptionWidth, kEngineWidth);
    if (item.contains(QLatin1Char(',')) || !plainProgramName(engine.trimmed())) {
      list = MethodList();
      list.problem = QStringLiteral("   Line ") + QString::number(lineNumber) +
                     QStringLiteral(" of the method list file ") + name +
                     QStringLiteral(" is not valid !");
      return list;
    }
    if (list.descriptions.size() == kMaxMethods) {
      list = MethodList();
      list.problem = QStringLiteral("   The method list file ") + name +
                     QStringLiteral(" holds more than 10 methods !");
      return list;
    }
    list.descriptions.append(item.left(kDescriptionWidth));
    list.engines.append(engine);
  }
  return list;
}

// A failed method's block in the results text: the message as ERROR lines
// wrapped at word ends to the report width, then the closing line, so that
// it reads like the engines' own error reports.
QString failureBlock(const QString& message) {
  const QString first = QStringLiteral("     ERROR: ");
  const QString indent(first.size(), QLatin1Char(' '));
  QString block;
  QString line = first;
  bool lineHasWord = false;
  for (const QString& word : message.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    if (lineHasWord && line.size() + 1 + word.size() > kClosingLine.size()) {
      block += line + kCrLf;
      line = indent;
      lineHasWord = false;
    }
    if (lineHasWord) line += QLatin1Char(' ');
    line += word;
    lineHasWord = true;
  }
  return block + line + kCrLf + kClosingLine + kCrLf;
}

QString analysisKind(int selected) {
  switch (selected) {
    case 0:
      return QString();
    case 1:
      return QStringLiteral("Analysis of one sample");
    case 2:
      return QStringLiteral("Analysis of two samples");
    default:
      return QStringLiteral("Analysis of several samples");
  }
}

}  // namespace

Form3::Form3(QWidget* opener, const QString& workingDirectory)
    : QWidget(nullptr), m_opener(opener), m_dir(workingDirectory) {
  setObjectName(QStringLiteral("Form3"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("TK 1.1 - Analyse data"));
  setFixedSize(twips(8400), twips(6690));

  m_label1 = placeLabel(this, "Label1", QStringLiteral("Select data files for analysis"), 240, 120,
                        4200, 255);
  m_label2 = placeLabel(this, "Label2", QStringLiteral("For multiple selection use the Ctrl key"),
                        240, 375, 4200, 255);
  m_file1 = placeList(this, "File1", 240, 690, 3975, 2175, QAbstractItemView::ExtendedSelection);

  m_command3 = placeButton(this, "Command3", QStringLiteral("Display histogram"),
                           QStringLiteral("Show the histogram buttons"), 4680, 690, 1935, 375);
  m_command5 = placeButton(this, "Command5", QStringLiteral("Group size"),
                           QStringLiteral("Histogram of group size"), 4680, 1170, 1935, 375);
  m_command4 = placeButton(this, "Command4", QStringLiteral("Crowding"),
                           QStringLiteral("Histogram of crowding"), 4680, 1650, 1935, 375);
  m_command5->hide();
  m_command4->hide();

  m_label4 = placeLabel(this, "Label4", QString(), 240, 2985, 7920, 255);
  QFont bold = m_label4->font();
  bold.setBold(true);
  m_label4->setFont(bold);
  m_label3 =
      placeLabel(this, "Label3", QStringLiteral("Select analysis methods"), 240, 3270, 4200, 255);
  m_list1 = placeList(this, "List1", 240, 3570, 7920, 2415, QAbstractItemView::MultiSelection);

  m_label5 = placeLabel(this, "Label5", QString(), 240, 6165, 4200, 255);
  m_label5->hide();

  m_command1 = placeButton(this, "Command1", QStringLiteral("Start analysis"),
                           QStringLiteral("Run the selected methods"), 4560, 6105, 1695, 420);
  m_command2 = placeButton(this, "Command2", QStringLiteral("Close"),
                           QStringLiteral("Back to the main window"), 6465, 6105, 1695, 420);

  connect(m_file1, &QListWidget::itemSelectionChanged, this, &Form3::onFileSelectionChanged);
  connect(m_command1, &QPushButton::clicked, this, &Form3::onStartAnalysis);
  connect(m_command2, &QPushButton::clicked, this, &Form3::onClose);
  connect(m_command3, &QPushButton::clicked, this, &Form3::onDisplayHistogram);
  connect(m_command5, &QPushButton::clicked, this, &Form3::onGroupSize);
  connect(m_command4, &QPushButton::clicked, this, &Form3::onCrowding);

  if (opener) move(opener->pos());
  fillFileList();
}

Form3::~Form3() = default;

void Form3::setWorkingDirectory(const QString& directory) {
  m_dir = directory;
  fillFileList();
}

QStringList Form3::selectedFileNames() const {
  QStringList names;
  for (int row = 0; row < m_file1->count(); ++row) {
    if (m_file1->item(row)->isSelected()) names.append(m_file1->item(row)->text());
  }
  return names;
}

Form4* Form3::resultsWindow() const { return m_results.data(); }

QString Form3::engineName(int slot) const {
  if (slot < 1 || slot > kMaxMethods) return QString();
  return m_engines[static_cast<size_t>(slot - 1)];
}

void Form3::fillFileList() {
  listSampleFiles(m_file1, m_dir);
  onFileSelectionChanged();
}

void Form3::onFileSelectionChanged() {
  const int selected = static_cast<int>(selectedFileNames().size());
  m_label4->setText(analysisKind(selected));
  m_list1->clear();
  if (selected > 0) readMethodList(selected);
}

void Form3::readMethodList(int selectedCount) {
  const QString name = QStringLiteral("modsz%1.sys").arg(std::min(selectedCount, 3));
  const MethodList list = loadMethodList(QDir(m_dir).filePath(name), name);
  if (!list.problem.isEmpty()) {
    reportOnce(list.problem);
    return;
  }
  for (qsizetype i = 0; i < list.descriptions.size(); ++i) {
    m_list1->addItem(list.descriptions[i]);
    m_engines[static_cast<size_t>(i)] = list.engines[i];
  }
}

void Form3::reportOnce(const QString& text) {
  if (m_reportedListProblems.contains(text)) return;
  m_reportedListProblems.append(text);
  messageBoxes().inform(this, kTitle, text);
}

void Form3::onStartAnalysis() {
  if (m_running) return;
  m_command5->hide();
  m_command4->hide();

  QList<int> methods;
  for (int row = 0; row < m_list1->count(); ++row) {
    if (m_list1->item(row)->isSelected()) methods.append(row);
  }
  if (methods.isEmpty()) {
    messageBoxes().inform(
        this, kTitle,
        QStringLiteral("No data and/or no analysis method has been selected.") + kCrLf +
            QStringLiteral("  First select the data, and then the analysis methods!"));
    return;
  }

  const QStringList files = selectedFileNames();
  QString text = QStringLiteral("     Toskarn - version 1.0") + kCrLf + kCrLf +
                 QStringLiteral("Data selected for analysis");
  for (qsizetype s = 0; s < files.size(); ++s) {
    text += kCrLf + QStringLiteral("   Sample ") + QString::number(s + 1) + QStringLiteral(":  ") +
            files[s].left(files[s].size() - 4);
  }
  text += kCrLf + kClosingLine + kCrLf;

  // The engines must not run on a partial or older set of samples: a sample
  // that cannot be read stops the analysis before any engine starts.
  const ExchangeWrite written = writeExchangeData(m_dir, files);
  if (!written) {
    messageBoxes().inform(this, kTitle, written.error);
    return;
  }

  if (m_results) m_results->close();
  m_results = new Form4(this, m_dir);
  m_results->setResultsText(text);

  m_running = true;
  setEnabled(false);
  EngineRunOptions options;
  options.workDir = m_dir;
  options.processEvents = [] { QCoreApplication::processEvents(); };
  for (int row : methods) {
    const QString engine = m_engines[static_cast<size_t>(row)];
    m_label5->setText(QStringLiteral("  Running...  (") + engine + QStringLiteral(")"));
    m_label5->show();
    repaint();
    if (engine.trimmed().isEmpty()) {
      m_results->appendResultsText(
          failureBlock(QStringLiteral("the method list names no engine program for this method.")));
      continue;
    }
    const EngineRunResult result = RunEngine(engine, options);
    if (!m_results) break;  // the program is closing
    if (result.ok()) {
      m_results->appendResultsText(QString::fromLatin1(result.report));
    } else {
      // A failed method gets a block of its own, so the reports of the other
      // methods keep their places and the user sees which one failed.
      m_results->appendResultsText(failureBlock(result.message));
    }
  }
  setEnabled(true);
  m_label5->hide();
  m_running = false;
  if (!m_results) return;
  m_results->move(pos());
  m_results->show();
  hide();
}

void Form3::onClose() { close(); }

void Form3::closeEvent(QCloseEvent* event) {
  // Unloading during a run would pull the window from under the wait loop.
  if (m_running) {
    event->ignore();
    return;
  }
  if (m_opener) m_opener->show();
  event->accept();
}

void Form3::onDisplayHistogram() {
  m_command5->show();
  m_command4->show();
}

void Form3::onGroupSize() {
  m_command5->hide();
  m_command4->hide();
  HistogramWindow::openFromAnalysis(this, m_dir, selectedFileNames(), HistogramKind::GroupSize);
}

void Form3::onCrowding() {
  m_command5->hide();
  m_command4->hide();
  HistogramWindow::openFromAnalysis(this, m_dir, selectedFileNames(), HistogramKind::Crowding);
}

}  // namespace tsk::ui
