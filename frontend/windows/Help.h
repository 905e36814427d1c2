// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Help from the program: F1 in any window, and the main window's Help link,
// open the user's guide (guide.md) at that window's section in a window of
// its own.

#include <QString>
#include <QStringList>
#include <QTextBrowser>

class QApplication;
class QLabel;

namespace tsk::ui {

// The guide's heading for `window` (one of the program's windows), or an
// empty string for a window without a section of its own (the guide's top).
QString guideSection(const QWidget* window);

// The places looked at for the guide, in order: the installed copy,
// <programDir>/../share/toskarn/guide/guide.md, then the source tree's.
QStringList guideCandidates(const QString& programDir);
// Replaces the places looked at (tests); an empty list restores the usual ones.
void setGuideCandidates(const QStringList& paths);

// Opens the guide at the section of `window`'s top-level window. Without a
// guide the user is told where it was looked for.
void showHelp(QWidget* window);

// Makes F1 open the help in every window of the application. Once is enough;
// later calls do nothing.
void installHelpKey(QApplication& app);

// The main window's discreet link to the guide, at the given place in twips.
QLabel* placeHelpLink(QWidget* window, int left, int top, int width, int height);

// The window that shows the guide. One at a time: showHelp reuses it.
class HelpWindow : public QTextBrowser {
  Q_OBJECT

 public:
  explicit HelpWindow(const QString& guidePath);

  // Scrolls so that the heading `section` is at the top; false when the guide
  // has no such heading (the view stays where it is).
  bool showSection(const QString& section);
  // The heading at the cursor, after showSection.
  QString currentHeading() const;

  static HelpWindow* current();

 private:
  void onAnchorClicked(const QUrl& url);
};

}  // namespace tsk::ui
