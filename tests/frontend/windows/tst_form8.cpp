// SPDX-License-Identifier: GPL-3.0-or-later
// The save-as dialog on its own: which names it writes under, what it
// refuses, and what it tells the edit window when it closes.

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "DataWindowSupport.h"
#include "Form8.h"
#include "Twips.h"
#include "WindowTestSupport.h"

using tsk::test::control;
using tsk::test::crlf;

namespace {

tsk::GroupSizeSample twoGroupsOfThree() {
  tsk::GroupSizeSample sample;
  tsk::AddEntry(sample, 3, 2);
  return sample;
}

// The file of twoGroupsOfThree(): an edited sample, so width 7.
const QByteArray kWritten = crlf({"      2", "      6", " 3 ", " 3 "});

}  // namespace

class TestForm8 : public QObject {
  Q_OBJECT

 private slots:
  void layout();
  void names_data();
  void names();
  void failedWriteKeepsDialog();
  void cancelAndCloseBox();
};

void TestForm8::layout() {
  tsk::test::WorkingDir dir;
  QPointer<tsk::ui::Form8> dialog =
      new tsk::ui::Form8(nullptr, twoGroupsOfThree(), dir.path(), QStringLiteral("gulls"));
  QCOMPARE(dialog->windowTitle(), QStringLiteral("Save As..."));
  QCOMPARE(control<QLineEdit>(dialog, "Text1")->text(), QStringLiteral("gulls"));
  QCOMPARE(control<QLineEdit>(dialog, "Text1")->maxLength(), 40);
  QCOMPARE(control<QPushButton>(dialog, "Command5")->text(), QStringLiteral("Save"));
  QCOMPARE(control<QPushButton>(dialog, "Command1")->text(), QStringLiteral("Cancel"));
  QCOMPARE(dialog->size(), QSize(tsk::ui::twips(4785), tsk::ui::twips(810)));
  delete dialog.data();
}

void TestForm8::names_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("file");     // written file, empty for none
  QTest::addColumn<QString>("message");  // empty for none
  QTest::newRow("plain") << "terns"
                         << "terns.dat" << QString();
  QTest::newRow("with blanks") << "red deer"
                               << "red deer.dat" << QString();
  // Refused as the entry window refuses it: never a hidden ".dat".
  QTest::newRow("empty") << ""
                         << "" << tsk::ui::kNameRequired;
  QTest::newRow("blanks only") << "   "
                               << "" << tsk::ui::kNameRequired;
  QTest::newRow("extension only") << ".dat"
                                  << "" << tsk::ui::kNameRequired;
  QTest::newRow("blanks around") << "  terns  "
                                 << "terns.dat" << QString();
  QTest::newRow("typed extension") << "x.dat"
                                   << "x.dat" << QString();
  QTest::newRow("typed extension, capitals and blanks") << " x .DAT "
                                                        << "x.dat" << QString();
  QTest::newRow("extension twice keeps one") << "x.dat.dat"
                                             << "x.dat.dat" << QString();
  QTest::newRow("parent folder") << "../terns"
                                 << "" << tsk::ui::kNameUnusable;
  QTest::newRow("absolute") << "/tmp/terns"
                            << "" << tsk::ui::kNameUnusable;
  QTest::newRow("backslash") << "a\\b"
                             << "" << tsk::ui::kNameUnusable;
}

void TestForm8::names() {
  QFETCH(QString, name);
  QFETCH(QString, file);
  QFETCH(QString, message);
  tsk::test::WorkingDir dir;
  tsk::test::RecordingBoxes boxes;
  QPointer<tsk::ui::Form8> dialog =
      new tsk::ui::Form8(nullptr, twoGroupsOfThree(), dir.path(), QStringLiteral("gulls"));
  QSignalSpy finished(dialog.data(), &tsk::ui::Form8::finished);
  dialog->show();
  auto* box = control<QLineEdit>(dialog, "Text1");
  box->clear();
  QTest::keyClicks(box, name);
  QTest::mouseClick(control<QPushButton>(dialog, "Command5"), Qt::LeftButton);

  QCOMPARE(boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
  const QStringList written = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
  if (file.isEmpty()) {
    QVERIFY(written.isEmpty());
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(finished.count(), 0);
    delete dialog.data();
  } else {
    QCOMPARE(written, QStringList{file});
    QCOMPARE(dir.read(file), kWritten);
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.front().front().toBool(), true);
  }
}

void TestForm8::failedWriteKeepsDialog() {
  // A folder in the way of the file cannot be replaced: the failure is
  // shown and the dialog stays, so the user can choose another name.
  tsk::test::WorkingDir dir;
  tsk::test::RecordingBoxes boxes;
  QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("gulls.dat")));
  QPointer<tsk::ui::Form8> dialog =
      new tsk::ui::Form8(nullptr, twoGroupsOfThree(), dir.path(), QStringLiteral("gulls"));
  QSignalSpy finished(dialog.data(), &tsk::ui::Form8::finished);
  dialog->show();
  boxes.answerNext(true);  // overwrite
  QTest::mouseClick(control<QPushButton>(dialog, "Command5"), Qt::LeftButton);
  QCOMPARE(boxes.boxes().size(), 2);
  QCOMPARE(boxes.texts().front(), tsk::ui::kFileExists);
  QVERIFY(!boxes.texts().back().isEmpty());
  QVERIFY(!boxes.boxes().back().question);
  QVERIFY(dialog && dialog->isVisible());
  QCOMPARE(finished.count(), 0);
  delete dialog.data();
}

void TestForm8::cancelAndCloseBox() {
  for (const bool byButton : {true, false}) {
    tsk::test::WorkingDir dir;
    tsk::test::RecordingBoxes boxes;
    QPointer<tsk::ui::Form8> dialog =
        new tsk::ui::Form8(nullptr, twoGroupsOfThree(), dir.path(), QStringLiteral("gulls"));
    QSignalSpy finished(dialog.data(), &tsk::ui::Form8::finished);
    dialog->show();
    if (byButton)
      QTest::mouseClick(control<QPushButton>(dialog, "Command1"), Qt::LeftButton);
    else
      dialog->close();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.front().front().toBool(), false);
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    QVERIFY(boxes.boxes().isEmpty());
  }
}

QTEST_MAIN(TestForm8)
#include "tst_form8.moc"
