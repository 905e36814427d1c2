#include "gscrowci.h"

int main() { return tsk::engineMain(gscrowci::run, TSK_CAPACITY); }
