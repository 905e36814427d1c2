#pragma once
// The look that the program puts over the platform's style: a focus ring
// that can be seen on every control, whether the focus came by keyboard or
// by mouse, so that a keyboard user always sees where Enter or Space goes.

namespace tsk::ui {

// Installs the style on the running application.
void installDesktopStyle();

}  // namespace tsk::ui
