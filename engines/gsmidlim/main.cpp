#include "gsmidlim.h"

int main() { return tsk::engineMain(gsmidlim::run, TSK_CAPACITY); }
