#pragma once
// Keeps the program's windows on the screen: every window opens fully inside
// the available area of the screen it opens on, and the windows whose place
// the user chooses (the main and results windows) come back where they were.

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>

class QWidget;

namespace tsk::ui {

// `frame` moved (and, only where it is larger than `area`, shrunk from the
// right and bottom) so that it lies fully inside `area`. The top left wins
// when the frame does not fit, so that the title bar stays reachable.
QRect keepInside(const QRect& frame, const QRect& area);

// The available area (screen less panels and docks) of the screen that
// shows `point`, or of the primary screen where none does.
using AvailableArea = std::function<QRect(const QPoint& point)>;
QRect availableAreaAt(const QPoint& point);
// Installs another source of available areas (tests fake a screen with it);
// nullptr restores the real screens.
void setAvailableAreaSource(AvailableArea source);

// Moves the window `window` so that its frame's top left is at `topLeft`, as
// far as the available area allows. Until the window has been shown its frame
// is not known; the frame of `frameLike` (a shown window of the program) is
// taken as the model, so the title bar is counted.
void placeOnScreen(QWidget* window, const QPoint& topLeft, const QWidget* frameLike = nullptr);

// The window's geometry as last saved under `key`, put back and kept on
// screen; false (and nothing changed) when nothing was saved.
bool restoreWindowGeometry(QWidget* window, const QString& key, const QWidget* frameLike = nullptr);
void saveWindowGeometry(const QWidget* window, const QString& key);
// Whether the window was maximised when last closed, under `key`.
bool windowWasMaximised(const QString& key);
void saveWindowMaximised(const QString& key, bool maximised);

}  // namespace tsk::ui
