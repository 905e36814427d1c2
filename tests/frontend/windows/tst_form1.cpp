// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: its texts, the three windows it opens and gets back from,
// Exit, and the start-up copy of the delivered files into the working
// directory.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "DesktopStyle.h"
#include "Form1.h"
#include "StartupFiles.h"
#include "WindowTestSupport.h"

using tsk::test::control;

class TestForm1 : public QObject {
  Q_OBJECT

 private slots:
  void texts();
  void opensOneWindowAndGetsItBack_data();
  void opensOneWindowAndGetsItBack();
  void exitEndsTheProgram_data();
  void exitEndsTheProgram();
  void copiesMissingDeliveredFiles();
};

void TestForm1::texts() {
  tsk::ui::Form1 window{QString()};  // no study folder yet: none in the title
  QCOMPARE(window.windowTitle(), QStringLiteral("TK 1.1"));
  QVERIFY(!tsk::ui::programIcon().pixmap(32).isNull());
  const QFont nameFont = control<QLabel>(&window, "Label1")->font();
  QCOMPARE(control<QLabel>(&window, "Label1")->text(), QStringLiteral("Toskarn"));
  QVERIFY(nameFont.bold() && nameFont.italic());
  QCOMPARE(nameFont.pointSize(), 24);
  QCOMPARE(control<QLineEdit>(&window, "Text2")->text(),
           QStringLiteral("Version 1.1     (28.10.2007)"));

  const struct {
    const char* name;
    const char* caption;
    const char* toolTip;
  } buttons[] = {{"Command1", "New", "Enter new data"},
                 {"Command4", "Edit ", "Edit existing data"},
                 {"Command3", "Analyse", "Analyse data"},
                 {"Command2", "Exit", ""}};
  for (const auto& b : buttons) {
    const auto* button = control<QPushButton>(&window, b.name);
    QVERIFY2(button, b.name);
    QCOMPARE(button->text(), QString::fromLatin1(b.caption));
    QCOMPARE(button->toolTip(), QString::fromLatin1(b.toolTip));
  }

  const auto* termsLabel = control<QLabel>(&window, "Label2");
  const QString terms = termsLabel->text();
  QVERIFY(terms.startsWith(u' '));
  QVERIFY(terms.contains(QStringLiteral("GNU General Public License, version 3 or later")));
  // The wrapped terms fit their fixed label, the last line included.
  QVERIFY(termsLabel->heightForWidth(termsLabel->width()) <= termsLabel->height());
  QVERIFY(terms.contains(QStringLiteral("Journal of Animal Ecology 36: 1-30")));
  QCOMPARE(control<QPlainTextEdit>(&window, "Text1")->document()->lineCount(), 2);
  const QStringList support =
      control<QLabel>(&window, "Label3")->text().split(QStringLiteral("\r\n"));
  QCOMPARE(support.size(), 4);
  QCOMPARE(support[0], QStringLiteral("Supported by:"));
  QCOMPARE(support[2], QString(59, u' '));
  QCOMPARE(support[3], QString(59, u' '));
}

void TestForm1::opensOneWindowAndGetsItBack_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<QString>("window");
  QTest::addColumn<QString>("title");
  QTest::newRow("New") << "Command1"
                       << "Form2"
                       << "TK 1.1 - Enter new data";
  QTest::newRow("Edit") << "Command4"
                        << "Form7"
                        << "TK 1.1 - Edit existing data";
  QTest::newRow("Analyse") << "Command3"
                           << "Form3"
                           << "TK 1.1 - Analyse data";
}

void TestForm1::opensOneWindowAndGetsItBack() {
  QFETCH(QString, button);
  QFETCH(QString, window);
  QFETCH(QString, title);
  tsk::test::WorkingDir dir;
  tsk::test::RecordingBoxes boxes;
  tsk::ui::Form1 main(dir.path());
  // Low and left enough that every window it opens fits the test screen.
  main.move(130, 70);
  main.show();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  const QPoint place = main.pos();

  QTest::mouseClick(main.findChild<QPushButton*>(button), Qt::LeftButton);
  QPointer<QWidget> opened = main.openedWindow();
  QVERIFY(opened);
  QCOMPARE(opened->objectName(), window);
  QCOMPARE(opened->windowTitle(), title);
  QCOMPARE(tsk::test::visibleWindows(), QList<QWidget*>{opened.data()});
  QCOMPARE(opened->pos(), place);

  opened->close();
  QTRY_VERIFY(opened.isNull());
  QCOMPARE(tsk::test::visibleWindows(), QList<QWidget*>{&main});
  QCOMPARE(main.pos(), place);
  QVERIFY(boxes.boxes().isEmpty());
}

void TestForm1::exitEndsTheProgram_data() {
  QTest::addColumn<bool>("closeBox");
  QTest::newRow("Exit") << false;
  QTest::newRow("close box") << true;
}

void TestForm1::exitEndsTheProgram() {
  QFETCH(bool, closeBox);
  tsk::ui::Form1 main(QDir::currentPath());
  main.show();
  QTimer::singleShot(0, &main, [&main, closeBox] {
    if (closeBox)
      main.close();
    else
      QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
  });
  // Should the window not end the loop, this does, with another code.
  QTimer::singleShot(5000, [] { QCoreApplication::exit(3); });
  QCOMPARE(QCoreApplication::exec(), 0);
}

void TestForm1::copiesMissingDeliveredFiles() {
  QCOMPARE(tsk::ui::deliveredDataDir(QStringLiteral("/opt/tk/bin")),
           QStringLiteral("/opt/tk/share/toskarn"));

  tsk::test::WorkingDir data;
  data.write(QStringLiteral("modsz1.sys"), "delivered list\r\n");
  data.write(QStringLiteral("modsz2.sys"), "delivered list 2\r\n");
  data.write(QStringLiteral("crowreps.par"), "delivered\r\n\r\n2000\r\n");
  data.write(QStringLiteral("gulls.dat"), "    1\r\n    2\r\n 2 \r\n");
  tsk::test::WorkingDir work;
  work.write(QStringLiteral("modsz1.sys"), "the user's own list\r\n");

  const tsk::ui::DeliveredCopy first = tsk::ui::copyDeliveredFiles(data.path(), work.path());
  QCOMPARE(first.copied,
           (QStringList{QStringLiteral("crowreps.par"), QStringLiteral("modsz2.sys")}));
  QVERIFY(first.failed.isEmpty());
  QCOMPARE(work.read(QStringLiteral("modsz1.sys")), QByteArray("the user's own list\r\n"));
  QCOMPARE(work.read(QStringLiteral("modsz2.sys")), QByteArray("delivered list 2\r\n"));
  QCOMPARE(work.read(QStringLiteral("crowreps.par")), QByteArray("delivered\r\n\r\n2000\r\n"));
  QVERIFY(!work.exists(QStringLiteral("gulls.dat")));  // samples are the user's business

  // A second start finds everything in place.
  const tsk::ui::DeliveredCopy second = tsk::ui::copyDeliveredFiles(data.path(), work.path());
  QVERIFY(second.copied.isEmpty() && second.failed.isEmpty());
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
