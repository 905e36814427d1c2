#include "gscrow2s.h"

int main() { return tsk::engineMain(gscrow2s::run, TSK_CAPACITY); }
