// SPDX-License-Identifier: GPL-3.0-or-later
// The totals boxes of the entry and edit windows show a 10-digit total
// whole, beside their labels and inside the window.

#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <memory>

#include "DataWindowSupport.h"
#include "Form2.h"
#include "Form7.h"
#include "WindowTestSupport.h"

using tsk::test::control;

namespace {

// The room for text in a line edit: the contents rectangle its style gives,
// less its text margins and the 2 pixels it keeps free on each side.
int textRoom(QLineEdit* edit) {
  QStyleOptionFrame panel;
  panel.initFrom(edit);
  panel.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, edit);
  panel.rect = edit->rect();
  const QMargins margins = edit->textMargins();
  return edit->style()->subElementRect(QStyle::SE_LineEditContents, &panel, edit).width() -
         margins.left() - margins.right() - 4;
}

const QString kTenDigits = QStringLiteral("9876543210");

}  // namespace

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
    QVERIFY(textRoom(edit) >= edit->fontMetrics().horizontalAdvance(kTenDigits));

    const QRect boxRect = edit->geometry();
    QVERIFY(window->rect().contains(boxRect));
    QVERIFY(control<QLabel>(window.get(), label.toLatin1().constData())->geometry().right() <
            boxRect.left());
  }

  // A box too narrow for its font grows to the left, its right edge kept,
  // and its label gives way.
  void narrowBoxGrows_data() {
    QTest::addColumn<int>("pointSize");
    QTest::newRow("10 pt") << 10;
    QTest::newRow("16 pt") << 16;
    QTest::newRow("24 pt") << 24;
  }
  void narrowBoxGrows() {
    QFETCH(int, pointSize);
    QWidget window;
    window.resize(800, 100);
    auto* label = new QLabel(QStringLiteral("Total"), &window);
    label->setGeometry(10, 10, 280, 30);
    auto* box = new QLineEdit(&window);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont font = box->font();
    font.setPointSize(pointSize);
    box->setFont(font);
    box->setGeometry(300, 10, 60, 40);
    window.show();
    tsk::ui::fitTotalBox(box, label);
    QCOMPARE(box->geometry().right(), 359);
    QVERIFY(textRoom(box) >= box->fontMetrics().horizontalAdvance(kTenDigits));
    QVERIFY(label->geometry().right() < box->geometry().left());
  }
};

QTEST_MAIN(TestTotalsBox)
#include "tst_totals_box.moc"
