// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintTarget.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

#include "MessageBoxes.h"

namespace tsk::ui {

namespace {

PrinterSource& printerSource() {
  static PrinterSource source;
  return source;
}

SavePathChooser& savePathChooser() {
  static SavePathChooser chooser;
  return chooser;
}

}  // namespace

void setPrinterSource(PrinterSource source) { printerSource() = std::move(source); }

void setSavePathChooser(SavePathChooser chooser) { savePathChooser() = std::move(chooser); }

std::unique_ptr<QPrinter> openPrinter() {
  if (printerSource()) return printerSource()();
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return nullptr;
  return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

QString chooseSavePath(QWidget* parent, const QString& caption, const QString& suggestedPath,
                       const QString& filter, const QString& defaultSuffix) {
  QString path = savePathChooser()
                     ? savePathChooser()(parent, caption, suggestedPath, filter)
                     : QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
  if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += '.' + defaultSuffix;
  return path;
}

QString printOnDefaultPrinter(const std::function<bool(QPrinter&)>& print) {
  const std::unique_ptr<QPrinter> printer = openPrinter();
  if (!printer) return QStringLiteral("   No printer is available !");
  if (!print(*printer)) return QStringLiteral("   The print job failed !");
  return QString();
}

void offerPdfInstead(QWidget* parent, const QString& title, const QString& failure,
                     const QString& what, const QString& caption, const QString& suggestedPdf,
                     const std::function<bool(const QString& path)>& savePdf) {
  if (!messageBoxes().ask(parent, title,
                          failure + QStringLiteral("\r\n   Save ") + what +
                              QStringLiteral(" as a PDF file instead?"))) {
    return;
  }
  const QString path = chooseSavePath(parent, caption, suggestedPdf,
                                      QStringLiteral("PDF files (*.pdf)"), QStringLiteral("pdf"));
  if (!path.isEmpty() && !savePdf(path)) reportUnwritable(parent, title, path);
}

void reportUnwritable(QWidget* parent, const QString& title, const QString& path) {
  messageBoxes().inform(parent, title,
                        QStringLiteral("   Cannot write the file ") + path + QStringLiteral(" !"));
}

}  // namespace tsk::ui
