// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistogramWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QShowEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "ExchangeWriter.h"
#include "FormControls.h"
#include "MessageBoxes.h"
#include "PrintTarget.h"
#include "ScreenPlacement.h"
#include "Twips.h"

namespace tsk::ui {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kGraphsTitle = QStringLiteral("TK 1.0 - Display graphs");
const QString kPrintTitle = QStringLiteral("TK 1.0 - Print histogram");
constexpr int kMaxSamples = 8;

// The client area and the borderless container of all controls, in twips.
constexpr int kClientWidth = 9810;
constexpr int kClientHeight = 6525;
constexpr int kContainerLeft = 120;
constexpr int kContainerTop = 0;
constexpr int kContainerWidth = static_cast<int>(kHistogramDrawingWidth);
constexpr int kContainerHeight = 6270;
// Exported pictures: the drawing down to the legend and the button row,
// with a narrow white border.
constexpr int kExportHeight = 6015;
constexpr int kExportBorder = 150;
// The printout widens and heightens the window and moves the container in.
constexpr int kPrintGrow = 1000;
constexpr int kPrintShiftX = 1000;
constexpr int kPrintShiftY = 300;

const QColor kBarColour(128, 0, 0);
const QColor kMedianFill(192, 192, 255);
const QColor kMeanFill(255, 255, 192);

double px(double twipsValue) { return twipsValue / 15.0; }

QRectF pxRect(double left, double top, double width, double height) {
  return QRectF(px(left), px(top), px(width), px(height));
}

QFont labelFont() {
  QFont font = QApplication::font();
  font.setPointSize(8);
  return font;
}

QFont axisTitleFont() {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(9);
  return font;
}

QFont titleFont() {
  QFont font = QApplication::font();
  font.setPointSize(10);
  font.setBold(true);
  return font;
}


// A message box, file dialog or menu rather than one of the program's forms.
bool isDialogWindow(QWindow* window) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->windowHandle() == window) {
      return qobject_cast<QDialog*>(widget) != nullptr || qobject_cast<QMenu*>(widget) != nullptr;
    }
  }
  return true;
}

}  // namespace

QString elidedName(const QString& name, double width) {
  return QFontMetricsF(labelFont()).elidedText(name, Qt::ElideRight, width);
}

// The borderless container: paints the chart and holds the buttons.
class HistogramCanvas : public QWidget {
 public:
  explicit HistogramCanvas(HistogramWindow* window) : QWidget(window), m_window(window) {
    setObjectName(QStringLiteral("Picture1"));
  }
  bool white = false;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), white ? QColor(Qt::white) : palette().color(QPalette::Window));
    p.setPen(Qt::black);
    paintFixedTexts(p);
    paintLegend(p);
    const HistogramPicture& pic = m_window->m_picture;
    if (!pic.error.empty()) return;
    paintShapes(p, pic);
    paintLabels(p, pic);
  }

 private:
  static void text(QPainter& p, const QFont& font, const QRectF& box, int flags, const QString& s) {
    p.setFont(font);
    p.drawText(box, flags | Qt::TextDontClip, s);
  }

  // A label of `rect`; a zero height stands for the height of its text.
  static void label(QPainter& p, const QFont& font, const HistogramLabel& l) {
    if (!l.visible) return;
    const double height = l.rect.height > 0 ? px(l.rect.height) : QFontMetricsF(font).height();
    const QRectF box(px(l.rect.left), px(l.rect.top), px(l.rect.width), height);
    int align = Qt::AlignLeft;
    if (l.align == HistogramLabel::Align::Right) align = Qt::AlignRight;
    if (l.align == HistogramLabel::Align::Centre) align = Qt::AlignHCenter;
    text(p, font, box, align | Qt::AlignTop, QString::fromStdString(l.text));
  }

  void paintFixedTexts(QPainter& p) const {
    const bool groupSize = m_window->m_kind == HistogramKind::GroupSize;
    // Centred over the axis, which runs from 2500 to 8000.
    text(p, titleFont(), pxRect(1920, 0, 6660, 300), Qt::AlignHCenter | Qt::AlignTop,
         groupSize ? QStringLiteral("TK 1.0 - Histogram of group size")
                   : QStringLiteral("TK 1.0 - Histogram of crowding"));
  }

  static void medianShape(QPainter& p, const QRectF& r) {
    p.setPen(QPen(Qt::blue, 0));
    p.setBrush(kMedianFill);
    p.drawRect(r);
  }

  static void meanShape(QPainter& p, const QRectF& r) {
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(kMeanFill);
    p.drawEllipse(r);
  }

  void paintLegend(QPainter& p) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // The shapes stand just left of their texts, which begin at 5040, so the
    // texts keep clear of "Print".
    medianShape(p, pxRect(4830, 5595 + 75, 135, 60));
    meanShape(p, pxRect(4837, 5805 + 45, 120, 120));
    p.restore();
    const bool groupSize = m_window->m_kind == HistogramKind::GroupSize;
    text(p, labelFont(), pxRect(5040, 5595, 1500, 0), Qt::AlignLeft | Qt::AlignTop,
         groupSize ? QStringLiteral("Median group size") : QStringLiteral("Median crowding"));
    text(p, labelFont(), pxRect(5040, 5805, 1500, 0), Qt::AlignLeft | Qt::AlignTop,
         groupSize ? QStringLiteral("Mean group size") : QStringLiteral("Mean crowding"));
  }

  static void paintShapes(QPainter& p, const HistogramPicture& pic) {
    p.save();
    p.scale(1.0 / 15.0, 1.0 / 15.0);  // draw in twips
    QPen axisPen(Qt::black, 2);
    axisPen.setCosmetic(true);
    for (const HistogramPanel& panel : pic.panels) {
      p.setPen(axisPen);
      p.drawLine(QPointF(panel.axisX1, panel.baseline), QPointF(panel.axisX2, panel.baseline));
      // The border in the fill colour keeps bars narrower than a pixel visible.
      p.setPen(QPen(kBarColour, 0));
      p.setBrush(kBarColour);
      for (const HistogramBar& bar : panel.bars) {
        p.drawRect(QRectF(bar.rect.left, bar.rect.top, bar.rect.width, bar.rect.height));
      }
    }
    p.setRenderHint(QPainter::Antialiasing);
    for (const HistogramPanel& panel : pic.panels) {
      const auto& m = panel.medianMarker;
      const auto& c = panel.meanMarker;
      if (panel.hasMedian) medianShape(p, QRectF(m.left, m.top, m.width, m.height));
      if (panel.hasMean) meanShape(p, QRectF(c.left, c.top, c.width, c.height));
    }
    p.restore();
  }

  void paintLabels(QPainter& p, const HistogramPicture& pic) const {
    const QFont font = labelFont();
    label(p, font, pic.maxCountLabel);
    label(p, font, pic.zeroLabel);
    label(p, font, pic.maxSizeLabel);
    label(p, font, pic.oneLabel);
    label(p, axisTitleFont(), pic.axisTitle);
    label(p, axisTitleFont(), pic.countTitle);
    const QStringList& names = m_window->m_names;
    for (qsizetype s = 0; s < names.size() && s < static_cast<qsizetype>(pic.panels.size()); ++s) {
      const TwipsRect& r = pic.panels[static_cast<size_t>(s)].nameLabel;
      const QRectF box = pxRect(r.left, r.top, r.width, r.height);
      text(p, font, box, Qt::AlignRight | Qt::AlignTop, elidedName(names[s], box.width()));
    }
  }

  HistogramWindow* m_window;
};

HistogramWindow::HistogramWindow(HistogramKind kind, QWidget* opener,
                                 const QString& workingDirectory)
    : QWidget(nullptr), m_kind(kind), m_opener(opener), m_dir(workingDirectory) {
  const bool groupSize = kind == HistogramKind::GroupSize;
  setObjectName(groupSize ? QStringLiteral("Form5") : QStringLiteral("Form6"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(groupSize ? QStringLiteral("TK 1.1 - Histogram1")
                           : QStringLiteral("TK 1.1 - Histogram2"));
  setFixedSize(twips(kClientWidth), twips(kClientHeight));

  m_canvas = new HistogramCanvas(this);
  m_canvas->setGeometry(
      twipsRect(kContainerLeft, kContainerTop, kContainerWidth, kContainerHeight));

  // The buttons and the max-size box stand in one row at top 5640.
  constexpr int top = 5640;
  constexpr int height = 375;
  m_maxSize =
      placeButton(m_canvas, "Command1", QStringLiteral("Max. size displayed"),
                  QStringLiteral("Limit the largest group size shown"), 0, top, 1935, height);
  m_box = placeBox(m_canvas, "Text1", 2040, top, 495, height);
  m_box->setAlignment(Qt::AlignRight);
  m_box->setMaxLength(4);
  m_box->setToolTip(QStringLiteral("Largest group size to show"));
  m_redisplay =
      placeButton(m_canvas, "Command2", QStringLiteral("Redisplay"),
                  QStringLiteral("Draw up to the size in the box"), 2640, top, 855, height);
  m_noLimit = placeButton(m_canvas, "Command3", QStringLiteral("No limit"),
                          QStringLiteral("Draw every group size"), 3600, top, 855, height);
  m_save = placeButton(m_canvas, "SaveButton", QStringLiteral("Save picture\u2026"),
                       QStringLiteral("Save the histogram as a PNG picture or a PDF file"), 6600,
                       top, 1395, height);
  m_print = placeButton(m_canvas, "Command4", QStringLiteral("Print"),
                        QStringLiteral("Print the histogram"), 8085, top, 735, height);
  m_close = placeButton(m_canvas, "Command5", QStringLiteral("Close"),
                        QStringLiteral("Back to the analysis window"), 8910, top, 780, height);
  m_box->hide();
  m_redisplay->hide();
  m_noLimit->hide();

  auto* save = new QAction(QStringLiteral("Save picture..."), this);
  save->setObjectName(QStringLiteral("SavePicture"));
  save->setShortcut(QKeySequence::Save);
  addAction(save);

  connect(m_maxSize, &QPushButton::clicked, this, &HistogramWindow::onMaxSizeDisplayed);
  connect(m_box, &QLineEdit::textChanged, this, &HistogramWindow::onBoxChanged);
  connect(m_redisplay, &QPushButton::clicked, this, &HistogramWindow::onRedisplay);
  connect(m_noLimit, &QPushButton::clicked, this, &HistogramWindow::onNoLimit);
  connect(m_print, &QPushButton::clicked, this, &HistogramWindow::onPrint);
  connect(m_save, &QPushButton::clicked, this, &HistogramWindow::onSave);
  connect(m_close, &QPushButton::clicked, this, &QWidget::close);
  connect(m_box, &QLineEdit::returnPressed, this, &HistogramWindow::onRedisplay);
  closeOnEscape(this);
  connect(save, &QAction::triggered, this, &HistogramWindow::onSave);
  connect(qApp, &QGuiApplication::focusWindowChanged, this, &HistogramWindow::onFocusWindowChanged);
}

HistogramWindow::~HistogramWindow() = default;

HistogramWindow* HistogramWindow::openFromAnalysis(QWidget* analysisWindow,
                                                   const QString& workingDirectory,
                                                   const QStringList& selectedFiles,
                                                   HistogramKind kind) {
  const QStringList shown = selectedFiles.mid(0, kMaxSamples);
  const ExchangeWrite written = writeExchangeData(workingDirectory, shown);
  if (selectedFiles.size() > kMaxSamples) {
    messageBoxes().inform(analysisWindow, kGraphsTitle,
                          QStringLiteral("  Too many samples selected!") + kCrLf +
                              QStringLiteral("   The first 8 will be displayed."));
  }
  if (selectedFiles.isEmpty()) {
    messageBoxes().inform(analysisWindow, kGraphsTitle,
                          QStringLiteral("No data has been selected!"));
    return nullptr;
  }
  if (!written) {
    messageBoxes().inform(analysisWindow, kGraphsTitle, written.error);
    return nullptr;
  }
  // Refused here, once, rather than at every drawing of the window.
  const QString data = QDir(workingDirectory).filePath(kExchangeDataFile);
  const HistogramPicture check = drawHistogramFile(data.toStdString(), kind, kNoDisplayLimit,
                                                   [](const std::string&) { return 0.0; });
  if (!check.error.empty()) {
    messageBoxes().inform(analysisWindow, kGraphsTitle, QString::fromStdString(check.error));
    return nullptr;
  }

  HistogramWindow* window =
      kind == HistogramKind::GroupSize
          ? static_cast<HistogramWindow*>(new Form5(analysisWindow, workingDirectory))
          : new Form6(analysisWindow, workingDirectory);
  QStringList names;
  for (const QString& file : shown) names.append(file.left(file.size() - 4));
  window->setSampleNames(names);
  if (analysisWindow) analysisWindow->hide();
  window->show();
  return window;
}

void HistogramWindow::setSampleNames(const QStringList& names) {
  m_names = names.mid(0, kMaxSamples);
  m_canvas->update();
}

void HistogramWindow::drawHistogram(int limit) {
  m_limit = limit;
  const auto measure = [](const QFont& font) {
    return [metrics = QFontMetricsF(font)](const std::string& s) {
      return metrics.horizontalAdvance(QString::fromStdString(s)) * 15.0;
    };
  };
  const QString data = QDir(m_dir).filePath(kExchangeDataFile);
  m_picture = drawHistogramFile(data.toStdString(), m_kind, limit, measure(labelFont()),
                                measure(axisTitleFont()));
  m_canvas->update();
}

void HistogramWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) activate();
}

// Activation from another of the program's windows draws anew without a
// limit; coming back from one of this window's own message boxes or dialogs,
// or from another program, keeps the picture as it is.
void HistogramWindow::onFocusWindowChanged(QWindow* window) {
  if (!window) return;
  QWindow* mine = windowHandle();
  if (window == mine && m_lastFocus && m_lastFocus != mine && !isDialogWindow(m_lastFocus)) {
    activate();
  }
  m_lastFocus = window;
}

void HistogramWindow::activate() {
  if (m_opener) {
    // The analysis window's size, but never smaller than the chart.
    setFixedSize(std::max(m_opener->width() + twips(250), twips(kClientWidth)),
                 std::max(m_opener->height(), twips(kClientHeight)));
    placeOnScreen(this, m_opener->pos(), m_opener);
  }
  m_box->hide();
  drawHistogram(kNoDisplayLimit);
}

void HistogramWindow::closeEvent(QCloseEvent* event) {
  if (m_opener) m_opener->show();
  event->accept();
}

void HistogramWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addActions(actions());
  menu.exec(event->globalPos());
}

void HistogramWindow::onMaxSizeDisplayed() {
  m_box->show();
  m_redisplay->show();
  m_noLimit->show();
  m_box->setFocus();
}

void HistogramWindow::onBoxChanged() {
  m_maxSize->setEnabled(false);
  m_print->setEnabled(false);
  m_save->setEnabled(false);
}

void HistogramWindow::onRedisplay() {
  // Anything but a number of at least 1 is ignored, as typed input is.
  bool ok = false;
  const double value = m_box->text().trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value) || std::floor(value) < 1) return;
  drawHistogram(static_cast<int>(std::min<double>(std::floor(value), kNoDisplayLimit)));
  m_maxSize->setEnabled(true);
  m_print->setEnabled(true);
  m_save->setEnabled(true);
}

void HistogramWindow::onNoLimit() {
  m_box->hide();
  m_redisplay->hide();
  m_noLimit->hide();
  drawHistogram(kNoDisplayLimit);
  m_maxSize->setEnabled(true);
  m_print->setEnabled(true);
  m_save->setEnabled(true);
}

QSize HistogramWindow::pictureSize(bool cropped) const {
  if (cropped) {
    return QSize(m_canvas->width(), twips(kExportHeight)) +
           QSize(twips(2 * kExportBorder), twips(2 * kExportBorder));
  }
  return size() + QSize(twips(kPrintGrow), twips(kPrintGrow));
}

void HistogramWindow::paintPicture(QPainter& painter, bool cropped) {
  // The printout keeps "Max. size displayed" with its box only when a limit
  // is set; every other button goes.
  const bool limitShown = !m_box->isHidden();
  m_redisplay->hide();
  m_print->hide();
  m_save->hide();
  m_noLimit->hide();
  m_close->hide();
  if (!limitShown) m_maxSize->hide();
  m_canvas->white = true;

  painter.fillRect(QRect(QPoint(0, 0), pictureSize(cropped)), Qt::white);
  if (cropped) {
    m_canvas->render(&painter, QPoint(twips(kExportBorder), twips(kExportBorder)),
                     QRegion(0, 0, m_canvas->width(), twips(kExportHeight)), QWidget::DrawChildren);
  } else {
    m_canvas->render(
        &painter, QPoint(twips(kContainerLeft + kPrintShiftX), twips(kContainerTop + kPrintShiftY)),
        QRegion(), QWidget::DrawChildren);
  }

  m_canvas->white = false;
  m_maxSize->show();
  m_print->show();
  m_save->show();
  m_close->show();
  m_redisplay->setVisible(limitShown);
  m_noLimit->setVisible(limitShown);
}

QImage HistogramWindow::pictureImage(qreal scale, bool cropped) {
  const QSize size = pictureSize(cropped);
  QImage image(QSize(qRound(size.width() * scale), qRound(size.height() * scale)),
               QImage::Format_RGB32);
  image.fill(Qt::white);
  const int dotsPerMeter = qRound(96.0 * scale / 0.0254);
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  QPainter painter(&image);
  painter.scale(scale, scale);
  paintPicture(painter, cropped);
  return image;
}

bool HistogramWindow::printTo(QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  // At its size on screen, smaller only where the page is too narrow.
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  const double dots = printer.resolution() / 96.0;
  const QSize size = pictureSize();
  const double fit =
      std::min({1.0, page.width() / (size.width() * dots), page.height() / (size.height() * dots)});
  painter.scale(dots * fit, dots * fit);
  paintPicture(painter);
  const bool ended = painter.end();
  return ended && printer.printerState() != QPrinter::Error &&
         printer.printerState() != QPrinter::Aborted;
}

bool HistogramWindow::savePdf(const QString& path, bool cropped) {
  // One page the size of the picture, so it goes into a paper as it is.
  QPdfWriter pdf(path);
  const QSize size = pictureSize(cropped);
  pdf.setPageSize(QPageSize(QSizeF(size.width() * 0.75, size.height() * 0.75), QPageSize::Point,
                            QString(), QPageSize::ExactMatch));
  pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
  QPainter painter;
  if (!painter.begin(&pdf)) return false;
  const double dots = pdf.resolution() / 96.0;
  painter.scale(dots, dots);
  paintPicture(painter, cropped);
  return painter.end() && QFileInfo(path).isFile();
}

bool HistogramWindow::savePicture(const QString& path) {
  if (QFileInfo(path).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0) {
    return savePdf(path, true);
  }
  return pictureImage(2.0, true).save(path, "PNG");
}

void HistogramWindow::onPrint() {
  const QString failure =
      printOnDefaultPrinter([this](QPrinter& printer) { return printTo(printer); });
  if (failure.isEmpty()) return;
  offerPdfInstead(this, kPrintTitle, failure, QStringLiteral("the picture"),
                  QStringLiteral("Save histogram as PDF"),
                  QDir(m_dir).filePath(QStringLiteral("histogram.pdf")),
                  [this](const QString& path) { return savePdf(path, false); });
}

void HistogramWindow::onSave() {
  const QString path = chooseSavePath(
      this, QStringLiteral("Save histogram"), QDir(m_dir).filePath(QStringLiteral("histogram.png")),
      QStringLiteral("PNG pictures (*.png);;PDF files (*.pdf)"), QStringLiteral("png"));
  if (path.isEmpty()) return;
  if (!savePicture(path)) {
    reportUnwritable(this, QStringLiteral("TK 1.0 - Save histogram"), path);
  }
}

}  // namespace tsk::ui
