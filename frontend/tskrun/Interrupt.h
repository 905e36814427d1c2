// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Noticing that tskrun is asked to end (Ctrl+C, kill), so that it can end
// its engine first instead of leaving it running.

namespace tsk {

// From now on SIGINT and SIGTERM (and SIGHUP where there is one) are only
// recorded; the program then ends itself at the next look.
void catchInterrupts();

// The number of the last such signal, or 0 when none has come.
int interruptSignal();

}  // namespace tsk
