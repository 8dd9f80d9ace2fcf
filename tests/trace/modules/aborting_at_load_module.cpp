// A panel module whose initialisation ends the process: loading it aborts.
#include "morv_client_callback.h"
#include "script_host.h"

#include <cstdlib>

#define ABORTING_EXPORT __attribute__((visibility("default")))

namespace {
__attribute__((constructor)) void abortAtLoad()
{
    std::abort();
}
}  // namespace

extern "C" ABORTING_EXPORT morv_client_callback* load_morv_client_script(script_host* /*host*/, const char* /*path*/)
{
    return nullptr;
}
