// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsmean2s.h"

int main(int argc, char* argv[]) {
  return tsk::engineMain(gsmean2s::run, TSK_CAPACITY, argc, argv);
}
