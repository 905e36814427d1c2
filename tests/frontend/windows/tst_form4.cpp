// SPDX-License-Identifier: GPL-3.0-or-later
// The results window: the text as shown and saved, the printout's lines, and
// printing with a printer, without one and with a failing job.

#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include "Form4.h"
#include "PrintTarget.h"
#include "ScreenPlacement.h"
#include "WindowTestSupport.h"

using tsk::test::control;
using tsk::test::RecordingBoxes;
using tsk::test::WorkingDir;
using tsk::ui::Form4;

namespace {

const QString kText =
    QStringLiteral(
        "     Toskarn - version 1.0\r\n\r\nData selected for analysis\r\n   Sample 1:  flock\r\n") +
    QString(79, QLatin1Char('_')) + QStringLiteral("\r\n");

const QString kPrintTitle = QStringLiteral("TK 1.0 - Print results");

std::unique_ptr<QPrinter> pdfPrinter(const QString& path) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(path);
  return printer;
}

bool isPdf(const QByteArray& bytes) { return bytes.startsWith("%PDF-") && bytes.size() > 500; }

}  // namespace

class TestForm4 : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    // Test mode keeps these settings away from the user's.
    QSettings(QStringLiteral("Toskarn"), QStringLiteral("Toskarn")).clear();
    tsk::ui::setAvailableAreaSource([](const QPoint&) { return QRect(0, 0, 1920, 1080); });
    m_boxes = std::make_unique<RecordingBoxes>();
    m_wd = std::make_unique<WorkingDir>();
    m_opener = std::make_unique<QWidget>();
    m_opener->move(90, 60);
    m_form = new Form4(m_opener.get(), m_wd->path());
    m_form->setResultsText(kText);
    m_form->show();
    m_opener->hide();
  }
  void cleanup() {
    tsk::ui::setPrinterSource(nullptr);
    tsk::ui::setAvailableAreaSource(nullptr);
    tsk::ui::setSavePathChooser(nullptr);
    delete m_form.data();
    m_opener.reset();
    m_wd.reset();
    m_boxes.reset();
  }

  void showsTheTextUnchanged() {
    QCOMPARE(m_form->windowTitle(), QStringLiteral("TK 1.1 - Results"));
    QCOMPARE(m_form->pos(), QPoint(90, 60));
    m_form->appendResultsText(QStringLiteral("  second report\r\n"));
    QCOMPARE(m_form->resultsText(), kText + QStringLiteral("  second report\r\n"));
    auto* text1 = control<QPlainTextEdit>(m_form, "Text1");
    QCOMPARE(text1->toPlainText(), QString(m_form->resultsText()).replace("\r\n", "\n"));
    QVERIFY(text1->isReadOnly());
    // Report columns line up whatever the font's fixed-pitch flag says.
    QCOMPARE(tsk::test::columnMisfit(text1->font()), QString());
    QCOMPARE(text1->font().pointSize(), 9);
    QVERIFY(!control<QLineEdit>(m_form, "Text2")->isVisible());
    QCOMPARE(control<QLineEdit>(m_form, "Text2")->text(), QStringLiteral("       Printing ..."));
  }

  void closeShowsTheOpener() {
    QTest::mouseClick(control<QPushButton>(m_form, "Command3"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(m_form.isNull());
    QVERIFY(m_opener->isVisible());
  }

  // The text area takes what the window gains, Close keeps to the right
  // edge, and the next results window opens as this one was left.
  void growsAndComesBackAsLeft() {
    auto* text1 = control<QPlainTextEdit>(m_form, "Text1");
    auto* close = control<QPushButton>(m_form, "Command3");
    const QSize first = m_form->size();
    const QRect firstText = text1->geometry();
    const int closeGap = first.width() - close->geometry().right();
    const QSize grown = first + QSize(300, 200);
    m_form->resize(grown);
    QCOMPARE(text1->size(), firstText.size() + QSize(300, 200));
    QCOMPARE(m_form->width() - close->geometry().right(), closeGap);
    QVERIFY(close->geometry().top() > text1->geometry().bottom());
    QVERIFY(close->geometry().bottom() < m_form->height());
    m_form->resize(100, 100);
    QCOMPARE(m_form->size(), first);  // never smaller than first drawn

    m_form->resize(grown);
    m_form->move(140, 110);
    m_form->close();
    auto* again = new Form4(m_opener.get(), m_wd->path());
    QCOMPARE(again->size(), grown);
    QCOMPARE(again->pos(), QPoint(140, 110));
    again->show();
    again->showMaximized();
    again->close();
    QPointer<Form4> third = new Form4(m_opener.get(), m_wd->path());
    QVERIFY(third->windowState() & Qt::WindowMaximized);
    QCOMPARE(third->pos(), QPoint(140, 110));  // where it goes back to
    delete third.data();
  }

  // Three empty lines, then the text's lines; the final line end closes the
  // last line (hand-split examples).
  void printLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF ends") << "a\r\n b \r\n" << QStringList{"", "", "", "a", " b "};
    QTest::newRow("no final end") << "a\r\nb" << QStringList{"", "", "", "a", "b"};
    QTest::newRow("LF ends, empty line kept") << "a\n\nb\n"
                                              << QStringList{"", "", "", "a", "", "b"};
    QTest::newRow("empty text") << "" << QStringList{"", "", ""};
  }
  void printLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(tsk::ui::resultsPrintLines(text), lines);
  }

  // The printer gets the job while "Printing ..." shows; no message after.
  void printsOnThePrinter() {
    const QString path = m_wd->filePath(QStringLiteral("printed.pdf"));
    bool indicatorShown = false;
    tsk::ui::setPrinterSource([&] {
      indicatorShown = control<QLineEdit>(m_form, "Text2")->isVisible();
      return pdfPrinter(path);
    });
    QTest::mouseClick(control<QPushButton>(m_form, "Command1"), Qt::LeftButton);
    QVERIFY(indicatorShown);
    QVERIFY(!control<QLineEdit>(m_form, "Text2")->isVisible());
    QVERIFY(isPdf(m_wd->read(QStringLiteral("printed.pdf"))));
    QVERIFY(m_boxes->boxes().isEmpty());
  }

  // Without a printer, or when the job fails, the user is told and may save
  // a PDF instead.
  void printFailureOffersPdf_data() {
    QTest::addColumn<bool>("havePrinter");
    QTest::addColumn<bool>("acceptPdf");
    QTest::addColumn<QString>("failure");
    QTest::newRow("no printer, PDF") << false << true << "   No printer is available !";
    QTest::newRow("no printer, declined") << false << false << "   No printer is available !";
    QTest::newRow("failed job, PDF") << true << true << "   The print job failed !";
  }
  void printFailureOffersPdf() {
    QFETCH(bool, havePrinter);
    QFETCH(bool, acceptPdf);
    QFETCH(QString, failure);
    // A printer whose output cannot be opened fails the job.
    const QString broken = m_wd->filePath(QStringLiteral("no/such/folder/out.pdf"));
    tsk::ui::setPrinterSource(
        [&]() -> std::unique_ptr<QPrinter> { return havePrinter ? pdfPrinter(broken) : nullptr; });
    QString suggested;
    tsk::ui::setSavePathChooser([&](QWidget*, const QString&, const QString& path, const QString&) {
      suggested = path;
      return m_wd->filePath(QStringLiteral("results"));
    });
    m_boxes->answerNext(acceptPdf);
    QTest::mouseClick(control<QPushButton>(m_form, "Command1"), Qt::LeftButton);
    QCOMPARE(m_boxes->boxes().size(), 1);
    QCOMPARE(m_boxes->boxes()[0].title, kPrintTitle);
    QCOMPARE(m_boxes->boxes()[0].text,
             failure + QStringLiteral("\r\n   Save the results as a PDF file instead?"));
    QVERIFY(m_boxes->boxes()[0].question);
    QVERIFY(!control<QLineEdit>(m_form, "Text2")->isVisible());
    QCOMPARE(isPdf(m_wd->read(QStringLiteral("results.pdf"))), acceptPdf);
    if (acceptPdf) QCOMPARE(suggested, m_wd->filePath(QStringLiteral("results.pdf")));
  }

  // Save writes the text byte for byte (CR LF kept), adds ".txt" to a bare
  // name, keeps a given suffix, and reports a file it cannot write.
  void saveWritesTheText_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("ok");
    QTest::newRow("bare name") << "report"
                               << "report.txt" << true;
    QTest::newRow("own suffix") << "report.log"
                                << "report.log" << true;
    QTest::newRow("missing folder") << "none/report.txt"
                                    << "none/report.txt" << false;
    QTest::newRow("cancelled") << ""
                               << "" << true;
  }
  void saveWritesTheText() {
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(bool, ok);
    tsk::ui::setSavePathChooser([&](QWidget*, const QString&, const QString&, const QString&) {
      return chosen.isEmpty() ? QString() : m_wd->filePath(chosen);
    });
    QTest::mouseClick(control<QPushButton>(m_form, "Command2"), Qt::LeftButton);
    if (ok) {
      QVERIFY(m_boxes->boxes().isEmpty());
      if (!written.isEmpty()) QCOMPARE(m_wd->read(written), kText.toLatin1());
    } else {
      QCOMPARE(m_boxes->texts(), QStringList{QStringLiteral("   Cannot write the file ") +
                                             m_wd->filePath(written) + QStringLiteral(" !")});
    }
    QCOMPARE(QDir(m_wd->path()).entryList(QDir::Files).size(), written.isEmpty() || !ok ? 0 : 1);
  }

  // Save table and Copy methods text wait for an engine's numbers, then
  // write the CSV table and put the methods paragraph on the clipboard.
  void tableButtons() {
    auto* saveTable = control<QPushButton>(m_form, "Command4");
    auto* copyMethods = control<QPushButton>(m_form, "Command5");
    QVERIFY(!saveTable->isEnabled() && !copyMethods->isEnabled());
    m_form->addTable({*tsk::parseAnalysisTable("engine\tgsmidlim\r\nseed\t\r\n"
                                               "samples\tmethod\tstatistic\tvalue\tlevel\t"
                                               "replications\r\n"
                                               "1\texact\tlower_limit\t5\t0.95\t\r\n",
                                               nullptr),
                      {QStringLiteral("flock")}});
    tsk::ui::setSavePathChooser([&](QWidget*, const QString&, const QString& suggested,
                                    const QString&) { return suggested; });
    QTest::mouseClick(saveTable, Qt::LeftButton);
    QCOMPARE(m_wd->read(QStringLiteral("results.csv")),
             QByteArray("engine,method,sample,statistic,value,level,replications,seed_time\n"
                        "gsmidlim,exact,flock,lower_limit,5,0.95,,\n"));
    QTest::mouseClick(copyMethods, Qt::LeftButton);
    QVERIFY(QApplication::clipboard()->text().contains(QStringLiteral("(Thompson 1936)")));
  }

 private:
  std::unique_ptr<RecordingBoxes> m_boxes;
  std::unique_ptr<WorkingDir> m_wd;
  std::unique_ptr<QWidget> m_opener;
  QPointer<Form4> m_form;
};

QTEST_MAIN(TestForm4)
#include "tst_form4.moc"
