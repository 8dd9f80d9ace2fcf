#include "coverage_flush.h"

#ifdef MORV_COVERAGE_BUILD
// gcc's coverage runtime: writes the counters gathered so far.
extern "C" void __gcov_dump(void);
#endif

namespace panel_host {

void flushCoverageBeforeExit()
{
#ifdef MORV_COVERAGE_BUILD
    __gcov_dump();
#endif
}

}  // namespace panel_host
