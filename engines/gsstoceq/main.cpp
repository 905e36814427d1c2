// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsstoceq.h"

int main(int argc, char* argv[]) {
  return tsk::engineMain(gsstoceq::run, TSK_CAPACITY, argc, argv);
}
