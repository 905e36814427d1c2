// SPDX-License-Identifier: GPL-3.0-or-later
#include "Interrupt.h"

#include <csignal>

namespace tsk {

namespace {

// Only a lock-free flag may be touched from a signal handler.
volatile std::sig_atomic_t received = 0;

void record(int signal) { received = signal; }

}  // namespace

void catchInterrupts() {
  std::signal(SIGINT, record);
  std::signal(SIGTERM, record);
#ifdef SIGHUP
  std::signal(SIGHUP, record);  // the terminal went away
#endif
}

int interruptSignal() { return received; }

}  // namespace tsk
