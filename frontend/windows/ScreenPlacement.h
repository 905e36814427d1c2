// SPDX-License-Identifier: GPL-3.0-or-later
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

// How much of a resizable window comes back when it opens again.
enum class Remembered { PlaceAndSize, Size };

// Gives `window` what saveResizableWindow() kept under `name`: the size (kept
// between the window's minimum and maximum), the maximised state and, with
// Remembered::PlaceAndSize, the place. Without a kept place the window opens
// at its opener's (the frame's top left); without an opener either, where
// the window system puts it. A window that is placed ends up on the screen.
void restoreResizableWindow(QWidget* window, const QString& name, Remembered what,
                            const QWidget* opener);
// Keeps the size and place of a window that closes, under `name`. A
// maximised window keeps the size and place it had before, to come back to.
void saveResizableWindow(const QWidget* window, const QString& name);

}  // namespace tsk::ui
