#include "coverage_flush.h"

#ifdef MORV_COVERAGE_BUILD
// gcc's coverage runtime: writes the counters gathered so far.
extern "C" void __gcov_dump(void);
#endif

void flushCoverageBeforeExit()
{
#ifdef MORV_COVERAGE_BUILD
    __gcov_dump();
#endif
}
