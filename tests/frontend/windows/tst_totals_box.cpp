// The totals boxes of the entry and edit windows show a 10-digit total
// whole, beside their labels and inside the window.

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "Form2.h"
#include "Form7.h"
#include "WindowTestSupport.h"

using tsk::test::control;

class TestTotalsBox : public QObject {
  Q_OBJECT

 private slots:
  void tenDigitsShowWhole_data() {
    QTest::addColumn<bool>("entry");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("label");
    QTest::newRow("entry groups") << true << "Text4"
                                  << "Label8";
    QTest::newRow("entry animals") << true << "Text2"
                                   << "Label9";
    QTest::newRow("edit groups") << false << "Text4"
                                 << "Label7";
    QTest::newRow("edit animals") << false << "Text2"
                                  << "Label8";
  }
  void tenDigitsShowWhole() {
    QFETCH(bool, entry);
    QFETCH(QString, box);
    QFETCH(QString, label);
    tsk::test::WorkingDir dir;
    QWidget opener;
    std::unique_ptr<QWidget> window;
    if (entry)
      window = std::make_unique<tsk::ui::Form2>(&opener, dir.path());
    else
      window = std::make_unique<tsk::ui::Form7>(&opener, dir.path());
    window->show();
    auto* edit = control<QLineEdit>(window.get(), box.toLatin1().constData());
    const QString total = QStringLiteral("9876543210");
    edit->setText(total);
    // The line edit scrolls its text only when it does not fit: the cursor's
    // way from the last digit to the first is then shorter than the text.
    edit->setCursorPosition(total.size());
    edit->repaint();
    const int end = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    edit->setCursorPosition(0);
    edit->repaint();
    const int start = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    QCOMPARE(end - start, edit->fontMetrics().horizontalAdvance(total));

    const QRect boxRect = edit->geometry();
    QVERIFY(window->rect().contains(boxRect));
    QVERIFY(control<QLabel>(window.get(), label.toLatin1().constData())->geometry().right() <
            boxRect.left());
  }
};

QTEST_MAIN(TestTotalsBox)
#include "tst_totals_box.moc"
