#include "PrintTarget.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

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

}  // namespace tsk::ui
