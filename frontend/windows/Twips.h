// SPDX-License-Identifier: GPL-3.0-or-later
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

// The font of reports, lists and totals: the first of Courier New, DejaVu Sans
// Mono, Liberation Mono and Noto Sans Mono that is installed and measures
// every character at one width; the system's fixed font otherwise.
QFont fixedFont(int pointSize);

// True when digits, letters narrow and wide, blanks and points all advance by
// the same width in `font`, so that columns of text line up.
bool hasEqualAdvances(const QFont& font);

}  // namespace tsk::ui
