// SPDX-License-Identifier: GPL-3.0-or-later
#include "Help.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QUrl>

#include "FormControls.h"
#include "MessageBoxes.h"
#include "ScreenPlacement.h"

namespace tsk::ui {

namespace {

const QString kHelpTitle = QStringLiteral("TK 1.0 - Help");
const QString kGuideMissing = QStringLiteral("   The user's guide cannot be found. Looked for:");

QStringList g_candidates;
QPointer<HelpWindow> g_window;

// Each window's section, by class; a derived class is listed before its base.
struct SectionOf {
  const char* className;
  const char* heading;
};
constexpr SectionOf kSections[] = {
    {"tsk::ui::Form1", "The main window"},      {"tsk::ui::Form2", "Entering a new sample"},
    {"tsk::ui::Form7", "Editing a sample"},     {"tsk::ui::Form8", "Saving under another name"},
    {"tsk::ui::Form3", "Analysing samples"},    {"tsk::ui::Form4", "Results: printing and saving"},
    {"tsk::ui::HistogramWindow", "Histograms"},
};

// The anchor a repository page gives a heading: lower case, blanks to
// hyphens, other punctuation dropped. The guide's contents links use it.
QString headingAnchor(const QString& heading) {
  QString anchor;
  for (QChar c : heading.toLower()) {
    if (c.isLetterOrNumber() || c == u'-' || c == u'_') {
      anchor.append(c);
    } else if (c == u' ') {
      anchor.append(u'-');
    }
  }
  return anchor;
}

class HelpKeyFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || qobject_cast<HelpWindow*>(widget->window())) return false;
    showHelp(widget);
    return true;  // handled once, not again for each parent
  }
};

}  // namespace

QString guideSection(const QWidget* window) {
  for (const SectionOf& s : kSections) {
    if (window && window->inherits(s.className)) return QString::fromUtf8(s.heading);
  }
  return QString();
}

QStringList guideCandidates(const QString& programDir) {
  if (!g_candidates.isEmpty()) return g_candidates;
  // Beside the delivered data, as installed; the build tree keeps a copy
  // there too.
  return {QDir::cleanPath(programDir + QStringLiteral("/../share/toskarn/guide/guide.md"))};
}

void setGuideCandidates(const QStringList& paths) { g_candidates = paths; }

void showHelp(QWidget* window) {
  QWidget* top = window ? window->window() : nullptr;
  const QStringList candidates = guideCandidates(QCoreApplication::applicationDirPath());
  QString guide;
  for (const QString& path : candidates) {
    if (QFileInfo(path).isFile()) {
      guide = path;
      break;
    }
  }
  if (guide.isEmpty()) {
    QStringList shown;
    for (const QString& path : candidates) shown.append(QDir::toNativeSeparators(path));
    messageBoxes().inform(top, kHelpTitle, kGuideMissing + u'\n' + shown.join(u'\n'));
    return;
  }
  if (!g_window || g_window->source() != QUrl::fromLocalFile(guide)) {
    delete g_window.data();
    g_window = new HelpWindow(guide);
  }
  // Beside its caller, but never partly off the screen.
  if (top && !g_window->isVisible()) placeOnScreen(g_window, top->pos() + QPoint(40, 40), top);
  g_window->show();
  g_window->raise();
  g_window->activateWindow();
  g_window->showSection(guideSection(top));
}

void installHelpKey(QApplication& app) {
  static QPointer<HelpKeyFilter> filter;
  if (filter) return;
  filter = new HelpKeyFilter(&app);
  app.installEventFilter(filter);
}

QLabel* placeHelpLink(QWidget* window, int left, int top, int width, int height) {
  QLabel* link = placeLabel(window, "LabelHelp", QStringLiteral("<a href=\"#\">Help</a>"), left,
                            top, width, height);
  link->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  link->setToolTip(QStringLiteral("User's guide (F1)"));
  QObject::connect(link, &QLabel::linkActivated, window, [window] { showHelp(window); });
  return link;
}

HelpWindow::HelpWindow(const QString& guidePath) : QTextBrowser(nullptr) {
  setObjectName(QStringLiteral("HelpWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("TK 1.1 - Help"));
  resize(760, 640);
  // Links are followed here: within the guide by heading, others outside.
  setOpenLinks(false);
  closeOnEscape(this);
  connect(this, &QTextBrowser::anchorClicked, this, &HelpWindow::onAnchorClicked);
  setSource(QUrl::fromLocalFile(guidePath), QTextDocument::MarkdownResource);
}

HelpWindow* HelpWindow::current() { return g_window.data(); }

bool HelpWindow::showSection(const QString& section) {
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() == 0) continue;
    if (section.isEmpty() ? block.blockFormat().headingLevel() != 1 : block.text() != section) {
      continue;
    }
    QTextCursor cursor(block);
    setTextCursor(cursor);
    // Heading at the top of the view: scroll to the end first, then back up
    // to the heading, so that it is not merely somewhere on the screen.
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    ensureCursorVisible();
    return true;
  }
  return false;
}

QString HelpWindow::currentHeading() const {
  const QTextBlock block = textCursor().block();
  return block.blockFormat().headingLevel() > 0 ? block.text() : QString();
}

void HelpWindow::onAnchorClicked(const QUrl& url) {
  if (url.hasFragment() && (url.path().isEmpty() || url.adjusted(QUrl::RemoveFragment) ==
                                                        source().adjusted(QUrl::RemoveFragment))) {
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
      if (block.blockFormat().headingLevel() > 0 && headingAnchor(block.text()) == url.fragment()) {
        showSection(block.text());
        return;
      }
    }
    return;
  }
  QDesktopServices::openUrl(url.isRelative() ? source().resolved(url) : url);
}

}  // namespace tsk::ui
