#include "coverage_flush.h"

#ifdef MORV_COVERAGE_BUILD
// clang's profile runtime: writes the counters gathered so far.
extern "C" int __llvm_profile_write_file(void);
#endif

namespace panel_host {

void flushCoverageBeforeExit()
{
#ifdef MORV_COVERAGE_BUILD
    __llvm_profile_write_file();
#endif
}

}  // namespace panel_host
