// The module's export: creates one routing panel for the host.
#include "module_entry.h"

#include "vantry.h"

#include <new>

morv_client_callback* load_morv_client_script(script_host* host, const char* path)
{
    // Nothing may reach the host as an exception: a failed allocation and a
    // throwing start-up both give null.
    try {
        return new (std::nothrow) vantry(host, path);
    } catch (...) {
        return nullptr;
    }
}
