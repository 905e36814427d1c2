#include "gsstoceq.h"

int main() { return tsk::engineMain(gsstoceq::run, TSK_CAPACITY); }
