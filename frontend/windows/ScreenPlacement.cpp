// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenPlacement.h"

#include <QBasicTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>
#include <memory>

namespace tsk::ui {

namespace {

AvailableArea& areaSource() {
  static AvailableArea source;
  return source;
}

// Frame margins of a shown window: the title bar and borders that the window
// manager adds around the client area.
QMargins frameMargins(const QWidget* window) {
  // A window that was never shown has no frame yet; one that is hidden
  // again keeps the frame it had.
  if (!window || !window->testAttribute(Qt::WA_WState_Created)) return {};
  const QRect frame = window->frameGeometry();
  const QRect client = window->geometry();
  return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                  frame.right() - client.right(), frame.bottom() - client.bottom());
}

// The frame that placeOnScreen() assumes for a window not yet shown is its
// model's, which can be smaller than the window's own: a window manager gives
// a resizable window borders to grip that a fixed one lacks. So each time
// the window is shown, once its frame is known, the real frame is kept on
// the screen too, and so it is after a window that is shown has been placed
// again. A window manager that adds no frame leaves nothing to do, and the
// check gives up after a while.
class FramedCheck : public QObject {
 public:
  explicit FramedCheck(QWidget* window) : QObject(window), m_window(window) {
    setObjectName(QStringLiteral("FramedCheck"));
    window->installEventFilter(this);
  }

  void start() {
    if (m_correcting) return;  // one correction; a window manager may refuse it
    m_polls = 0;
    m_timer.start(kPollMs, this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_window && event->type() == QEvent::Show) start();
    return false;
  }

  void timerEvent(QTimerEvent* event) override {
    if (event->timerId() != m_timer.timerId()) return;
    const QRect frame = m_window->frameGeometry();
    const bool framed = frame != m_window->geometry();
    if (!framed && ++m_polls < kPolls && m_window->isVisible()) return;
    m_timer.stop();
    if (!framed || m_window->isMaximized() || m_window->isFullScreen()) return;
    const QMargins margins = frameMargins(m_window);
    const QRect area = availableAreaAt(QPoint(frame.center().x(), frame.top() + margins.top() / 2));
    if (area.isEmpty() || area.contains(frame)) return;
    m_correcting = true;
    placeOnScreen(m_window, frame.topLeft());
    m_correcting = false;
  }

 private:
  static constexpr int kPollMs = 20;
  static constexpr int kPolls = 100;
  QWidget* m_window;
  QBasicTimer m_timer;
  int m_polls = 0;
  bool m_correcting = false;
};

void checkWhenFramed(QWidget* window) {
  auto* check =
      window->findChild<FramedCheck*>(QStringLiteral("FramedCheck"), Qt::FindDirectChildrenOnly);
  if (!check) check = new FramedCheck(window);
  // Placed while shown, or while being shown (the show event has gone by).
  if (window->isVisible()) check->start();
}

// The program's only settings: where its windows were.
std::unique_ptr<QSettings> windowSettings() {
  return std::make_unique<QSettings>(QStringLiteral("Toskarn"), QStringLiteral("Toskarn"));
}

}  // namespace

QRect keepInside(const QRect& frame, const QRect& area) {
  if (area.isEmpty()) return frame;
  QRect r(frame.topLeft(),
          QSize(std::min(frame.width(), area.width()), std::min(frame.height(), area.height())));
  if (r.right() > area.right()) r.moveRight(area.right());
  if (r.bottom() > area.bottom()) r.moveBottom(area.bottom());
  if (r.left() < area.left()) r.moveLeft(area.left());
  if (r.top() < area.top()) r.moveTop(area.top());
  return r;
}

QRect availableAreaAt(const QPoint& point) {
  if (areaSource()) return areaSource()(point);
  QScreen* screen = QGuiApplication::screenAt(point);
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

void setAvailableAreaSource(AvailableArea source) { areaSource() = std::move(source); }

void placeOnScreen(QWidget* window, const QPoint& topLeft, const QWidget* frameLike) {
  const QMargins margins =
      window->testAttribute(Qt::WA_WState_Created) ? frameMargins(window) : frameMargins(frameLike);
  const QRect frame(topLeft, window->size().grownBy(margins));
  // The screen it opens on is the one under the middle of its title bar.
  const QRect area = availableAreaAt(QPoint(frame.center().x(), frame.top() + margins.top() / 2));
  const QRect placed = keepInside(frame, area);
  if (placed.size() != frame.size()) {
    // Larger than the screen: fits the client area in what is left.
    const QSize client = placed.size().shrunkBy(margins);
    window->resize(client.expandedTo(window->minimumSize()).boundedTo(window->maximumSize()));
  }
  window->move(placed.topLeft());
  checkWhenFramed(window);
}

bool restoreWindowGeometry(QWidget* window, const QString& key, const QWidget* frameLike) {
  const QRect saved = windowSettings()->value(key).toRect();
  if (!saved.isValid()) return false;
  window->resize(saved.size().expandedTo(window->minimumSize()).boundedTo(window->maximumSize()));
  placeOnScreen(window, saved.topLeft(), frameLike);
  return true;
}

void saveWindowGeometry(const QWidget* window, const QString& key) {
  // The frame's top left and the client size: what move() and resize() take.
  windowSettings()->setValue(key, QRect(window->pos(), window->size()));
}

void restoreResizableWindow(QWidget* window, const QString& name, Remembered what,
                            const QWidget* opener) {
  const auto settings = windowSettings();
  const QRect saved = settings->value(name + QStringLiteral("/geometry")).toRect();
  if (saved.isValid())
    window->resize(saved.size().expandedTo(window->minimumSize()).boundedTo(window->maximumSize()));
  if (saved.isValid() && what == Remembered::PlaceAndSize)
    placeOnScreen(window, saved.topLeft(), opener);
  else if (opener)
    placeOnScreen(window, opener->pos(), opener);
  if (settings->value(name + QStringLiteral("/maximised")).toBool())
    window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void saveResizableWindow(const QWidget* window, const QString& name) {
  const bool maximised = window->isMaximized();
  windowSettings()->setValue(name + QStringLiteral("/maximised"), maximised);
  if (!maximised) saveWindowGeometry(window, name + QStringLiteral("/geometry"));
}

}  // namespace tsk::ui
