#include "gsmidtst.h"

int main() { return tsk::engineMain(gsmidtst::run, TSK_CAPACITY); }
