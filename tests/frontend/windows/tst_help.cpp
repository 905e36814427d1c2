// SPDX-License-Identifier: GPL-3.0-or-later
// F1 and the main window's Help link: the guide opens at the section of the
// window in front, its contents links lead to their headings, and a missing
// guide is reported.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QScrollBar>
#include <QtTest>
#include <functional>
#include <memory>

#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "Form4.h"
#include "Form7.h"
#include "Form8.h"
#include "Help.h"
#include "HistogramWindow.h"
#include "WindowTestSupport.h"

using tsk::test::control;
using tsk::test::RecordingBoxes;
using tsk::test::WorkingDir;
using tsk::ui::HelpWindow;

using WindowFactory = std::function<QWidget*(QWidget* opener, const QString& dir)>;
Q_DECLARE_METATYPE(WindowFactory)

namespace {

// The guide of this source tree (the data folder's sibling).
QString sourceGuide() {
  return QDir(qEnvironmentVariable("TSK_DATA_DIR")).filePath(QStringLiteral("../docs/guide.md"));
}

void closeHelp() {
  delete HelpWindow::current();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class TestHelp : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { tsk::ui::installHelpKey(*qApp); }
  void init() {
    m_boxes = std::make_unique<RecordingBoxes>();
    m_wd = std::make_unique<WorkingDir>();
    tsk::ui::setGuideCandidates({QDir::cleanPath(sourceGuide())});
  }
  void cleanup() {
    closeHelp();
    tsk::ui::setGuideCandidates({});
    m_wd.reset();
    m_boxes.reset();
  }

  // F1 on a control of each window opens the guide with that window's
  // heading at the top of the view. The headings are those of docs/guide.md.
  void f1OpensTheWindowsSection_data() {
    QTest::addColumn<WindowFactory>("make");
    QTest::addColumn<QString>("heading");
    QTest::newRow("main") << WindowFactory([](QWidget*, const QString& d) {
      return new tsk::ui::Form1(d);
    }) << "The main window";
    QTest::newRow("entry") << WindowFactory([](QWidget* o, const QString& d) {
      return new tsk::ui::Form2(o, d);
    }) << "Entering a new sample";
    QTest::newRow("edit") << WindowFactory([](QWidget* o, const QString& d) {
      return new tsk::ui::Form7(o, d);
    }) << "Editing a sample";
    QTest::newRow("save as") << WindowFactory([](QWidget*, const QString& d) {
      return new tsk::ui::Form8(nullptr, tsk::GroupSizeSample{}, d, QStringLiteral("flock"));
    }) << "Saving under another name";
    QTest::newRow("analysis") << WindowFactory([](QWidget* o, const QString& d) {
      return new tsk::ui::Form3(o, d);
    }) << "Analysing samples";
    QTest::newRow("results") << WindowFactory([](QWidget* o, const QString& d) {
      return new tsk::ui::Form4(o, d);
    }) << "Results: printing and saving";
    QTest::newRow("crowding histogram")
        << WindowFactory([](QWidget* o, const QString& d) { return new tsk::ui::Form6(o, d); })
        << "Histograms";
  }
  void f1OpensTheWindowsSection() {
    QFETCH(WindowFactory, make);
    QFETCH(QString, heading);
    QWidget opener;
    QPointer<QWidget> window = make(&opener, m_wd->path());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    // A control deep in the window, as F1 usually reaches one.
    QWidget* target = window->findChildren<QWidget*>().value(0, window.data());
    QTest::keyClick(target, Qt::Key_F1);

    HelpWindow* help = HelpWindow::current();
    QVERIFY(help);
    QVERIFY(help->isVisible());
    QCOMPARE(help->windowTitle(), QStringLiteral("TK 1.1 - Help"));
    QCOMPARE(help->currentHeading(), heading);
    // The heading stands at the top of the view, not merely somewhere on it.
    QVERIFY2(help->cursorRect().top() < 40, qPrintable(QString::number(help->cursorRect().top())));
    QVERIFY(m_boxes->boxes().isEmpty());
    // F1 in the help window itself opens nothing more.
    QTest::keyClick(help, Qt::Key_F1);
    QCOMPARE(HelpWindow::current(), help);
    delete window.data();
  }

  void helpLinkOpensTheMainWindowsSection() {
    tsk::ui::Form1 main(m_wd->path());
    main.show();
    auto* link = control<QLabel>(&main, "LabelHelp");
    QVERIFY(link && link->isVisible());
    QVERIFY(main.rect().contains(link->geometry()));
    emit link->linkActivated(QStringLiteral("#"));
    QVERIFY(HelpWindow::current());
    QCOMPARE(HelpWindow::current()->currentHeading(), QStringLiteral("The main window"));
  }

  // Every contents link of the guide leads to its heading.
  void contentsLinksReachTheirHeadings() {
    QFile file(sourceGuide());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    tsk::ui::Form1 main(m_wd->path());
    tsk::ui::showHelp(&main);
    HelpWindow* help = HelpWindow::current();
    QVERIFY(help);
    const QRegularExpression link(QStringLiteral("\\[([^\\]]+)\\]\\(#([a-z0-9-]+)\\)"));
    int links = 0;
    for (auto m = link.globalMatch(text); m.hasNext();) {
      const auto match = m.next();
      emit help->anchorClicked(QUrl(QStringLiteral("#") + match.captured(2)));
      QCOMPARE(help->currentHeading(), match.captured(1));
      ++links;
    }
    QVERIFY(links >= 10);
  }

  void missingGuideIsReported() {
    const QString missing = m_wd->filePath(QStringLiteral("guide.md"));
    tsk::ui::setGuideCandidates({missing});
    tsk::ui::Form2 window(nullptr, m_wd->path());
    window.show();
    QTest::keyClick(&window, Qt::Key_F1);
    QVERIFY(!HelpWindow::current());
    QCOMPARE(m_boxes->boxes().size(), 1);
    QCOMPARE(m_boxes->boxes()[0].title, QStringLiteral("TK 1.0 - Help"));
    QCOMPARE(m_boxes->boxes()[0].text,
             QStringLiteral("   The user's guide cannot be found. Looked for:\n") +
                 QDir::toNativeSeparators(missing));
  }

  // The guide is looked for only relative to the program, never in a folder
  // named when it was built; the build tree holds a copy of the source
  // tree's guide in the same place.
  void findsTheGuideBesideTheProgram() {
    tsk::ui::setGuideCandidates({});
    const QStringList places = tsk::ui::guideCandidates(QCoreApplication::applicationDirPath());
    QCOMPARE(places,
             QStringList{QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                         QStringLiteral("/../share/toskarn/guide/guide.md"))});
    QFile copy(places[0]);
    QFile source(sourceGuide());
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), source.readAll());
  }

 private:
  std::unique_ptr<RecordingBoxes> m_boxes;
  std::unique_ptr<WorkingDir> m_wd;
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
