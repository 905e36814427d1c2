// SPDX-License-Identifier: GPL-3.0-or-later
// Repeatable runs in the desktop program: the analysis window hands each
// resampling engine the second it chose, the results window shows that
// second and the command that repeats the run below the report, and tskrun
// given that second prints the very same report.

#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include "Form3.h"
#include "Form4.h"
#include "PrintTarget.h"
#include "WindowTestSupport.h"

using tsk::test::binDir;
using tsk::test::control;
using tsk::test::methodLine;
using tsk::test::RecordingBoxes;
using tsk::test::WorkingDir;
using tsk::ui::Form3;
using tsk::ui::Form4;

namespace {

const QString kClosing = QString(79, QLatin1Char('_'));

QString dataDir() { return qEnvironmentVariable("TSK_DATA_DIR"); }

void clickRow(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                    list->visualItemRect(list->item(row)).center());
}

}  // namespace

class TestRepeatableRuns : public QObject {
  Q_OBJECT

 private slots:
  void init() { qunsetenv("TSK_SEED_TIME"); }
  void cleanup() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<Form3*>(w) || qobject_cast<Form4*>(w)) delete w;
  }

  void seedLineBelowEachResamplingReport() {
    RecordingBoxes boxes;
    WorkingDir wd;
    QVERIFY(wd.isValid());
    QFile gulls(QDir(dataDir()).filePath(QStringLiteral("gulls.dat")));
    QVERIFY(gulls.open(QIODevice::ReadOnly));
    const QByteArray sample = gulls.readAll();
    // A name with a blank, so the command must quote it.
    wd.write(QStringLiteral("gulls 2026.dat"), sample);
    // Fewer replications than delivered keep the test quick.
    wd.write(QStringLiteral("gsmeanci.par"), "replications\r\nfor the test\r\n3000\r\n");
    for (const char* engine : {"gssummar", "gsmeanci"}) {
      QVERIFY(QFile::copy(QDir(binDir()).filePath(QString::fromLatin1(engine)),
                          wd.filePath(QString::fromLatin1(engine))));
    }
    wd.write(QStringLiteral("modsz1.sys"),
             methodLine("Descriptive statistics", "gssummar") + "\r\n" +
                 methodLine("BCa limits of the mean group size", "gsmeanci") + "\r\n");

    QWidget opener;
    opener.show();
    auto* form = new Form3(&opener, wd.path());
    form->show();
    clickRow(control<QListWidget>(form, "File1"), 0);
    auto* list1 = control<QListWidget>(form, "List1");
    QCOMPARE(list1->count(), 2);
    clickRow(list1, 0);
    clickRow(list1, 1, Qt::ControlModifier);
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);

    Form4* results = form->resultsWindow();
    QVERIFY(results);
    QVERIFY(boxes.boxes().isEmpty());
    const QString text = results->resultsText();

    // gssummar's report has no seed line; gsmeanci's is followed by one.
    static const QRegularExpression seedLine(QStringLiteral(
        "\r\n(Random numbers: seed time (\\d\\d):(\\d\\d):(\\d\\d) \\(tskrun --seed-time "
        "(\\d{6}) gsmeanci \"gulls 2026.dat\" repeats this run\\))\r\n$"));
    const QRegularExpressionMatch m = seedLine.match(text);
    QVERIFY2(m.hasMatch(), qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("Random numbers:")), 1);
    QCOMPARE(m.captured(2) + m.captured(3) + m.captured(4), m.captured(5));
    const QString line = m.captured(1);
    const qsizetype reportEnd = m.capturedStart(1);
    // gsmeanci's report follows gssummar's closing line.
    const QString before = kClosing + QStringLiteral("\r\n");
    const qsizetype reportStart =
        text.indexOf(before + QStringLiteral("\r\nBootstrap (BCa) confidence limits")) +
        before.size();
    QVERIFY(reportStart >= before.size());
    const QString guiReport = text.mid(reportStart, reportEnd - reportStart);
    QVERIFY(guiReport.endsWith(kClosing + QStringLiteral("\r\n")));

    // tskrun at the second shown prints the report byte for byte.
    QProcess tskrun;
    tskrun.setWorkingDirectory(wd.path());
    tskrun.start(QDir(binDir()).filePath(QStringLiteral("tskrun")),
                 {QStringLiteral("--report-only"), QStringLiteral("--seed-time"), m.captured(5),
                  QStringLiteral("gsmeanci"), QStringLiteral("gulls 2026.dat")});
    QVERIFY(tskrun.waitForFinished(120000));
    QCOMPARE(tskrun.exitCode(), 0);
    QCOMPARE(tskrun.readAllStandardOutput(), guiReport.toLatin1());

    // Shown, printed and saved with the reports.
    QVERIFY(control<QPlainTextEdit>(results, "Text1")->toPlainText().contains(line));
    QVERIFY(tsk::ui::resultsPrintLines(text).contains(line));
    tsk::ui::setSavePathChooser([&](QWidget*, const QString&, const QString&, const QString&) {
      return wd.filePath(QStringLiteral("results.txt"));
    });
    QTest::mouseClick(control<QPushButton>(results, "Command2"), Qt::LeftButton);
    tsk::ui::setSavePathChooser(nullptr);
    QCOMPARE(wd.read(QStringLiteral("results.txt")), text.toLatin1());

    // A second fixed in the program's own environment is the one passed on
    // and named.
    qputenv("TSK_SEED_TIME", "030405");
    QTest::mouseClick(control<QPushButton>(results, "Command3"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(form->isVisible());
    QTest::mouseClick(control<QPushButton>(form, "Command1"), Qt::LeftButton);
    QVERIFY(form->resultsWindow());
    QVERIFY(form->resultsWindow()->resultsText().endsWith(
        "\r\nRandom numbers: seed time 03:04:05 (tskrun --seed-time 030405 gsmeanci "
        "\"gulls 2026.dat\" repeats this run)\r\n"));
    qunsetenv("TSK_SEED_TIME");
  }
};

QTEST_MAIN(TestRepeatableRuns)
#include "tst_repeatable_runs.moc"
