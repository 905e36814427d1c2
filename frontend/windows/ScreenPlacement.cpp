#include "ScreenPlacement.h"

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

bool windowWasMaximised(const QString& key) { return windowSettings()->value(key).toBool(); }

void saveWindowMaximised(const QString& key, bool maximised) {
  windowSettings()->setValue(key, maximised);
}

}  // namespace tsk::ui
