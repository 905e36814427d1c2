// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsmidtst.h"

int main(int argc, char* argv[]) {
  return tsk::engineMain(gsmidtst::run, TSK_CAPACITY, argc, argv);
}
