// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis window driven through its controls: method lists chosen by the
// number of selected files, the method list layout and its failures, and whole
// analyses run through real engine programs in a temporary directory.

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "FolderLock.h"
#include "Form3.h"
#include "Form4.h"
#include "WindowTestSupport.h"

using tsk::test::binDir;
using tsk::test::control;
using tsk::test::crlf;
using tsk::test::methodLine;
using tsk::test::RecordingBoxes;
using tsk::test::WorkingDir;
using tsk::ui::Form3;
using tsk::ui::Form4;

namespace {

const QString kClosing = QString(79, QLatin1Char('_'));
const QString kNoMethod = QStringLiteral(
    "No data and/or no analysis method has been selected.\r\n"
    "  First select the data, and then the analysis methods!");

// Sample files as the entry window writes them.
const QByteArray kFlock = crlf({"      5", "     11", " 1 ", " 1 ", " 1 ", " 4 ", " 4 "});
const QByteArray kHerd = crlf({"      2", "      6", " 2 ", " 4 "});

// Puts a built program into the working directory under `name`, where the
// launcher looks first.
bool installProgram(const WorkingDir& wd, const QString& built, const QString& name) {
  return QFile::copy(QDir(binDir()).filePath(built), wd.filePath(name));
}

QByteArray lines(const QList<QByteArray>& rows) {
  QByteArray text;
  for (const QByteArray& row : rows) text += row + "\r\n";
  return text;
}

void clickRow(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const QRect rect = list->visualItemRect(list->item(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

// Selects exactly `rows` of File1 with a click and Ctrl-clicks.
void selectFiles(Form3* form, const QList<int>& rows) {
  auto* file1 = control<QListWidget>(form, "File1");
  for (int i = 0; i < rows.size(); ++i)
    clickRow(file1, rows[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
}

QStringList listTexts(const QListWidget* list) {
  QStringList texts;
  for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
  return texts;
}

QString labelText(const Form3* form, const char* name) {
  return control<QLabel>(form, name)->text();
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// The header and sample list that open every results text.
QString resultsHead(const QStringList& samples) {
  QString text = QStringLiteral("     Toskarn - version 1.0\r\n\r\nData selected for analysis");
  for (int s = 0; s < samples.size(); ++s)
    text += QStringLiteral("\r\n   Sample %1:  %2").arg(s + 1).arg(samples[s]);
  return text + QStringLiteral("\r\n") + kClosing + QStringLiteral("\r\n");
}

// A failed method's block: the method's title as the engines head their
// reports, its ERROR lines, then the closing line.
QString failureBlock(const QString& method, const QStringList& lines) {
  return QStringLiteral("  \r\n") + method + QStringLiteral("\r\n\r\n") +
         lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n") + kClosing +
         QStringLiteral("\r\n");
}

}  // namespace

class TestForm3 : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_boxes = std::make_unique<RecordingBoxes>();
    m_wd = std::make_unique<WorkingDir>();
    QVERIFY(m_wd->isValid());
    m_opener = std::make_unique<QWidget>();
    m_opener->move(131, 77);
    m_opener->show();
  }
  void cleanup() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<Form3*>(w) || qobject_cast<Form4*>(w)) delete w;
    m_opener.reset();
    m_wd.reset();
    m_boxes.reset();
  }

  void opensAtOpenerAndClosesBackToIt() {
    QPointer<Form3> form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    m_opener->hide();
    QCOMPARE(form->windowTitle(), QStringLiteral("TK 1.1 - Analyse data"));
    QCOMPARE(form->pos(), QPoint(131, 77));
    QVERIFY(!control<QLabel>(form, "Label5")->isVisible());
    QVERIFY(!control<QPushButton>(form, "Command4")->isVisible());
    QVERIFY(!control<QPushButton>(form, "Command5")->isVisible());
    QTest::mouseClick(control<QPushButton>(form, "Command2"), Qt::LeftButton);
    flushDeletes();
    QVERIFY(form.isNull());
    QVERIFY(m_opener->isVisible());
  }

  // File1 lists the *.dat files alphabetically; the number selected picks the
  // method list and the analysis kind.
  void methodListFollowsSelection_data() {
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("listFile");
    QTest::newRow("one") << QList<int>{2} << "Analysis of one sample"
                         << "modsz1.sys";
    QTest::newRow("two") << QList<int>{4, 0} << "Analysis of two samples"
                         << "modsz2.sys";
    QTest::newRow("five") << QList<int>{0, 1, 2, 3, 4} << "Analysis of several samples"
                          << "modsz3.sys";
  }
  void methodListFollowsSelection() {
    QFETCH(QList<int>, rows);
    QFETCH(QString, kind);
    QFETCH(QString, listFile);
    const QDir data(qEnvironmentVariable("TSK_DATA_DIR"));
    for (const char* name : {"modsz1.sys", "modsz2.sys", "modsz3.sys"})
      QVERIFY(QFile::copy(data.filePath(QLatin1String(name)), m_wd->filePath(QLatin1String(name))));
    for (const char* name : {"Lake.dat", "bay.dat", "cove.dat", "delta.dat", "estuary.dat"})
      m_wd->write(QLatin1String(name), kFlock);
    m_wd->write(QStringLiteral("notes.txt"), "x\r\n");

    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    auto* file1 = control<QListWidget>(form, "File1");
    QCOMPARE(listTexts(file1),
             (QStringList{"bay.dat", "cove.dat", "delta.dat", "estuary.dat", "Lake.dat"}));
    QCOMPARE(labelText(form, "Label4"), QString());

    selectFiles(form, rows);
    QCOMPARE(labelText(form, "Label4"), kind);
    // Expected entries: the delivered file itself, cut at column 64 and 72.
    const QList<QByteArray> fileLines = m_wd->read(listFile).split('\n');
    QStringList descriptions;
    QStringList engines;
    for (QByteArray line : fileLines) {
      line = line.trimmed();
      if (line.isEmpty()) continue;
      QCOMPARE(line.size(), 72);
      descriptions << QString::fromLatin1(line.left(64));
      engines << QString::fromLatin1(line.mid(64));
    }
    auto* list1 = control<QListWidget>(form, "List1");
    QCOMPARE(listTexts(list1), descriptions);
    for (int i = 0; i < engines.size(); ++i) QCOMPARE(form->engineName(i + 1), engines[i]);
    QCOMPARE(form->engineName(1), QStringLiteral("gssummar"));
    QVERIFY(m_boxes->boxes().isEmpty());

    // Deselecting every file empties both.
    for (int row : rows) clickRow(file1, row, Qt::ControlModifier);
    QCOMPARE(labelText(form, "Label4"), QString());
    QCOMPARE(list1->count(), 0);
  }

  // The save-as dialog lets a sample have the empty name, stored as ".dat":
  // the analysis window lists it beside the others and analyses it under
  // that empty name.
  void emptyNamedSampleIsAnalysed() {
    QVERIFY(installProgram(*m_wd, "tskwfake", "tskecho1"));
    m_wd->write(QStringLiteral("modsz1.sys"), lines({methodLine("Echo", "tskecho1")}));
    m_wd->write(QStringLiteral(".dat"), kHerd);
    m_wd->write(QStringLiteral("flock.dat"), kFlock);
    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    QCOMPARE(listTexts(control<QListWidget>(form, "File1")), (QStringList{".dat", "flock.dat"}));
    selectFiles(form, {0});
    clickRow(control<QListWidget>(form, "List1"), 0);
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
    QVERIFY(form->resultsWindow());
    QCOMPARE(form->resultsWindow()->resultsText(),
             resultsHead({""}) + "  Report of tskecho1\r\n" + kClosing + "\r\n");
    QCOMPARE(m_wd->read(QStringLiteral("tskdat.tmp")), crlf({"2", "6", "2", "4", " "}));
    QVERIFY(m_boxes->boxes().isEmpty());
  }

  // Columns count from the first non-blank character of a line; a short line
  // gives a short description and no engine; broken files offer nothing and
  // say why, once per window.
  void methodListLayout_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("descriptions");
    QTest::addColumn<QStringList>("engines");
    QTest::addColumn<QString>("message");
    const QByteArray full = methodLine("Mean group size: bootstrap limits", "gsmeanci");
    QTest::newRow("exact columns") << lines({full, "Short one"})
                                   << QStringList{QString::fromLatin1(full.left(64)), "Short one"}
                                   << QStringList{"gsmeanci", ""} << QString();
    QTest::newRow("leading blanks, LF ends, no final end")
        << ("   " + methodLine("Median limits", "gsmidlim") + "\n" +
            methodLine("Summary", "gssummar"))
        << QStringList{QString::fromLatin1(methodLine("Median limits", "").left(64)),
                       QString::fromLatin1(methodLine("Summary", "").left(64))}
        << QStringList{"gsmidlim", "gssummar"} << QString();
    QList<QByteArray> ten;
    for (int i = 0; i < 10; ++i) ten << methodLine("Method", "gssummar");
    QTest::newRow("ten lines") << lines(ten)
                               << QStringList(ten.size(),
                                              QString(methodLine("Method", "").left(64)))
                               << QStringList(10, "gssummar") << QString();
    QTest::newRow("eleven lines")
        << lines(ten + QList<QByteArray>{methodLine("Extra", "gssummar")}) << QStringList()
        << QStringList() << "   The method list file modsz1.sys holds more than 10 methods !";
    QTest::newRow("comma") << lines({full, methodLine("Mean, median", "gssummar")}) << QStringList()
                           << QStringList()
                           << "   Line 2 of the method list file modsz1.sys is not valid !";
    QTest::newRow("engine with a folder")
        << lines({methodLine("Anything", "../x/sh")}) << QStringList() << QStringList()
        << "   Line 1 of the method list file modsz1.sys is not valid !";
  }
  void methodListLayout() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, descriptions);
    QFETCH(QStringList, engines);
    QFETCH(QString, message);
    m_wd->write(QStringLiteral("modsz1.sys"), content);
    m_wd->write(QStringLiteral("a.dat"), kFlock);
    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    selectFiles(form, {0});
    QCOMPARE(listTexts(control<QListWidget>(form, "List1")), descriptions);
    for (int i = 0; i < engines.size(); ++i) QCOMPARE(form->engineName(i + 1), engines[i]);
    QCOMPARE(m_boxes->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty())
      QCOMPARE(m_boxes->boxes()[0].title, QStringLiteral("TK 1.0 - Analyse data"));
  }

  // Reported every time the list is needed, so that a user who missed the
  // first message is told again rather than left with an empty list.
  void missingMethodListIsReportedEveryTime() {
    m_wd->write(QStringLiteral("a.dat"), kFlock);
    m_wd->write(QStringLiteral("b.dat"), kHerd);
    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    auto* file1 = control<QListWidget>(form, "File1");
    selectFiles(form, {0});
    clickRow(file1, 1, Qt::ControlModifier);
    clickRow(file1, 1, Qt::ControlModifier);
    clickRow(file1, 0);
    QCOMPARE(m_boxes->texts(), (QStringList{"   Cannot open the method list file modsz1.sys !",
                                            "   Cannot open the method list file modsz2.sys !",
                                            "   Cannot open the method list file modsz1.sys !"}));
    QCOMPARE(control<QListWidget>(form, "List1")->count(), 0);
    // The window stays usable: the list appears once the file is there.
    m_wd->write(QStringLiteral("modsz1.sys"), lines({methodLine("Summary", "gssummar")}));
    clickRow(file1, 1);
    QCOMPARE(control<QListWidget>(form, "List1")->count(), 1);
  }

  // Without a selected method (also without a selected file) nothing is
  // written and nothing runs.
  void startWithoutMethod() {
    m_wd->write(QStringLiteral("modsz1.sys"), lines({methodLine("Summary", "gssummar")}));
    m_wd->write(QStringLiteral("a.dat"), kFlock);
    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    QTest::mouseClick(control<QPushButton>(form, "Command3"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
    selectFiles(form, {0});
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
    QCOMPARE(m_boxes->boxes().size(), 2);
    for (const auto& box : m_boxes->boxes()) {
      QCOMPARE(box.title, QStringLiteral("TK 1.0 - Analyse data"));
      QCOMPARE(box.text, kNoMethod);
    }
    QVERIFY(!m_wd->exists(QStringLiteral("tskdat.tmp")));
    QVERIFY(!m_wd->exists(QStringLiteral("tskstat.tmp")));
    QVERIFY(form->resultsWindow() == nullptr);
    QVERIFY(form->isVisible());
    QVERIFY(!control<QPushButton>(form, "Command4")->isVisible());
  }

  // The whole road: two methods selected bottom first run top first; the
  // window is disabled with its running label while the engines run; the
  // results text is the head, the sample list and the reports unchanged.
  void wholeAnalysis() {
    QVERIFY(installProgram(*m_wd, "gssummar", "gssummar"));
    QVERIFY(installProgram(*m_wd, "tskwfake", "tskecho1"));
    m_wd->write(QStringLiteral("modsz1.sys"), lines({methodLine("Summary", "gssummar")}));
    m_wd->write(
        QStringLiteral("modsz2.sys"),
        lines({methodLine("Echo", "tskecho1"), methodLine("Descriptive statistics", "gssummar")}));
    m_wd->write(QStringLiteral("flock.dat"), kFlock);
    m_wd->write(QStringLiteral("herd.dat"), kHerd);
    m_wd->write(QStringLiteral("tskres.tmp"), "an older and much longer report\r\n");
    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->move(40, 30);
    form->show();
    selectFiles(form, {1, 0});
    auto* list1 = control<QListWidget>(form, "List1");
    clickRow(list1, 1);
    clickRow(list1, 0);

    // Watches the window while the engines run, and tries to close it once
    // (answering No: the run goes on).
    QStringList captions;
    bool enabledDuringRun = false;
    bool stopShown = true;
    bool readable = true;
    bool closeTried = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, form, [&] {
      if (!form->isRunning()) return;
      for (const char* name : {"File1", "List1", "Command1", "Command2", "Command3"})
        enabledDuringRun = enabledDuringRun || control<QWidget>(form, name)->isEnabled();
      stopShown = stopShown && control<QPushButton>(form, "Command6")->isVisible() &&
                  control<QPushButton>(form, "Command6")->isEnabled();
      auto* label5 = control<QLabel>(form, "Label5");
      if (label5->isVisible() && (captions.isEmpty() || captions.last() != label5->text()))
        captions << label5->text();
      // The running text is drawn enabled and whole while the controls are off.
      readable = readable && (!label5->isVisible() ||
                              (label5->isEnabled() && label5->fontMetrics().horizontalAdvance(
                                                          label5->text()) <= label5->width()));
      if (!closeTried) {
        closeTried = true;
        m_boxes->answerNext(false);
        form->close();
      }
    });
    watch.start(0);
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
    watch.stop();

    QCOMPARE(captions, (QStringList{"  Running...  (tskecho1)", "  Running...  (gssummar)"}));
    QVERIFY(!enabledDuringRun);
    QVERIFY(readable);
    QVERIFY(stopShown);
    QVERIFY(!control<QPushButton>(form, "Command6")->isVisible());
    QCOMPARE(m_boxes->texts(),
             QStringList{"  An analysis is running.\r\n  Stop it and close the window?"});
    m_boxes->clear();
    // The tskdat.tmp blocks: every item of each file on its own line.
    QCOMPARE(m_wd->read(QStringLiteral("tskdat.tmp")),
             crlf({"5", "11", "1", "1", "1", "4", "4", " ", "2", "6", "2", "4", " "}));

    Form4* results = form->resultsWindow();
    QVERIFY(results);
    QVERIFY(results->isVisible());
    QVERIFY(!form->isVisible());
    QVERIFY(form->isEnabled());
    QVERIFY(!control<QLabel>(form, "Label5")->isVisible());
    QCOMPARE(results->pos(), QPoint(40, 30));
    // gssummar's lines: its worked example (5 groups, 11 animals, mean 2.20,
    // crowding 35/11 = 3.18) and the sample 2, 4 (crowding 20/6 = 3.33).
    const QString expected =
        resultsHead({"flock", "herd"}) + "  Report of tskecho1\r\n" + kClosing + "\r\n" +
        "  \r\nDescriptive statistics\r\n\r\n"
        "                   Number of          Mean    Median        Mean    Median\r\n"
        "                Groups  Animals         Group size             Crowding\r\n"
        "   Sample  1:       5       11        2.20      1.00        3.18      4.00\r\n"
        "   Sample  2:       2        6        3.00      3.00        3.33      4.00\r\n" +
        kClosing + "\r\n";
    QCOMPARE(results->resultsText(), expected);
    QCOMPARE(control<QPlainTextEdit>(results, "Text1")->toPlainText(),
             QString(expected).replace("\r\n", "\n"));

    // Closing the results brings the analysis window back with its
    // selections; a new run gets a new window with only the new text.
    QPointer<Form4> first = results;
    QTest::mouseClick(control<QPushButton>(results, "Command3"), Qt::LeftButton);
    flushDeletes();
    QVERIFY(first.isNull());
    QVERIFY(form->isVisible());
    QCOMPARE(form->selectedFileNames(), (QStringList{"flock.dat", "herd.dat"}));
    clickRow(list1, 1);
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
    QVERIFY(form->resultsWindow());
    QCOMPARE(form->resultsWindow()->resultsText(),
             resultsHead({"flock", "herd"}) + "  Report of tskecho1\r\n" + kClosing + "\r\n");
    QVERIFY(m_boxes->boxes().isEmpty());
  }

  // Engines that end without "finished", cannot be found or are not named
  // are reported in their place; the remaining methods still run, no stale
  // report is shown, and the window stays usable.
  void failedEnginesAreReported() {
    QVERIFY(installProgram(*m_wd, "tskwfake", "tsknofin"));
    QVERIFY(installProgram(*m_wd, "tskwfake", "tskcrash"));
    QVERIFY(installProgram(*m_wd, "tskwfake", "tskecho2"));
    m_wd->write(QStringLiteral("modsz1.sys"),
                lines({methodLine("Stops early", "tsknofin"), methodLine("Crashes", "tskcrash"),
                       methodLine("Not there", "gsabsent"), "No engine named",
                       methodLine("Works", "tskecho2")}));
    m_wd->write(QStringLiteral("one.dat"), kHerd);
    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    selectFiles(form, {0});
    auto* list1 = control<QListWidget>(form, "List1");
    for (int row = 0; row < list1->count(); ++row) clickRow(list1, row);
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);

    Form4* results = form->resultsWindow();
    QVERIFY(results);
    const QString expected =
        resultsHead({"one"}) +
        // The launcher's messages, wrapped at word ends to 79 columns (the
        // first line is exactly 79 long).
        failureBlock("Stops early",
                     {"     ERROR: Engine tsknofin ended without finishing its report (exit "
                      "status 3)."}) +
        failureBlock("Crashes",
                     {"     ERROR: Engine tskcrash ended abnormally (it crashed) without "
                      "finishing its",
                      "            report."}) +
        failureBlock("Not there",
                     {"     ERROR: Engine gsabsent not found: it is neither in the working "
                      "directory,",
                      "            nor beside this program, nor on the search path."}) +
        failureBlock("No engine named",
                     {"     ERROR: the method list names no engine program for this method."}) +
        "  Report of tskecho2\r\n" + kClosing + "\r\n";
    QCOMPARE(results->resultsText(), expected);
    QVERIFY(!results->resultsText().contains("partial report"));
    QVERIFY(form->isEnabled());
    QVERIFY(!form->isRunning());
    QVERIFY(m_boxes->boxes().isEmpty());
  }

  // Stop ends the method that runs; it is shown as stopped and the next
  // method still runs.
  void stopGoesOnToTheNextMethod() {
    QVERIFY(installProgram(*m_wd, "tskwfake", "tskhang1"));
    QVERIFY(installProgram(*m_wd, "tskwfake", "tskecho3"));
    m_wd->write(QStringLiteral("modsz1.sys"),
                lines({methodLine("Never ends", "tskhang1"), methodLine("Works", "tskecho3")}));
    m_wd->write(QStringLiteral("one.dat"), kHerd);
    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    selectFiles(form, {0});
    auto* list1 = control<QListWidget>(form, "List1");
    clickRow(list1, 0);
    clickRow(list1, 1);
    QTimer stop;
    connect(&stop, &QTimer::timeout, form, [&] {
      if (labelText(form, "Label5") == QStringLiteral("  Running...  (tskhang1)"))
        QTest::mouseClick(control<QPushButton>(form, "Command6"), Qt::LeftButton);
    });
    stop.start(50);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
    stop.stop();
    QVERIFY(clock.elapsed() < 30000);
    Form4* results = form->resultsWindow();
    QVERIFY(results);
    QCOMPARE(results->resultsText(),
             resultsHead({"one"}) +
                 failureBlock("Never ends",
                              {"     STOPPED: Engine tskhang1 was stopped by the user before it "
                               "finished its",
                               "              report."}) +
                 "  Report of tskecho3\r\n" + kClosing + "\r\n");
    QVERIFY(!results->resultsText().contains("partial report"));
    QVERIFY(!form->isRunning());
    QVERIFY(m_boxes->boxes().isEmpty());
  }

  // Closing during a run asks; Yes stops the run and closes the window, with
  // no results.
  void closingDuringARunStopsIt() {
    QVERIFY(installProgram(*m_wd, "tskwfake", "tskhang2"));
    QVERIFY(installProgram(*m_wd, "tskwfake", "tskecho4"));
    m_wd->write(QStringLiteral("modsz1.sys"),
                lines({methodLine("Never ends", "tskhang2"), methodLine("Works", "tskecho4")}));
    m_wd->write(QStringLiteral("one.dat"), kHerd);
    m_opener->hide();
    QPointer<Form3> form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    selectFiles(form, {0});
    auto* list1 = control<QListWidget>(form, "List1");
    clickRow(list1, 0);
    clickRow(list1, 1);
    m_boxes->answerNext(true);
    QTimer::singleShot(300, form, [&] { form->close(); });
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
    QTRY_VERIFY(form.isNull());
    QVERIFY(m_opener->isVisible());
    QCOMPARE(m_boxes->texts(),
             QStringList{"  An analysis is running.\r\n  Stop it and close the window?"});
    // The second method never ran.
    QVERIFY(m_wd->read(QStringLiteral("tskstat.tmp")).contains("tskhang2"));
    for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY(!qobject_cast<Form4*>(w));
  }

  // Another analysis in the folder: the window waits and says so, and runs
  // once the folder is free.
  void waitsForAnotherAnalysis() {
    QVERIFY(installProgram(*m_wd, "tskwfake", "tskecho5"));
    m_wd->write(QStringLiteral("modsz1.sys"), lines({methodLine("Works", "tskecho5")}));
    m_wd->write(QStringLiteral("one.dat"), kHerd);
    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    selectFiles(form, {0});
    clickRow(control<QListWidget>(form, "List1"), 0);
    auto other = std::make_unique<tsk::FolderLock>(m_wd->path());
    QCOMPARE(other->tryLock(), tsk::FolderLock::State::Locked);
    QString seen;
    QTimer watch;
    connect(&watch, &QTimer::timeout, form, [&] {
      if (seen.isEmpty() && control<QLabel>(form, "Label5")->isVisible()) {
        seen = labelText(form, "Label5");
        other.reset();  // the other analysis ends
      }
    });
    watch.start(20);
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
    watch.stop();
    QCOMPARE(seen, QStringLiteral("waiting for another analysis in this folder"));
    QVERIFY(form->resultsWindow());
    QCOMPARE(form->resultsWindow()->resultsText(),
             resultsHead({"one"}) + "  Report of tskecho5\r\n" + kClosing + "\r\n");
  }

  // The histogram buttons write tskdat.tmp too: never through a link, and
  // not while another analysis uses the folder.
  void histogramButtonsGuardTheExchangeFile() {
    m_wd->write(QStringLiteral("modsz1.sys"), lines({methodLine("Summary", "gssummar")}));
    m_wd->write(QStringLiteral("one.dat"), kHerd);
    QTemporaryDir elsewhere;
    const QString target = QDir(elsewhere.path()).filePath(QStringLiteral("profile"));
    {
      QFile file(target);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("keep\n");
    }
    QVERIFY(QFile::link(target, m_wd->filePath(QStringLiteral("tskdat.tmp"))));
    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    selectFiles(form, {0});
    QTest::mouseClick(control<QPushButton>(form, "Command3"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(form, "Command5"), Qt::LeftButton);
    QCOMPARE(m_boxes->texts(),
             QStringList{"File tskdat.tmp is a symbolic link: it is not written, because that "
                         "would change the file it points to. Remove the link and try again."});
    QCOMPARE(m_boxes->boxes()[0].title, QStringLiteral("TK 1.0 - Display graphs"));
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep\n"));
    QVERIFY(form->isVisible());

    m_boxes->clear();
    QVERIFY(QFile::remove(m_wd->filePath(QStringLiteral("tskdat.tmp"))));
    tsk::FolderLock other(m_wd->path());
    QCOMPARE(other.tryLock(), tsk::FolderLock::State::Locked);
    QTest::mouseClick(control<QPushButton>(form, "Command3"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(form, "Command4"), Qt::LeftButton);
    QCOMPARE(m_boxes->texts(),
             QStringList{"Another analysis is running in this folder; try again when it has "
                         "finished."});
    QVERIFY(!m_wd->exists(QStringLiteral("tskdat.tmp")));
  }

  // Coming back to the window lists files saved or deleted elsewhere in the
  // meantime; the selection and method list stay while the selected files
  // do, and a vanished selected file takes its selection with it.
  void fileListRefreshesOnReturn() {
    for (const char* list : {"modsz1.sys", "modsz2.sys"})
      m_wd->write(QString::fromLatin1(list), lines({methodLine("Summary", "gssummar")}));
    m_wd->write(QStringLiteral("b.dat"), kHerd);
    m_wd->write(QStringLiteral("d.dat"), kHerd);
    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form));
    selectFiles(form, {0});
    auto* list1 = control<QListWidget>(form, "List1");
    clickRow(list1, 0);
    const auto comeBack = [&] {
      m_opener->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(m_opener.get()));
      form->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(form));
    };

    m_wd->write(QStringLiteral("a.dat"), kHerd);
    m_wd->write(QStringLiteral("c.dat"), kHerd);
    comeBack();
    auto* file1 = control<QListWidget>(form, "File1");
    QCOMPARE(listTexts(file1), (QStringList{"a.dat", "b.dat", "c.dat", "d.dat"}));
    QCOMPARE(form->selectedFileNames(), QStringList{"b.dat"});
    QCOMPARE(list1->selectedItems().size(), 1);

    QVERIFY(QFile::remove(m_wd->filePath(QStringLiteral("b.dat"))));
    comeBack();
    QCOMPARE(listTexts(file1), (QStringList{"a.dat", "c.dat", "d.dat"}));
    QVERIFY(form->selectedFileNames().isEmpty());
    QCOMPARE(list1->count(), 0);
    QVERIFY(m_boxes->boxes().isEmpty());
  }

  // The names of the results header's sample list stay in one column, the
  // numbers right-aligned, however many samples there are.
  void sampleListStaysAligned_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("nine") << 9 << "   Sample 1:  s01"
                          << "   Sample 9:  s09";
    QTest::newRow("twelve") << 12 << "   Sample  1:  s01"
                            << "   Sample 12:  s12";
  }
  void sampleListStaysAligned() {
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QVERIFY(installProgram(*m_wd, "tskwfake", "tskecho6"));
    for (const char* list : {"modsz1.sys", "modsz2.sys", "modsz3.sys"})
      m_wd->write(QString::fromLatin1(list), lines({methodLine("Echo", "tskecho6")}));
    QList<int> rows;
    for (int i = 1; i <= count; ++i) {
      m_wd->write(QStringLiteral("s%1.dat").arg(i, 2, 10, QLatin1Char('0')), kHerd);
      rows << i - 1;
    }
    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    selectFiles(form, rows);
    clickRow(control<QListWidget>(form, "List1"), 0);
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
    QVERIFY(form->resultsWindow());
    QStringList samples = form->resultsWindow()->resultsText().split(QStringLiteral("\r\n"));
    samples = samples.filter(QStringLiteral("   Sample "));
    QCOMPARE(samples.size(), count);
    QCOMPARE(samples.first(), first);
    QCOMPARE(samples.last(), last);
    for (const QString& line : samples)
      QCOMPARE(line.indexOf(QLatin1Char('s')), first.indexOf('s'));
  }

  // Samples are read before they go to an engine or a histogram: a damaged
  // or vanished file is named and left out (with nothing left, nothing runs
  // and the older exchange file stays); an unsorted file reaches the engine
  // sorted.
  void damagedSamplesAreLeftOut() {
    QVERIFY(installProgram(*m_wd, "gssummar", "gssummar"));
    for (const char* list : {"modsz1.sys", "modsz2.sys", "modsz3.sys"})
      m_wd->write(QString::fromLatin1(list), lines({methodLine("Summary", "gssummar")}));
    m_wd->write(QStringLiteral("a.dat"), kFlock);
    m_wd->write(QStringLiteral("b.dat"), kHerd);
    m_wd->write(QStringLiteral("c.dat"), crlf({"2", "6", "2", "four"}));
    m_wd->write(QStringLiteral("d.dat"), crlf({"3", "7", "4", "1", "2"}));
    m_wd->write(QStringLiteral("tskdat.tmp"), "older samples\r\n");
    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    auto* list1 = control<QListWidget>(form, "List1");

    selectFiles(form, {2});
    clickRow(list1, 0);
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(form, "Command3"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(form, "Command5"), Qt::LeftButton);
    const QString damaged =
        QStringLiteral("File c.dat holds \"four\", which is not a group size.\r\n") +
        QStringLiteral("   This sample is left out.");
    QCOMPARE(m_boxes->texts(), (QStringList{damaged, damaged}));
    QCOMPARE(m_boxes->boxes()[0].title, QStringLiteral("TK 1.0 - Analyse data"));
    QCOMPARE(m_boxes->boxes()[1].title, QStringLiteral("TK 1.0 - Display graphs"));
    QVERIFY(!m_wd->exists(QStringLiteral("tskstat.tmp")));
    QCOMPARE(m_wd->read(QStringLiteral("tskdat.tmp")), QByteArray("older samples\r\n"));
    QVERIFY(form->resultsWindow() == nullptr);
    QVERIFY(form->isVisible());
    QVERIFY(form->isEnabled());

    m_boxes->clear();
    selectFiles(form, {0, 1, 2, 3});
    clickRow(list1, 0);
    QVERIFY(QFile::remove(m_wd->filePath(QStringLiteral("b.dat"))));
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
    QCOMPARE(m_boxes->boxes().size(), 1);
    const QString text = m_boxes->boxes()[0].text;
    QVERIFY2(text.startsWith(QStringLiteral("Cannot open file b.dat")), qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral("\r\n\r\n") + damaged), qPrintable(text));
    QCOMPARE(m_wd->read(QStringLiteral("tskdat.tmp")),
             crlf({"5", "11", "1", "1", "1", "4", "4", " ", "3", "7", "1", "2", "4", " "}));
    QVERIFY(form->resultsWindow());
    // Sample d (1, 2, 4 in any order): median group size 2, not the middle
    // item 1 of the file's order; crowding (1 + 4 + 16) / 7 = 3.00.
    const QString results = form->resultsWindow()->resultsText();
    QVERIFY2(results.startsWith(resultsHead({"a", "d"})), qPrintable(results));
    QVERIFY2(results.contains(QStringLiteral(
                 "   Sample  2:       3        7        2.33      2.00        3.00      4.00")),
             qPrintable(results));
  }

  void damagedSampleBesideTwoGood_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QByteArray thousand = crlf({"1000", "1000"});
    for (int i = 0; i < 1000; ++i) thousand += " 1 \r\n";
    // Each row a fault that some engine refuses, with a word of its message.
    QTest::newRow("animals disagree")
        << crlf({"4", "150", "1", "2", "3", "4"}) << "add up to 10 animals, not the 150";
    QTest::newRow("zero groups") << crlf({"0", "0"}) << "holds no groups";
    QTest::newRow("text for a size") << crlf({"2", "6", "2", "four"}) << "not a group size";
    QTest::newRow("binary") << QByteArray(
                                   "\x7f"
                                   "ELF\x02\n\x01\x00\xff\n",
                                   10)
                            << "which is not a whole number";
    QTest::newRow("no totals line") << crlf({"5"}) << "lacks the totals";
    QTest::newRow("wrong group count") << crlf({"3", "6", "2", "4"}) << "Invalid total in file";
    QTest::newRow("size below 1") << crlf({"2", "1", "0", "1"}) << "group size below 1";
    // 2^31 animals: beyond the engines' 32-bit counts.
    QTest::newRow("count too large")
        << crlf({"2", "2147483648", "1", "2147483647"}) << "cannot read";
    QTest::newRow("beyond Mood's capacity") << thousand << "\"Mood\" takes at most 999";
  }

  // Every damaged sample is named and left out, and the two good ones get
  // the report they get alone, through two engines.
  void damagedSampleBesideTwoGood() {
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QVERIFY(installProgram(*m_wd, "gssummar", "gssummar"));
    QVERIFY(installProgram(*m_wd, "gsmidts9", "gsmidts9"));
    QVERIFY(QFile::copy(QDir(qEnvironmentVariable("TSK_DATA_DIR")).filePath("gsmidtst.par"),
                        m_wd->filePath(QStringLiteral("gsmidtst.par"))));
    for (const char* list : {"modsz1.sys", "modsz2.sys", "modsz3.sys"})
      m_wd->write(QString::fromLatin1(list),
                  lines({methodLine("Summary", "gssummar"), methodLine("Mood", "gsmidts9")}));
    m_wd->write(QStringLiteral("a.dat"), kFlock);
    m_wd->write(QStringLiteral("ab.dat"), content);  // between the good ones
    m_wd->write(QStringLiteral("b.dat"), kHerd);
    auto* form = new Form3(m_opener.get(), m_wd->path());
    form->show();
    auto* list1 = control<QListWidget>(form, "List1");
    const auto analyse = [&](const QList<int>& files) {
      selectFiles(form, files);
      clickRow(list1, 0);
      clickRow(list1, 1, Qt::ControlModifier);
      QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
      QString text = form->resultsWindow() ? form->resultsWindow()->resultsText() : QString();
      if (form->resultsWindow()) form->resultsWindow()->close();
      return text;
    };
    const QString alone = analyse({0, 2});
    QVERIFY2(m_boxes->boxes().isEmpty(), qPrintable(m_boxes->texts().join(u'|')));
    QVERIFY2(alone.contains(QStringLiteral("Sample  2:       2        6")), qPrintable(alone));
    QVERIFY2(!alone.contains(QStringLiteral("ERROR")), qPrintable(alone));

    QCOMPARE(analyse({0, 1, 2}), alone);
    QCOMPARE(m_boxes->boxes().size(), 1);
    const QString message = m_boxes->boxes()[0].text;
    QVERIFY2(message.contains(QStringLiteral("ab.dat")) && message.contains(reason) &&
                 message.endsWith(QStringLiteral("   This sample is left out.")),
             qPrintable(message));
  }

 private:
  std::unique_ptr<RecordingBoxes> m_boxes;
  std::unique_ptr<WorkingDir> m_wd;
  std::unique_ptr<QWidget> m_opener;
};

QTEST_MAIN(TestForm3)
#include "tst_form3.moc"
