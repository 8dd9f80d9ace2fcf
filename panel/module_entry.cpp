// The module's export: creates one routing panel for the host.
#include "script_boundary.h"

#include "vantry.h"

#include <new>

morv_client_callback* MORV_ENTRY_CALL load_morv_client_script(script_host* host, const char* path)
{
    // Nothing may reach the host as an exception: a failed allocation and a
    // throwing start-up both give null.
    try {
        return new (std::nothrow) vantry(host, path);
    } catch (...) {
        return nullptr;
    }
}
