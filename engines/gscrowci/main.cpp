// SPDX-License-Identifier: GPL-3.0-or-later
#include "gscrowci.h"

int main(int argc, char* argv[]) {
  return tsk::engineMain(gscrowci::run, TSK_CAPACITY, argc, argv);
}
