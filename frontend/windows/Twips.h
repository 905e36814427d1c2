#pragma once
// Window layouts are given in twips (1440 to the inch). They map to Qt's
// logical pixels at 96 per inch, so Qt scales them on high-DPI screens.

#include <QFont>
#include <QRect>

namespace tsk::ui {

constexpr int twips(int t) { return (t + 7) / 15; }

inline QRect twipsRect(int left, int top, int width, int height) {
  return QRect(twips(left), twips(top), twips(width), twips(height));
}

// Courier New where installed, the system's fixed-pitch font otherwise.
QFont fixedFont(int pointSize);

}  // namespace tsk::ui
