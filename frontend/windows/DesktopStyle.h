// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The look that the program puts over the platform's style: a focus ring
// that can be seen on every control, whether the focus came by keyboard or
// by mouse, so that a keyboard user always sees where Enter or Space goes;
// and the program's icon.

#include <QIcon>

namespace tsk::ui {

// Installs the style on the running application.
void installDesktopStyle();

// The program's icon, for every window (QApplication::setWindowIcon).
QIcon programIcon();

}  // namespace tsk::ui
