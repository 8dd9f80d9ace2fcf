// The module's export: creates one routing panel for the host.
#include "script_boundary.h"

#include "vantry.h"

morv_client_callback* MORV_ENTRY_CALL load_morv_client_script(script_host* host, const char* path)
{
    // Null when memory ran out, for the panel or during its start-up.
    return morv_script_helper::startedOrNull(new vantry(host, path));
}
