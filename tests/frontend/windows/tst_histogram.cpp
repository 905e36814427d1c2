// SPDX-License-Identifier: GPL-3.0-or-later
// The histogram windows and the analysis window's histogram buttons, driven
// through their controls.

#include <QLineEdit>
#include <QListWidget>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>

#include "ExchangeWriter.h"
#include "Form3.h"
#include "Form4.h"
#include "HistogramWindow.h"
#include "PrintTarget.h"
#include "WindowTestSupport.h"

using tsk::test::control;
using tsk::test::RecordingBoxes;
using tsk::test::WorkingDir;
using tsk::ui::HistogramWindow;

namespace {

// A sample file as the program writes it: n, N, then the sizes, ascending.
QByteArray sampleFile(const QList<int>& sizes) {
  int animals = 0;
  for (int g : sizes) animals += g;
  QByteArray text = QByteArray::number(sizes.size()).rightJustified(5) + "\r\n" +
                    QByteArray::number(animals).rightJustified(5) + "\r\n";
  for (int g : sizes) text += " " + QByteArray::number(g) + " \r\n";
  return text;
}

HistogramWindow* openHistogram(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == QLatin1String(name) && !w->isHidden()) {
      return qobject_cast<HistogramWindow*>(w);
    }
  }
  return nullptr;
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

void click(QWidget* window, const char* name) {
  auto* button = control<QPushButton>(window, name);
  QVERIFY2(button, name);
  QTest::mouseClick(button, Qt::LeftButton);
}

bool isWhite(const QImage& image, const QRect& area) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (image.pixel(x, y) != qRgb(255, 255, 255)) return false;
    }
  }
  return true;
}

}  // namespace

class TestHistogram : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    for (QWidget* w : QApplication::topLevelWidgets()) w->close();
    flushDeletes();
    tsk::ui::setPrinterSource(nullptr);
    tsk::ui::setSavePathChooser(nullptr);
  }

  // Ten selected files: one warning at the ninth, eight panels, in file order.
  void tenFilesShowEight() {
    WorkingDir dir;
    RecordingBoxes boxes;
    QList<QByteArray> contents;
    for (int i = 1; i <= 10; ++i) {
      contents.append(sampleFile({1, 1, 2, i + 2}));
      dir.write(QStringLiteral("flock%1.dat").arg(i, 2, 10, QLatin1Char('0')), contents.last());
    }
    auto* form3 = new tsk::ui::Form3(nullptr, dir.path());
    form3->show();
    control<QListWidget>(form3, "File1")->selectAll();
    auto* crowding = control<QPushButton>(form3, "Command4");
    auto* groupSize = control<QPushButton>(form3, "Command5");
    QVERIFY(crowding->isHidden() && groupSize->isHidden());
    click(form3, "Command3");
    QVERIFY(!crowding->isHidden() && !groupSize->isHidden());
    boxes.clear();  // method list messages of the selection are not ours

    click(form3, "Command4");
    QCOMPARE(boxes.boxes().size(), 1);
    QCOMPARE(boxes.boxes()[0].title, QStringLiteral("TK 1.0 - Display graphs"));
    QCOMPARE(boxes.boxes()[0].text,
             QStringLiteral("  Too many samples selected!\r\n   The first 8 will be displayed."));
    QVERIFY(crowding->isHidden() && groupSize->isHidden());
    QVERIFY(form3->isHidden());

    HistogramWindow* window = openHistogram("Form6");
    QVERIFY(window);
    QCOMPARE(window->kind(), tsk::HistogramKind::Crowding);
    QCOMPARE(window->windowTitle(), QStringLiteral("TK 1.1 - Histogram2"));
    QCOMPARE(window->picture().k, 8);
    QCOMPARE(window->sampleNames(), QStringList({"flock01", "flock02", "flock03", "flock04",
                                                 "flock05", "flock06", "flock07", "flock08"}));
    // The exchange file holds exactly the first eight blocks.
    QByteArray expected;
    for (int i = 0; i < 8; ++i) expected += tsk::sampleBlock(contents[i]);
    QCOMPARE(dir.read(QStringLiteral("tskdat.tmp")), expected);
    // Sample 8 has groups 1, 1, 2, 10: the largest size of the eight.
    QCOMPARE(window->picture().maxSize, 10.0);

    click(window, "Command5");  // Close
    flushDeletes();
    QVERIFY(!openHistogram("Form6"));
    QVERIFY(!form3->isHidden());
  }

  void noFileSelected() {
    WorkingDir dir;
    RecordingBoxes boxes;
    dir.write(QStringLiteral("flock.dat"), sampleFile({1, 2}));
    auto* form3 = new tsk::ui::Form3(nullptr, dir.path());
    form3->show();
    click(form3, "Command3");
    click(form3, "Command5");
    QCOMPARE(boxes.texts(), QStringList{QStringLiteral("No data has been selected!")});
    QCOMPARE(boxes.boxes()[0].title, QStringLiteral("TK 1.0 - Display graphs"));
    QVERIFY(!openHistogram("Form5"));
    QVERIFY(!form3->isHidden());
  }

  // A sample too large for the window is refused before it opens.
  void oversizedSampleRefused() {
    WorkingDir dir;
    RecordingBoxes boxes;
    dir.write(QStringLiteral("huge.dat"), "300001\r\n300001\r\n 1 \r\n");
    QWidget analysis;
    analysis.show();
    QVERIFY(!HistogramWindow::openFromAnalysis(&analysis, dir.path(), {"huge.dat"},
                                               tsk::HistogramKind::GroupSize));
    QCOMPARE(boxes.texts(), QStringList{QString::fromLatin1(tsk::kHistogramTooLargeMessage)});
    QVERIFY(!analysis.isHidden());
  }

  // The display limit: the box, Redisplay, No limit and the enabling rules.
  void displayLimit_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("limit");  // 0: Redisplay does nothing
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("below one") << "0.9" << 0;
    QTest::newRow("negative") << "-3" << 0;
    QTest::newRow("not a number") << "abc" << 0;
    QTest::newRow("number and text") << "3x" << 0;
    QTest::newRow("three") << "3" << 3;
    QTest::newRow("whole part") << "3.7" << 3;
    QTest::newRow("at the largest") << "5" << 5;
    QTest::newRow("beyond") << "9999" << 9999;
  }
  void displayLimit() {
    QFETCH(QString, typed);
    QFETCH(int, limit);
    WorkingDir dir;
    dir.write(QStringLiteral("tskdat.tmp"), sampleFile({1, 1, 2, 5}) + " \r\n");
    auto* window = new tsk::ui::Form5(nullptr, dir.path());
    window->show();
    auto* maxSize = control<QPushButton>(window, "Command1");
    auto* box = control<QLineEdit>(window, "Text1");
    auto* redisplay = control<QPushButton>(window, "Command2");
    auto* noLimit = control<QPushButton>(window, "Command3");
    auto* print = control<QPushButton>(window, "Command4");
    QVERIFY(box->isHidden() && redisplay->isHidden() && noLimit->isHidden());
    QCOMPARE(window->picture().maxSize, 5.0);

    click(window, "Command1");
    QVERIFY(!box->isHidden() && !redisplay->isHidden() && !noLimit->isHidden());
    QTest::keyClicks(box, "1");
    box->clear();
    QTest::keyClicks(box, typed);
    QVERIFY(!maxSize->isEnabled() && !print->isEnabled());
    click(window, "Command2");
    if (limit == 0) {
      QCOMPARE(window->displayLimit(), tsk::kNoDisplayLimit);
      QVERIFY(!maxSize->isEnabled() && !print->isEnabled());
    } else {
      QCOMPARE(window->displayLimit(), limit);
      QCOMPARE(window->picture().maxSize, std::min(limit, 5) * 1.0);
      QVERIFY(maxSize->isEnabled() && print->isEnabled());
    }

    click(window, "Command3");  // No limit
    QVERIFY(box->isHidden() && redisplay->isHidden() && noLimit->isHidden());
    QCOMPARE(window->displayLimit(), tsk::kNoDisplayLimit);
    QVERIFY(maxSize->isEnabled() && print->isEnabled());
    QCOMPARE(box->text(), typed);  // the box keeps its text
  }

  // Showing the window again draws without a limit and hides the box only.
  void showingAgainDropsTheLimit() {
    WorkingDir dir;
    dir.write(QStringLiteral("tskdat.tmp"), sampleFile({1, 1, 2, 5}) + " \r\n");
    auto* window = new tsk::ui::Form6(nullptr, dir.path());
    window->show();
    click(window, "Command1");
    QTest::keyClicks(control<QLineEdit>(window, "Text1"), "2");
    click(window, "Command2");
    QCOMPARE(window->picture().maxSize, 2.0);
    window->hide();
    window->show();
    QCOMPARE(window->displayLimit(), tsk::kNoDisplayLimit);
    QCOMPARE(window->picture().maxSize, 5.0);
    QVERIFY(control<QLineEdit>(window, "Text1")->isHidden());
    QVERIFY(!control<QPushButton>(window, "Command2")->isHidden());
  }

  // The printed picture: white, moved in by the margins, with only the
  // buttons that the printout keeps; the window itself is left as it was.
  void printedPicture() {
    WorkingDir dir;
    dir.write(QStringLiteral("tskdat.tmp"), sampleFile({1, 1, 2, 5}) + " \r\n");
    auto* window = new tsk::ui::Form5(nullptr, dir.path());
    window->show();
    const QImage plain = window->pictureImage();
    QCOMPARE(plain.size(), window->size() + QSize(67, 67));  // 1000 twips more each way
    // Container at 120 + 1000, 0 + 300 twips. Save picture at 6600, 5640,
    // Close at 8910, 5640 and "Max. size displayed" at 0, 5640 are left out
    // without a limit.
    const auto inPicture = [](int left, int top, int width, int height) {
      return QRect((left + 1120) / 15 + 2, (top + 300) / 15 + 2, width / 15 - 4, height / 15 - 4);
    };
    QVERIFY(isWhite(plain, inPicture(8910, 5640, 780, 375)));
    QVERIFY(isWhite(plain, inPicture(6600, 5640, 1395, 375)));
    QVERIFY(isWhite(plain, inPicture(0, 5640, 1935, 375)));
    QVERIFY(isWhite(plain, QRect(0, 0, 70, 20)));  // the margins
    // The bar of 2 groups at size 1: 2500 to 3600 wide, 400 to 5200 high.
    QCOMPARE(plain.pixel(inPicture(2500, 400, 1100, 4800).center()), qRgb(128, 0, 0));

    click(window, "Command1");
    QTest::keyClicks(control<QLineEdit>(window, "Text1"), "3");
    click(window, "Command2");
    const QImage limited = window->pictureImage();
    QVERIFY(!isWhite(limited, inPicture(0, 5640, 1935, 375)));  // button and box kept
    QVERIFY(!isWhite(limited, inPicture(2040, 5640, 495, 375)));
    QVERIFY(isWhite(limited, inPicture(2640, 5640, 855, 375)));  // Redisplay left out
    QVERIFY(isWhite(limited, inPicture(8910, 5640, 780, 375)));
    for (const char* name :
         {"Command1", "Command2", "Command3", "Command4", "Command5", "SaveButton"}) {
      QVERIFY2(!control<QPushButton>(window, name)->isHidden(), name);
    }
    QCOMPARE(window->displayLimit(), 3);
  }

  // Long names are cut with an ellipsis inside the name column; short ones
  // stay whole.
  void namesFitTheirColumn() {
    const double column = 2175 / 15.0;
    const QString longName = QStringLiteral("gulls_from_the_northern_colony_in_late_summer");
    const QString cut = tsk::ui::elidedName(longName, column);
    QVERIFY(cut.endsWith(QChar(0x2026)));
    QVERIFY(longName.startsWith(cut.chopped(1)));
    QFont font = QApplication::font();
    font.setPointSize(8);
    QVERIFY(QFontMetricsF(font).horizontalAdvance(cut) <= column);
    QCOMPARE(tsk::ui::elidedName(QStringLiteral("deer"), column), QStringLiteral("deer"));
  }

  void printingAndSaving() {
    WorkingDir dir;
    RecordingBoxes boxes;
    dir.write(QStringLiteral("tskdat.tmp"), sampleFile({1, 2, 2, 3}) + " \r\n");
    auto* window = new tsk::ui::Form5(nullptr, dir.path());
    window->show();

    // A print job that succeeds: no message.
    const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
    tsk::ui::setPrinterSource([printed] {
      auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(printed);
      return printer;
    });
    click(window, "Command4");
    QVERIFY(boxes.boxes().isEmpty());
    QVERIFY(dir.read(QStringLiteral("printed.pdf")).startsWith("%PDF"));

    // No printer: the offer of a PDF, taken.
    tsk::ui::setPrinterSource([] { return std::unique_ptr<QPrinter>(); });
    tsk::ui::setSavePathChooser([&dir](QWidget*, const QString&, const QString&, const QString&) {
      return dir.filePath(QStringLiteral("offered"));
    });
    boxes.answerNext(true);
    click(window, "Command4");
    QCOMPARE(boxes.texts(),
             QStringList{QStringLiteral(
                 "   No printer is available !\r\n   Save the picture as a PDF file instead?")});
    QCOMPARE(boxes.boxes()[0].title, QStringLiteral("TK 1.0 - Print histogram"));
    QVERIFY(dir.read(QStringLiteral("offered.pdf")).startsWith("%PDF"));

    // Saving, from the button beside Print: PNG by default, cropped to the
    // drawing (9690 by 6015 twips) with a 150-twip border, at twice the scale.
    auto* save = control<QPushButton>(window, "SaveButton");
    QCOMPARE(save->text(), QStringLiteral("Save picture\u2026"));
    QVERIFY(save->isVisible());
    const QRect printRect = control<QPushButton>(window, "Command4")->geometry();
    QCOMPARE(save->geometry().top(), printRect.top());
    QVERIFY(save->geometry().right() < printRect.left());
    tsk::ui::setSavePathChooser([&dir](QWidget*, const QString&, const QString&, const QString&) {
      return dir.filePath(QStringLiteral("h.png"));
    });
    click(window, "SaveButton");
    QImage png(dir.filePath(QStringLiteral("h.png")));
    QCOMPARE(png.size(), QSize(646 + 20, 401 + 20) * 2);
    QVERIFY(isWhite(png, QRect(0, 0, png.width(), 18)));  // the border
    // The bar of 1 group at size 1: 2500 to 2500 + 1833 wide (Int(5500 / 3)),
    // 2800 to 5200 high, moved in by the border.
    QCOMPARE(png.pixel(QPoint((2500 + 900 + 150) * 2 / 15, (4000 + 150) * 2 / 15)),
             qRgb(128, 0, 0));
    QVERIFY(window->savePicture(dir.filePath(QStringLiteral("h.pdf"))));
    QVERIFY(dir.read(QStringLiteral("h.pdf")).startsWith("%PDF"));
    QVERIFY(!window->savePicture(dir.filePath(QStringLiteral("no/such/folder/h.png"))));
  }
};

QTEST_MAIN(TestHistogram)
#include "tst_histogram.moc"
