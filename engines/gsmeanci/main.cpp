#include "gsmeanci.h"

int main() { return tsk::engineMain(gsmeanci::run, TSK_CAPACITY); }
