// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsmidlim.h"

int main(int argc, char* argv[]) {
  return tsk::engineMain(gsmidlim::run, TSK_CAPACITY, argc, argv);
}
