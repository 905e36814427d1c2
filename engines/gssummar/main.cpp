// SPDX-License-Identifier: GPL-3.0-or-later
#include "gssummar.h"

int main(int argc, char* argv[]) {
  return tsk::engineMain(gssummar::run, TSK_CAPACITY, argc, argv);
}
