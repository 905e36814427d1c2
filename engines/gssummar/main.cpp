#include "gssummar.h"

int main() { return tsk::engineMain(gssummar::run, TSK_CAPACITY); }
