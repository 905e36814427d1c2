// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two histogram windows: Form5 draws group size, Form6 crowding. Both
// read tskdat.tmp at every drawing, paint the layout that drawHistogram()
// computes, offer a display limit, and print or save their picture.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "HistogramGeometry.h"

class QCloseEvent;
class QContextMenuEvent;
class QLineEdit;
class QPainter;
class QPrinter;
class QPushButton;
class QShowEvent;
class QWindow;

namespace tsk::ui {

class HistogramCanvas;

// A sample name as it fits `width` pixels of the name column in the labels'
// font: cut with "…" when too long, so it never runs off the window.
QString elidedName(const QString& name, double width);

class HistogramWindow : public QWidget {
  Q_OBJECT

 public:
  // `opener` is the analysis window: the histogram takes its place and shows
  // it again on close. The window deletes itself when closed.
  HistogramWindow(HistogramKind kind, QWidget* opener, const QString& workingDirectory);
  ~HistogramWindow() override;

  // Hands samples selected in the analysis window to a new histogram window:
  // writes the first 8 of `selectedFiles` (names in `workingDirectory`) to
  // tskdat.tmp, warns once when there are more, and shows the window in
  // place of `analysisWindow`. Returns nullptr, with a message shown, when
  // nothing was selected or the samples cannot be displayed.
  static HistogramWindow* openFromAnalysis(QWidget* analysisWindow, const QString& workingDirectory,
                                           const QStringList& selectedFiles, HistogramKind kind);

  HistogramKind kind() const { return m_kind; }
  // The name labels, top panel first.
  void setSampleNames(const QStringList& names);
  QStringList sampleNames() const { return m_names; }

  // The picture last drawn and the limit it was drawn with.
  const HistogramPicture& picture() const { return m_picture; }
  int displayLimit() const { return m_limit; }

  // Draws anew from tskdat.tmp with the display limit `limit`.
  void drawHistogram(int limit);

  // The picture as printed: white, the chart moved in by the print margins,
  // with only the controls that the printout keeps. `scale` multiplies the
  // logical pixels. `cropped`: the picture as saved, cut down to the drawing.
  QImage pictureImage(qreal scale = 1.0, bool cropped = false);
  // Saves the cropped picture as PNG, or as PDF when `path` ends in ".pdf".
  bool savePicture(const QString& path);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private slots:
  void onMaxSizeDisplayed();
  void onBoxChanged();
  void onRedisplay();
  void onNoLimit();
  void onPrint();
  void onSave();

 private:
  void activate();
  void onFocusWindowChanged(QWindow* window);
  // Paints the print picture at logical-pixel scale into `painter`.
  void paintPicture(QPainter& painter, bool cropped = false);
  QSize pictureSize(bool cropped = false) const;
  bool printTo(QPrinter& printer);
  bool savePdf(const QString& path, bool cropped);

  HistogramKind m_kind;
  QPointer<QWidget> m_opener;
  QString m_dir;
  QStringList m_names;
  HistogramPicture m_picture;
  int m_limit = kNoDisplayLimit;
  QPointer<QWindow> m_lastFocus;

  HistogramCanvas* m_canvas;
  QPushButton* m_maxSize;  // "Max. size displayed"
  QLineEdit* m_box;        // the max-size box
  QPushButton* m_redisplay;
  QPushButton* m_noLimit;
  QPushButton* m_print;
  QPushButton* m_save;  // "Save picture…"
  QPushButton* m_close;

  friend class HistogramCanvas;

// A sample name as it fits `width` pixels of the name column in the labels'
// font: cut with "…" when too long, so it never runs off the window.
QString elidedName(const QString& name, double width);
};

// The group-size histogram.
class Form5 : public HistogramWindow {
  Q_OBJECT
 public:
  Form5(QWidget* opener, const QString& workingDirectory)
      : HistogramWindow(HistogramKind::GroupSize, opener, workingDirectory) {}
};

// The crowding histogram.
class Form6 : public HistogramWindow {
  Q_OBJECT
 public:
  Form6(QWidget* opener, const QString& workingDirectory)
      : HistogramWindow(HistogramKind::Crowding, opener, workingDirectory) {}
};

}  // namespace tsk::ui
