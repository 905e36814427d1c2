// SPDX-License-Identifier: GPL-3.0-or-later
#include "gscrow2s.h"

int main(int argc, char* argv[]) {
  return tsk::engineMain(gscrow2s::run, TSK_CAPACITY, argc, argv);
}
