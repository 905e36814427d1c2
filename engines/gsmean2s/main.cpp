#include "gsmean2s.h"

int main() { return tsk::engineMain(gsmean2s::run, TSK_CAPACITY); }
