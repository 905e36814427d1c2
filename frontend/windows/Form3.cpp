// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form3.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QThread>
#include <QTimer>
#include <algorithm>

#include "EngineLauncher.h"
#include "ExchangeWriter.h"
#include "FolderLock.h"
#include "Form4.h"
#include "FormControls.h"
#include "GrowingLayout.h"
#include "HistogramWindow.h"
#include "MessageBoxes.h"
#include "SampleCheck.h"
#include "ScreenPlacement.h"
#include "SeedTime.h"
#include "Twips.h"

namespace tsk::ui {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kTitle = QStringLiteral("TK 1.0 - Analyse data");
const QString kGraphsTitle = QStringLiteral("TK 1.0 - Display graphs");
const QString kClosingLine = QString(79, QLatin1Char('_'));
constexpr int kMaxMethods = 10;
constexpr int kDescriptionWidth = 64;
constexpr int kEngineWidth = 8;
// Sample files the file list shows at the window's first size.
constexpr int kFileRows = 15;
const QString kRememberedAs = QStringLiteral("analysis");

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

// A failed method's block in the results text: the method's title as the
// engines head their reports, the message as ERROR lines wrapped at word
// ends to the report width, then the closing line, so that it reads like the
// engines' own error reports and says which method failed.
QString failureBlock(const QString& method, const QString& message,
                     const QString& first = QStringLiteral("     ERROR: ")) {
  const QString indent(first.size(), QLatin1Char(' '));
  QString block = QStringLiteral("  ") + kCrLf + method.trimmed() + kCrLf + kCrLf;
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
  resize(twips(8400), twips(6690));

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
  m_command6 =
      placeButton(this, "Command6", QStringLiteral("Stop"),
                  QStringLiteral("Stop the method that is running"), 4560, 6105, 1695, 420);
  m_command6->hide();

  connect(m_file1, &QListWidget::itemSelectionChanged, this, &Form3::onFileSelectionChanged);
  connect(m_command1, &QPushButton::clicked, this, &Form3::onStartAnalysis);
  connect(m_command2, &QPushButton::clicked, this, &Form3::onClose);
  connect(m_command3, &QPushButton::clicked, this, &Form3::onDisplayHistogram);
  connect(m_command5, &QPushButton::clicked, this, &Form3::onGroupSize);
  connect(m_command4, &QPushButton::clicked, this, &Form3::onCrowding);
  connect(m_command6, &QPushButton::clicked, this, &Form3::onStop);
  closeOnEscape(this);

  // The file list takes the height the window gains; the method list holds
  // at most 10 methods, which it shows at its first height.
  auto* growing = new GrowingLayout(this);
  growing->follow(m_file1, GrowingLayout::kWider | GrowingLayout::kTaller);
  for (QWidget* beside : {m_command3, m_command4, m_command5})
    growing->follow(beside, GrowingLayout::kRightward);
  for (QWidget* below : std::initializer_list<QWidget*>{m_label3, m_label5})
    growing->follow(below, GrowingLayout::kDownward);
  for (QWidget* below : std::initializer_list<QWidget*>{m_label4, m_list1})
    growing->follow(below, GrowingLayout::kDownward | GrowingLayout::kWider);
  for (QWidget* corner : {m_command1, m_command2, m_command6})
    growing->follow(corner, GrowingLayout::kDownward | GrowingLayout::kRightward);
  resize(width(),
         height() + std::max(0, listHeightForRows(m_file1, kFileRows) - m_file1->height()));
  restoreResizableWindow(this, kRememberedAs, Remembered::Size, opener);
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

// Files saved or deleted in another window while this one waited are
// listed when the user comes back; the selection stays where it can.
void Form3::refreshFileList() {
  if (m_running) return;
  const QStringList selected = selectedFileNames();
  const int scrolled = m_file1->verticalScrollBar()->value();
  listSampleFiles(m_file1, m_dir);
  {
    const QSignalBlocker block(m_file1);
    for (int row = 0; row < m_file1->count(); ++row) {
      if (selected.contains(m_file1->item(row)->text())) m_file1->item(row)->setSelected(true);
    }
  }
  m_file1->verticalScrollBar()->setValue(scrolled);
  if (selectedFileNames() != selected) onFileSelectionChanged();
}

void Form3::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) refreshFileList();
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
    reportListProblem(list.problem);
    return;
  }
  for (qsizetype i = 0; i < list.descriptions.size(); ++i) {
    m_list1->addItem(list.descriptions[i]);
    m_engines[static_cast<size_t>(i)] = list.engines[i];
  }
}

void Form3::reportListProblem(const QString& text) { messageBoxes().inform(this, kTitle, text); }

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

  QList<MethodLimit> limits;
  for (int row : methods) {
    if (auto limit = methodLimit(m_engines[static_cast<size_t>(row)], m_list1->item(row)->text()))
      limits.append(*limit);
  }
  const QStringList files = usableSamples(selectedFileNames(), kTitle, limits);
  if (files.isEmpty()) return;
  // Tables are read before the folder lock is taken: a large one takes a
  // while, and another analysis in this folder need not wait for that.
  const TableBlocks tables = readTableFiles(m_dir, files);
  if (!tables) {
    messageBoxes().inform(this, kTitle, tables.error);
    return;
  }
  // A table file gives one sample per column, each named by its heading.
  QStringList sampleNames;
  for (const SampleSource& sample : listSamples(files, tables)) sampleNames << sample.name;
  const QString text = resultsHeader(sampleNames);

  // One analysis at a time in a folder: another one (tskrun, or a second
  // copy of this program) would overwrite these samples and reports.
  setRunning(true);
  FolderLock lock(m_dir);
  const FolderLock::State locked = lock.lock(
      [this, &lock] {
        m_label5->setText(lock.waitingMessage());
        m_label5->show();
        repaint();
      },
      [this] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
        return !m_stopMethod && !m_closeAsked;
      });
  if (locked != FolderLock::State::Locked) {
    setRunning(false);
    if (locked != FolderLock::State::Busy) messageBoxes().inform(this, kTitle, lock.errorString());
    if (m_closeAsked) QTimer::singleShot(0, this, &QWidget::close);
    return;
  }

  // The engines must not run on a partial or older set of samples: a sample
  // that cannot be read stops the analysis before any engine starts.
  const ExchangeWrite written = writeExchangeData(m_dir, files, &tables);
  if (!written) {
    setRunning(false);
    messageBoxes().inform(this, kTitle, written.error);
    return;
  }

  if (m_results) m_results->close();
  m_results = new Form4(this, m_dir);
  m_results->setResultsText(text);

  EngineRunOptions options;
  options.workDir = m_dir;
  options.processEvents = [] { QCoreApplication::processEvents(); };
  options.stopRequested = [this] { return m_stopMethod || m_closeAsked; };
  for (int row : methods) {
    if (m_closeAsked) break;
    m_stopMethod = false;
    const QString engine = m_engines[static_cast<size_t>(row)];
    const QString title = m_list1->item(row)->text();
    m_label5->setText(QStringLiteral("  Running...  (") + engine + QStringLiteral(")"));
    m_label5->show();
    repaint();
    if (engine.trimmed().isEmpty()) {
      m_results->appendResultsText(failureBlock(
          title, QStringLiteral("the method list names no engine program for this method.")));
      continue;
    }
    options.seedTime = chooseSeedTime();
    const EngineRunResult result = RunEngine(engine, options);
    if (!m_results) break;  // the program is closing
    if (result.ok()) {
      m_results->appendResultsText(QString::fromLatin1(result.report));
      if (std::optional<AnalysisTable> table = readAnalysisTable(m_dir, engine, nullptr)) {
        if (table->seedTime.isEmpty() && usesRandomNumbers(engine))
          table->seedTime = options.seedTime;
        m_results->addTable({*table, sampleNames});
      }
      // Below the report, never inside it: the second this run was given
      // and the command that makes the same run again.
      if (usesRandomNumbers(engine) && isSeedTime(options.seedTime))
        m_results->appendResultsText(seedTimeLine(options.seedTime, engine, files) + kCrLf);
    } else if (result.outcome == EngineOutcome::Stopped) {
      m_results->appendResultsText(
          failureBlock(title,
                       QStringLiteral("Engine %1 was stopped by the user before it finished its "
                                      "report.")
                           .arg(result.engine),
                       QStringLiteral("     STOPPED: ")));
    } else {
      // A failed method gets a block of its own, so the reports of the other
      // methods keep their places and the user sees which one failed.
      m_results->appendResultsText(failureBlock(title, result.message));
    }
  }
  lock.unlock();
  setRunning(false);
  if (m_closeAsked) {
    // The user gave up the analysis: no results, and the window goes.
    if (m_results) m_results->close();
    QTimer::singleShot(0, this, &QWidget::close);
    return;
  }
  if (!m_results) return;
  // It has placed itself: where the user left the last one, or here.
  m_results->show();
  hide();
}

// During a run only Stop and the window's close box take input; the
// running label says what runs.
void Form3::setRunning(bool running) {
  m_running = running;
  if (running) {
    m_stopMethod = false;
    m_closeAsked = false;
  }
  for (QWidget* control : std::initializer_list<QWidget*>{m_file1, m_list1, m_command1, m_command2,
                                                          m_command3, m_command4, m_command5})
    control->setEnabled(!running);
  m_command1->setVisible(!running);
  m_command6->setVisible(running);
  if (!running) m_label5->hide();
}

void Form3::onStop() {
  if (m_running) m_stopMethod = true;
}

void Form3::onClose() { close(); }

void Form3::closeEvent(QCloseEvent* event) {
  // Unloading during a run would pull the window from under the wait loop:
  // the run is stopped first, and the window closes once it has ended.
  if (m_running) {
    event->ignore();
    if (!m_closeAsked && messageBoxes().ask(this, kTitle,
                                            QStringLiteral("  An analysis is running.") + kCrLf +
                                                QStringLiteral("  Stop it and close the window?")))
      m_closeAsked = true;
    return;
  }
  saveResizableWindow(this, kRememberedAs);
  if (m_opener) m_opener->show();
  event->accept();
}

void Form3::onDisplayHistogram() {
  m_command5->show();
  m_command4->show();
}

void Form3::onGroupSize() { openHistogram(HistogramKind::GroupSize); }

void Form3::onCrowding() { openHistogram(HistogramKind::Crowding); }

void Form3::openHistogram(HistogramKind kind) {
  m_command5->hide();
  m_command4->hide();
  // tskdat.tmp is written here too; not while another analysis uses it.
  FolderLock lock(m_dir);
  const FolderLock::State locked = lock.tryLock();
  if (locked != FolderLock::State::Locked) {
    messageBoxes().inform(this, kGraphsTitle,
                          locked == FolderLock::State::Busy
                              ? QStringLiteral("Another analysis is running in this folder; try "
                                               "again when it has finished.")
                              : lock.errorString());
    return;
  }
  const QStringList selected = selectedFileNames();
  const QStringList usable = usableSamples(selected, kGraphsTitle);
  if (usable.isEmpty() && !selected.isEmpty()) return;
  HistogramWindow::openFromAnalysis(this, m_dir, usable, kind);
}

// A damaged sample is named and left out here, rather than reaching an
// engine that can only say its input is invalid.
QStringList Form3::usableSamples(const QStringList& files, const QString& title,
                                 const QList<MethodLimit>& methods) {
  const SampleCheck check = checkSampleFiles(m_dir, files, methods);
  if (!check.message.isEmpty()) messageBoxes().inform(this, title, check.message);
  return check.usable;
}

}  // namespace tsk::ui
