// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the windows' print jobs and saved files go: the default printer and a
// file dialog, unless a test installs its own source and chooser.

#include <QString>
#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace tsk::ui {

// A source that returns nullptr means "no printer".
using PrinterSource = std::function<std::unique_ptr<QPrinter>()>;
// Returns the chosen file name; empty means cancelled.
using SavePathChooser = std::function<QString(QWidget* parent, const QString& caption,
                                              const QString& suggestedPath, const QString& filter)>;

// nullptr restores the real printer or dialog.
void setPrinterSource(PrinterSource source);
void setSavePathChooser(SavePathChooser chooser);

// The printer to print on; nullptr when there is none.
std::unique_ptr<QPrinter> openPrinter();
// Asks for a file to write; `defaultSuffix` is added to a name without one.
// Empty when cancelled.
QString chooseSavePath(QWidget* parent, const QString& caption, const QString& suggestedPath,
                       const QString& filter, const QString& defaultSuffix);

// Prints with `print` on the default printer: empty when that went well,
// else the message for the user ("   No printer is available !" or
// "   The print job failed !").
QString printOnDefaultPrinter(const std::function<bool(QPrinter&)>& print);

// After the print `failure`: asks in a box with `title` whether to save
// `what` ("the results", "the picture") as a PDF file instead and, on Yes,
// writes the file chosen in a dialog with `caption` (offered as
// `suggestedPdf`) with `savePdf`, telling when that fails too.
void offerPdfInstead(QWidget* parent, const QString& title, const QString& failure,
                     const QString& what, const QString& caption, const QString& suggestedPdf,
                     const std::function<bool(const QString& path)>& savePdf);

// "   Cannot write the file <path> !" in a message box with `title`.
void reportUnwritable(QWidget* parent, const QString& title, const QString& path);

}  // namespace tsk::ui
