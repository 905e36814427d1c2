// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsmeanci.h"

int main(int argc, char* argv[]) {
  return tsk::engineMain(gsmeanci::run, TSK_CAPACITY, argc, argv);
}
